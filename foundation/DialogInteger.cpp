#include "DialogInteger.h"

#include <climits>

static BOOL IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

BOOL ParseDialogInteger(LPCWSTR text, int* value)
{
    if (!text || !value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WCHAR* p = text;
    while (IsBlank(*p))
        ++p;
    BOOL negative = FALSE;
    if (*p == L'-' || *p == L'+') {
        negative = *p == L'-';
        ++p;
    }
    if (*p < L'0' || *p > L'9') {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    // Wide enough for the magnitude of INT_MIN, so the bound test is exact.
    long long n = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        n = n * 10 + (*p - L'0');
        if (n > static_cast<long long>(INT_MAX) + 1) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
    }
    while (IsBlank(*p))
        ++p;
    if (*p != L'\0' || (!negative && n > INT_MAX)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *value = static_cast<int>(negative ? -n : n);
    return TRUE;
}
