#include "FakePortMonitor.h"

#include "PrintableText.h"

#include <cstdio>
#include <cstring>

namespace {

CFakePortMonitor* g_pFake = nullptr;

BOOL Logged(const char* entry, HANDLE port)
{
    g_pFake->Log(std::string(entry) + "(" + HandleText(port) + ")");
    return TRUE;
}

BOOL WINAPI OpenPort(HANDLE monitor, LPWSTR name, PHANDLE handle)
{
    std::string call = "OpenPort(" + HandleText(monitor) + ", " + Utf8Text(name ? name : L"") + ")";
    if (g_pFake->OpenError()) {
        // What a failed open leaves in its output is no handle.
        *handle = reinterpret_cast<HANDLE>(0xDEAD);
        g_pFake->Log(call + " failed");
        SetLastError(g_pFake->OpenError());
        return FALSE;
    }
    *handle = reinterpret_cast<HANDLE>(g_pFake->NextHandle());
    g_pFake->Log(call + " -> " + HandleText(*handle));
    return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE port, LPWSTR, DWORD, DWORD, LPBYTE)
{
    return Logged("StartDocPort", port);
}

BOOL WINAPI WritePort(HANDLE port, LPBYTE, DWORD, LPDWORD)
{
    return Logged("WritePort", port);
}

BOOL WINAPI ReadPort(HANDLE port, LPBYTE, DWORD, LPDWORD)
{
    return Logged("ReadPort", port);
}

BOOL WINAPI EndDocPort(HANDLE port)
{
    return Logged("EndDocPort", port);
}

BOOL WINAPI ClosePort(HANDLE port)
{
    return Logged("ClosePort", port);
}

BOOL WINAPI SetPortTimeOuts(HANDLE port, LPCOMMTIMEOUTS t, DWORD reserved)
{
    char text[128];
    snprintf(text, sizeof(text), ", %lu/%lu/%lu/%lu/%lu, %lu)", t->ReadIntervalTimeout, t->ReadTotalTimeoutMultiplier,
             t->ReadTotalTimeoutConstant, t->WriteTotalTimeoutMultiplier, t->WriteTotalTimeoutConstant, reserved);
    g_pFake->Log("SetPortTimeOuts(" + HandleText(port) + text);
    return TRUE;
}

} // namespace

std::string HandleText(const void* handle)
{
    char text[32];
    snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(handle)));
    return text;
}

CFakePortMonitor::CFakePortMonitor()
{
    Reset();
    g_pFake = this;
}

CFakePortMonitor::~CFakePortMonitor()
{
    g_pFake = nullptr;
}

void CFakePortMonitor::Reset()
{
    ZeroMemory(&m_table, sizeof(m_table));
    m_table.cbSize = sizeof(m_table);
    m_table.pfnOpenPort = OpenPort;
    m_table.pfnStartDocPort = StartDocPort;
    m_table.pfnWritePort = WritePort;
    m_table.pfnReadPort = ReadPort;
    m_table.pfnEndDocPort = EndDocPort;
    m_table.pfnClosePort = ClosePort;
    m_table.pfnSetPortTimeOuts = SetPortTimeOuts;
    m_dwOpenError = 0;
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.clear();
}

void CFakePortMonitor::Omit(size_t entryOffset)
{
    memset(reinterpret_cast<BYTE*>(&m_table) + entryOffset, 0, sizeof(PVOID));
}

std::vector<std::string> CFakePortMonitor::Calls() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
}

void CFakePortMonitor::Log(const std::string& call)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back(call);
}

ULONG_PTR CFakePortMonitor::NextHandle()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nextHandle++;
}
