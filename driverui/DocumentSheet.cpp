// DrvDocumentPropertySheets: the printing-preferences sheet through the
// common property-sheet host, and the same DEVMODE road without a sheet.
#include "DevMode.h"
#include "DriverUi.h"
#include "PageTable.h"
#include "Platform.h"
#include "SheetHeader.h"
#include "TextCopy.h"
#include "UiData.h"

namespace {

// Room of a page title.
const DWORD PAGE_TITLE_ROOM = 256;
const DWORD DEVMODE_OUT_MODES = DM_UPDATE | DM_COPY;

// Takes back the pages added so far, last first.
void RemovePages(UiData* ui, DWORD count)
{
    while (count > 0) {
        --count;
        ui->pfnComPropSheet(ui->hComPropSheet, CPSFUNC_DELETE_HCOMPROPSHEET,
                            reinterpret_cast<LPARAM>(ui->hPages[count]), 0);
        ui->hPages[count] = nullptr;
    }
}

// Adds the pages of the block's table in row order. A page the host refuses
// takes back the pages added before it, so that the host keeps none that
// would point at the freed block.
BOOL AddDocumentPages(PPROPSHEETUI_INFO info, UiData* ui)
{
    DWORD rows = 0;
    const PageTableRow* table = GetPageTable(ui, &rows);
    if (!info->pfnComPropSheet) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD callerError = GetLastError();
    ui->hComPropSheet = info->hComPropSheet;
    ui->pfnComPropSheet = info->pfnComPropSheet;
    for (DWORD row = 0; row < rows; ++row) {
        WCHAR title[PAGE_TITLE_ROOM];
        ui->Translater.SetSection(table[row].pszTitle);
        CopyTextCut(title, PAGE_TITLE_ROOM, ui->Translater.Translate(table[row].pszTitle));
        PROPSHEETPAGEW_V4 page = {};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_USETITLE;
        page.hInstance = ui->hModule;
        page.pszTemplate = MAKEINTRESOURCEW(table[row].wTemplateId);
        page.pfnDlgProc = table[row].pfnDlgProc;
        page.lParam = reinterpret_cast<LPARAM>(ui);
        page.pszTitle = title;
        SetLastError(ERROR_SUCCESS);
        HANDLE added = reinterpret_cast<HANDLE>(ui->pfnComPropSheet(
            ui->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0));
        if (!added) {
            DWORD error = GetLastError();
            DebugTrace(L"AddDocumentPages(), page %u refused, error = %u,\n", row, error);
            RemovePages(ui, row);
            SetLastError(error ? error : ERROR_GEN_FAILURE);
            return FALSE;
        }
        ui->hPages[row] = added;
    }
    info->UserData = reinterpret_cast<ULONG_PTR>(ui);
    info->Result = 0;
    SetLastError(callerError);
    return TRUE;
}

// Without a sheet: the size of the driver's DEVMODE, or the caller's DEVMODE
// merged and handed back. cbOut only answers the size: the spooler's client
// fills it from whatever pdmOut held, and the caller sized pdmOut from the
// size query.
LONG SimpleDocumentProperties(PDOCUMENTPROPERTYHEADER header)
{
    header->cbOut = DEVMODE_TOTAL_SIZE;
    if (header->fMode == 0 || !header->pdmOut)
        return DEVMODE_TOTAL_SIZE;
    UiData* ui = FillUiData(header->hPrinter, header->pdmIn, header->pszPrinterName);
    if (!ui)
        return ERR_CPSUI_GETLASTERROR;
    LONG answer = 1;
    if ((header->fMode & DEVMODE_OUT_MODES) &&
        !ReturnDevMode(&ui->DevMode.dmPublic, header->pdmIn, header->pdmOut))
        answer = ERR_CPSUI_GETLASTERROR;
    DWORD error = GetLastError();
    FreeUiData(ui);
    SetLastError(error);
    return answer;
}

LONG InitSheet(PPROPSHEETUI_INFO info, PDOCUMENTPROPERTYHEADER header)
{
    // One sheet, one block: a repeated INIT keeps the first.
    if (info->UserData)
        return FailSheetCall(ERROR_ALREADY_INITIALIZED);
    UiData* ui = FillUiData(header->hPrinter, header->pdmIn, header->pszPrinterName);
    if (!ui)
        return ERR_CPSUI_GETLASTERROR;
    if (!AddDocumentPages(info, ui)) {
        DWORD error = GetLastError();
        FreeUiData(ui);
        return FailSheetCall(error);
    }
    return 1;
}

LONG SetSheetResult(PPROPSHEETUI_INFO info, PDOCUMENTPROPERTYHEADER header, UiData* ui, LPARAM lParam)
{
    const SETRESULT_INFO* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
    if (!result)
        return FailSheetCall(ERROR_INVALID_PARAMETER);
    if (result->Result == CPSUI_OK && (header->fMode & DEVMODE_OUT_MODES) &&
        !ReturnDevMode(&ui->DevMode.dmPublic, header->pdmIn, header->pdmOut))
        return ERR_CPSUI_GETLASTERROR;
    info->Result = result->Result;
    return 1;
}

} // namespace

extern "C" LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    PDOCUMENTPROPERTYHEADER header =
        reinterpret_cast<PDOCUMENTPROPERTYHEADER>(pPSUIInfo ? pPSUIInfo->lParamInit : lParam);
    DebugTrace(L"DrvDocumentPropertySheets(), reason = %d,\n", pPSUIInfo ? pPSUIInfo->Reason : -1);
    if (!header)
        return FailSheetCall(ERROR_INVALID_PARAMETER);
    if (!pPSUIInfo)
        return SimpleDocumentProperties(header);
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_INIT)
        return InitSheet(pPSUIInfo, header);
    UiData* ui = reinterpret_cast<UiData*>(pPSUIInfo->UserData);
    if (!ui)
        return FailSheetCall(ERROR_INVALID_PARAMETER);
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillSheetInfoHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
        // The host may destroy twice; the block is freed once.
        pPSUIInfo->UserData = 0;
        FreeUiData(ui);
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT:
        return SetSheetResult(pPSUIInfo, header, ui, lParam);
    default:
        return FailSheetCall(ERROR_NOT_SUPPORTED);
    }
}
