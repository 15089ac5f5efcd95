#include "ErrorText.h"

#include <cwchar>

#include "Platform.h"

BOOL FormatErrorText(DWORD code, LPCWSTR errorCodeLabel, LPWSTR out, DWORD cchOut)
{
    if (!errorCodeLabel || !out || cchOut == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (GetSystemErrorText(code, out, cchOut))
        return TRUE;
    if (swprintf(out, cchOut, L"%ls = 0x%08X", errorCodeLabel, static_cast<unsigned>(code)) < 0)
        out[cchOut - 1] = L'\0';
    return TRUE;
}
