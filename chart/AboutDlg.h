// CAboutDlg: QelChart's About box, opened from the system menu.
#pragma once

#include <windows.h>

class CAboutDlg {
public:
    explicit CAboutDlg(HINSTANCE instance);
    // Runs the box modally over owner; gives the button that closed it.
    INT_PTR DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_hInstance;
};
