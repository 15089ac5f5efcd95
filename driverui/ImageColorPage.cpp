#include "ImageColorPage.h"

#include <commctrl.h>
#include <prsht.h>

#include "ImageColorResource.h"
#include "PageContract.h"
#include "Platform.h"
#include "TrackbarEdit.h"

namespace {

const WCHAR SECTION[] = L"Image Color";
const WCHAR BLACK_SUM_TEXT[] = L"Black pixel RGB sum for printing by K of YMCKO:";
// A setting's edit follows its trackbar by this many ids.
const int EDIT_AFTER_BAR = IDC_COLOR_BRIGHTNESS_EDIT - IDC_COLOR_BRIGHTNESS_BAR;

struct ColorSetting {
    SHORT PrivateDevMode::*pField;
    NumberRange range;
    WPARAM cchLimit;
    SHORT nReset;
};

const NumberRange SIGNED_PERCENT = {-100, 100, FALSE};
const NumberRange PERCENT = {0, 100, FALSE};
const NumberRange GAMMA = {10, 999, TRUE};

// In the order of the trackbars' ids, from IDC_COLOR_BRIGHTNESS_BAR.
const ColorSetting SETTINGS[] = {
    {&PrivateDevMode::nBrightness, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nContrast, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nSharpness, PERCENT, 3, 100},
    {&PrivateDevMode::nYellowBalance, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nMagentaBalance, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nCyanBalance, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nSaturation, SIGNED_PERCENT, 4, 0},
    {&PrivateDevMode::nGamma, GAMMA, 4, 100},
    {&PrivateDevMode::nBlackRgbSum, PERCENT, 3, 0},
};
const int SETTING_COUNT = ARRAYSIZE(SETTINGS);
static_assert(IDC_COLOR_BLACK_SUM_BAR - IDC_COLOR_BRIGHTNESS_BAR + 1 == ARRAYSIZE(SETTINGS), "one row per trackbar");

// The one procedure the nine edits had before the page's took its place.
WNDPROC g_previousEditProc = nullptr;

// The setting of a trackbar's or an edit's id, or -1.
int SettingOf(int id)
{
    int index = id - IDC_COLOR_BRIGHTNESS_BAR;
    if (index >= SETTING_COUNT)
        index -= EDIT_AFTER_BAR;
    return index >= 0 && index < SETTING_COUNT ? index : -1;
}

HWND Bar(HWND page, int index)
{
    return GetDlgItem(page, IDC_COLOR_BRIGHTNESS_BAR + index);
}

HWND Edit(HWND page, int index)
{
    return GetDlgItem(page, IDC_COLOR_BRIGHTNESS_EDIT + index);
}

// Edit, field and trackbar take value.
void ShowSetting(HWND page, UiData* ui, int index, int value)
{
    const ColorSetting& setting = SETTINGS[index];
    ui->DevMode.dmPrivate.*setting.pField = static_cast<SHORT>(value);
    WriteEditNumber(Edit(page, index), setting.range, value);
    SetTrackbarPosition(Bar(page, index), value);
}

void SetUp(HWND page, UiData* ui)
{
    CQuietPage quiet(page);
    SetDlgItemTextW(page, IDC_COLOR_BLACK_SUM_TEXT, BLACK_SUM_TEXT);
    ui->Translater.SetSection(SECTION);
    ui->Translater.TranslateWindowItems(page);
    // The stored values are shown after the translation, which would take
    // them for texts of its own. A value the page cannot show is taken into
    // its range without a word: the user has entered nothing yet.
    for (int i = 0; i < SETTING_COUNT; ++i) {
        const ColorSetting& setting = SETTINGS[i];
        int value = ClampToRange(setting.range, ui->DevMode.dmPrivate.*setting.pField);
        SendMessageW(Edit(page, i), EM_LIMITTEXT, setting.cchLimit, 0);
        SetUpTrackbar(Bar(page, i), setting.range, value);
        ShowSetting(page, ui, i, value);
    }
    g_previousEditProc = SubclassEdits(page, IDC_COLOR_BRIGHTNESS_EDIT, IDC_COLOR_BLACK_SUM_EDIT, ImageColorEditProc);
}

void OnTrackbarMoved(HWND page, UiData* ui, HWND bar)
{
    int index = SettingOf(GetDlgCtrlID(bar));
    if (index < 0 || bar != Bar(page, index))
        return;
    const ColorSetting& setting = SETTINGS[index];
    int value = GetTrackbarPosition(bar);
    {
        CQuietPage quiet(page);
        WriteEditNumber(Edit(page, index), setting.range, value);
    }
    ui->DevMode.dmPrivate.*setting.pField = static_cast<SHORT>(value);
    MarkSheetChanged(page);
}

void OnEditChanged(HWND page, UiData* ui, int index)
{
    const ColorSetting& setting = SETTINGS[index];
    HWND edit = Edit(page, index);
    int typed = ReadEditNumber(edit, setting.range);
    int value = ClampToRange(setting.range, typed);
    ui->DevMode.dmPrivate.*setting.pField = static_cast<SHORT>(value);
    MarkSheetChanged(page);
    SetTrackbarPosition(Bar(page, index), value);
    if (value != typed)
        CorrectEntry(page, edit, setting.range, value, ui->Translater, SECTION);
}

void Reset(HWND page, UiData* ui)
{
    {
        CQuietPage quiet(page);
        for (int i = 0; i < SETTING_COUNT; ++i)
            ShowSetting(page, ui, i, SETTINGS[i].nReset);
    }
    MarkSheetChanged(page);
}

void OnCommand(HWND page, UiData* ui, WORD id, WORD code)
{
    if (id == IDC_COLOR_RESET && code == BN_CLICKED) {
        Reset(page, ui);
        return;
    }
    int index = SettingOf(id);
    if (code == EN_CHANGE && index >= 0 && id >= IDC_COLOR_BRIGHTNESS_EDIT && !IsPageQuiet(page))
        OnEditChanged(page, ui, index);
}

} // namespace

INT_PTR CALLBACK DlgImageColorProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = TakePageUiData(page, lParam);
        DebugTrace(L"DlgImageColorProc(1), WM_INITDIALOG, ui = %p,\n", ui);
        if (ui)
            SetUp(page, ui);
        return TRUE;
    }
    UiData* ui = GetPageUiData(page);
    if (!ui)
        return FALSE;
    switch (message) {
    case WM_HSCROLL:
        if (lParam)
            OnTrackbarMoved(page, ui, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, ui, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
            // Every value is in the DEVMODE already.
            ReportPageResult(ui, IDD_IMAGE_COLOR);
            SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK ImageColorEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND page = GetParent(edit);
    int index = SettingOf(GetDlgCtrlID(edit));
    if (index >= 0 && HandleNumberEditKey(edit, message, wParam, SETTINGS[index].range, Bar(page, index)))
        return 0;
    return CallWindowProcW(g_previousEditProc, edit, message, wParam, lParam);
}
