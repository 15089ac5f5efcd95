// DrvDeviceCapabilities: what the driver can do, answered from its defaults
// merged with the caller's DEVMODE.
#include "DevMode.h"

#include "DriverUi.h"
#include "ModelFlags.h"
#include "PaperTable.h"
#include "Platform.h"
#include "PrinterInfo.h"
#include "TextCopy.h"

#include <cstring>
#include <new>

namespace {

const DWORD CAPABILITY_FAILED = static_cast<DWORD>(-1);
const WORD LAST_CAPABILITY = DC_COLORDEVICE;
const LONG RESOLUTION = 300;
const DWORD ORIENTATION_DEGREES = 90;
const DWORD MAX_COPIES = 99;

// A name in its fixed slot of the output, the rest of the slot zeroed.
void WriteName(PVOID output, DWORD room, LPCWSTR name)
{
    LPWSTR slot = static_cast<LPWSTR>(output);
    memset(slot, 0, room * sizeof(WCHAR));
    size_t n = wcsnlen(name, room);
    memcpy(slot, name, n * sizeof(WCHAR));
}

// The printer reports duplex unless its driver is a one-sided model; a
// printer whose information cannot be read reports none. The spooler's
// client passes no handle, only the printer's name.
DWORD Duplex(HANDLE printer, LPCWSTR printerName)
{
    PRINTER_INFO_2W* info = GetPrinterInfo2ByHandleOrName(printer, printerName);
    if (!info)
        return 0;
    DWORD answer = IsOneSidedDriver(PrinterInfoText(info->pDriverName)) ? 0 : 1;
    delete[] reinterpret_cast<BYTE*>(info);
    return answer;
}

DWORD Answer(HANDLE printer, LPCWSTR printerName, WORD capability, PVOID output, const DEVMODEW* devMode)
{
    const PaperTableRow& paper = PaperTable[0];
    switch (capability) {
    case DC_FIELDS:
        return devMode->dmFields;
    case DC_PAPERS:
        if (output)
            *static_cast<WORD*>(output) = paper.wPaperId;
        return 1;
    case DC_PAPERSIZE:
        if (output) {
            POINT size = {paper.wWidth, paper.wLength};
            memcpy(output, &size, sizeof(size));
        }
        return 1;
    case DC_MINEXTENT:
    case DC_MAXEXTENT:
        return MAKELONG(paper.wWidth, paper.wLength);
    case DC_BINS:
        if (output)
            *static_cast<WORD*>(output) = REPORTED_BIN;
        return 1;
    case DC_DUPLEX:
        return Duplex(printer, printerName);
    case DC_SIZE:
        return devMode->dmSize;
    case DC_EXTRA:
        return devMode->dmDriverExtra;
    case DC_VERSION:
        return devMode->dmSpecVersion;
    case DC_DRIVER:
        return devMode->dmDriverVersion;
    case DC_BINNAMES:
        if (output)
            WriteName(output, BIN_NAME_ROOM, BinNames[0]);
        return 1;
    case DC_ENUMRESOLUTIONS:
        if (output) {
            LONG resolutions[2] = {RESOLUTION, RESOLUTION};
            memcpy(output, resolutions, sizeof(resolutions));
        }
        return 1;
    case DC_FILEDEPENDENCIES:
        if (output)
            *static_cast<WORD*>(output) = 0;
        return 0;
    case DC_TRUETYPE:
        return 1;
    case DC_PAPERNAMES:
    case DC_MEDIAREADY:
        if (output)
            WriteName(output, PAPER_NAME_ROOM, paper.pszFormName);
        return 1;
    case DC_ORIENTATION:
        return ORIENTATION_DEGREES;
    case DC_COPIES:
        return MAX_COPIES;
    case DC_COLLATE:
    case DC_STAPLE:
        return 0;
    case DC_COLORDEVICE:
        return 1;
    default:
        SetLastError(ERROR_NOT_SUPPORTED);
        return CAPABILITY_FAILED;
    }
}

} // namespace

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                                              PDEVMODEW pDevMode)
{
    DWORD answer = CAPABILITY_FAILED;
    const DWORD callerError = GetLastError();
    DEVMODEW* merged = reinterpret_cast<DEVMODEW*>(new (std::nothrow) BYTE[DEVMODE_TOTAL_SIZE]);
    if (!merged) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        goto done;
    }
    SetDefaultDevMode(hPrinter, merged, pDeviceName);
    // A DEVMODE that cannot be merged leaves the driver's defaults to answer.
    if (!MergeDevMode(hPrinter, merged, pDevMode))
        SetLastError(callerError);
    if (iDevCap == 0 || iDevCap > LAST_CAPABILITY) {
        SetLastError(ERROR_NOT_SUPPORTED);
        goto done;
    }
    answer = Answer(hPrinter, pDeviceName, iDevCap, pvOutput, merged);
done:
    delete[] reinterpret_cast<BYTE*>(merged);
    DebugTrace(L"DrvDeviceCapabilities(), capability = %u, answer = %d,\n", iDevCap, static_cast<LONG>(answer));
    return answer;
}
