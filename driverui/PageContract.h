// What every page of the sheet does the same way: it keeps the sheet's
// UiData in its DWLP_USER slot, marks the sheet changed, and at PSN_APPLY
// reports CPSUI_OK for its own entry of hPages through the host.
#pragma once

#include <windows.h>

#include "UiData.h"

// At WM_INITDIALOG: the UiData of the PROPSHEETPAGE that lParam points to,
// kept in the page's DWLP_USER slot.
UiData* TakePageUiData(HWND page, LPARAM initParam);
// The UiData the page keeps, or NULL before WM_INITDIALOG.
UiData* GetPageUiData(HWND page);
// PSM_CHANGED to the sheet.
void MarkSheetChanged(HWND page);
// TRUE for the sheet's PSN_APPLY; a WM_NOTIFY without its header is none.
BOOL IsApplyNotification(UINT message, LPARAM lParam);
// pfnComPropSheet(hComPropSheet, CPSFUNC_SET_RESULT, own entry, CPSUI_OK),
// the own entry being the row of the page's template in the table in use;
// nothing without a host or when the table lacks the template.
void ReportPageResult(const UiData* ui, WORD templateId);
