#include "PageSheet.h"

#include <commctrl.h>

#include "DevMode.h"
#include "DriverModule.h"
#include "ModelFlags.h"
#include "PageTable.h"
#include "SheetHeader.h"

namespace {

const int TEXT_ROOM = 1024;

} // namespace

CPageSheet::CPageSheet(LPCWSTR driverName, LPCWSTR printerName)
    : m_ui(new UiData()), m_template(0), m_page(nullptr)
{
    g_hModule = m_module.module;
    m_ui->hModule = m_module.module;
    wcsncpy(m_ui->szDriverName, driverName, UI_DRIVER_NAME_ROOM - 1);
    wcsncpy(m_ui->szPrinterName, printerName, UI_PRINTER_NAME_ROOM - 1);
    m_ui->bOneSided = IsOneSidedDriver(driverName);
    m_ui->bRewrite = IsRewriteDriver(driverName);
    SetDefaultDevMode(nullptr, &m_ui->DevMode.dmPublic, printerName);
    m_host.reset(new CSheetHost(Owner, reinterpret_cast<LPARAM>(this)));
}

CPageSheet::~CPageSheet()
{
    m_host.reset();
}

HWND CPageSheet::Show(WORD templateId)
{
    m_template = templateId;
    if (!ok() || m_host->Init() != 1 || !m_host->CreateSheet())
        return nullptr;
    m_page = m_host->ShowPage(0);
    Pump();
    return m_page;
}

LONG CALLBACK CPageSheet::Owner(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    CPageSheet* sheet = reinterpret_cast<CPageSheet*>(info->lParamInit);
    UiData* ui = sheet->m_ui.get();
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        DWORD rows = 0;
        const PageTableRow* table = GetPageTable(ui, &rows);
        int row = GetPageRow(ui, sheet->m_template);
        if (row < 0)
            return -1;
        ui->hComPropSheet = info->hComPropSheet;
        ui->pfnComPropSheet = info->pfnComPropSheet;
        PROPSHEETPAGEW_V4 page = {};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_USETITLE;
        page.hInstance = ui->hModule;
        page.pszTemplate = MAKEINTRESOURCEW(sheet->m_template);
        page.pfnDlgProc = table[row].pfnDlgProc;
        page.lParam = reinterpret_cast<LPARAM>(ui);
        page.pszTitle = table[row].pszTitle;
        ui->hPages[row] = reinterpret_cast<HANDLE>(
            ui->pfnComPropSheet(ui->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0));
        info->UserData = reinterpret_cast<ULONG_PTR>(ui);
        info->Result = 0;
        return ui->hPages[row] ? 1 : -1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillSheetInfoHeader(lParam, ui->szPrinterName);
    case PROPSHEETUI_REASON_SET_RESULT:
        info->Result = reinterpret_cast<PSETRESULT_INFO>(lParam)->Result;
        return 1;
    case PROPSHEETUI_REASON_DESTROY:
        return 1;
    default:
        return -1;
    }
}

void CPageSheet::Pump()
{
    m_host->Pump();
}

void CPageSheet::Select(int id, int entry)
{
    SendDlgItemMessageW(m_page, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageW(m_page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(m_page, id)));
    Pump();
}

void CPageSheet::Click(int id)
{
    ClickIn(m_page, id);
    Pump();
}

void CPageSheet::Type(int id, LPCWSTR text)
{
    TypeIn(m_page, id, text);
    Pump();
}

bool CPageSheet::Apply()
{
    return m_host->Apply();
}

std::wstring ControlText(HWND window, int id)
{
    WCHAR text[TEXT_ROOM] = L"";
    GetDlgItemTextW(window, id, text, TEXT_ROOM);
    return text;
}

bool ControlShown(HWND window, int id)
{
    return (GetWindowLongW(GetDlgItem(window, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ControlEnabled(HWND window, int id)
{
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

bool ControlChecked(HWND window, int id)
{
    return IsDlgButtonChecked(window, id) == BST_CHECKED;
}

int ControlSelection(HWND window, int id)
{
    return static_cast<int>(SendDlgItemMessageW(window, id, CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> ControlEntries(HWND window, int id)
{
    std::vector<std::wstring> entries;
    LRESULT count = SendDlgItemMessageW(window, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR text[TEXT_ROOM] = L"";
        if (SendDlgItemMessageW(window, id, CB_GETLBTEXTLEN, i, 0) < TEXT_ROOM)
            SendDlgItemMessageW(window, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

void ClickIn(HWND window, int id)
{
    SendDlgItemMessageW(window, id, BM_CLICK, 0, 0);
}

void TypeIn(HWND window, int id, LPCWSTR text)
{
    HWND edit = GetDlgItem(window, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (!text[0])
        SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (LPCWSTR c = text; *c; ++c)
        SendMessageW(edit, WM_CHAR, *c, 0);
}

CPagePrinterFixture::CPagePrinterFixture(LPCWSTR name) : m_ok(false)
{
    m_name = m_registry.Unique(name);
    std::wstring port = m_registry.Unique(L"IP_Page");
    m_ok = m_emu.StartTcp(nullptr, 0) &&
           m_registry.AddTcpipPort(port.c_str(), m_emu.GetAddressW(), nullptr, m_emu.GetPort()) &&
           m_registry.AddPrinter(m_name.c_str(), L"Vornex T42", port.c_str(), nullptr);
}

std::vector<std::string> CPagePrinterFixture::TakeFrames()
{
    m_emu.WaitForIdle(5000);
    std::vector<std::string> frames;
    for (const EmuFrame& frame : m_emu.GetFrames())
        frames.push_back(frame.raw);
    m_emu.ClearFrames();
    return frames;
}

std::vector<std::string> Frames(std::initializer_list<const char*> requests)
{
    std::vector<std::string> frames;
    for (const char* request : requests)
        frames.push_back("\x1b" + std::string(request) + "\r");
    return frames;
}

