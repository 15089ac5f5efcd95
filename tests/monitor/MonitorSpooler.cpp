#include "MonitorSpooler.h"

#include "Platform.h"
#include "ProgramRun.h"

#include <shlobj.h>
#include <vector>

namespace {

typedef Monitor2Table*(WINAPI* InitializeFn)(MONITORINIT*, PHANDLE);

std::vector<WCHAR> Writable(LPCWSTR text)
{
    std::wstring copy = text ? text : L"";
    return std::vector<WCHAR>(copy.c_str(), copy.c_str() + copy.size() + 1);
}

// The built helper: "helper\QelLMhlp.dll" next to the test program.
std::wstring BuiltHelperPath()
{
    return TestProgramFolder() + L"helper\\QelLMhlp.dll";
}

} // namespace

CMonitorSpooler::CMonitorSpooler() : m_hModule(nullptr), m_pTable(nullptr), m_hMonitor(nullptr)
{
    ZeroMemory(&m_init, sizeof(m_init));
    m_init.cbSize = sizeof(m_init);
    m_init.hSpooler = reinterpret_cast<HANDLE>(0x5900);
    m_init.bLocal = TRUE;
}

CMonitorSpooler::~CMonitorSpooler()
{
    Shutdown();
    if (m_hModule)
        FreeLibrary(m_hModule);
}

BOOL CMonitorSpooler::Start()
{
    if (!m_hModule)
        m_hModule = LoadLibraryW(L"QelMon.dll");
    if (!m_hModule)
        return FALSE;
    auto initialize =
        reinterpret_cast<InitializeFn>(reinterpret_cast<void*>(GetProcAddress(m_hModule, "InitializePrintMonitor2")));
    if (!initialize)
        return FALSE;
    m_pTable = initialize(&m_init, &m_hMonitor);
    return m_pTable != nullptr;
}

void CMonitorSpooler::Shutdown()
{
    if (m_pTable && m_pTable->pfnShutdown)
        m_pTable->pfnShutdown(m_hMonitor);
    m_pTable = nullptr;
}

BOOL CMonitorSpooler::Open(CFakePortMonitor& below, LPCWSTR port, LPCWSTR printer, HANDLE* handle)
{
    std::vector<WCHAR> portText = Writable(port), printerText = Writable(printer);
    return m_pTable->pfnOpenPortEx(m_hMonitor, below.MonitorHandle(), port ? portText.data() : nullptr,
                                   printer ? printerText.data() : nullptr, handle, below.Table());
}

BOOL CMonitorSpooler::StartDoc(HANDLE port, LPCWSTR printer, DWORD jobId, LPCWSTR docName)
{
    std::vector<WCHAR> printerText = Writable(printer), docText = Writable(docName);
    DOC_INFO_1W info = {docText.data(), nullptr, nullptr};
    return m_pTable->pfnStartDocPort(port, printer ? printerText.data() : nullptr, jobId, 1,
                                     docName ? reinterpret_cast<LPBYTE>(&info) : nullptr);
}

std::wstring CMonitorSpooler::DriverDirectory()
{
    WCHAR dir[MAX_PATH];
    return GetDriverDirectory(dir, TRUE);
}

std::wstring CMonitorSpooler::HelperPath()
{
    return DriverDirectory() + L"\\QelLMhlp.dll";
}

BOOL CMonitorSpooler::InstallHelper()
{
    SHCreateDirectoryExW(nullptr, DriverDirectory().c_str(), nullptr);
    return CopyFileW(BuiltHelperPath().c_str(), HelperPath().c_str(), FALSE);
}

BOOL CMonitorSpooler::RemoveHelper()
{
    return DeleteFileW(HelperPath().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool CMonitorSpooler::IsHelperLoaded()
{
    return GetModuleHandleW(HelperPath().c_str()) != nullptr;
}
