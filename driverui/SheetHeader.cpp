#include "SheetHeader.h"

#include "DriverModule.h"

namespace {

const WORD SHEET_HEADER_FLAGS = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
// The common property-sheet library's printer icon.
const ULONG_PTR SHEET_ICON_ID = 64062;

} // namespace

LONG FillSheetInfoHeader(LPARAM lParam, LPWSTR printerName)
{
    PPROPSHEETUI_INFO_HEADER header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
    if (!header)
        return FailSheetCall(ERROR_INVALID_PARAMETER);
    header->Flags = SHEET_HEADER_FLAGS;
    header->pTitle = printerName;
    header->hInst = g_hModule;
    header->IconID = SHEET_ICON_ID;
    return 1;
}

LONG FailSheetCall(DWORD error)
{
    SetLastError(error);
    return ERR_CPSUI_GETLASTERROR;
}
