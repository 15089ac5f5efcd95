#include "NotifyPrograms.h"

#include "Platform.h"
#include "ScratchFolder.h"

#include <shlobj.h>
#include <tlhelp32.h>

namespace {

const DWORD END_WAIT_MS = 10000;

} // namespace

CDriverPrograms::CDriverPrograms()
{
    WCHAR directory[MAX_PATH];
    GetDriverDirectoryByRule(OS_RULE_ASYNC_CLIENT, directory, TRUE);
    m_directory = directory;
    SHCreateDirectoryExW(nullptr, directory, nullptr);
}

CDriverPrograms::~CDriverPrograms()
{
    EndAll();
    for (const std::wstring& path : m_installed)
        DeleteFileW(path.c_str());
}

bool CDriverPrograms::Install(LPCWSTR source, LPCWSTR name)
{
    std::wstring path = Path(name);
    if (!CopyFileW((TestProgramFolder() + source).c_str(), path.c_str(), FALSE))
        return false;
    m_installed.push_back(path);
    return true;
}

void CDriverPrograms::EndAll()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                     entry.th32ProcessID);
        if (!process)
            continue;
        WCHAR image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &size)) {
            for (const std::wstring& path : m_installed) {
                if (_wcsicmp(image, path.c_str()) == 0) {
                    TerminateProcess(process, 1);
                    WaitForSingleObject(process, END_WAIT_MS);
                }
            }
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

std::wstring CDriverPrograms::Path(LPCWSTR name) const
{
    return m_directory + L"\\" + name;
}

std::string CDriverPrograms::TakeBytes(LPCWSTR name) const
{
    std::string bytes = ScratchFolder::Read(Path(name));
    DeleteFileW(Path(name).c_str());
    return bytes;
}

std::wstring CDriverPrograms::TakeText(LPCWSTR name) const
{
    std::string bytes = TakeBytes(name);
    return std::wstring(reinterpret_cast<const WCHAR*>(bytes.data()), bytes.size() / sizeof(WCHAR));
}

HWND WaitForProcessDialog(HWND window, DWORD timeoutMs)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId ? WaitForProcessDialog(processId, window, timeoutMs) : nullptr;
}

std::wstring UniqueName(LPCWSTR base)
{
    static LONG counter;
    return std::wstring(base) + L" " + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(InterlockedIncrement(&counter));
}
