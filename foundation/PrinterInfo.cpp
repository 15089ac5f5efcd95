#include "PrinterInfo.h"

#include "Platform.h"

#include <new>

PRINTER_INFO_2W* GetPrinterInfo2(HANDLE printer)
{
    DWORD needed = 0, size = 0, error = ERROR_SUCCESS;
    const DWORD callerError = GetLastError();
    BYTE* buffer = nullptr;
    if (!GetPrinterW(printer, 2, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        needed = 0;
    if (needed == 0 || needed > PRINTER_INFO_LIMIT) {
        error = needed ? ERROR_INSUFFICIENT_BUFFER : GetLastError();
        goto done;
    }
    // Whole pages, always more than asked for: the record may grow between the calls.
    size = (needed / 4096 + 1) * 4096;
    buffer = new (std::nothrow) BYTE[size]();
    if (!buffer) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    if (!GetPrinterW(printer, 2, buffer, size, &needed)) {
        error = GetLastError();
        delete[] buffer;
        buffer = nullptr;
    }
done:
    DebugTrace(L"GetPrinterInfo2(), needed = %u, error = %u,\n", needed, error);
    if (!buffer) {
        // A spooler that failed without saying why still fails.
        SetLastError(error ? error : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    SetLastError(callerError);
    return reinterpret_cast<PRINTER_INFO_2W*>(buffer);
}

PRINTER_INFO_2W* GetPrinterInfo2ByHandleOrName(HANDLE printer, LPCWSTR printerName)
{
    if (printer || !printerName || !*printerName)
        return GetPrinterInfo2(printer);
    const DWORD callerError = GetLastError();
    HANDLE named = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &named, nullptr)) {
        const DWORD error = GetLastError();
        DebugTrace(L"GetPrinterInfo2ByHandleOrName(), %ls does not open, error = %u,\n", printerName, error);
        SetLastError(error ? error : ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    PRINTER_INFO_2W* info = GetPrinterInfo2(named);
    const DWORD error = info ? callerError : GetLastError();
    ClosePrinter(named);
    SetLastError(error);
    return info;
}
