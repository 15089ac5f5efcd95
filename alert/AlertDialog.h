// The alert program's main window: hidden under the title "<printer> @
// <port>" by which the notification client finds it, it stores the state
// records it is sent and runs the message dialog for WM_MY_PRINTER.
#pragma once

#include <windows.h>

// lParam of the window's creation: the AlertCommandLine whose names make the
// title.
INT_PTR CALLBACK QelAlertDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void QelAlertDlg_OnInitDialog(HWND window, LPCWSTR printerName, LPCWSTR portName);
// Runs the message dialog for code, then clears the job's status; gives the
// dialog's result, -1 when it could not be created.
INT_PTR QelAlertDlg_OnShowErrorDialog(HWND window, DWORD code);
