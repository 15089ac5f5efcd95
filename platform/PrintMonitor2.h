// The spooler's print-monitor table as Windows 7 and later know it: the
// toolchain's MONITOR2 ends before pfnPowerEvent, so its size is not the one
// the spooler and the port monitors below a language monitor use. Only the
// entries a language monitor calls or fills carry their types; the others
// keep their places as plain pointers.
//
// Not for files that include <winsplp.h>: its MONITORINIT and its
// InitializePrintMonitor2 are the same names with the shorter table.
#pragma once

#include <windows.h>

#include <cstddef>

// What the spooler hands to InitializePrintMonitor2. The registry functions
// are the spooler's; a language monitor only keeps the pointer.
struct MONITORINIT {
    DWORD cbSize;
    HANDLE hSpooler;
    HANDLE hckRegistryRoot;
    PVOID pMonitorReg;
    BOOL bLocal;
    LPCWSTR pszServerName;
};

struct Monitor2Table {
    DWORD cbSize;
    PVOID pfnEnumPorts;
    BOOL(WINAPI* pfnOpenPort)(HANDLE hMonitor, LPWSTR pName, PHANDLE pHandle);
    BOOL(WINAPI* pfnOpenPortEx)(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName,
                                PHANDLE pHandle, Monitor2Table* pMonitor2);
    BOOL(WINAPI* pfnStartDocPort)(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
    BOOL(WINAPI* pfnWritePort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
    BOOL(WINAPI* pfnReadPort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
    BOOL(WINAPI* pfnEndDocPort)(HANDLE hPort);
    BOOL(WINAPI* pfnClosePort)(HANDLE hPort);
    PVOID pfnAddPort;
    PVOID pfnAddPortEx;
    PVOID pfnConfigurePort;
    PVOID pfnDeletePort;
    BOOL(WINAPI* pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                            DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                            LPDWORD lpcbReturned);
    BOOL(WINAPI* pfnSetPortTimeOuts)(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD reserved);
    PVOID pfnXcvOpenPort;
    PVOID pfnXcvDataPort;
    PVOID pfnXcvClosePort;
    VOID(WINAPI* pfnShutdown)(HANDLE hMonitor);
    PVOID pfnSendRecvBidiDataFromPort;
    PVOID pfnNotifyUsedPorts;
    PVOID pfnNotifyUnusedPorts;
    PVOID pfnPowerEvent;
};

// cbSize, its padding in the 64-bit layout, and 22 entries.
#ifdef _WIN64
static_assert(sizeof(Monitor2Table) == 184, "MONITOR2 of the 64-bit spooler");
static_assert(offsetof(Monitor2Table, pfnEnumPorts) == 8, "first entry after the padded size");
#else
static_assert(sizeof(Monitor2Table) == 92, "MONITOR2 of the 32-bit spooler");
static_assert(offsetof(Monitor2Table, pfnEnumPorts) == 4, "first entry after the size");
#endif
static_assert(offsetof(Monitor2Table, pfnShutdown) == offsetof(Monitor2Table, pfnEnumPorts) + 17 * sizeof(PVOID),
              "pfnShutdown is the 18th entry");
static_assert(offsetof(Monitor2Table, pfnPowerEvent) == sizeof(Monitor2Table) - sizeof(PVOID),
              "pfnPowerEvent ends the table");
