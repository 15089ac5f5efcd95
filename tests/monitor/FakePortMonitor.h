// CFakePortMonitor: the port monitor below QelMon (USB or Standard TCP/IP),
// as a MONITOR2 table whose entries log their calls. Each opened port gets a
// handle of its own. Switches leave an entry out or make the open fail.
// One instance at a time: the entries are plain functions.
#pragma once

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "PrintMonitor2.h"

class CFakePortMonitor {
public:
    // Handle of the first port opened; the next ones count up.
    static constexpr ULONG_PTR FIRST_PORT_HANDLE = 0x5100;
    // The monitor handle the spooler gave this monitor.
    static constexpr ULONG_PTR MONITOR_HANDLE = 0x4D00;

    CFakePortMonitor();
    ~CFakePortMonitor();
    CFakePortMonitor(const CFakePortMonitor&) = delete;
    CFakePortMonitor& operator=(const CFakePortMonitor&) = delete;

    Monitor2Table* Table() { return &m_table; }
    HANDLE MonitorHandle() const { return reinterpret_cast<HANDLE>(MONITOR_HANDLE); }

    // Every entry back in place, the open succeeding, no calls logged.
    void Reset();
    // Leaves out the entry at this offset of the table (offsetof(Monitor2Table, ...)).
    void Omit(size_t entryOffset);
    // pfnOpenPort fails with this last error (0: it succeeds).
    void FailOpen(DWORD error) { m_dwOpenError = error; }

    // "OpenPort(<monitor>, <port>) -> <handle>" (or "failed"),
    // "SetPortTimeOuts(<handle>, <interval>/<read mult>/<read const>/<write
    // mult>/<write const>, <reserved>)", "ClosePort(<handle>)"; the job
    // entries, which a language monitor leaves to its helper, log
    // "<entry>(<handle>)". Handles in hex.
    std::vector<std::string> Calls() const;
    void Log(const std::string& call);
    ULONG_PTR NextHandle();
    DWORD OpenError() const { return m_dwOpenError; }

private:
    Monitor2Table m_table;
    DWORD m_dwOpenError = 0;
    ULONG_PTR m_nextHandle = FIRST_PORT_HANDLE;
    mutable std::mutex m_lock;
    std::vector<std::string> m_calls;
};

// "0x<hex>" of a handle, as the call log writes it.
std::string HandleText(const void* handle);
