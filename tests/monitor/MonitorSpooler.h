// CMonitorSpooler: plays the spooler for QelMon. It loads QelMon.dll the way
// the spooler does, initialises it, calls its table's entries and shuts it
// down; and it puts the test build of the helper library into the driver
// directory, where the monitor looks for it.
#pragma once

#include <windows.h>

#include <string>

#include "FakePortMonitor.h"
#include "HelperControl.h"
#include "PrintMonitor2.h"

class CMonitorSpooler {
public:
    CMonitorSpooler();
    // Shuts the monitor down when it runs and unloads the library.
    ~CMonitorSpooler();
    CMonitorSpooler(const CMonitorSpooler&) = delete;
    CMonitorSpooler& operator=(const CMonitorSpooler&) = delete;

    // LoadLibraryW("QelMon.dll") and InitializePrintMonitor2.
    BOOL Start();
    void Shutdown();

    HMODULE Module() const { return m_hModule; }
    Monitor2Table* Table() const { return m_pTable; }
    HANDLE Monitor() const { return m_hMonitor; }
    MONITORINIT* Init() { return &m_init; }

    // The spooler's calls, with its writable copies of the texts. Open gives
    // the record in *handle; StartDoc passes a level-1 DOC_INFO with the
    // document name (docName NULL: no DOC_INFO).
    BOOL Open(CFakePortMonitor& below, LPCWSTR port, LPCWSTR printer, HANDLE* handle);
    BOOL StartDoc(HANDLE port, LPCWSTR printer, DWORD jobId, LPCWSTR docName);

    // The helper library in the driver directory.
    static std::wstring DriverDirectory();
    static std::wstring HelperPath();
    static BOOL InstallHelper();
    static BOOL RemoveHelper();
    static bool IsHelperLoaded();

private:
    HMODULE m_hModule;
    Monitor2Table* m_pTable;
    HANDLE m_hMonitor;
    MONITORINIT m_init;
};

// The record behind a port handle, read by offset.
inline const BYTE* RecordOf(HANDLE port)
{
    return static_cast<const BYTE*>(port);
}
