// CPageSheet: the printing-preferences sheet of an installed printer, opened
// in the sheet host double on a caller's DEVMODE, for the tests of its
// pages; and the user's hand on a page's controls, through the messages the
// controls themselves take (characters, keys, clicks, the clipboard).
// Header only: each page's test program includes it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "DevModeImage.h"
#include "InstalledPrinter.h"
#include "SheetHost.h"
#include "UiData.h"

class CPageSheet {
public:
    // Opens the sheet: INIT with in as the caller's DEVMODE (handed back
    // into Out() on the set-result call), and the modeless sheet.
    CPageSheet(QelUiModule& ui, CInstalledPrinter& printer, const DevModeImage& in);
    CPageSheet(const CPageSheet&) = delete;
    CPageSheet& operator=(const CPageSheet&) = delete;

    bool ok() const { return m_ok; }
    CSheetHost& Host() { return m_host; }
    // The row of the page of a template in the sheet, or -1.
    int RowOf(WORD templateId) const;
    // Selects the page of a template, which creates it; NULL without one.
    HWND Show(WORD templateId);
    // The working DEVMODE that the pages edit.
    const BYTE* Working();
    // The caller's output DEVMODE.
    GuardedBuffer& Out() { return m_out; }
    // The row of each page that reported CPSUI_OK through CPSFUNC_SET_RESULT
    // so far, in call order; -1 for another result or an unknown handle.
    std::vector<int> ReportedRows() const;
    // What the message boxes from the first'th on said, one line each.
    std::wstring Boxes(size_t first = 0) const;

private:
    DevModeImage m_in;
    GuardedBuffer m_out;
    DOCUMENTPROPERTYHEADER m_header;
    CSheetHost m_host;
    bool m_ok;
};

// Selects the edit's text and types text into it, character by character.
void TypeInto(HWND edit, LPCWSTR text);
// Selects the edit's text and pastes text from the clipboard over it.
void PasteInto(HWND edit, LPCWSTR text);
// A key pressed and let go on a control.
void PressKey(HWND control, WPARAM key);
// A click on a button.
void Click(HWND button);
std::wstring TextOf(HWND window);
// An image with a signed 16-bit value at a private-part offset.
DevModeImage& PrivShort(DevModeImage& image, size_t offset, int value);


inline CPageSheet::CPageSheet(QelUiModule& ui, CInstalledPrinter& printer, const DevModeImage& in)
    : m_in(in), m_out(IMAGE_SIZE),
      m_header{sizeof(DOCUMENTPROPERTYHEADER), 0, printer.Handle(), printer.NameText(), m_in.DevMode(),
               m_out.DevMode(), static_cast<DWORD>(m_out.size()), DM_IN_BUFFER | DM_OUT_BUFFER},
      m_host(ui.documentSheets, reinterpret_cast<LPARAM>(&m_header)), m_ok(false)
{
    m_ok = m_host.Init() == 1 && m_host.CreateSheet();
}

inline int CPageSheet::RowOf(WORD templateId) const
{
    const std::vector<HostPage>& pages = m_host.Pages();
    for (size_t row = 0; row < pages.size(); ++row)
        if (pages[row].page.pszTemplate == MAKEINTRESOURCEW(templateId))
            return static_cast<int>(row);
    return -1;
}

inline HWND CPageSheet::Show(WORD templateId)
{
    int row = RowOf(templateId);
    return row < 0 ? nullptr : m_host.ShowPage(row);
}

inline const BYTE* CPageSheet::Working()
{
    const UiData* block = reinterpret_cast<const UiData*>(m_host.Info().UserData);
    return block ? reinterpret_cast<const BYTE*>(&block->DevMode) : nullptr;
}

inline std::vector<int> CPageSheet::ReportedRows() const
{
    std::vector<int> rows;
    const std::vector<HostPage>& pages = m_host.Pages();
    for (const HostCall& call : m_host.CallsOf(CPSFUNC_SET_RESULT)) {
        int row = -1;
        for (size_t i = 0; i < pages.size(); ++i)
            if (call.lParam2 == CPSUI_OK && call.lParam1 == reinterpret_cast<LPARAM>(pages[i].handle))
                row = static_cast<int>(i);
        rows.push_back(row);
    }
    return rows;
}

inline std::wstring CPageSheet::Boxes(size_t first) const
{
    std::wstring lines;
    const std::vector<CaughtBox>& boxes = m_host.MessageBoxes();
    for (size_t i = first; i < boxes.size(); ++i) {
        const CaughtBox& box = boxes[i];
        lines += box.caption + L": " + box.text + (box.icon == IDI_ERROR ? L" (error)" : L"") +
                 (box.owned ? L" (owned)" : L"") + L"\n";
    }
    return lines;
}

inline void TypeInto(HWND edit, LPCWSTR text)
{
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const WCHAR* c = text; *c; ++c)
        SendMessageW(edit, WM_CHAR, *c, 1);
}

inline void PasteInto(HWND edit, LPCWSTR text)
{
    size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
    CloseClipboard();
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
}

inline void PressKey(HWND control, WPARAM key)
{
    SendMessageW(control, WM_KEYDOWN, key, 1);
    SendMessageW(control, WM_KEYUP, key, 0xC0000001);
}

inline void Click(HWND button)
{
    SendMessageW(button, BM_CLICK, 0, 0);
}

inline std::wstring TextOf(HWND window)
{
    WCHAR text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

inline DevModeImage& PrivShort(DevModeImage& image, size_t offset, int value)
{
    return image.PrivWord(offset, static_cast<WORD>(static_cast<SHORT>(value)));
}
