#include "AlertWindowTitle.h"

#include "TextCopy.h"

#include <initializer_list>

void FormatAlertWindowTitle(LPWSTR out, DWORD cch, LPCWSTR printer, LPCWSTR port)
{
    WCHAR title[ALERT_TITLE_MAX + 1];
    size_t n = 0;
    for (LPCWSTR part : {printer, L" @ ", port}) {
        for (LPCWSTR p = part ? part : L""; *p && n < ALERT_TITLE_MAX; ++p)
            title[n++] = *p;
    }
    title[n] = L'\0';
    CopyTextCut(out, cch, title);
}
