#include "ImageColorPage.h"

#include "ImageColorResource.h"
#include "PageContract.h"
#include "PageProc.h"
#include "QuietPage.h"
#include "TrackbarEdit.h"

namespace {

const WCHAR SECTION[] = L"Image Color";
const WCHAR BLACK_SUM_TEXT[] = L"Black pixel RGB sum for printing by K of YMCKO:";

struct ColorSetting {
    SHORT PrivateDevMode::*pField;
    NumberRange range;
    WPARAM cchLimit;
    SHORT nReset;
};

const NumberRange SIGNED_PERCENT = {-100, 100, FALSE};
const NumberRange PERCENT = {0, 100, FALSE};
const NumberRange GAMMA = {10, 999, TRUE};

// In the order of the trackbars' ids, which is the order of the fields.
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
const SettingIds IDS = {IDC_COLOR_BRIGHTNESS_BAR, IDC_COLOR_BRIGHTNESS_EDIT, ARRAYSIZE(SETTINGS)};
static_assert(IDC_COLOR_BLACK_SUM_BAR - IDC_COLOR_BRIGHTNESS_BAR + 1 == ARRAYSIZE(SETTINGS), "one row per trackbar");
static_assert(IDC_COLOR_BLACK_SUM_EDIT - IDC_COLOR_BRIGHTNESS_EDIT + 1 == ARRAYSIZE(SETTINGS), "one row per edit");

// The one procedure the nine edits had before the page's took its place.
WNDPROC g_previousEditProc = nullptr;

const NumberRange& RangeOf(int index)
{
    return SETTINGS[index].range;
}

// Edit, field and trackbar take value.
void ShowSetting(HWND page, UiData* ui, int index, int value)
{
    const ColorSetting& setting = SETTINGS[index];
    ui->DevMode.dmPrivate.*setting.pField = static_cast<SHORT>(value);
    WriteEditNumber(SettingEdit(page, IDS, index), setting.range, value);
    SetTrackbarPosition(SettingBar(page, IDS, index), value);
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
    for (int i = 0; i < IDS.nCount; ++i) {
        const ColorSetting& setting = SETTINGS[i];
        int value = ClampToRange(setting.range, ui->DevMode.dmPrivate.*setting.pField);
        SendMessageW(SettingEdit(page, IDS, i), EM_LIMITTEXT, setting.cchLimit, 0);
        SetUpTrackbar(SettingBar(page, IDS, i), setting.range, value);
        ShowSetting(page, ui, i, value);
    }
    g_previousEditProc = SubclassEdits(page, IDS, ImageColorEditProc);
}

void OnTrackbarMoved(HWND page, UiData* ui, HWND bar)
{
    int index = ShowBarInEdit(page, IDS, bar, RangeOf);
    if (index < 0)
        return;
    ui->DevMode.dmPrivate.*SETTINGS[index].pField = static_cast<SHORT>(GetTrackbarPosition(bar));
    MarkSheetChanged(page);
}

void OnEditChanged(HWND page, UiData* ui, int index)
{
    const ColorSetting& setting = SETTINGS[index];
    int typed = ReadEditNumber(SettingEdit(page, IDS, index), setting.range);
    ui->DevMode.dmPrivate.*setting.pField = static_cast<SHORT>(ClampToRange(setting.range, typed));
    MarkSheetChanged(page);
    FollowEntry(page, IDS, index, setting.range, typed, ui->Translater, SECTION);
}

void OnCommand(HWND page, UiData* ui, WORD id, WORD code)
{
    if (id == IDC_COLOR_RESET && code == BN_CLICKED) {
        {
            CQuietPage quiet(page);
            for (int i = 0; i < IDS.nCount; ++i)
                ShowSetting(page, ui, i, SETTINGS[i].nReset);
        }
        MarkSheetChanged(page);
        return;
    }
    int index = SettingChangedByUser(page, IDS, id, code);
    if (index >= 0)
        OnEditChanged(page, ui, index);
}

// Every value is in the DEVMODE from the moment it is entered, so apply
// only reports the page's result.
const PageHandlers HANDLERS = {IDD_IMAGE_COLOR, SetUp, OnCommand, OnTrackbarMoved, nullptr};

} // namespace

INT_PTR CALLBACK DlgImageColorProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageProc(HANDLERS, page, message, wParam, lParam);
}

LRESULT CALLBACK ImageColorEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunNumberEditProc(edit, message, wParam, lParam, g_previousEditProc, IDS, RangeOf);
}
