// QelMon, the language monitor the spooler loads above a USB or Standard
// TCP/IP port monitor: its MONITOR2 table and entries. Every job of a card
// printer passes through here on its way to the helper library QelLMhlp.
#pragma once

#include "PortObj.h"

// What the monitor handle given to the spooler points at.
struct MonitorRecord {
    DWORD cbSize;
    MONITORINIT* pMonitorInit;
};
#ifdef _WIN64
static_assert(sizeof(MonitorRecord) == 16, "the monitor record holds 16 and the MONITORINIT pointer");
#endif

extern "C" Monitor2Table* WINAPI InitializePrintMonitor2(MONITORINIT* pMonitorInit, PHANDLE phMonitor);

BOOL WINAPI MonOpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName,
                          PHANDLE pHandle, Monitor2Table* pMonitor2);
BOOL WINAPI MonStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
BOOL WINAPI MonWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
BOOL WINAPI MonReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
BOOL WINAPI MonEndDocPort(HANDLE hPort);
BOOL WINAPI MonClosePort(HANDLE hPort);
BOOL WINAPI MonGetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                      DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                      LPDWORD lpcbReturned);
VOID WINAPI MonShutdown(HANDLE hMonitor);
