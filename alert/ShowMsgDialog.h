// The modal message dialog: the translated error text for the code of
// g_ShowMsgStateInfo, and the user's choice between continuing and
// cancelling the job.
#pragma once

#include <windows.h>

// Dialog results.
constexpr INT_PTR ALERT_CONTINUE_PRINTING = 1;
constexpr INT_PTR ALERT_CANCEL_PRINTING = 0;

// Codes for which printing cannot go on: only "Cancel Printing" is offered.
constexpr DWORD ALERT_CANCEL_ONLY_FIRST = 0x11;
constexpr DWORD ALERT_CANCEL_ONLY_LAST = 0xAF;

INT_PTR CALLBACK ShowMsgDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowMsgDlg_OnInitDialog(HWND dialog);
