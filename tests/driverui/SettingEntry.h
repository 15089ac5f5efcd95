// What the tests of the pages with trackbar settings add to CPageSheet: the
// other ways a user enters a value (pasting, the arrow keys in an edit, the
// keys of a trackbar), the message boxes in one text, and one entry checked
// against what the page then shows. Header only.
#pragma once

// First: it brings the sockets' header before the platform's.
#include "PageSheet.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DevModeImage.h"

// How the user enters something into a control.
enum Hand { TYPE, PASTE, EDIT_KEY, BAR_KEY, CLICK };

// Text typed or pasted over the edit's selected text, a key pressed on the
// edit or on the trackbar, or a click on the button given as the edit; then
// the pending messages.
inline void Enter(CPageSheet& sheet, Hand hand, HWND edit, HWND bar, LPCWSTR text, WPARAM key)
{
    if (hand == TYPE) {
        TypeIn(GetParent(edit), GetDlgCtrlID(edit), text);
    } else if (hand == PASTE && OpenClipboard(nullptr)) {
        size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(memory), text, bytes);
        GlobalUnlock(memory);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_PASTE, 0, 0);
    } else if (hand == CLICK) {
        ClickIn(GetParent(edit), GetDlgCtrlID(edit));
    } else if (hand == EDIT_KEY || hand == BAR_KEY) {
        SendMessageW(hand == EDIT_KEY ? edit : bar, WM_KEYDOWN, key, 1);
        SendMessageW(hand == EDIT_KEY ? edit : bar, WM_KEYUP, key, 0xC0000001);
    }
    sheet.Pump();
}

// What the message boxes from the first'th on said, one line each.
inline std::wstring Boxes(CSheetHost& host, size_t first = 0)
{
    std::wstring lines;
    for (size_t i = first; i < host.MessageBoxes().size(); ++i) {
        const CaughtBox& box = host.MessageBoxes()[i];
        lines += box.caption + L": " + box.text + (box.icon == IDI_ERROR ? L" (error)" : L"") +
                 (box.owned ? L" (owned)" : L"") + L"\n";
    }
    return lines;
}

// TRUE when apply brought one CPSUI_OK from the page, for the entry of
// hPages at row, the page's row in its model's table.
inline bool ReportedAt(CPageSheet& sheet, int row)
{
    std::vector<HostCall> calls = sheet.Host().CallsOf(CPSFUNC_SET_RESULT);
    return calls.size() == 1 && calls[0].lParam2 == CPSUI_OK && sheet.Ui().hPages[row] &&
           calls[0].lParam1 == reinterpret_cast<LPARAM>(sheet.Ui().hPages[row]);
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
inline void EnterSetting(CPageSheet& sheet, int firstBar, int firstEdit, const SettingEntry& e)
{
    HWND bar = GetDlgItem(sheet.Page(), firstBar + e.index), edit = GetDlgItem(sheet.Page(), firstEdit + e.index);
    size_t boxes = sheet.Host().MessageBoxes().size();
    Enter(sheet, e.hand, edit, bar, e.text, e.key);
    EXPECT_EQ(e.value, SendMessageW(bar, TBM_GETPOS, 0, 0)) << e.what;
    EXPECT_EQ(e.shown, ControlText(sheet.Page(), firstEdit + e.index)) << e.what;
    EXPECT_EQ(e.box, Boxes(sheet.Host(), boxes)) << e.what;
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(e.box.empty() || (start == 0 && end == wcslen(e.shown))) << e.what;
}

// Loads an image of the whole record as the working DEVMODE.
inline void LoadWorking(CPageSheet& sheet, const DevModeImage& image)
{
    memcpy(&sheet.Ui().DevMode, image.data(), image.size());
}
