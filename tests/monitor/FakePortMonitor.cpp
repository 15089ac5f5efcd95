#include "FakePortMonitor.h"

#include "PrintableText.h"

#include <cstdio>
#include <cstring>

namespace {

CFakePortMonitor* g_pFake = nullptr;

} // namespace

std::string HandleText(const void* handle)
{
    char text[32];
    snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(handle)));
    return text;
}

struct FakePortEntries {
    static BOOL WINAPI OpenPort(HANDLE monitor, LPWSTR name, PHANDLE handle)
    {
        if (g_pFake->m_dwOpenError) {
            g_pFake->Log("OpenPort(" + HandleText(monitor) + ", " + Utf8Text(name ? name : L"") + ") failed");
            SetLastError(g_pFake->m_dwOpenError);
            return FALSE;
        }
        ULONG_PTR value;
        {
            std::lock_guard<std::mutex> hold(g_pFake->m_lock);
            value = g_pFake->m_nextHandle++;
        }
        *handle = reinterpret_cast<HANDLE>(value);
        g_pFake->Log("OpenPort(" + HandleText(monitor) + ", " + Utf8Text(name ? name : L"") + ") -> " + HandleText(*handle));
        return TRUE;
    }
    static BOOL WINAPI StartDocPort(HANDLE port, LPWSTR, DWORD, DWORD, LPBYTE)
    {
        g_pFake->Log("StartDocPort(" + HandleText(port) + ")");
        return TRUE;
    }
    static BOOL WINAPI WritePort(HANDLE port, LPBYTE, DWORD count, LPDWORD written)
    {
        g_pFake->Log("WritePort(" + HandleText(port) + ")");
        *written = count;
        return TRUE;
    }
    static BOOL WINAPI ReadPort(HANDLE port, LPBYTE, DWORD, LPDWORD read)
    {
        g_pFake->Log("ReadPort(" + HandleText(port) + ")");
        *read = 0;
        return TRUE;
    }
    static BOOL WINAPI EndDocPort(HANDLE port)
    {
        g_pFake->Log("EndDocPort(" + HandleText(port) + ")");
        return TRUE;
    }
    static BOOL WINAPI ClosePort(HANDLE port)
    {
        g_pFake->Log("ClosePort(" + HandleText(port) + ")");
        return TRUE;
    }
    static BOOL WINAPI SetPortTimeOuts(HANDLE port, LPCOMMTIMEOUTS t, DWORD reserved)
    {
        char text[128];
        snprintf(text, sizeof(text), ", %lu/%lu/%lu/%lu/%lu, %lu)", t->ReadIntervalTimeout,
                 t->ReadTotalTimeoutMultiplier, t->ReadTotalTimeoutConstant, t->WriteTotalTimeoutMultiplier,
                 t->WriteTotalTimeoutConstant, reserved);
        g_pFake->Log("SetPortTimeOuts(" + HandleText(port) + text);
        return TRUE;
    }
};

CFakePortMonitor::CFakePortMonitor()
{
    Reset();
    g_pFake = this;
}

void CFakePortMonitor::Reset()
{
    ZeroMemory(&m_table, sizeof(m_table));
    m_table.cbSize = sizeof(m_table);
    m_table.pfnOpenPort = FakePortEntries::OpenPort;
    m_table.pfnStartDocPort = FakePortEntries::StartDocPort;
    m_table.pfnWritePort = FakePortEntries::WritePort;
    m_table.pfnReadPort = FakePortEntries::ReadPort;
    m_table.pfnEndDocPort = FakePortEntries::EndDocPort;
    m_table.pfnClosePort = FakePortEntries::ClosePort;
    m_table.pfnSetPortTimeOuts = FakePortEntries::SetPortTimeOuts;
    m_dwOpenError = 0;
    ClearCalls();
}

CFakePortMonitor::~CFakePortMonitor()
{
    g_pFake = nullptr;
}

void CFakePortMonitor::Omit(size_t entryOffset)
{
    PVOID none = nullptr;
    memcpy(reinterpret_cast<BYTE*>(&m_table) + entryOffset, &none, sizeof(none));
}

std::vector<std::string> CFakePortMonitor::Calls() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
}

void CFakePortMonitor::ClearCalls()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.clear();
}

void CFakePortMonitor::Log(const std::string& call)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back(call);
}
