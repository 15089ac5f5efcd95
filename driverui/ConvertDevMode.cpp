// DrvConvertDevMode: the spooler's conversion of a DEVMODE into the caller's
// buffer, and the driver's defaults on request.
#include "DevMode.h"

#include "DriverUi.h"
#include "Platform.h"

namespace {

DWORD WholeSize(const DEVMODEW* devMode)
{
    return static_cast<DWORD>(devMode->dmSize) + devMode->dmDriverExtra;
}

BOOL Convert(PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded)
{
    if (!pdmOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONG needed = static_cast<LONG>(WholeSize(pdmOut));
    if (*pcbNeeded < needed) {
        *pcbNeeded = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (CopyDevMode(pdmIn, pdmOut) < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pcbNeeded = needed;
    return TRUE;
}

BOOL WriteDefaults(LPWSTR pPrinterName, PDEVMODEW pdmOut, PLONG pcbNeeded)
{
    const LONG room = *pcbNeeded;
    *pcbNeeded = DEVMODE_TOTAL_SIZE;
    if (room < static_cast<LONG>(DEVMODE_TOTAL_SIZE) || !pdmOut) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return SetDefaultDevMode(nullptr, pdmOut, pPrinterName);
}

} // namespace

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                         DWORD fMode)
{
    BOOL ok = FALSE;
    DebugTrace(L"DrvConvertDevMode(%ls), fMode = %u,\n", pPrinterName ? pPrinterName : L"", fMode);
    if (!pcbNeeded)
        SetLastError(ERROR_INVALID_PARAMETER);
    else if (fMode == CDM_CONVERT)
        ok = Convert(pdmIn, pdmOut, pcbNeeded);
    else if (fMode == CDM_DRIVER_DEFAULT)
        ok = WriteDefaults(pPrinterName, pdmOut, pcbNeeded);
    else
        SetLastError(ERROR_INVALID_PARAMETER);
    return ok;
}
