#include "EmptyPage.h"

#include <prsht.h>

#include "PageContract.h"

INT_PTR EmptyPageProc(HWND page, UINT message, WPARAM, LPARAM lParam, WORD templateId)
{
    if (message == WM_INITDIALOG) {
        TakePageUiData(page, lParam);
        return FALSE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY)
        ReportPageResult(GetPageUiData(page), templateId);
    return FALSE;
}
