// The spooler's PRINTER_INFO_2 of an open printer.
#pragma once

#include <windows.h>

// The largest PRINTER_INFO_2 taken from the spooler.
const DWORD PRINTER_INFO_LIMIT = 1024 * 1024;

// The record in a zeroed buffer of at least the size the spooler asks for,
// allocated with new[] (the caller frees it with delete[] of BYTE). NULL with
// the last error when it cannot be read: the spooler's own error,
// ERROR_INSUFFICIENT_BUFFER for a record above PRINTER_INFO_LIMIT,
// ERROR_NOT_ENOUGH_MEMORY.
PRINTER_INFO_2W* GetPrinterInfo2(HANDLE printer);
// The same for a caller that may hold no handle: without one, the printer
// named is opened for the read and closed again (the spooler's client calls
// a driver that way). Without a handle or a name it fails as GetPrinterInfo2
// does; a name that does not open fails with OpenPrinterW's error.
PRINTER_INFO_2W* GetPrinterInfo2ByHandleOrName(HANDLE printer, LPCWSTR printerName);
// The record's text (NULL counts as empty).
inline LPCWSTR PrinterInfoText(LPCWSTR text)
{
    return text ? text : L"";
}
