// DrvDevicePropertySheets: the printer-properties sheet gets one bare page;
// the device settings have no page of their own.
#include "DriverModule.h"
#include "DriverUi.h"
#include "Platform.h"
#include "SheetHeader.h"

extern "C" LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    PDEVICEPROPERTYHEADER header = pPSUIInfo ? reinterpret_cast<PDEVICEPROPERTYHEADER>(pPSUIInfo->lParamInit) : nullptr;
    DebugTrace(L"DrvDevicePropertySheets(), reason = %d,\n", pPSUIInfo ? pPSUIInfo->Reason : -1);
    if (!header)
        return FailSheetCall(ERROR_INVALID_PARAMETER);
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        if (!pPSUIInfo->pfnComPropSheet)
            return FailSheetCall(ERROR_INVALID_PARAMETER);
        PROPSHEETPAGEW_V4 page = {};
        page.dwSize = sizeof(page);
        page.hInstance = g_hModule;
        const DWORD callerError = GetLastError();
        SetLastError(ERROR_SUCCESS);
        if (!pPSUIInfo->pfnComPropSheet(pPSUIInfo->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                        reinterpret_cast<LPARAM>(&page), 0)) {
            DWORD error = GetLastError();
            return FailSheetCall(error ? error : ERROR_GEN_FAILURE);
        }
        pPSUIInfo->Result = 0;
        SetLastError(callerError);
        return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillSheetInfoHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        const SETRESULT_INFO* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (!result)
            return FailSheetCall(ERROR_INVALID_PARAMETER);
        pPSUIInfo->Result = result->Result;
        return 1;
    }
    default:
        return FailSheetCall(ERROR_NOT_SUPPORTED);
    }
}
