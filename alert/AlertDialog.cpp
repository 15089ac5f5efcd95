#include "AlertDialog.h"

#include "AlertCommandLine.h"
#include "AlertResource.h"
#include "AlertState.h"
#include "AlertWindowTitle.h"
#include "CenterWindow.h"
#include "JobStatus.h"
#include "Platform.h"
#include "ShowMsgDialog.h"

namespace {

BOOL SetResult(HWND window, LONG_PTR result)
{
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL OnMyPrinter(HWND window, WPARAM code, LPARAM lParam)
{
    DebugTrace(L"QelAlertDialogProc(1), WM_MY_PRINTER, wParam = %d, lParam = 0x%X,\n", static_cast<int>(code),
               static_cast<DWORD>(lParam));
    switch (code) {
    case NTY_SHOW_ERROR_DLG:
        return SetResult(window, QelAlertDlg_OnShowErrorDialog(window, static_cast<DWORD>(lParam)));
    case NTY_SET_JOB_ID:
        g_ShowMsgStateInfo.dwJobId = static_cast<DWORD>(lParam);
        break;
    default:
        break;
    }
    // The sender never sees a result left over from an earlier message.
    return SetResult(window, 0);
}

} // namespace

void QelAlertDlg_OnInitDialog(HWND window, LPCWSTR printerName, LPCWSTR portName)
{
    WCHAR title[ALERT_TITLE_MAX + 1];
    FormatAlertWindowTitle(title, ALERT_TITLE_MAX + 1, printerName, portName);
    SetWindowTextW(window, title);
    CenterWindow(window);
    ShowWindow(window, SW_HIDE);
}

INT_PTR QelAlertDlg_OnShowErrorDialog(HWND window, DWORD code)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
    ShowWindow(window, SW_HIDE);
    TakeShowMsgStateInfo(code);
    // A second alert that opens on top of this one replaces the shared copy:
    // this dialog clears the printer and job it showed, not the other's.
    WCHAR printerName[STATE_PRINTER_ROOM];
    CopyMemory(printerName, g_ShowMsgStateInfo.szPrinterName, sizeof(printerName));
    const DWORD jobId = g_ShowMsgStateInfo.dwJobId;
    INT_PTR result = DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_SHOW_MSG), window, ShowMsgDialogProc, 0);
    DebugTrace(L"QelAlertDlg_OnShowErrorDialog(1), dwErrCode = 0x%08X, result = %d,\n", code,
               static_cast<int>(result));
    SetJobStatusString(nullptr, printerName, jobId, JOB_CODE_CLEAR, nullptr);
    return result;
}

INT_PTR CALLBACK QelAlertDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const AlertCommandLine* args = reinterpret_cast<const AlertCommandLine*>(lParam);
        QelAlertDlg_OnInitDialog(window, args ? args->szPrinterName : L"", args ? args->szPortName : L"");
        return FALSE;
    }
    case WM_COPYDATA:
        StoreStateInfo(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return FALSE;
    case WM_MY_PRINTER:
        return OnMyPrinter(window, wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            PostQuitMessage(0);
        return FALSE;
    case WM_CLOSE:
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}
