#include "AboutDlg.h"

#include "ChartResource.h"

CAboutDlg::CAboutDlg(HINSTANCE instance)
    : m_hInstance(instance)
{
}

INT_PTR CAboutDlg::DoModal(HWND owner)
{
    return DialogBoxParamW(m_hInstance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, DialogProc, 0);
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
