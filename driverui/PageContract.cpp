#include "PageContract.h"

#include <prsht.h>

#include "PageTable.h"

UiData* TakePageUiData(HWND page, LPARAM initParam)
{
    const PROPSHEETPAGEW* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(initParam);
    UiData* ui = sheetPage ? reinterpret_cast<UiData*>(sheetPage->lParam) : nullptr;
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(ui));
    return ui;
}

UiData* GetPageUiData(HWND page)
{
    return reinterpret_cast<UiData*>(GetWindowLongPtrW(page, DWLP_USER));
}

void MarkSheetChanged(HWND page)
{
    PropSheet_Changed(GetParent(page), page);
}

BOOL IsApplyNotification(UINT message, LPARAM lParam)
{
    return message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY;
}

void ReportPageResult(const UiData* ui, WORD templateId)
{
    int row = ui ? GetPageRow(ui, templateId) : -1;
    if (row < 0 || !ui->pfnComPropSheet)
        return;
    ui->pfnComPropSheet(ui->hComPropSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(ui->hPages[row]), CPSUI_OK);
}
