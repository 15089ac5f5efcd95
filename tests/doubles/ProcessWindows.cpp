#include "ProcessWindows.h"

#include <cwchar>

namespace {

// A program that does not answer within this long is taken as hung.
const DWORD SEND_TIMEOUT_MS = 10000;
const DWORD POLL_INTERVAL_MS = 20;

struct DialogSearch {
    DWORD processId;
    HWND exclude;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || window == search->exclude)
        return TRUE;
    WCHAR className[64] = L"";
    GetClassNameW(window, className, 64);
    // A box is created hidden and shown once its texts are in place.
    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindProcessDialog(DWORD processId, HWND exclude)
{
    DialogSearch search = {processId, exclude, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForProcessDialog(DWORD processId, HWND exclude, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        HWND dialog = FindProcessDialog(processId, exclude);
        if (dialog)
            return dialog;
        Sleep(POLL_INTERVAL_MS);
    } while (GetTickCount64() < end);
    return nullptr;
}

std::wstring WindowText(HWND window)
{
    WCHAR text[1024] = L"";
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                                        SEND_TIMEOUT_MS, &length))
        return std::wstring();
    return std::wstring(text, length < 1024 ? length : 1023);
}
