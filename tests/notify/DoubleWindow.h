// The hidden main window of a program double, found by its title, and its
// message loop, which ends with the window.
#pragma once

#include <windows.h>

// What a double's window procedure leaves to the system.
inline LRESULT DoubleDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Creates the window and runs its loop; the program's exit code.
inline int RunDoubleWindow(HINSTANCE instance, LPCWSTR className, LPCWSTR title, WNDPROC proc)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    if (!CreateWindowExW(0, className, title, WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr, instance, nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
