#include "SheetHost.h"

#include <cstring>

namespace {

thread_local CSheetHost* t_host = nullptr;
const ULONG_PTR FIRST_PAGE_HANDLE = 0x5100;
const ULONG_PTR PAGE_HANDLE_STEP = 0x10;
// Ids of a message box's text: the platform's, and Wine's.
const int BOX_TEXT_IDS[] = {0xFFFF, 100};

std::wstring WindowText(HWND window)
{
    WCHAR text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring Describe(LPCWSTR what, LPARAM value)
{
    WCHAR text[128];
    swprintf(text, 128, L"%ls 0x%llx", what, static_cast<unsigned long long>(value));
    return text;
}

} // namespace

HWND GetMessageBoxText(HWND dialog)
{
    HWND text = nullptr;
    for (int id : BOX_TEXT_IDS)
        if (!text)
            text = GetDlgItem(dialog, id);
    return text;
}

CSheetHost::CSheetHost(PFNPROPSHEETUI_ENTRY owner, LPARAM lParamInit)
    : m_owner(owner), m_info(), m_header(), m_nextHandle(FIRST_PAGE_HANDLE), m_failAt(0), m_failError(0),
      m_boxAnswer(IDOK), m_changed(0), m_initialised(false), m_destroyed(false), m_sheet(nullptr), m_hook(nullptr)
{
    m_info.cbSize = sizeof(m_info);
    m_info.Version = PROPSHEETUI_INFO_VERSION;
    m_info.Flags = PSUIINFO_UNICODE;
    m_info.hComPropSheet = ComPropSheet();
    m_info.pfnComPropSheet = ComPropSheet;
    m_info.lParamInit = lParamInit;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    t_host = this;
    m_hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

CSheetHost::~CSheetHost()
{
    if (m_sheet)
        DestroyWindow(m_sheet);
    if (m_initialised && !m_destroyed)
        Destroy();
    for (HostPage& page : m_pages)
        if (page.hPage)
            DestroyPropertySheetPage(page.hPage);
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    t_host = nullptr;
}

void CSheetHost::FailPageAdd(int nth, DWORD error)
{
    m_failAt = static_cast<int>(CallsOf(CPSFUNC_ADD_PROPSHEETPAGEW).size()) + nth;
    m_failError = error;
}

LONG CSheetHost::CallOwner(WORD reason, LPARAM lParam)
{
    m_info.Reason = reason;
    return m_owner(&m_info, lParam);
}

LONG CSheetHost::Init()
{
    LONG answer = CallOwner(PROPSHEETUI_REASON_INIT, 0);
    m_initialised = m_initialised || answer > 0;
    return answer;
}

LONG CSheetHost::GetInfoHeader()
{
    m_header = PROPSHEETUI_INFO_HEADER();
    m_header.cbSize = sizeof(m_header);
    LONG answer = CallOwner(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&m_header));
    m_title = m_header.pTitle ? m_header.pTitle : L"";
    return answer;
}

LONG CSheetHost::Destroy()
{
    m_destroyed = true;
    return CallOwner(PROPSHEETUI_REASON_DESTROY, 0);
}

LONG_PTR CSheetHost::ReportResult(HANDLE page, LRESULT result)
{
    return ComPropSheet(ComPropSheet(), CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(page), result);
}

std::vector<HostCall> CSheetHost::CallsOf(UINT function) const
{
    std::vector<HostCall> calls;
    for (const HostCall& call : m_calls)
        if (call.function == function)
            calls.push_back(call);
    return calls;
}

LONG_PTR CALLBACK CSheetHost::ComPropSheet(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2)
{
    CSheetHost* host = reinterpret_cast<CSheetHost*>(handle);
    if (!host || host != t_host) {
        if (t_host)
            t_host->m_violations.push_back(Describe(L"call with a foreign host handle", reinterpret_cast<LPARAM>(handle)));
        return 0;
    }
    size_t index = host->m_calls.size();
    host->m_calls.push_back({function, lParam1, lParam2, 0});
    LONG_PTR answer = 0;
    if (host->m_destroyed)
        host->m_violations.push_back(Describe(L"call after DESTROY, function", function));
    else if (function == CPSFUNC_ADD_PROPSHEETPAGEW)
        answer = host->AddPage(reinterpret_cast<const PROPSHEETPAGEW_V4*>(lParam1));
    else if (function == CPSFUNC_DELETE_HCOMPROPSHEET)
        answer = host->DeletePage(reinterpret_cast<HANDLE>(lParam1));
    else if (function == CPSFUNC_SET_RESULT)
        answer = host->SetResult(reinterpret_cast<HANDLE>(lParam1), lParam2);
    else
        host->m_violations.push_back(Describe(L"unexpected function", function));
    // The re-entrant owner call may have added calls after this one.
    host->m_calls[index].answer = answer;
    return answer;
}

LONG_PTR CSheetHost::AddPage(const PROPSHEETPAGEW_V4* page)
{
    if (!page || page->dwSize < PROPSHEETPAGEW_V1_SIZE || page->dwSize > sizeof(PROPSHEETPAGEW_V4)) {
        m_violations.push_back(Describe(L"page record of size", page ? page->dwSize : 0));
        return 0;
    }
    if (static_cast<int>(CallsOf(CPSFUNC_ADD_PROPSHEETPAGEW).size()) == m_failAt) {
        SetLastError(m_failError);
        return 0;
    }
    HostPage added = {};
    memcpy(&added.page, page, page->dwSize);
    if ((page->dwFlags & PSP_USETITLE) && page->pszTitle && !IS_INTRESOURCE(page->pszTitle))
        added.title = page->pszTitle;
    added.hPage = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(page));
    if (!added.hPage)
        return 0;
    added.handle = reinterpret_cast<HANDLE>(m_nextHandle);
    m_nextHandle += PAGE_HANDLE_STEP;
    m_pages.push_back(added);
    return reinterpret_cast<LONG_PTR>(added.handle);
}

LONG_PTR CSheetHost::DeletePage(HANDLE handle)
{
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].handle == handle) {
            if (m_pages[i].hPage)
                DestroyPropertySheetPage(m_pages[i].hPage);
            m_pages.erase(m_pages.begin() + static_cast<long>(i));
            return 1;
        }
    }
    m_violations.push_back(Describe(L"delete of an unknown page", reinterpret_cast<LPARAM>(handle)));
    return 0;
}

LONG_PTR CSheetHost::SetResult(HANDLE handle, LRESULT result)
{
    bool known = false;
    for (const HostPage& page : m_pages)
        known = known || page.handle == handle;
    if (!known) {
        m_violations.push_back(Describe(L"result for an unknown page", reinterpret_cast<LPARAM>(handle)));
        return 0;
    }
    SETRESULT_INFO info = {sizeof(info), 0, handle, result};
    return CallOwner(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&info)) > 0 ? 1 : 0;
}

bool CSheetHost::CreateSheet()
{
    GetInfoHeader();
    std::vector<HPROPSHEETPAGE> pages;
    for (const HostPage& page : m_pages)
        pages.push_back(page.hPage);
    PROPSHEETHEADERW sheet = {};
    sheet.dwSize = sizeof(sheet);
    sheet.dwFlags = PSH_MODELESS | PSH_NOCONTEXTHELP;
    if (m_header.Flags & PSUIHDRF_NOAPPLYNOW)
        sheet.dwFlags |= PSH_NOAPPLYNOW;
    if (m_header.Flags & PSUIHDRF_PROPTITLE)
        sheet.dwFlags |= PSH_PROPTITLE;
    sheet.hInstance = m_header.hInst;
    sheet.pszCaption = m_title.c_str();
    sheet.nPages = static_cast<UINT>(pages.size());
    sheet.phpage = pages.data();
    m_sheet = reinterpret_cast<HWND>(PropertySheetW(&sheet));
    // comctl32 owns the pages now and destroys them with the sheet.
    for (HostPage& page : m_pages)
        page.hPage = nullptr;
    if (!m_sheet || reinterpret_cast<INT_PTR>(m_sheet) == -1) {
        m_sheet = nullptr;
        return false;
    }
    SetWindowSubclass(m_sheet, SheetSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
    Pump();
    return true;
}

HWND CSheetHost::ShowPage(int index)
{
    if (!m_sheet || !PropSheet_SetCurSel(m_sheet, nullptr, index))
        return nullptr;
    Pump();
    return PropSheet_IndexToHwnd(m_sheet, index);
}

bool CSheetHost::Apply()
{
    if (!m_sheet)
        return false;
    BOOL applied = PropSheet_Apply(m_sheet);
    Pump();
    return applied != FALSE;
}

bool CSheetHost::Close(int button)
{
    if (!m_sheet)
        return false;
    PropSheet_PressButton(m_sheet, button);
    Pump();
    // A modeless sheet that has finished shows no current page.
    if (PropSheet_GetCurrentPageHwnd(m_sheet))
        return false;
    DestroyWindow(m_sheet);
    m_sheet = nullptr;
    Destroy();
    return true;
}

void CSheetHost::Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (m_sheet && PropSheet_IsDialogMessage(m_sheet, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK CSheetHost::SheetSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data)
{
    if (message == PSM_CHANGED)
        ++reinterpret_cast<CSheetHost*>(data)->m_changed;
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CSheetHost::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    CSheetHost* host = t_host;
    if (host && code == HCBT_ACTIVATE)
        host->CatchBox(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(host ? host->m_hook : nullptr, code, wParam, lParam);
}

void CSheetHost::CatchBox(HWND box)
{
    WCHAR className[16] = L"";
    GetClassNameW(box, className, 16);
    if (box == m_sheet || wcscmp(className, L"#32770") != 0)
        return;
    HWND text = GetMessageBoxText(box);
    if (!text)
        return;
    CaughtBox caught = {WindowText(box), WindowText(text), nullptr, GetWindow(box, GW_OWNER) != nullptr};
    LPCWSTR icons[] = {IDI_ERROR, IDI_WARNING, IDI_INFORMATION, IDI_QUESTION};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        HICON shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        for (LPCWSTR icon : icons)
            if (shown && shown == LoadIconW(nullptr, icon))
                caught.icon = icon;
    }
    m_boxes.push_back(caught);
    int answer = GetDlgItem(box, m_boxAnswer) ? m_boxAnswer : IDCANCEL;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}
