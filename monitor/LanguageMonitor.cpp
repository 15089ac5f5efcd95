#include "LanguageMonitor.h"

#include "AsciiText.h"
#include "HelperLibrary.h"
#include "Platform.h"
#include "PortList.h"
#include "TextCopy.h"
#include "UsbPortDetection.h"
#include "Utilities.h"

#include <cwchar>

namespace {

// Read and write time-outs of the underlying port.
const DWORD kPortTimeOutMs = 10000;

Monitor2Table g_Monitor2;
MonitorRecord g_MonitorRecord;
PORT_OBJ* g_pPortList = nullptr;
// Serialises the opens and the job starts: the list, the detection and the
// loading of the helper library.
CRITICAL_SECTION g_csMonitor;
bool g_bInitialized = false;

void FillMonitorTable()
{
    ZeroMemory(&g_Monitor2, sizeof(g_Monitor2));
    g_Monitor2.cbSize = sizeof(g_Monitor2);
    g_Monitor2.pfnOpenPortEx = MonOpenPortEx;
    g_Monitor2.pfnStartDocPort = MonStartDocPort;
    g_Monitor2.pfnWritePort = MonWritePort;
    g_Monitor2.pfnReadPort = MonReadPort;
    g_Monitor2.pfnEndDocPort = MonEndDocPort;
    g_Monitor2.pfnClosePort = MonClosePort;
    g_Monitor2.pfnGetPrinterDataFromPort = MonGetPrinterDataFromPort;
    g_Monitor2.pfnShutdown = MonShutdown;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The decimal number at text; a number too large for 32 bits stays at the largest.
DWORD DecimalValue(LPCWSTR text)
{
    DWORD value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        const DWORD digit = static_cast<DWORD>(*text - L'0');
        value = value > (MAXDWORD - digit) / 10 ? MAXDWORD : value * 10 + digit;
    }
    return value;
}

// The port's kind: the number of a USB port, or the address of a Standard
// TCP/IP port. Found anew on every open, so a port changed in between shows
// its present state.
void DetectPortKind(PORT_OBJ* record, LPCWSTR portName)
{
    record->bTcpIp = 0;
    ZeroMemory(record->szIPAddress, sizeof(record->szIPAddress));
    record->dwTcpPort = 0;
    if (EqualPrefixIgnoringAsciiCase(portName, L"USB", 3)) {
        record->bNotUsb = 0;
        record->dwPortNumber = DecimalValue(portName + 3);
        return;
    }
    record->bNotUsb = 1;
    WCHAR address[PORT_ADDRESS_ROOM] = L"";
    DWORD tcpPort = 0;
    if (CheckIfTcpipPort(portName, address, PORT_ADDRESS_ROOM, &tcpPort)) {
        CopyTextCut(record->szIPAddress, PORT_ADDRESS_ROOM, address);
        record->dwTcpPort = tcpPort;
        record->bTcpIp = 1;
        ZeroMemory(record->szSymbolicLink, sizeof(record->szSymbolicLink));
    }
    DebugTrace(L"MonOpenPortEx(3), %ls, bNotUsb = %d, bTcpIp = %d, szIPAddress = %ls, dwTcpPort = %d,\n", portName,
               record->bNotUsb, record->bTcpIp, record->szIPAddress, record->dwTcpPort);
}

bool HasPortEntries(const Monitor2Table* monitor)
{
    return monitor && monitor->pfnOpenPort && monitor->pfnStartDocPort && monitor->pfnWritePort &&
           monitor->pfnReadPort && monitor->pfnClosePort;
}

// A write or a read for the helper library: passed over as done when the
// library or its entry point is missing; a result other than 0 is the error.
template <typename Entry>
BOOL HandOver(PORT_OBJ* record, Entry entry, LPBYTE buffer, DWORD count, LPDWORD done)
{
    if (!record->hDll.p || !entry)
        return TRUE;
    DWORD result = entry(record, buffer, count, done);
    if (result != 0)
        return Fail(result);
    return TRUE;
}

} // namespace

extern "C" Monitor2Table* WINAPI InitializePrintMonitor2(MONITORINIT* pMonitorInit, PHANDLE phMonitor)
{
    if (!phMonitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A second call before the shutdown keeps the records and the lock.
    if (!g_bInitialized) {
        InitializeCriticalSection(&g_csMonitor);
        g_pPortList = nullptr;
        FillMonitorTable();
        g_bInitialized = true;
    }
    g_MonitorRecord.cbSize = sizeof(g_MonitorRecord);
    g_MonitorRecord.pMonitorInit = pMonitorInit;
    *phMonitor = &g_MonitorRecord;
    SetLastError(ERROR_SUCCESS);
    return &g_Monitor2;
}

BOOL WINAPI MonOpenPortEx(HANDLE, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName, PHANDLE pHandle,
                          Monitor2Table* pMonitor2)
{
    DWORD error = ERROR_SUCCESS;
    BOOL answer = FALSE;
    PORT_OBJ* record = nullptr;
    if (!pPortName || !pPrinterName || !pHandle)
        return Fail(ERROR_INVALID_PARAMETER);

    EnterCriticalSection(&g_csMonitor);
    record = FindOrAddPortObj(&g_pPortList, pPrinterName, pPortName);
    if (!record) {
        error = GetLastError();
        goto leave;
    }
    DetectPortKind(record, pPortName);
    // The spooler holds the record from here on, also when the checks fail.
    *pHandle = record;
    if (!HasPortEntries(pMonitor2)) {
        error = ERROR_INVALID_PRINT_MONITOR;
        goto leave;
    }
    record->pMonitor2.p = pMonitor2;
    record->hMonitorPort.p = hMonitorPort;
    if (!pMonitor2->pfnOpenPort(hMonitorPort, pPortName, &record->hPort.p)) {
        // The port monitor's own reason stands; its handle is no port to close.
        error = GetLastError();
        record->hPort.p = nullptr;
        DebugTrace(L"MonOpenPortEx(6), pfnOpenPort(%ls) failed, error = %d,\n", pPortName, error);
        goto leave;
    }
    if (pMonitor2->pfnSetPortTimeOuts) {
        COMMTIMEOUTS timeOuts = {0, 0, kPortTimeOutMs, 0, kPortTimeOutMs};
        pMonitor2->pfnSetPortTimeOuts(record->hPort.p, &timeOuts, 0);
    }
    answer = TRUE;
leave:
    LeaveCriticalSection(&g_csMonitor);
    if (!answer)
        SetLastError(error);
    return answer;
}

BOOL WINAPI MonStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD, LPBYTE pDocInfo)
{
    auto record = static_cast<PORT_OBJ*>(hPort);
    WCHAR docName[PORT_DOCNAME_ROOM] = L"";
    DWORD error = ERROR_SUCCESS, result = 0;
    BOOL answer = FALSE;
    if (!record || !pPrinterName || wcsnlen(pPrinterName, PORT_PRINTER_ROOM) == PORT_PRINTER_ROOM)
        return Fail(ERROR_INVALID_PARAMETER);
    // Levels 1 and 2 both begin with the document name.
    if (pDocInfo)
        CopyTextCut(docName, PORT_DOCNAME_ROOM, reinterpret_cast<const DOC_INFO_1W*>(pDocInfo)->pDocName);

    EnterCriticalSection(&g_csMonitor);
    DetectPortModel(record);
    CopyTextFits(record->szPrinterName, PORT_PRINTER_ROOM, pPrinterName);
    CopyTextCut(record->szDocName, PORT_DOCNAME_ROOM, docName);
    record->JobId = JobId;
    if (!record->hDll.p && !LoadHelperLibrary(record)) {
        error = GetLastError();
        goto leave;
    }
    if (!record->pfnLM_StartDocPort.p) {
        error = ERROR_PROC_NOT_FOUND;
        goto leave;
    }
    result = record->pfnLM_StartDocPort.p(record);
    DebugTrace(L"MonStartDocPort(6), LM_StartDocPort return %d,\n", result);
    if (result != 0) {
        error = result;
        goto leave;
    }
    answer = TRUE;
leave:
    LeaveCriticalSection(&g_csMonitor);
    if (!answer)
        SetLastError(error);
    return answer;
}

BOOL WINAPI MonWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten)
{
    auto record = static_cast<PORT_OBJ*>(hPort);
    if (!record || !pcbWritten || (!pBuffer && cbBuf != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    *pcbWritten = cbBuf;
    // Without the helper the job's start has failed already; a failed write
    // would only make the spooler offer the same bytes again and again, with
    // nobody to take them, and hold up the printer's queue.
    return HandOver(record, record->pfnLM_WritPort.p, pBuffer, cbBuf, pcbWritten);
}

BOOL WINAPI MonReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead)
{
    auto record = static_cast<PORT_OBJ*>(hPort);
    if (!record || !pcbRead || (!pBuffer && cbBuffer != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    // The helper is handed the full count, as for writes, and may rely on it;
    // without a helper nothing was read, so nothing is reported as read.
    const bool helper = record->hDll.p && record->pfnLM_ReadPort.p;
    *pcbRead = helper ? cbBuffer : 0;
    return HandOver(record, record->pfnLM_ReadPort.p, pBuffer, cbBuffer, pcbRead);
}

BOOL WINAPI MonEndDocPort(HANDLE hPort)
{
    auto record = static_cast<PORT_OBJ*>(hPort);
    if (!record)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!record->hDll.p)
        return TRUE;
    if (record->pfnLM_EndDocPort.p && record->pfnLM_EndDocPort.p(record) != 0)
        return TRUE;
    UnloadHelperLibrary(record);
    return TRUE;
}

BOOL WINAPI MonClosePort(HANDLE hPort)
{
    auto record = static_cast<PORT_OBJ*>(hPort);
    if (!record)
        return Fail(ERROR_INVALID_PARAMETER);
    if (record->hPort.p && record->hPort.p != INVALID_HANDLE_VALUE && record->pMonitor2.p) {
        record->pMonitor2.p->pfnClosePort(record->hPort.p);
        record->hPort.p = nullptr;
    }
    return TRUE;
}

BOOL WINAPI MonGetPrinterDataFromPort(HANDLE, DWORD, LPWSTR, LPWSTR, DWORD, LPWSTR, DWORD, LPDWORD)
{
    return Fail(ERROR_INVALID_PARAMETER);
}

VOID WINAPI MonShutdown(HANDLE)
{
    if (!g_bInitialized)
        return;
    DeleteCriticalSection(&g_csMonitor);
    FreePortList(&g_pPortList);
    g_bInitialized = false;
}
