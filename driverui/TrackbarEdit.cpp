#include "TrackbarEdit.h"

#include <commctrl.h>

#include <cwchar>
#include <new>

#include "DialogInteger.h"
#include "NumberText.h"
#include "Platform.h"
#include "QuietPage.h"

namespace {

// Room of the range message.
const DWORD MESSAGE_ROOM = 512;

void FormatInRange(const NumberRange& range, int value, LPWSTR out, DWORD cchOut)
{
    if (range.bHundredths)
        FormatHundredths(value, out, cchOut);
    else
        FormatEditInteger(value, out, cchOut);
}

BOOL IsRefusedChar(const NumberRange& range, WPARAM c)
{
    if (c == L'-' && range.nMin < 0)
        return FALSE;
    if (c == L'.' && range.bHundredths)
        return FALSE;
    return (c >= L'!' && c <= L'/') || (c >= L':' && c <= L'~');
}

// TRUE when the key was the setting's.
BOOL HandleNumberEditKey(HWND edit, UINT message, WPARAM wParam, const NumberRange& range, HWND trackbar)
{
    if (message == WM_CHAR)
        return IsRefusedChar(range, wParam);
    if (message != WM_KEYDOWN || (wParam != VK_UP && wParam != VK_DOWN))
        return FALSE;
    long long value = ReadEditNumber(edit, range);
    int stepped = ClampToRange(range, value + (wParam == VK_UP ? 1 : -1));
    WriteEditNumber(edit, range, stepped);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetTrackbarPosition(trackbar, stepped);
    return TRUE;
}

} // namespace

int SettingOfBar(const SettingIds& ids, int id)
{
    int index = id - ids.nFirstBar;
    return index >= 0 && index < ids.nCount ? index : -1;
}

int SettingOfEdit(const SettingIds& ids, int id)
{
    int index = id - ids.nFirstEdit;
    return index >= 0 && index < ids.nCount ? index : -1;
}

HWND SettingBar(HWND page, const SettingIds& ids, int index)
{
    return GetDlgItem(page, ids.nFirstBar + index);
}

HWND SettingEdit(HWND page, const SettingIds& ids, int index)
{
    return GetDlgItem(page, ids.nFirstEdit + index);
}

int ClampToRange(const NumberRange& range, long long value)
{
    if (value < range.nMin)
        return range.nMin;
    if (value > range.nMax)
        return range.nMax;
    return static_cast<int>(value);
}

int ReadEditNumber(HWND edit, const NumberRange& range)
{
    // An edit holds more than a number's room only when pasted into: such a
    // text is read whole, so that a long number saturates rather than being
    // read by its first digits.
    int length = GetWindowTextLengthW(edit);
    WCHAR small[NUMBER_TEXT_ROOM] = L"";
    LPWSTR text = length < static_cast<int>(NUMBER_TEXT_ROOM) ? small : new (std::nothrow) WCHAR[length + 1];
    if (!text)
        return 0;
    text[0] = L'\0';
    GetWindowTextW(edit, text, length + 1);
    int value = range.bHundredths ? ParseHundredths(text) : ReadDialogInteger(text);
    if (text != small)
        delete[] text;
    return value;
}

void WriteEditNumber(HWND edit, const NumberRange& range, int value)
{
    WCHAR text[NUMBER_TEXT_ROOM];
    FormatInRange(range, value, text, NUMBER_TEXT_ROOM);
    SetWindowTextW(edit, text);
}

void SetUpTrackbar(HWND trackbar, const NumberRange& range, int position)
{
    SendMessageW(trackbar, TBM_SETRANGEMIN, FALSE, range.nMin);
    SendMessageW(trackbar, TBM_SETRANGEMAX, FALSE, range.nMax);
    SendMessageW(trackbar, TBM_SETPAGESIZE, 0, TRACKBAR_PAGE_SIZE);
    // Some trackbars place the thumb for a new range only when the position
    // changes: the position goes through another value first.
    SendMessageW(trackbar, TBM_SETPOS, FALSE, position == range.nMin ? range.nMax : range.nMin);
    SetTrackbarPosition(trackbar, position);
}

int GetTrackbarPosition(HWND trackbar)
{
    return static_cast<int>(SendMessageW(trackbar, TBM_GETPOS, 0, 0));
}

void SetTrackbarPosition(HWND trackbar, int position)
{
    SendMessageW(trackbar, TBM_SETPOS, TRUE, position);
}

int ShowBarInEdit(HWND page, const SettingIds& ids, HWND bar, const NumberRange& (*rangeOf)(int index))
{
    int index = SettingOfBar(ids, GetDlgCtrlID(bar));
    if (index >= 0) {
        CQuietPage quiet(page);
        WriteEditNumber(SettingEdit(page, ids, index), rangeOf(index), GetTrackbarPosition(bar));
    }
    return index;
}

int SettingChangedByUser(HWND page, const SettingIds& ids, WORD id, WORD code)
{
    return code == EN_CHANGE && !IsPageQuiet(page) ? SettingOfEdit(ids, id) : -1;
}

void FollowEntry(HWND page, const SettingIds& ids, int index, const NumberRange& range, int typed,
                 CTranslater& translater, LPCWSTR section)
{
    int value = ClampToRange(range, typed);
    SetTrackbarPosition(SettingBar(page, ids, index), value);
    if (value != typed)
        CorrectEntry(page, SettingEdit(page, ids, index), range, value, translater, section);
}

WNDPROC SubclassEdits(HWND page, const SettingIds& ids, WNDPROC proc)
{
    WNDPROC previous = nullptr;
    for (int i = 0; i < ids.nCount; ++i) {
        LONG_PTR had = SetWindowLongPtrW(SettingEdit(page, ids, i), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        if (had)
            previous = reinterpret_cast<WNDPROC>(had);
    }
    return previous;
}

LRESULT RunNumberEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous,
                          const SettingIds& ids, const NumberRange& (*rangeOf)(int index))
{
    int index = SettingOfEdit(ids, GetDlgCtrlID(edit));
    if (index >= 0 &&
        HandleNumberEditKey(edit, message, wParam, rangeOf(index), SettingBar(GetParent(edit), ids, index)))
        return 0;
    return CallWindowProcW(previous, edit, message, wParam, lParam);
}

void ShowRangeMessage(CTranslater& translater, LPCWSTR section, const NumberRange& range)
{
    // The sheet's pages share one translator, and each page created since
    // this one has made its own section current.
    translater.SetSection(section);
    WCHAR low[NUMBER_TEXT_ROOM], high[NUMBER_TEXT_ROOM], text[MESSAGE_ROOM], title[MESSAGE_ROOM];
    FormatInRange(range, range.nMin, low, NUMBER_TEXT_ROOM);
    FormatInRange(range, range.nMax, high, NUMBER_TEXT_ROOM);
    swprintf(text, MESSAGE_ROOM, L"%ls %ls ~ %ls .", translater.Translate(L"Enter from"), low, high);
    swprintf(title, MESSAGE_ROOM, L"%ls", translater.Translate(L"Error"));
    DebugTrace(L"ShowRangeMessage(), section = %ls, text = %ls,\n", section, text);
    MessageBoxW(nullptr, text, title, MB_OK | MB_ICONERROR);
}

void CorrectEntry(HWND page, HWND edit, const NumberRange& range, int value, CTranslater& translater,
                  LPCWSTR section)
{
    {
        CQuietPage quiet(page);
        WriteEditNumber(edit, range, value);
    }
    SendMessageW(edit, EM_SETSEL, 0, -1);
    ShowRangeMessage(translater, section, range);
}
