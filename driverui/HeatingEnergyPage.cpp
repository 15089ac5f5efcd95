#include "HeatingEnergyPage.h"

#include <commctrl.h>
#include <prsht.h>

#include "HeatingEnergyResource.h"
#include "PageContract.h"
#include "Platform.h"
#include "TrackbarEdit.h"

namespace {

const WCHAR SECTION[] = L"Heating Energy";
const NumberRange ENERGY_RANGE = {ENERGY_MIN, ENERGY_MAX, FALSE};
const int EDIT_AFTER_BAR = IDC_ENERGY_FRONT_YMC_EDIT - IDC_ENERGY_FRONT_YMC_BAR;

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
const int ENERGY_COUNT = ARRAYSIZE(ENERGIES);
static_assert(IDC_ENERGY_WRITE_BAR - IDC_ENERGY_FRONT_YMC_BAR + 1 == ARRAYSIZE(ENERGIES), "one row per trackbar");

// What a rewrite model shows and a one-sided model hides.
const int REWRITE_CONTROLS[] = {IDC_ENERGY_ERASE_BAR, IDC_ENERGY_WRITE_BAR, IDC_ENERGY_ERASE_EDIT,
                                IDC_ENERGY_WRITE_EDIT, IDC_ENERGY_REWRITE_GROUP, IDC_ENERGY_ERASE_LABEL,
                                IDC_ENERGY_WRITE_LABEL};
const int BACK_CONTROLS[] = {IDC_ENERGY_BACK_GROUP, IDC_ENERGY_BACK_YMCKO_GROUP, IDC_ENERGY_BACK_RESIN_GROUP,
                             IDC_ENERGY_BACK_YMC_LABEL, IDC_ENERGY_BACK_K_LABEL, IDC_ENERGY_BACK_O_LABEL,
                             IDC_ENERGY_BACK_YMC_BAR, IDC_ENERGY_BACK_K_BAR, IDC_ENERGY_BACK_O_BAR,
                             IDC_ENERGY_BACK_YMC_EDIT, IDC_ENERGY_BACK_K_EDIT, IDC_ENERGY_BACK_O_EDIT,
                             IDC_ENERGY_BACK_RESIN_BAR, IDC_ENERGY_BACK_RESIN_EDIT};

// The one procedure the ten edits had before the page's took its place.
WNDPROC g_previousEditProc = nullptr;

// The energy of a trackbar's or an edit's id, or -1.
int EnergyOf(int id)
{
    int index = id - IDC_ENERGY_FRONT_YMC_BAR;
    if (index >= ENERGY_COUNT)
        index -= EDIT_AFTER_BAR;
    return index >= 0 && index < ENERGY_COUNT ? index : -1;
}

HWND Bar(HWND page, int index)
{
    return GetDlgItem(page, IDC_ENERGY_FRONT_YMC_BAR + index);
}

HWND Edit(HWND page, int index)
{
    return GetDlgItem(page, IDC_ENERGY_FRONT_YMC_EDIT + index);
}

// The page keeps the rewrite energies only for rewrite models: the others
// never read or write them.
bool IsKept(const UiData* ui, const EnergySetting& energy)
{
    return energy.kind != ENERGY_REWRITE || ui->bRewrite;
}

void ShowControls(HWND page, const int* ids, size_t count, int show)
{
    for (size_t i = 0; i < count; ++i)
        ShowWindow(GetDlgItem(page, ids[i]), show);
}

void ShowEnergy(HWND page, int index, int value)
{
    WriteEditNumber(Edit(page, index), ENERGY_RANGE, value);
    SetTrackbarPosition(Bar(page, index), value);
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
    for (int i = 0; i < ENERGY_COUNT; ++i) {
        int value = 0;
        if (IsKept(ui, ENERGIES[i])) {
            CHAR& stored = EnergyInUse(priv, priv.*ENERGIES[i].pGroup);
            value = ClampToRange(ENERGY_RANGE, static_cast<signed char>(stored));
            stored = static_cast<CHAR>(value);
        }
        SetUpTrackbar(Bar(page, i), ENERGY_RANGE, value);
        ShowEnergy(page, i, value);
    }
    if (ui->bRewrite)
        ShowControls(page, REWRITE_CONTROLS, ARRAYSIZE(REWRITE_CONTROLS), SW_SHOW);
    if (ui->bOneSided)
        ShowControls(page, BACK_CONTROLS, ARRAYSIZE(BACK_CONTROLS), SW_HIDE);
    g_previousEditProc = SubclassEdits(page, IDC_ENERGY_FRONT_YMC_EDIT, IDC_ENERGY_WRITE_EDIT, HeatingEnergyEditProc);
}

void OnTrackbarMoved(HWND page, HWND bar)
{
    int index = EnergyOf(GetDlgCtrlID(bar));
    if (index < 0 || bar != Bar(page, index))
        return;
    {
        CQuietPage quiet(page);
        WriteEditNumber(Edit(page, index), ENERGY_RANGE, GetTrackbarPosition(bar));
    }
    MarkSheetChanged(page);
}

void OnEditChanged(HWND page, UiData* ui, int index)
{
    HWND edit = Edit(page, index);
    int typed = ReadEditNumber(edit, ENERGY_RANGE);
    int value = ClampToRange(ENERGY_RANGE, typed);
    SetTrackbarPosition(Bar(page, index), value);
    if (value != typed)
        CorrectEntry(page, edit, ENERGY_RANGE, value, ui->Translater, SECTION);
}

void Reset(HWND page)
{
    {
        CQuietPage quiet(page);
        for (int i = 0; i < ENERGY_COUNT; ++i)
            ShowEnergy(page, i, 0);
    }
    MarkSheetChanged(page);
}

void Apply(HWND page, UiData* ui)
{
    PrivateDevMode& priv = ui->DevMode.dmPrivate;
    for (int i = 0; i < ENERGY_COUNT; ++i)
        if (IsKept(ui, ENERGIES[i]))
            EnergyInUse(priv, priv.*ENERGIES[i].pGroup) = static_cast<CHAR>(GetTrackbarPosition(Bar(page, i)));
    ReportPageResult(ui, IDD_HEATING_ENERGY);
}

void OnCommand(HWND page, UiData* ui, WORD id, WORD code)
{
    if (id == IDC_ENERGY_RESET && code == BN_CLICKED) {
        Reset(page);
        return;
    }
    int index = EnergyOf(id);
    if (code == EN_CHANGE && index >= 0 && id >= IDC_ENERGY_FRONT_YMC_EDIT && !IsPageQuiet(page))
        OnEditChanged(page, ui, index);
}

} // namespace

INT_PTR CALLBACK DlgHeatingEnergyProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = TakePageUiData(page, lParam);
        DebugTrace(L"DlgHeatingEnergyProc(1), WM_INITDIALOG, ui = %p,\n", ui);
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
            OnTrackbarMoved(page, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, ui, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
            Apply(page, ui);
            SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK HeatingEnergyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND page = GetParent(edit);
    int index = EnergyOf(GetDlgCtrlID(edit));
    if (index >= 0 && HandleNumberEditKey(edit, message, wParam, ENERGY_RANGE, Bar(page, index)))
        return 0;
    return CallWindowProcW(g_previousEditProc, edit, message, wParam, lParam);
}
