#include "DialogDriver.h"

#include <algorithm>

#include "SheetHost.h"

namespace {

thread_local CDialogDriver* t_driver = nullptr;
// The name box of the print-area name dialog.
const int NAME_BOX = 4024;
// The common file dialog's file name box (combo and edit forms).
const int FILE_NAME_COMBO = 0x47C;
const int FILE_NAME_EDIT = 0x480;
} // namespace

CDialogDriver::CDialogDriver(Answer answer)
    : m_answer(std::move(answer)), m_hook(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId()))
{
    t_driver = this;
    // The sheet and whatever else is open already are no dialogs to answer.
    EnumThreadWindows(GetCurrentThreadId(), Existing, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK CDialogDriver::Existing(HWND window, LPARAM driver)
{
    reinterpret_cast<CDialogDriver*>(driver)->m_seen.push_back(window);
    return TRUE;
}

CDialogDriver::~CDialogDriver()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    t_driver = nullptr;
}

LRESULT CALLBACK CDialogDriver::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    CDialogDriver* driver = t_driver;
    HWND window = reinterpret_cast<HWND>(wParam);
    WCHAR className[16] = L"";
    if (driver && code == HCBT_ACTIVATE && GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0 &&
        !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD) && !GetMessageBoxText(window) &&
        std::find(driver->m_seen.begin(), driver->m_seen.end(), window) == driver->m_seen.end()) {
        driver->m_seen.push_back(window);
        driver->m_pending.push_back(window);
        SetTimer(nullptr, 0, 0, Timer);
    }
    return CallNextHookEx(driver ? driver->m_hook : nullptr, code, wParam, lParam);
}

void CALLBACK CDialogDriver::Timer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    CDialogDriver* driver = t_driver;
    if (!driver || driver->m_pending.empty())
        return;
    HWND dialog = driver->m_pending.front();
    driver->m_pending.erase(driver->m_pending.begin());
    WCHAR caption[256] = L"";
    GetWindowTextW(dialog, caption, 256);
    driver->m_captions.push_back(caption);
    driver->m_answer(dialog);
}

CDialogDriver::Answer CDialogDriver::TypeNames(std::vector<std::wstring> names, std::vector<bool>* stillShown)
{
    return [names, stillShown](HWND dialog) {
        for (const std::wstring& name : names) {
            SetDlgItemTextW(dialog, NAME_BOX, name.c_str());
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            if (stillShown)
                stillShown->push_back(IsWindowVisible(dialog) != FALSE);
        }
    };
}

CDialogDriver::Answer CDialogDriver::Cancel()
{
    return [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
}

CDialogDriver::Answer CDialogDriver::Script(Answer script)
{
    return [script](HWND dialog) {
        script(dialog);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
}

CDialogDriver::Answer CDialogDriver::ChooseFile(std::wstring path)
{
    return [path](HWND dialog) {
        SetDlgItemTextW(dialog, FILE_NAME_COMBO, path.c_str());
        SetDlgItemTextW(dialog, FILE_NAME_EDIT, path.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}
