#include "ShowMsgDialog.h"

#include "AlertResource.h"
#include "AlertState.h"
#include "AlertWindowTitle.h"
#include "CenterWindow.h"
#include "ErrorMessageText.h"
#include "LanguageFile.h"
#include "Platform.h"

namespace {

// "Continue Printing" counts only while it is offered: the command of the
// hidden button, as the Enter key still sends it, leaves the dialog open.
bool ContinueOffered(HWND dialog)
{
    return (GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & WS_VISIBLE) != 0;
}

} // namespace

void ShowMsgDlg_OnInitDialog(HWND dialog)
{
    WCHAR path[MAX_PATH];
    if (GetLanguageFilePath(LANGNO_USER, path, MAX_PATH))
        g_Translater.SetLanguageFile(path);
    g_Translater.SetSection(ALERT_LANGUAGE_SECTION);
    g_Translater.TranslateWindowItems(dialog);

    WCHAR title[ALERT_TITLE_MAX + 1];
    FormatAlertWindowTitle(title, ALERT_TITLE_MAX + 1, g_ShowMsgStateInfo.szPrinterName,
                           g_ShowMsgStateInfo.szPortName);
    SetDlgItemTextW(dialog, IDC_TXT_TITLE, title);

    DWORD code = g_ShowMsgStateInfo.dwErrCode;
    WCHAR message[ERROR_MESSAGE_ROOM];
    GetErrorMessageText(code, message);
    SetDlgItemTextW(dialog, IDC_TXT_MESSAGE, message);
    DebugTrace(L"ShowMsgDlg_OnInitDialog(1), dwErrCode = 0x%08X, szMessage = %ls,\n", code, message);

    if (code >= ALERT_CANCEL_ONLY_FIRST && code <= ALERT_CANCEL_ONLY_LAST)
        ShowWindow(GetDlgItem(dialog, IDOK), SW_HIDE);

    CenterWindow(dialog);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ShowWindow(dialog, SW_SHOW);
}

INT_PTR CALLBACK ShowMsgDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        // FALSE: the dialog manager gives no control the focus.
        ShowMsgDlg_OnInitDialog(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (ContinueOffered(dialog))
                EndDialog(dialog, ALERT_CONTINUE_PRINTING);
            return TRUE;
        case IDC_BTN_CANCEL_PRINT:
            EndDialog(dialog, ALERT_CANCEL_PRINTING);
            return TRUE;
        case IDCANCEL:
            // The Escape key decides nothing.
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        // The close box decides nothing either.
    case WM_DESTROY:
        return TRUE;
    default:
        return FALSE;
    }
}
