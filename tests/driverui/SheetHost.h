// CSheetHost: a double of the platform's common property-sheet host, which
// calls a sheet owner's entry (DrvDocumentPropertySheets or
// DrvDevicePropertySheets) through its life cycle and shows the pages it adds.
//
// - Its pfnComPropSheet takes CPSFUNC_ADD_PROPSHEETPAGEW (the page is kept as
//   given and made into a comctl32 page; each row gets a distinct handle),
//   CPSFUNC_DELETE_HCOMPROPSHEET and CPSFUNC_SET_RESULT, which it passes back
//   into the owner at once with PROPSHEETUI_REASON_SET_RESULT, re-entrantly,
//   as the platform's host does. Anything else is recorded as a violation.
// - The sheet is comctl32's PropertySheetW, modeless, so that a test drives
//   it on its own thread; PSM_CHANGED sent to the sheet is counted.
// - Message boxes shown on the thread while the host lives are caught by a
//   WH_CBT hook, recorded and answered.
// One host at a time per thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DriverUi.h"

// A page as the owner added it.
struct HostPage {
    HANDLE handle; // what pfnComPropSheet answered
    PROPSHEETPAGEW_V4 page; // the record as given (dwSize bytes of it)
    std::wstring title; // copied at the call
    HPROPSHEETPAGE hPage; // comctl32's page
};

// One call of pfnComPropSheet.
struct HostCall {
    UINT function;
    LPARAM lParam1;
    LPARAM lParam2;
    LONG_PTR answer;
};

// A message box the hook caught.
struct CaughtBox {
    std::wstring caption;
    std::wstring text;
    LPCWSTR icon; // IDI_ERROR, IDI_WARNING, IDI_INFORMATION, IDI_QUESTION or NULL
    bool owned; // it had an owner window
};

// The text of a dialog that is a message box (the platform's control id or
// Wine's), or NULL for any other dialog.
HWND GetMessageBoxText(HWND dialog);

class CSheetHost {
public:
    // owner: the sheet owner's entry; lParamInit: its header.
    CSheetHost(PFNPROPSHEETUI_ENTRY owner, LPARAM lParamInit);
    ~CSheetHost();
    CSheetHost(const CSheetHost&) = delete;
    CSheetHost& operator=(const CSheetHost&) = delete;

    // The nth page add from now (1 = the next) answers 0 with error as the
    // last error.
    void FailPageAdd(int nth, DWORD error);
    // The button the hook presses in every message box (IDOK by default;
    // a box without that button is answered with IDCANCEL).
    void AnswerMessageBoxes(int id) { m_boxAnswer = id; }

    // The owner's entry with each reason; the answers are the owner's.
    LONG Init();
    LONG GetInfoHeader();
    LONG Destroy();
    // What a page does at PSN_APPLY: pfnComPropSheet with CPSFUNC_SET_RESULT.
    LONG_PTR ReportResult(HANDLE page, LRESULT result);

    PROPSHEETUI_INFO& Info() { return m_info; }
    const PROPSHEETUI_INFO_HEADER& InfoHeader() const { return m_header; }
    HANDLE ComPropSheet() const { return reinterpret_cast<HANDLE>(const_cast<CSheetHost*>(this)); }
    const std::vector<HostPage>& Pages() const { return m_pages; }
    const std::vector<HostCall>& Calls() const { return m_calls; }
    // Calls of one function.
    std::vector<HostCall> CallsOf(UINT function) const;
    const std::vector<std::wstring>& Violations() const { return m_violations; }
    const std::vector<CaughtBox>& MessageBoxes() const { return m_boxes; }
    int ChangedCount() const { return m_changed; }

    // Asks the owner for its header and shows the pages added so far in a
    // modeless sheet. FALSE when comctl32 refuses.
    bool CreateSheet();
    HWND Sheet() const { return m_sheet; }
    // Selects a page, which creates its dialog, and gives its window.
    HWND ShowPage(int index);
    // The Apply button: every page created so far gets PSN_APPLY.
    bool Apply();
    // OK or Cancel: the sheet closes, is destroyed, and the owner gets
    // PROPSHEETUI_REASON_DESTROY as from the platform's host.
    bool PressOk() { return Close(PSBTN_OK); }
    bool PressCancel() { return Close(PSBTN_CANCEL); }
    // Handles the thread's pending messages.
    void Pump();

private:
    static LONG_PTR CALLBACK ComPropSheet(HANDLE host, UINT function, LPARAM lParam1, LPARAM lParam2);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SheetSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
    LONG_PTR AddPage(const PROPSHEETPAGEW_V4* page);
    LONG_PTR DeletePage(HANDLE handle);
    LONG_PTR SetResult(HANDLE handle, LRESULT result);
    LONG CallOwner(WORD reason, LPARAM lParam);
    bool Close(int button);
    void CatchBox(HWND box);

    PFNPROPSHEETUI_ENTRY m_owner;
    PROPSHEETUI_INFO m_info;
    PROPSHEETUI_INFO_HEADER m_header;
    std::wstring m_title;
    std::vector<HostPage> m_pages;
    std::vector<HostCall> m_calls;
    std::vector<std::wstring> m_violations;
    std::vector<CaughtBox> m_boxes;
    ULONG_PTR m_nextHandle;
    int m_failAt;
    DWORD m_failError;
    int m_boxAnswer;
    int m_changed;
    bool m_initialised;
    bool m_destroyed;
    HWND m_sheet;
    HHOOK m_hook;
};
