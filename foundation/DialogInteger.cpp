#include "DialogInteger.h"

#include <climits>

namespace {

// One more than INT_MAX: the magnitude of INT_MIN.
const long long INT_MAGNITUDE_MAX = static_cast<long long>(INT_MAX) + 1;

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

// Blanks around an optional sign and decimal digits: the magnitude, which
// stops growing once it is beyond INT_MAGNITUDE_MAX, and the sign.
bool ScanInteger(LPCWSTR text, long long* magnitude, bool* negative)
{
    const WCHAR* p = text;
    while (IsBlank(*p))
        ++p;
    *negative = false;
    if (*p == L'-' || *p == L'+')
        *negative = *p++ == L'-';
    if (*p < L'0' || *p > L'9')
        return false;
    long long n = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        if (n <= INT_MAGNITUDE_MAX)
            n = n * 10 + (*p - L'0');
    while (IsBlank(*p))
        ++p;
    *magnitude = n;
    return *p == L'\0';
}

} // namespace

BOOL ParseDialogInteger(LPCWSTR text, int* value)
{
    if (!text || !value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long n = 0;
    bool negative = false;
    if (!ScanInteger(text, &n, &negative) || n > (negative ? INT_MAGNITUDE_MAX : INT_MAX)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *value = static_cast<int>(negative ? -n : n);
    return TRUE;
}

int ReadDialogInteger(LPCWSTR text)
{
    long long n = 0;
    bool negative = false;
    if (!text || !ScanInteger(text, &n, &negative))
        return 0;
    if (negative)
        return n >= INT_MAGNITUDE_MAX ? INT_MIN : static_cast<int>(-n);
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}
