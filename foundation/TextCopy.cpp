#include "TextCopy.h"

#include <cwchar>

BOOL CopyTextFits(LPWSTR out, DWORD cch, LPCWSTR text)
{
    size_t n = text ? wcsnlen(text, cch) : 0;
    if (n >= cch)
        return FALSE;
    wmemcpy(out, text ? text : L"", n);
    out[n] = L'\0';
    return TRUE;
}

void CopyTextCut(LPWSTR out, DWORD cch, LPCWSTR text)
{
    size_t n = text ? wcsnlen(text, cch - 1) : 0;
    wmemcpy(out, text ? text : L"", n);
    out[n] = L'\0';
}
