// CCalibrateDlg: QelChart's modal dialog. It reads the printer's
// print-position values L, T and S once the dialog runs, lets the user step
// them with the up-down arrows (T follows L) and writes all three on Apply.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "CalibrateCmdLineInfo.h"
#include "QelCmd.h"
#include "Translater.h"
#include "UsbLink.h"

class CCalibrateDlg {
public:
    CCalibrateDlg(HINSTANCE instance, const CCalibrateCmdLineInfo& cmdInfo);
    ~CCalibrateDlg();
    CCalibrateDlg(const CCalibrateDlg&) = delete;
    CCalibrateDlg& operator=(const CCalibrateDlg&) = delete;

    // Runs the dialog; gives the button that closed it, or -1 with the last
    // error set when it could not be shown.
    INT_PTR DoModal();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog();
    void LoadLanguage();
    int OpenLink();
    void OnButtonRead();
    void OnButtonApply();
    void OnChangeEditL();
    void OnOK();
    void OnCancel();
    void OnSysCommand(WPARAM command, LPARAM lParam);
    BOOL OnPaint();
    void EnableControls(BOOL bEnable);
    // Only Cancel is left for the user.
    void KeepOnlyCancel();
    void ReleaseLink();

    // Shows m_nL, m_nT and m_nS in the edits and their up-down controls.
    void ShowValues();
    // Takes the three values from the edits. With bInRange each must be an
    // integer from -15 to 15, and one that is not is shown to the user and
    // takes the focus; without, any integer is taken, so that a value read
    // outside the range stays until the user steps it in.
    BOOL TakeValues(BOOL bInRange);
    void ShowError(DWORD code);

    CTranslater m_translater;
    int m_nModel;
    CQelCmd* m_pCmd;
    CUsbLink* m_pLink;
    BYTE m_bInitialized;
    int m_nOldL;
    HWND m_editS, m_editT, m_editL;
    HWND m_spinS, m_spinT, m_spinL;
    int m_nL, m_nS, m_nT;
    HICON m_hIcon;

    HINSTANCE m_hInstance;
    HWND m_hWnd;
    const CCalibrateCmdLineInfo& m_cmdInfo;
    // Set while the dialog itself changes the edits, whose change
    // notifications must not count as the user's.
    BOOL m_bUpdating;
    // Set once the printer's values are shown: only then may Apply write.
    BOOL m_bValuesRead;
};
