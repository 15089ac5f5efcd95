#include "HeatingEnergyPage.h"

#include "HeatingEnergyResource.h"
#include "PageContract.h"
#include "PageControls.h"
#include "PageProc.h"
#include "QuietPage.h"
#include "TrackbarEdit.h"

namespace {

const WCHAR SECTION[] = L"Heating Energy";
const NumberRange ENERGY_RANGE = {ENERGY_MIN, ENERGY_MAX, FALSE};

// Which models show an energy.
enum EnergyKind { ENERGY_FRONT, ENERGY_BACK, ENERGY_REWRITE };

struct EnergySetting {
    CHAR (PrivateDevMode::*pGroup)[ENERGY_COLUMNS];
    EnergyKind kind;
};

// In the order of the trackbars' ids, from IDC_ENERGY_FRONT_YMC_BAR.
const EnergySetting ENERGIES[] = {
    {&PrivateDevMode::chEnergyFrontYmc, ENERGY_FRONT},
    {&PrivateDevMode::chEnergyFrontK, ENERGY_FRONT},
    {&PrivateDevMode::chEnergyFrontO, ENERGY_FRONT},
    {&PrivateDevMode::chEnergyBackYmc, ENERGY_BACK},
    {&PrivateDevMode::chEnergyBackK, ENERGY_BACK},
    {&PrivateDevMode::chEnergyBackO, ENERGY_BACK},
    {&PrivateDevMode::chEnergyFrontResinK, ENERGY_FRONT},
    {&PrivateDevMode::chEnergyBackResinK, ENERGY_BACK},
    {&PrivateDevMode::chEnergyErase, ENERGY_REWRITE},
    {&PrivateDevMode::chEnergyWrite, ENERGY_REWRITE},
};
static_assert(IDC_ENERGY_WRITE_BAR - IDC_ENERGY_FRONT_YMC_BAR + 1 == ARRAYSIZE(ENERGIES), "one row per trackbar");
static_assert(IDC_ENERGY_WRITE_EDIT - IDC_ENERGY_FRONT_YMC_EDIT + 1 == ARRAYSIZE(ENERGIES), "one row per edit");

// What a rewrite model shows and a one-sided model hides.
const int REWRITE_CONTROLS[] = {IDC_ENERGY_ERASE_BAR, IDC_ENERGY_WRITE_BAR, IDC_ENERGY_ERASE_EDIT,
                                IDC_ENERGY_WRITE_EDIT, IDC_ENERGY_REWRITE_GROUP, IDC_ENERGY_ERASE_LABEL,
                                IDC_ENERGY_WRITE_LABEL};
const int BACK_CONTROLS[] = {IDC_ENERGY_BACK_GROUP, IDC_ENERGY_BACK_YMCKO_GROUP, IDC_ENERGY_BACK_RESIN_GROUP,
                             IDC_ENERGY_BACK_YMC_LABEL, IDC_ENERGY_BACK_K_LABEL, IDC_ENERGY_BACK_O_LABEL,
                             IDC_ENERGY_BACK_YMC_BAR, IDC_ENERGY_BACK_K_BAR, IDC_ENERGY_BACK_O_BAR,
                             IDC_ENERGY_BACK_YMC_EDIT, IDC_ENERGY_BACK_K_EDIT, IDC_ENERGY_BACK_O_EDIT,
                             IDC_ENERGY_BACK_RESIN_BAR, IDC_ENERGY_BACK_RESIN_EDIT};

const SettingIds IDS = {IDC_ENERGY_FRONT_YMC_BAR, IDC_ENERGY_FRONT_YMC_EDIT, ARRAYSIZE(ENERGIES)};

// The one procedure the ten edits had before the page's took its place.
WNDPROC g_previousEditProc = nullptr;

const NumberRange& RangeOf(int)
{
    return ENERGY_RANGE;
}

// The page keeps the rewrite energies only for rewrite models: the others
// never read or write them.
bool IsKept(const UiData* ui, const EnergySetting& energy)
{
    return energy.kind != ENERGY_REWRITE || ui->bRewrite;
}

void ShowEnergy(HWND page, int index, int value)
{
    WriteEditNumber(SettingEdit(page, IDS, index), ENERGY_RANGE, value);
    SetTrackbarPosition(SettingBar(page, IDS, index), value);
}

void SetUp(HWND page, UiData* ui)
{
    CQuietPage quiet(page);
    PrivateDevMode& priv = ui->DevMode.dmPrivate;
    ui->Translater.SetSection(SECTION);
    ui->Translater.TranslateWindowItems(page);
    // The stored values are shown after the translation, which would take
    // them for texts of its own. An energy the page cannot show (-128) is
    // taken into the range without a word and kept so.
    for (int i = 0; i < IDS.nCount; ++i) {
        int value = 0;
        if (IsKept(ui, ENERGIES[i])) {
            CHAR& stored = EnergyInUse(priv, priv.*ENERGIES[i].pGroup);
            value = ClampToRange(ENERGY_RANGE, static_cast<signed char>(stored));
            stored = static_cast<CHAR>(value);
        }
        SetUpTrackbar(SettingBar(page, IDS, i), ENERGY_RANGE, value);
        ShowEnergy(page, i, value);
    }
    for (int id : REWRITE_CONTROLS)
        if (ui->bRewrite)
            ShowControl(page, id, TRUE);
    for (int id : BACK_CONTROLS)
        if (ui->bOneSided)
            ShowControl(page, id, FALSE);
    g_previousEditProc = SubclassEdits(page, IDS, HeatingEnergyEditProc);
}

void OnTrackbarMoved(HWND page, UiData*, HWND bar)
{
    if (ShowBarInEdit(page, IDS, bar, RangeOf) >= 0)
        MarkSheetChanged(page);
}

void Reset(HWND page)
{
    {
        CQuietPage quiet(page);
        for (int i = 0; i < IDS.nCount; ++i)
            ShowEnergy(page, i, 0);
    }
    MarkSheetChanged(page);
}

void Apply(HWND page, UiData* ui)
{
    PrivateDevMode& priv = ui->DevMode.dmPrivate;
    for (int i = 0; i < IDS.nCount; ++i) {
        if (IsKept(ui, ENERGIES[i])) {
            int value = GetTrackbarPosition(SettingBar(page, IDS, i));
            EnergyInUse(priv, priv.*ENERGIES[i].pGroup) = static_cast<CHAR>(value);
        }
    }
}

void OnCommand(HWND page, UiData* ui, WORD id, WORD code)
{
    if (id == IDC_ENERGY_RESET && code == BN_CLICKED) {
        Reset(page);
        return;
    }
    // Until apply, an entry only moves its trackbar.
    int index = SettingChangedByUser(page, IDS, id, code);
    if (index >= 0)
        FollowEntry(page, IDS, index, ENERGY_RANGE, ReadEditNumber(SettingEdit(page, IDS, index), ENERGY_RANGE),
                    ui->Translater, SECTION);
}

// The trackbars hold the values until apply stores them.
const PageHandlers HANDLERS = {IDD_HEATING_ENERGY, SetUp, OnCommand, OnTrackbarMoved, Apply};

} // namespace

INT_PTR CALLBACK DlgHeatingEnergyProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageProc(HANDLERS, page, message, wParam, lParam);
}

LRESULT CALLBACK HeatingEnergyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunNumberEditProc(edit, message, wParam, lParam, g_previousEditProc, IDS, RangeOf);
}
