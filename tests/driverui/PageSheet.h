// The printing-preferences sheet of an installed printer, opened in the sheet
// host double on a caller's DEVMODE, for the tests of its pages, and the
// user's hand on a page's controls through the messages the controls take
// themselves (characters, keys, clicks, the clipboard). Header only: each
// page's test program includes it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DevModeImage.h"
#include "InstalledPrinter.h"
#include "SheetHost.h"
#include "UiData.h"

class CPageSheet {
public:
    // INIT with in as the caller's DEVMODE (handed back into Out() at a
    // confirmed result), then the modeless sheet.
    CPageSheet(QelUiModule& ui, CInstalledPrinter& printer, const DevModeImage& in)
        : m_in(in), m_out(IMAGE_SIZE),
          m_header{sizeof(DOCUMENTPROPERTYHEADER), 0, printer.Handle(), printer.NameText(), m_in.DevMode(),
                   m_out.DevMode(), static_cast<DWORD>(m_out.size()), DM_IN_BUFFER | DM_OUT_BUFFER},
          m_host(ui.documentSheets, reinterpret_cast<LPARAM>(&m_header))
    {
        m_ok = m_host.Init() == 1 && m_host.CreateSheet();
    }
    bool ok() const { return m_ok; }
    CSheetHost& Host() { return m_host; }
    GuardedBuffer& Out() { return m_out; }
    // The working DEVMODE that the pages edit.
    const BYTE* Working()
    {
        return reinterpret_cast<const BYTE*>(&reinterpret_cast<UiData*>(m_host.Info().UserData)->DevMode);
    }

    // The row of the page of a template, or -1.
    int RowOf(WORD templateId) const
    {
        for (size_t row = 0; row < m_host.Pages().size(); ++row)
            if (m_host.Pages()[row].page.pszTemplate == MAKEINTRESOURCEW(templateId))
                return static_cast<int>(row);
        return -1;
    }
    // Selects the page of a template, which creates it.
    HWND Show(WORD templateId) { return RowOf(templateId) < 0 ? nullptr : m_host.ShowPage(RowOf(templateId)); }
    // The row of each page that reported CPSUI_OK with CPSFUNC_SET_RESULT,
    // in call order; -1 for another result or an unknown handle.
    std::vector<int> ReportedRows() const
    {
        std::vector<int> rows;
        for (const HostCall& call : m_host.CallsOf(CPSFUNC_SET_RESULT)) {
            rows.push_back(-1);
            for (size_t i = 0; i < m_host.Pages().size(); ++i)
                if (call.lParam2 == CPSUI_OK && call.lParam1 == reinterpret_cast<LPARAM>(m_host.Pages()[i].handle))
                    rows.back() = static_cast<int>(i);
        }
        return rows;
    }
    // What the message boxes from the first'th on said, one line each.
    std::wstring Boxes(size_t first = 0) const
    {
        std::wstring lines;
        for (size_t i = first; i < m_host.MessageBoxes().size(); ++i) {
            const CaughtBox& box = m_host.MessageBoxes()[i];
            lines += box.caption + L": " + box.text + (box.icon == IDI_ERROR ? L" (error)" : L"") +
                     (box.owned ? L" (owned)" : L"") + L"\n";
        }
        return lines;
    }

private:
    DevModeImage m_in;
    GuardedBuffer m_out;
    DOCUMENTPROPERTYHEADER m_header;
    CSheetHost m_host;
    bool m_ok;
};

// A suite of one page's tests: QelUI.dll and a T42 printer for all of them.
class PageSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui = new QelUiModule();
        printer = new CInstalledPrinter(L"T42");
    }
    static void TearDownTestSuite()
    {
        delete printer;
        delete ui;
    }
    void SetUp() override { ASSERT_TRUE(ui->ok() && printer->ok()); }
    static inline QelUiModule* ui = nullptr;
    static inline CInstalledPrinter* printer = nullptr;
};

inline std::wstring TextOf(HWND window)
{
    WCHAR text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// How the user enters something: text typed (character by character) or
// pasted over the edit's selected text, a key pressed on the edit or on the
// trackbar, or a click on the button given as the edit.
enum Hand { TYPE, PASTE, EDIT_KEY, BAR_KEY, CLICK };

inline void Enter(CSheetHost& host, Hand hand, HWND edit, HWND bar, LPCWSTR text, WPARAM key)
{
    if (hand == TYPE || hand == PASTE)
        SendMessageW(edit, EM_SETSEL, 0, -1);
    if (hand == TYPE) {
        for (const WCHAR* c = text; *c; ++c)
            SendMessageW(edit, WM_CHAR, *c, 1);
    } else if (hand == PASTE && OpenClipboard(nullptr)) {
        size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(memory), text, bytes);
        GlobalUnlock(memory);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageW(edit, WM_PASTE, 0, 0);
    } else if (hand == CLICK) {
        SendMessageW(edit, BM_CLICK, 0, 0);
    } else if (hand == EDIT_KEY || hand == BAR_KEY) {
        SendMessageW(hand == EDIT_KEY ? edit : bar, WM_KEYDOWN, key, 1);
        SendMessageW(hand == EDIT_KEY ? edit : bar, WM_KEYUP, key, 0xC0000001);
    }
    host.Pump();
}

// One entry into a setting of a trackbar and an edit, and what the page
// shows then.
struct SettingEntry {
    const char* what;
    int index; // the setting: trackbar firstBar + index, edit firstEdit + index
    Hand hand;
    LPCWSTR text;
    WPARAM key;
    int value; // the trackbar's position
    LPCWSTR shown; // the edit's text
    std::wstring box; // the message boxes the entry brought, one line each
};

// Makes the entry and checks the trackbar, the edit (its text selected after
// a message) and the message boxes.
inline void EnterSetting(CPageSheet& sheet, HWND page, int firstBar, int firstEdit, const SettingEntry& e)
{
    HWND bar = GetDlgItem(page, firstBar + e.index), edit = GetDlgItem(page, firstEdit + e.index);
    size_t boxes = sheet.Host().MessageBoxes().size();
    Enter(sheet.Host(), e.hand, edit, bar, e.text, e.key);
    EXPECT_EQ(e.value, SendMessageW(bar, TBM_GETPOS, 0, 0)) << e.what;
    EXPECT_EQ(e.shown, TextOf(edit)) << e.what;
    EXPECT_EQ(e.box, sheet.Boxes(boxes)) << e.what;
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(e.box.empty() || (start == 0 && end == wcslen(e.shown))) << e.what;
}
