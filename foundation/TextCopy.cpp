#include "TextCopy.h"

#include <cwchar>

BOOL CopyTextFits(LPWSTR out, DWORD cch, LPCWSTR text)
{
    size_t n = text ? wcslen(text) : 0;
    if (n >= cch)
        return FALSE;
    wmemcpy(out, text ? text : L"", n);
    out[n] = L'\0';
    return TRUE;
}

void CopyTextCut(LPWSTR out, DWORD cch, LPCWSTR text)
{
    size_t n = wcslen(text);
    if (n >= cch)
        n = cch - 1;
    wmemcpy(out, text, n);
    out[n] = L'\0';
}
