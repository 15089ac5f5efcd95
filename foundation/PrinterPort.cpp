// The printer's driver and port, the printer behind a driver and port, and
// the Standard TCP/IP port test.
#include "Utilities.h"

#include "Platform.h"
#include "PrinterInfo.h"
#include "PrinterKeyPath.h"
#include "Registry.h"
#include "TextCopy.h"

#include <cwchar>

namespace {

// Room of the values read from a port key.
const DWORD PORT_VALUE_ROOM = 260;
// A host name is taken as an address only from this length on.
const size_t HOST_ADDRESS_MIN = 8;

// Copies text into out (room PRINTER_NAME_ROOM) when given; FALSE when it does not fit.
BOOL CopyName(LPWSTR out, LPCWSTR text)
{
    return !out || CopyTextFits(out, PRINTER_NAME_ROOM, text);
}

DWORD AskSpooler(LPCWSTR printerName, LPWSTR driverOut, LPWSTR portOut)
{
    DWORD result = ERROR_SUCCESS;
    HANDLE printer = nullptr;
    PRINTER_INFO_2W* info = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, nullptr)) {
        result = GetLastError();
        printer = nullptr;
        goto done;
    }
    info = GetPrinterInfo2(printer);
    if (!info) {
        result = GetLastError();
        if (result != ERROR_NOT_ENOUGH_MEMORY)
            result |= 0x80070000;
        goto done;
    }
    if (!CopyName(driverOut, info->pDriverName) || !CopyName(portOut, info->pPortName)) {
        CopyName(driverOut, L"");
        CopyName(portOut, L"");
        result = ERROR_INSUFFICIENT_BUFFER;
    }
done:
    if (printer)
        ClosePrinter(printer);
    delete[] reinterpret_cast<BYTE*>(info);
    DebugTrace(L"GetPrinterDriverAndPort(), spooler answer for %ls = 0x%08X,\n", printerName, result);
    return result;
}

bool IsDottedText(LPCWSTR text)
{
    for (; *text; ++text)
        if (!((*text >= L'0' && *text <= L'9') || *text == L'.'))
            return false;
    return true;
}

} // namespace

DWORD GetPrinterDriverAndPort(LPCWSTR printerName, LPWSTR driverOut, LPWSTR portOut)
{
    DWORD result = ERROR_SUCCESS;
    WCHAR path[PRINTER_KEY_PATH_ROOM];
    HKEY key = nullptr;
    if (!printerName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    if (!BuildKeyPath(path, PRINTERS_KEY, printerName, nullptr, ERROR_INVALID_PRINTER_NAME))
        return ERROR_INVALID_PRINTER_NAME;

    if (RegOpenForRead(HKEY_LOCAL_MACHINE, path, FALSE, &key) != ERROR_SUCCESS) {
        result = AskSpooler(printerName, driverOut, portOut);
    } else {
        // A value that is missing fails the call even when the other was read.
        if (driverOut)
            result = RegReadText(key, L"Printer Driver", driverOut, PRINTER_NAME_ROOM);
        if (portOut) {
            LSTATUS status = RegReadText(key, L"Port", portOut, PRINTER_NAME_ROOM);
            if (result == ERROR_SUCCESS)
                result = status;
        }
        RegCloseKey(key);
    }
    DebugTrace(L"GetPrinterDriverAndPort(), %ls, result = %d,\n", printerName, result);
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}

DWORD FindPrinterByDriverAndPort(LPCWSTR driverName, LPCWSTR portName, LPWSTR printerOut)
{
    HKEY printers = nullptr;
    if (!driverName || !portName || !printerOut)
        return 0;
    if (RegOpenForRead(HKEY_LOCAL_MACHINE, PRINTERS_KEY, FALSE, &printers) != ERROR_SUCCESS)
        return 0;
    WCHAR name[512];
    for (DWORD index = 0;; ++index) {
        DWORD cch = 512;
        LSTATUS status = RegEnumKeyExW(printers, index, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        HKEY printer = nullptr;
        if (RegOpenForRead(printers, name, FALSE, &printer) != ERROR_SUCCESS)
            continue;
        WCHAR driver[PRINTER_NAME_ROOM], port[PRINTER_NAME_ROOM];
        RegReadText(printer, L"Printer Driver", driver, PRINTER_NAME_ROOM);
        RegReadText(printer, L"Port", port, PRINTER_NAME_ROOM);
        RegCloseKey(printer);
        // A name that does not fit the caller's room is no answer.
        if (_wcsicmp(driver, driverName) == 0 && _wcsicmp(port, portName) == 0 && cch < PRINTER_NAME_ROOM) {
            wmemcpy(printerOut, name, cch + 1);
            DebugTrace(L"FindPrinterByDriverAndPort(), %ls,\n", printerOut);
            break;
        }
    }
    RegCloseKey(printers);
    return 0;
}

BOOL CheckIfTcpipPort(LPCWSTR portName, LPWSTR addressOut, DWORD cchAddress, DWORD* portNumberOut)
{
    WCHAR path[PRINTER_KEY_PATH_ROOM];
    WCHAR value[PORT_VALUE_ROOM];
    HKEY key = nullptr;
    BOOL result = FALSE;
    DWORD portNumber = 0;
    LSTATUS status;
    if (!portName || !addressOut || cchAddress == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!BuildKeyPath(path, TCPIP_PORTS_KEY, portName, nullptr, ERROR_UNKNOWN_PORT))
        return FALSE;
    status = RegOpenForRead(HKEY_LOCAL_MACHINE, path, FALSE, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    status = RegReadText(key, L"IPAddress", value, PORT_VALUE_ROOM);
    DebugTrace(L"CheckIfTcpipPort(), RegQueryValueEx(IPAddress) return %d, IPAddress = %ls,\n", status, value);
    if (status == ERROR_SUCCESS) {
        CopyTextCut(addressOut, cchAddress, value);
        if (value[0]) {
            result = TRUE;
        } else {
            status = RegReadText(key, L"HostName", value, PORT_VALUE_ROOM);
            DebugTrace(L"CheckIfTcpipPort(), RegQueryValueEx(HostName) return %d, HostName = %ls,\n", status, value);
            // Names are never resolved: only a dotted address stands in for one.
            if (status == ERROR_SUCCESS && wcslen(value) >= HOST_ADDRESS_MIN && IsDottedText(value)) {
                CopyTextCut(addressOut, cchAddress, value);
                result = TRUE;
            }
        }
    }
    if (RegReadDword(key, L"PortNumber", &portNumber) == ERROR_SUCCESS && portNumber != 0 && portNumberOut)
        *portNumberOut = portNumber;
    DebugTrace(L"CheckIfTcpipPort(), PortNumber = %d, result = %d,\n", portNumber, result);
    RegCloseKey(key);
    return result;
}
