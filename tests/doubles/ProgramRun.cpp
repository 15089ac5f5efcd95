#include "ProgramRun.h"

#include <vector>

namespace {

// Bounds of the waits: starting a program under Wine can take seconds.
const DWORD SEND_TIMEOUT_MS = 10000;
const DWORD POLL_INTERVAL_MS = 20;
// The static text control of a message box.
const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

} // namespace

std::wstring TestProgramFolder()
{
    WCHAR self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n < MAX_PATH ? n : 0);
    return path.substr(0, path.rfind(L'\\') + 1);
}

CProgramRun::CProgramRun(LPCWSTR programName)
    : m_programName(programName), m_info(), m_dialog(nullptr)
{
}

CProgramRun::~CProgramRun()
{
    Kill();
}

bool CProgramRun::Start(const std::wstring& arguments)
{
    const std::wstring folder = TestProgramFolder();
    if (folder.empty())
        return false;
    const std::wstring program = folder + m_programName;
    std::wstring line = L"\"" + program + L"\" " + arguments;
    std::vector<WCHAR> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &m_info) != FALSE;
}

HWND CProgramRun::WaitForDialog(const std::wstring& title, DWORD timeoutMs)
{
    ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        HWND window = FindWindowW(L"#32770", title.c_str());
        DWORD pid = 0;
        if (window && GetWindowThreadProcessId(window, &pid) && pid == m_info.dwProcessId) {
            m_dialog = window;
            return window;
        }
        Sleep(POLL_INTERVAL_MS);
    } while (GetTickCount64() < end);
    return nullptr;
}

HWND CProgramRun::WaitForMessageBox(DWORD timeoutMs)
{
    return WaitForProcessDialog(m_info.dwProcessId, m_dialog, timeoutMs);
}

bool CProgramRun::HasMessageBox()
{
    return FindProcessDialog(m_info.dwProcessId, m_dialog) != nullptr;
}

bool CProgramRun::Sync()
{
    return SyncWindow(m_dialog);
}

bool CProgramRun::Click(int id)
{
    return ClickButton(m_dialog, id);
}

std::wstring CProgramRun::ItemText(int id)
{
    return m_dialog ? WindowText(GetDlgItem(m_dialog, id)) : std::wstring();
}

bool CProgramRun::Step(int editId, bool up)
{
    HWND edit = m_dialog ? GetDlgItem(m_dialog, editId) : nullptr;
    DWORD_PTR result = 0;
    WPARAM key = up ? VK_UP : VK_DOWN;
    // Key-down and key-up lParams of one press of the key.
    return edit && SendMessageTimeoutW(edit, WM_KEYDOWN, key, 1, SMTO_NORMAL, SEND_TIMEOUT_MS, &result) &&
           SendMessageTimeoutW(edit, WM_KEYUP, key, 0xC0000001, SMTO_NORMAL, SEND_TIMEOUT_MS, &result);
}

bool CProgramRun::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

void CProgramRun::Kill()
{
    if (m_info.hProcess) {
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_info.hProcess, 1);
            WaitForSingleObject(m_info.hProcess, SEND_TIMEOUT_MS);
        }
        CloseHandle(m_info.hProcess);
    }
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
    m_info = PROCESS_INFORMATION();
    m_dialog = nullptr;
}

bool SyncWindow(HWND window)
{
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, SEND_TIMEOUT_MS, &result) != 0;
}

bool ClickButton(HWND dialog, int id)
{
    return dialog && PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != FALSE;
}

bool ReadAndCloseMessageBox(HWND box, std::wstring* text, std::wstring* caption)
{
    if (!box)
        return false;
    if (text)
        *text = WindowText(GetDlgItem(box, MESSAGE_BOX_TEXT_ID));
    if (caption)
        *caption = WindowText(box);
    if (!PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0))
        return false;
    // The program goes on only once the box is gone.
    ULONGLONG end = GetTickCount64() + SEND_TIMEOUT_MS;
    while (IsWindow(box)) {
        if (GetTickCount64() >= end)
            return false;
        Sleep(POLL_INTERVAL_MS);
    }
    return true;
}
