// A setting shown as a trackbar with an edit box beside it, as the Image
// Color and Heating Energy pages show theirs: the range and the form of its
// text, the keys its edit takes, and the message for a value out of range.
#pragma once

#include <windows.h>

#include "Translater.h"

// Steps of a trackbar's Page Up and Page Down.
const int TRACKBAR_PAGE_SIZE = 10;

struct NumberRange {
    int nMin;
    int nMax;
    BOOL bHundredths; // shown as "%d.%d%d", typed with a '.'
};

// Where a page's settings are: setting i has the trackbar nFirstBar + i and
// the edit nFirstEdit + i.
struct SettingIds {
    int nFirstBar;
    int nFirstEdit;
    int nCount;
};

// The setting of a trackbar's or an edit's id, or -1.
int SettingOfBar(const SettingIds& ids, int id);
int SettingOfEdit(const SettingIds& ids, int id);
HWND SettingBar(HWND page, const SettingIds& ids, int index);
HWND SettingEdit(HWND page, const SettingIds& ids, int index);

int ClampToRange(const NumberRange& range, long long value);

// The number the edit's text gives in the range's form (not yet clamped).
int ReadEditNumber(HWND edit, const NumberRange& range);
// Writes value into the edit in the range's form; the edit reports
// EN_CHANGE as for any other change of its text.
void WriteEditNumber(HWND edit, const NumberRange& range, int value);

// The range, the page size and the position.
void SetUpTrackbar(HWND trackbar, const NumberRange& range, int position);
int GetTrackbarPosition(HWND trackbar);
void SetTrackbarPosition(HWND trackbar, int position);

// WM_HSCROLL of a trackbar: its position is written into the setting's edit,
// which the page's edit-changed path does not take for the user's. Gives
// the setting, or -1 for a trackbar of no setting.
int ShowBarInEdit(HWND page, const SettingIds& ids, HWND bar, const NumberRange& (*rangeOf)(int index));
// The setting whose edit the user changed (EN_CHANGE of its edit, not
// written by the page itself), or -1.
int SettingChangedByUser(HWND page, const SettingIds& ids, WORD id, WORD code);
// What follows a number typed into the setting's edit: the trackbar moves to
// it, taken into the range, and an entry out of range is corrected
// (CorrectEntry).
void FollowEntry(HWND page, const SettingIds& ids, int index, const NumberRange& range, int typed,
                 CTranslater& translater, LPCWSTR section);

// Replaces the window procedure of the settings' edits by proc and gives the
// one they had (all edits share the edit class's).
WNDPROC SubclassEdits(HWND page, const SettingIds& ids, WNDPROC proc);

// The procedure of a page's edits, rangeOf giving each setting's range.
// Printable characters other than digits are refused, but '-' where the
// range goes below 0 and '.' for hundredths; the up and down arrows step the
// number by one within the range, write it back through the edit-changed
// path, select it and move the trackbar. Everything else goes to the edits'
// previous procedure.
LRESULT RunNumberEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous,
                          const SettingIds& ids, const NumberRange& (*rangeOf)(int index));

// The message box of an entry out of range, without owner: the translations
// of "Error" (title) and "Enter from", in the page's section, with the
// range's ends in its form.
void ShowRangeMessage(CTranslater& translater, LPCWSTR section, const NumberRange& range);

// An entry out of range: the edit shows the corrected value, selected, and
// the range message explains it. The page's edit-changed path does not see
// the correction.
void CorrectEntry(HWND page, HWND edit, const NumberRange& range, int value, CTranslater& translater,
                  LPCWSTR section);
