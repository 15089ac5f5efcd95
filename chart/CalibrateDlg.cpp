#include "CalibrateDlg.h"

#include <commctrl.h>
#include <setupapi.h>

#include <new>

#include "AboutDlg.h"
#include "ChartLanguage.h"
#include "ChartResource.h"
#include "ErrorText.h"
#include "LanguageFile.h"
#include "ModelTable.h"
#include "Platform.h"
#include "PositionCommands.h"
#include "PositionValues.h"
#include "Utilities.h"

// Longest printer name the link is opened by; a longer one is never cut.
const size_t PRINTER_NAME_MAX = 255;
// A value edit holds a sign and two digits.
const int VALUE_TEXT_LIMIT = 3;
// How the model rows are opened when no printer is named: the first present
// printer of the row, chosen among the present devices by the row's USB id.
const DWORD CHART_INSTANCE_INDEX = 1;
const DWORD CHART_ENUM_MODE = ENUM_BY_USBID | DIGCF_PRESENT;
const BYTE CHART_OPEN_UNUSED = 3;
// Room of the texts the dialog shows.
const DWORD MESSAGE_ROOM = 1024;
const DWORD VERSION_ROOM = 32;

CCalibrateDlg::CCalibrateDlg(HINSTANCE instance, const CCalibrateCmdLineInfo& cmdInfo)
    : m_nModel(0),
      m_pCmd(nullptr),
      m_pLink(nullptr),
      m_bInitialized(0),
      m_nOldL(0),
      m_editS(nullptr), m_editT(nullptr), m_editL(nullptr),
      m_spinS(nullptr), m_spinT(nullptr), m_spinL(nullptr),
      m_nL(0), m_nS(0), m_nT(0),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_hInstance(instance),
      m_hWnd(nullptr),
      m_cmdInfo(cmdInfo),
      m_bUpdating(FALSE),
      m_bValuesRead(FALSE)
{
}

CCalibrateDlg::~CCalibrateDlg()
{
    ReleaseLink();
}

INT_PTR CCalibrateDlg::DoModal()
{
    return DialogBoxParamW(m_hInstance, MAKEINTRESOURCEW(IDD_CALIBRATE_DIALOG), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CCalibrateDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CCalibrateDlg* dlg;
    if (message == WM_INITDIALOG) {
        dlg = reinterpret_cast<CCalibrateDlg*>(lParam);
        dlg->m_hWnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        dlg = reinterpret_cast<CCalibrateDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!dlg)
        return FALSE;
    return dlg->HandleMessage(message, wParam, lParam);
}

INT_PTR CCalibrateDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BUTTON_APPLY:
            if (HIWORD(wParam) == BN_CLICKED)
                OnButtonApply();
            return TRUE;
        case IDC_BUTTON_READ:
            if (HIWORD(wParam) == BN_CLICKED)
                OnButtonRead();
            return TRUE;
        case IDC_EDIT_L:
            if (HIWORD(wParam) == EN_CHANGE)
                OnChangeEditL();
            return TRUE;
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        case ID_HELP:
            // No help file ships with the program: the command has nothing to open.
            return TRUE;
        default:
            return FALSE;
        }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            OnSysCommand(wParam, lParam);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    default:
        return FALSE;
    }
}

BOOL CCalibrateDlg::OnInitDialog()
{
    DebugTrace(L"CCalibrateDlg::OnInitDialog(1),\n");
    m_editL = GetDlgItem(m_hWnd, IDC_EDIT_L);
    m_spinL = GetDlgItem(m_hWnd, IDC_SPIN_L);
    m_editT = GetDlgItem(m_hWnd, IDC_EDIT_T);
    m_spinT = GetDlgItem(m_hWnd, IDC_SPIN_T);
    m_editS = GetDlgItem(m_hWnd, IDC_EDIT_S);
    m_spinS = GetDlgItem(m_hWnd, IDC_SPIN_S);

    HMENU sysMenu = GetSystemMenu(m_hWnd, FALSE);
    WCHAR aboutText[MESSAGE_ROOM] = L"";
    if (sysMenu && LoadStringW(m_hInstance, IDS_ABOUTBOX, aboutText, MESSAGE_ROOM) > 0) {
        AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    LoadLanguage();

    const HWND spins[3] = {m_spinL, m_spinT, m_spinS};
    const HWND edits[3] = {m_editL, m_editT, m_editS};
    for (int i = 0; i < 3; ++i) {
        // Lower bound first: the up arrow increases the value.
        SendMessageW(spins[i], UDM_SETRANGE32, static_cast<WPARAM>(POSITION_MIN), POSITION_MAX);
        SendMessageW(edits[i], EM_LIMITTEXT, VALUE_TEXT_LIMIT, 0);
    }
    ShowValues();

    m_pLink = new (std::nothrow) CUsbLink();
    m_pCmd = new (std::nothrow) CQelCmd();
    if (!m_pLink || !m_pCmd) {
        ReleaseLink();
        ShowError(ERROR_NOT_ENOUGH_MEMORY);
        KeepOnlyCancel();
    } else {
        m_pCmd->m_pUsbLink = m_pLink;
        // The read runs from the message loop, once the dialog is set up.
        PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_READ, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, IDC_BUTTON_READ)));
    }
    m_bInitialized = 1;
    return TRUE;
}

void CCalibrateDlg::LoadLanguage()
{
    DWORD number = ChooseLanguageNumber(m_cmdInfo.m_nLanguage, GetUILanguageNumber());
    UINT resourceId = LanguageResourceId(number);
    DebugTrace(L"CCalibrateDlg::LoadLanguage(1), nLanguage = %d, number = %d, resource = %d,\n",
               m_cmdInfo.m_nLanguage, number, resourceId);
    m_translater.LoadLanguageResource(m_hInstance, resourceId, LANG_FILE_RESOURCE_TYPE);
    m_translater.SetSection(CHART_LANG_SECTION);
    m_bUpdating = TRUE;
    m_translater.TranslateWindowItems(m_hWnd);
    m_bUpdating = FALSE;

    WCHAR version[VERSION_ROOM] = L"";
    GetFileVersionText(version, VERSION_ROOM);
    WCHAR title[CHART_TITLE_ROOM];
    if (FormatChartTitle(m_translater.Translate(CHART_TOOL_NAME), version, title, CHART_TITLE_ROOM))
        SetWindowTextW(m_hWnd, title);
}

int CCalibrateDlg::OpenLink()
{
    if (!m_pLink)
        return 0;
    if (m_pLink->IsOpen())
        return 1;
    m_nModel = 0;
    DWORD result = ERROR_DEVICE_NOT_CONNECTED;
    const std::wstring& printer = m_cmdInfo.m_strPrinter;
    if (!printer.empty()) {
        if (printer.size() <= PRINTER_NAME_MAX)
            result = m_pLink->OpenByName(printer.c_str());
        DebugTrace(L"CCalibrateDlg::OpenLink(1), printer = %ls, dwRet = %d,\n", printer.c_str(), result);
        if (result == 0) {
            m_nModel = static_cast<int>(m_pLink->m_dwModelSN);
            return 1;
        }
    } else {
        for (DWORD row = MODEL_FIRST; row <= MODEL_LAST; ++row) {
            result = m_pLink->OpenByModelSN(static_cast<int>(row), CHART_INSTANCE_INDEX, CHART_ENUM_MODE,
                                            CHART_OPEN_UNUSED);
            DebugTrace(L"CCalibrateDlg::OpenLink(2), row = %d, dwRet = %d,\n", row, result);
            if (result == 0) {
                m_nModel = static_cast<int>(row);
                return 1;
            }
        }
    }
    // Whatever failed, the user is told that the printer is not connected.
    WCHAR text[MESSAGE_ROOM] = L"";
    GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, text, MESSAGE_ROOM);
    MessageBoxW(m_hWnd, text, printer.c_str(), MB_OK | MB_ICONSTOP);
    return 0;
}

void CCalibrateDlg::OnButtonRead()
{
    m_bValuesRead = FALSE;
    if (!OpenLink()) {
        KeepOnlyCancel();
        return;
    }
    EnableControls(TRUE);
    int l = 0, t = 0, s = 0;
    DWORD result = ReadPositionValues(m_pCmd, &l, &t, &s);
    DebugTrace(L"CCalibrateDlg::OnButtonRead(1), dwRet = %d, L = %d, T = %d, S = %d,\n", result, l, t, s);
    if (result != 0) {
        ShowError(result);
        KeepOnlyCancel();
        return;
    }
    m_nL = l;
    m_nT = t;
    m_nS = s;
    // A value outside the range is shown as read; its up-down steps from the
    // nearest end of the range, and T follows L's steps from there.
    m_nOldL = ClampPosition(l);
    ShowValues();
    m_bValuesRead = TRUE;
}

void CCalibrateDlg::OnButtonApply()
{
    // Values never read from the printer are never written over its own.
    if (!m_bValuesRead || !m_pCmd)
        return;
    if (!TakeValues(TRUE))
        return;
    DWORD result = WritePositionValues(m_pCmd, m_nL, m_nT, m_nS);
    DebugTrace(L"CCalibrateDlg::OnButtonApply(1), dwRet = %d, L = %d, T = %d, S = %d,\n", result, m_nL, m_nT,
               m_nS);
    if (result != 0) {
        ShowError(result);
        return;
    }
    MessageBoxW(m_hWnd, m_translater.Translate(L"Apply OK."), L"", MB_OK | MB_ICONINFORMATION);
}

void CCalibrateDlg::OnChangeEditL()
{
    if (!m_bInitialized || m_bUpdating)
        return;
    if (!TakeValues(FALSE))
        return;
    CoupleTToL(m_nL, &m_nOldL, &m_nT);
    ShowValues();
}

void CCalibrateDlg::OnOK()
{
    if (!TakeValues(TRUE))
        return;
    ReleaseLink();
    EndDialog(m_hWnd, IDOK);
}

void CCalibrateDlg::OnCancel()
{
    ReleaseLink();
    EndDialog(m_hWnd, IDCANCEL);
}

void CCalibrateDlg::OnSysCommand(WPARAM, LPARAM)
{
    CAboutDlg about(m_hInstance);
    about.DoModal(m_hWnd);
}

BOOL CCalibrateDlg::OnPaint()
{
    if (!IsIconic(m_hWnd))
        return FALSE;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    int x = (rect.right - rect.left - cx + 1) / 2;
    int y = (rect.bottom - rect.top - cy + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &ps);
    return TRUE;
}

void CCalibrateDlg::EnableControls(BOOL bEnable)
{
    for (int id = IDC_EDIT_L; id <= IDC_BUTTON_APPLY; ++id)
        EnableWindow(GetDlgItem(m_hWnd, id), bEnable);
    EnableWindow(GetDlgItem(m_hWnd, IDCANCEL), bEnable);
}

void CCalibrateDlg::KeepOnlyCancel()
{
    EnableControls(FALSE);
    EnableWindow(GetDlgItem(m_hWnd, IDCANCEL), TRUE);
}

void CCalibrateDlg::ReleaseLink()
{
    // The link's destructor closes it; the command object never owns it.
    delete m_pLink;
    m_pLink = nullptr;
    delete m_pCmd;
    m_pCmd = nullptr;
}

void CCalibrateDlg::ShowValues()
{
    const HWND edits[3] = {m_editL, m_editT, m_editS};
    const HWND spins[3] = {m_spinL, m_spinT, m_spinS};
    const int values[3] = {m_nL, m_nT, m_nS};
    m_bUpdating = TRUE;
    for (int i = 0; i < 3; ++i) {
        // The up-down steps from its own position, so it must follow the
        // edit, within its range.
        SendMessageW(spins[i], UDM_SETPOS32, 0, ClampPosition(values[i]));
        SetDlgItemInt(m_hWnd, GetDlgCtrlID(edits[i]), static_cast<UINT>(values[i]), TRUE);
    }
    m_bUpdating = FALSE;
}

BOOL CCalibrateDlg::TakeValues(BOOL bInRange)
{
    const HWND edits[3] = {m_editL, m_editT, m_editS};
    int values[3];
    for (int i = 0; i < 3; ++i) {
        WCHAR text[16] = L"";
        GetWindowTextW(edits[i], text, ARRAYSIZE(text));
        if (!ParseDialogInteger(text, &values[i]) || (bInRange && !IsPositionInRange(values[i]))) {
            if (bInRange) {
                MessageBoxW(m_hWnd, m_translater.Translate(L"Please enter an integer between -15 and 15."), L"",
                            MB_OK | MB_ICONEXCLAMATION);
                SetFocus(edits[i]);
            }
            return FALSE;
        }
    }
    m_nL = values[0];
    m_nT = values[1];
    m_nS = values[2];
    return TRUE;
}

void CCalibrateDlg::ShowError(DWORD code)
{
    WCHAR text[MESSAGE_ROOM] = L"";
    FormatErrorText(code, m_translater.Translate(L"Error code"), text, MESSAGE_ROOM);
    MessageBoxW(m_hWnd, text, m_cmdInfo.m_strPrinter.c_str(), MB_OK | MB_ICONSTOP);
}
