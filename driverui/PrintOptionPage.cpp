// The "Print Option" page: ribbon, orientation, copies, the sides and their
// panels, black-panel mode and rotation, where a card is fed from, ejected
// to and rejected to, and for rewrite models whether it is erased first.
// Every choice goes into the working DEVMODE at once; the page asks the
// printer for its ribbon once it has been shown.
#include "PrintOptionPage.h"

#include <commctrl.h>
#include <climits>

#include "AdvancedCardDialog.h"
#include "ModelGroup.h"
#include "PageContract.h"
#include "PageControls.h"
#include "PagePrinter.h"
#include "Platform.h"
#include "PrintOptionResource.h"
#include "RibbonTable.h"

namespace {

const LPCWSTR kSection = L"Print Option";

const LPCWSTR kPanels[] = {L"YMCKO", L"YMCO", L"K", nullptr};
const LPCWSTR kKModes[] = {L"Black/White", L"Resin Dither", nullptr};

const LPCWSTR kFeedA[] = {L"Front end manual feed slot", L"Back end manual feed slot", nullptr};
const LPCWSTR kEjectA[] = {L"Back end manual feed slot", L"Front end manual feed slot", L"Do not eject card", nullptr};
const LPCWSTR kRejectA[] = {L"Default", L"Back end manual feed slot", L"Front end manual feed slot", nullptr};
const LPCWSTR kFeedB[] = {L"Card feeder", L"Back end manual feed slot", L"Front end manual feed slot", nullptr};
const LPCWSTR kEjectB[] = {L"Output hopper", L"Front end manual feed slot", L"Reject tray", L"Do not eject card",
                           nullptr};
const LPCWSTR kRejectB[] = {L"Default", L"Output hopper", L"Front end manual feed slot", L"Reject tray", nullptr};
const LPCWSTR kFeedC[] = {L"Card feeder", L"Back end manual feed slot", nullptr};
const LPCWSTR kEjectC[] = {L"Output hopper", L"Reject tray", L"Do not eject card", nullptr};
const LPCWSTR kRejectC[] = {L"Default", L"Output hopper", L"Reject tray", nullptr};

struct CardLists {
    const LPCWSTR* feed;
    const LPCWSTR* eject;
    const LPCWSTR* reject;
};

// The lists of a model group; NULL without a group.
const CardLists* GetCardLists(ModelGroup group)
{
    static const CardLists kA = {kFeedA, kEjectA, kRejectA};
    static const CardLists kB = {kFeedB, kEjectB, kRejectB};
    static const CardLists kC = {kFeedC, kEjectC, kRejectC};
    switch (group) {
    case MODEL_GROUP_A:
        return &kA;
    case MODEL_GROUP_B:
        return &kB;
    case MODEL_GROUP_C:
        return &kC;
    default:
        return nullptr;
    }
}

// The controls and fields of one side.
struct Side {
    BYTE bit;
    int print, color, rotate, panel, kLabel, kMode;
    int first, last; // the range disabled while the side is not printed
    BYTE PrivateDevMode::*panelField;
    BYTE PrivateDevMode::*kModeField;
};
const Side kFront = {SIDE_FRONT, IDC_FRONT_PRINT, IDC_FRONT_COLOR, IDC_FRONT_ROTATE, IDC_FRONT_PANEL,
                     IDC_FRONT_KMODE_LABEL, IDC_FRONT_KMODE, IDC_FRONT_ROTATE, IDC_FRONT_KMODE,
                     &PrivateDevMode::byFrontPanel, &PrivateDevMode::byFrontKMode};
const Side kBack = {SIDE_BACK, IDC_BACK_PRINT, IDC_BACK_COLOR, IDC_BACK_ROTATE, IDC_BACK_PANEL,
                    IDC_BACK_KMODE_LABEL, IDC_BACK_KMODE, IDC_BACK_ROTATE, IDC_BACK_KMODE,
                    &PrivateDevMode::byBackPanel, &PrivateDevMode::byBackKMode};

PrivateDevMode& Private(UiData* ui)
{
    return ui->DevMode.dmPrivate;
}

// The sheet's pages share one translator: its section is this page's only
// until another page makes a lookup.
void UsePageSection(UiData* ui)
{
    ui->Translater.SetSection(kSection);
}

int RibbonRows(const UiData* ui)
{
    return ui->bRewrite ? REWRITE_RIBBON_ROWS : RIBBON_ROWS;
}

void SelectEntry(HWND page, int controlId, int index)
{
    SendDlgItemMessageW(page, controlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// "Hook mode" and "Retry by hook mode" belong to the card feeder of a
// two-sided model other than the T42G; shown, they show their bits.
void ShowHookModes(HWND page, UiData* ui, int feedEntry)
{
    BOOL show = !ui->bOneSided && feedEntry == 0 && !IsT42GDriver(ui->szDriverName);
    ShowControl(page, IDC_HOOK_MODE, show);
    ShowControl(page, IDC_RETRY_BY_HOOK, show);
    if (show) {
        SetCheck(page, IDC_HOOK_MODE, Private(ui).byFeedFlags & FEED_HOOK_MODE);
        SetCheck(page, IDC_RETRY_BY_HOOK, Private(ui).byFeedFlags & FEED_RETRY_BY_HOOK);
    }
}

// "Wait for removal" belongs to eject entry 0, and in group A also to 1.
void ShowWaitForRemoval(HWND page, UiData* ui, int ejectEntry)
{
    BOOL show = ejectEntry == 0 || (ejectEntry == 1 && GetModelGroup(ui->szDriverName) == MODEL_GROUP_A);
    ShowControl(page, IDC_WAIT_FOR_REMOVAL, show);
}

void InitSide(HWND page, UiData* ui, const Side& side)
{
    PrivateDevMode& priv = Private(ui);
    if (priv.bySides & side.bit) {
        SetCheck(page, side.print, TRUE);
    } else {
        SetCheck(page, side.print, FALSE);
        EnableControls(page, side.first, side.last, FALSE);
    }
    if (IsBlackRibbon(priv.byRibbon)) {
        ShowControl(page, side.panel, FALSE);
    } else {
        BOOL kShown = priv.*side.panelField == PANEL_K;
        ShowControl(page, side.kLabel, kShown);
        ShowControl(page, side.kMode, kShown);
    }
    SetCheck(page, side.color, priv.byPrintColor & side.bit);
    SetCheck(page, side.rotate, priv.byRotate180 & side.bit);
    SelectEntry(page, side.kMode, priv.*side.kModeField);
}

void InitRibbonList(HWND page, UiData* ui)
{
    HWND list = GetDlgItem(page, IDC_RIBBON);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const int rows = RibbonRows(ui);
    for (int row = 0; row < rows; ++row) {
        SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(RibbonTable[row].name));
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
    }
    if (ui->bRewrite) {
        Private(ui).byRibbon = RIBBON_NONE_REWRITE;
        SelectEntry(page, IDC_RIBBON, FindRibbonRow(RIBBON_NONE_REWRITE, rows));
        EnableWindow(list, FALSE);
    } else {
        // A stored ribbon the table lacks keeps its value until one is chosen.
        int row = FindRibbonRow(Private(ui).byRibbon, rows);
        SelectEntry(page, IDC_RIBBON, row < 0 ? 0 : row);
    }
}

void InitCardLists(HWND page, UiData* ui)
{
    PrivateDevMode& priv = Private(ui);
    const CardLists* lists = GetCardLists(GetModelGroup(ui->szDriverName));
    if (lists) {
        FillComboFromList(page, ui, IDC_FEED, lists->feed);
        FillComboFromList(page, ui, IDC_EJECT, lists->eject);
        FillComboFromList(page, ui, IDC_REJECT, lists->reject);
    }
    SelectEntry(page, IDC_FEED, priv.byCardIn);
    if (priv.byCardIn == 0)
        ShowHookModes(page, ui, 0);
    SelectEntry(page, IDC_EJECT, priv.byCardOut);
    ShowWaitForRemoval(page, ui, priv.byCardOut);
    SetCheck(page, IDC_WAIT_FOR_REMOVAL, priv.byEjectFlags & EJECT_WAIT_FOR_REMOVAL);
    SelectEntry(page, IDC_REJECT, priv.byReject);
}

void InitPrintOptionPage(HWND page, UiData* ui)
{
    PrivateDevMode& priv = Private(ui);
    DEVMODEW& pub = ui->DevMode.dmPublic;
    UsePageSection(ui);

    InitRibbonList(page, ui);
    FillComboFromList(page, ui, IDC_FRONT_PANEL, kPanels);
    SelectEntry(page, IDC_FRONT_PANEL, priv.byFrontPanel);
    FillComboFromList(page, ui, IDC_BACK_PANEL, kPanels);
    SelectEntry(page, IDC_BACK_PANEL, priv.byBackPanel);
    FillComboFromList(page, ui, IDC_FRONT_KMODE, kKModes);
    FillComboFromList(page, ui, IDC_BACK_KMODE, kKModes);

    if (pub.dmOrientation != DMORIENT_PORTRAIT)
        pub.dmOrientation = DMORIENT_LANDSCAPE;
    SetCheck(page, IDC_PORTRAIT, pub.dmOrientation == DMORIENT_PORTRAIT);
    SetCheck(page, IDC_LANDSCAPE, pub.dmOrientation == DMORIENT_LANDSCAPE);

    SendDlgItemMessageW(page, IDC_COPIES_SPIN, UDM_SETRANGE, 0, MAKELPARAM(99, 1));
    SendDlgItemMessageW(page, IDC_COPIES, EM_LIMITTEXT, 2, 0);
    SetDlgItemInt(page, IDC_COPIES, static_cast<UINT>(pub.dmCopies), FALSE);

    InitSide(page, ui, kFront);
    if (ui->bOneSided) {
        ShowControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, FALSE);
        // Hidden, the back side's controls still show its fields.
        SetCheck(page, IDC_BACK_COLOR, priv.byPrintColor & SIDE_BACK);
        SetCheck(page, IDC_BACK_ROTATE, priv.byRotate180 & SIDE_BACK);
        SelectEntry(page, IDC_BACK_KMODE, priv.byBackKMode);
    } else {
        InitSide(page, ui, kBack);
    }

    InitCardLists(page, ui);

    if (ui->bRewrite) {
        EnableWindow(GetDlgItem(page, IDC_FRONT_PRINT), FALSE);
        if (priv.byRibbon == RIBBON_NONE_REWRITE) {
            ShowControl(page, IDC_ERASE_FIRST, TRUE);
            ShowControl(page, IDC_FRONT_PANEL, FALSE);
            ShowControl(page, IDC_FRONT_KMODE_LABEL, TRUE);
            ShowControl(page, IDC_FRONT_KMODE, TRUE);
        }
        SetCheck(page, IDC_ERASE_FIRST, priv.byEraseFlags == ERASE_FIRST);
    }

    UsePageSection(ui);
    ui->Translater.TranslateWindowItems(page);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_DETECT_RIBBON, BN_CLICKED), 0);
}

void OnRibbonChange(HWND page, UiData* ui)
{
    PrivateDevMode& priv = Private(ui);
    int row = GetComboSelection(page, IDC_RIBBON);
    if (row < 0)
        return;
    if (row >= RibbonRows(ui))
        row = 0;
    const BYTE id = RibbonTable[row].id;
    if (id == priv.byRibbon)
        return;
    priv.byRibbon = id;

    ShowControls(page, IDC_FRONT_PRINT, IDC_FRONT_KMODE, TRUE);
    EnableControls(page, IDC_FRONT_PRINT, IDC_FRONT_KMODE, TRUE);
    ShowControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, FALSE);
    EnableControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, FALSE);
    if (!ui->bOneSided) {
        EnableWindow(GetDlgItem(page, IDC_BACK_PRINT), TRUE);
        ShowControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, TRUE);
    }
    SetCheck(page, IDC_FRONT_PRINT, TRUE);
    SetCheck(page, IDC_FRONT_ROTATE, FALSE);
    SetCheck(page, IDC_BACK_PRINT, FALSE);
    SetCheck(page, IDC_BACK_ROTATE, FALSE);
    priv.byRotate180 &= static_cast<BYTE>(~(SIDE_FRONT | SIDE_BACK));

    priv.bySides = SIDE_FRONT;
    priv.byFrontKMode = priv.byBackKMode = KMODE_BLACK_WHITE;
    priv.byFrontPanel = priv.byBackPanel = PANEL_YMCKO;
    UsePageSection(ui);
    FillComboFromList(page, ui, IDC_FRONT_KMODE, kKModes);
    FillComboFromList(page, ui, IDC_BACK_KMODE, kKModes);

    if (IsColourRibbon(id)) {
        priv.byPrintColor = SIDE_FRONT;
        ShowControl(page, IDC_FRONT_PANEL, TRUE);
        ShowControl(page, IDC_FRONT_KMODE_LABEL, FALSE);
        ShowControl(page, IDC_FRONT_KMODE, FALSE);
        ShowControl(page, IDC_BACK_KMODE_LABEL, FALSE);
        ShowControl(page, IDC_BACK_KMODE, FALSE);
        SelectEntry(page, IDC_FRONT_PANEL, PANEL_YMCKO);
        SelectEntry(page, IDC_BACK_PANEL, PANEL_YMCKO);
        if (id == RIBBON_YMCKOK && !ui->bOneSided) {
            // The back prints the ribbon's second black panel, dithered: the
            // list shows the mode the field holds.
            priv.bySides |= SIDE_BACK;
            priv.byPrintColor &= static_cast<BYTE>(~SIDE_BACK);
            priv.byBackPanel = PANEL_K;
            priv.byBackKMode = KMODE_RESIN_DITHER;
            ShowControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, TRUE);
            EnableControls(page, IDC_BACK_GROUP, IDC_BACK_KMODE, TRUE);
            SelectEntry(page, IDC_BACK_PANEL, PANEL_K);
            SetCheck(page, IDC_BACK_PRINT, TRUE);
            SelectEntry(page, IDC_BACK_KMODE, KMODE_RESIN_DITHER);
        }
        ShowControl(page, IDC_ERASE_FIRST, FALSE);
    } else {
        priv.byPrintColor = 0;
        ShowControl(page, IDC_FRONT_PANEL, FALSE);
        ShowControl(page, IDC_BACK_PANEL, FALSE);
        SetCheck(page, IDC_FRONT_COLOR, FALSE);
        SetCheck(page, IDC_BACK_COLOR, FALSE);
        ShowControl(page, IDC_ERASE_FIRST, id == RIBBON_NONE_REWRITE);
    }
    MarkSheetChanged(page);
}

void OnSideSwitch(HWND page, UiData* ui, const Side& side)
{
    PrivateDevMode& priv = Private(ui);
    priv.*side.kModeField = KMODE_BLACK_WHITE;
    if (priv.bySides & side.bit) {
        const BYTE keep = static_cast<BYTE>(~side.bit);
        priv.bySides &= keep;
        priv.byPrintColor &= keep;
        priv.byRotate180 &= keep;
        SetCheck(page, side.print, FALSE);
        SetCheck(page, side.color, FALSE);
        SetCheck(page, side.rotate, FALSE);
        SelectEntry(page, side.kMode, 0);
        EnableControls(page, side.first, side.last, FALSE);
    } else {
        priv.bySides |= side.bit;
        SetCheck(page, side.print, TRUE);
        EnableControls(page, side.first, side.last, TRUE);
    }
}

void OnPanelChange(HWND page, UiData* ui, const Side& side)
{
    int entry = GetComboSelection(page, side.panel);
    BYTE& field = Private(ui).*side.panelField;
    if (entry < 0 || entry == field)
        return;
    field = static_cast<BYTE>(entry);
    ShowControl(page, side.kLabel, entry == PANEL_K);
    ShowControl(page, side.kMode, entry == PANEL_K);
    MarkSheetChanged(page);
}

void OnKModeChange(HWND page, UiData* ui, const Side& side)
{
    int entry = GetComboSelection(page, side.kMode);
    BYTE& field = Private(ui).*side.kModeField;
    if (entry < 0 || entry == field)
        return;
    field = static_cast<BYTE>(entry == 1 || entry == 2 ? entry : 0);
    MarkSheetChanged(page);
}

void OnEjectChange(HWND page, UiData* ui)
{
    int entry = GetComboSelection(page, IDC_EJECT);
    if (entry < 0 || entry == Private(ui).byCardOut)
        return;
    Private(ui).byCardOut = static_cast<BYTE>(entry);
    ShowWaitForRemoval(page, ui, entry);
    MarkSheetChanged(page);
}

// The eject entry that follows a feed entry: the card leaves by the slot it
// came in, or by the output hopper; -1 keeps the eject choice.
int EjectForFeed(ModelGroup group, int feedEntry)
{
    switch (group) {
    case MODEL_GROUP_A:
        return feedEntry == 0 ? 1 : feedEntry == 1 ? 0 : -1;
    case MODEL_GROUP_B:
        return feedEntry == 2 ? 1 : 0;
    case MODEL_GROUP_C:
        return 0;
    default:
        return -1;
    }
}

void OnFeedChange(HWND page, UiData* ui)
{
    int entry = GetComboSelection(page, IDC_FEED);
    if (entry < 0 || entry == Private(ui).byCardIn)
        return;
    Private(ui).byCardIn = static_cast<BYTE>(entry);
    ShowHookModes(page, ui, entry);
    int eject = EjectForFeed(GetModelGroup(ui->szDriverName), entry);
    if (eject >= 0) {
        SelectEntry(page, IDC_EJECT, eject);
        OnEjectChange(page, ui);
    }
    MarkSheetChanged(page);
}

void OnListChange(HWND page, int controlId, BYTE& field)
{
    int entry = GetComboSelection(page, controlId);
    if (entry < 0 || entry == field)
        return;
    field = static_cast<BYTE>(entry);
    MarkSheetChanged(page);
}

void ToggleBit(HWND page, int controlId, BYTE& field, BYTE bit)
{
    field ^= bit;
    SetCheck(page, controlId, field & bit);
}

void OnCopiesChange(HWND page, UiData* ui)
{
    DWORD copies = 0;
    ReadUnsignedBox(page, IDC_COPIES, &copies);
    const short stored = static_cast<short>(copies > SHRT_MAX ? SHRT_MAX : copies);
    // Setting the box's text, also at set-up, reports a change: only a new
    // number is one.
    if (stored == ui->DevMode.dmPublic.dmCopies)
        return;
    ui->DevMode.dmPublic.dmCopies = stored;
    MarkSheetChanged(page);
}

void PrintOptionOnCommand(HWND page, UiData* ui, int id, int notification)
{
    PrivateDevMode& priv = Private(ui);
    const BOOL selChange = notification == CBN_SELCHANGE;
    switch (id) {
    case IDC_RIBBON:
        if (selChange)
            OnRibbonChange(page, ui);
        break;
    case IDC_LANDSCAPE:
    case IDC_PORTRAIT:
        ui->DevMode.dmPublic.dmOrientation = id == IDC_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        MarkSheetChanged(page);
        break;
    case IDC_COPIES:
        if (notification == EN_CHANGE)
            OnCopiesChange(page, ui);
        break;
    case IDC_FRONT_PRINT:
        OnSideSwitch(page, ui, kFront);
        break;
    case IDC_BACK_PRINT:
        OnSideSwitch(page, ui, kBack);
        break;
    case IDC_FRONT_ROTATE:
        ToggleBit(page, id, priv.byRotate180, SIDE_FRONT);
        break;
    case IDC_BACK_ROTATE:
        ToggleBit(page, id, priv.byRotate180, SIDE_BACK);
        break;
    case IDC_FRONT_COLOR:
        ToggleBit(page, id, priv.byPrintColor, SIDE_FRONT);
        break;
    case IDC_BACK_COLOR:
        ToggleBit(page, id, priv.byPrintColor, SIDE_BACK);
        break;
    case IDC_FRONT_PANEL:
    case IDC_BACK_PANEL:
        if (selChange)
            OnPanelChange(page, ui, id == IDC_FRONT_PANEL ? kFront : kBack);
        break;
    case IDC_FRONT_KMODE:
    case IDC_BACK_KMODE:
        if (selChange)
            OnKModeChange(page, ui, id == IDC_FRONT_KMODE ? kFront : kBack);
        break;
    case IDC_FEED:
        if (selChange)
            OnFeedChange(page, ui);
        break;
    case IDC_HOOK_MODE:
        ToggleBit(page, id, priv.byFeedFlags, FEED_HOOK_MODE);
        break;
    case IDC_RETRY_BY_HOOK:
        ToggleBit(page, id, priv.byFeedFlags, FEED_RETRY_BY_HOOK);
        break;
    case IDC_FEED_BY_COMMAND:
        ToggleBit(page, id, priv.byFeedFlags, FEED_BY_COMMAND);
        break;
    case IDC_EJECT:
        if (selChange)
            OnEjectChange(page, ui);
        break;
    case IDC_WAIT_FOR_REMOVAL:
        ToggleBit(page, id, priv.byEjectFlags, EJECT_WAIT_FOR_REMOVAL);
        break;
    case IDC_REJECT:
        if (selChange)
            OnListChange(page, id, priv.byReject);
        break;
    case IDC_ERASE_FIRST:
        ToggleBit(page, id, priv.byEraseFlags, ERASE_FIRST);
        break;
    case IDC_ADVANCED_CARD:
        DialogBoxParamW(ui->hModule, MAKEINTRESOURCEW(IDD_ADVANCED_CARD), page, DlgAdvancedCardProc,
                        reinterpret_cast<LPARAM>(ui));
        break;
    case IDC_DETECT_RIBBON:
        DetectRibbon(page);
        break;
    default:
        break;
    }
}

} // namespace

void DetectRibbon(HWND page)
{
    UiData* ui = GetPageUiData(page);
    if (!ui || ui->bRewrite)
        return;
    BYTE type = RIBBON_UNKNOWN;
    int remain = 0;
    {
        CPagePrinter printer;
        if (printer.Open(ui->szPrinterName) != ERROR_SUCCESS)
            return;
        // A failed exchange reports no ribbon, which changes nothing.
        printer.GetRibbonInfo(&type, &remain, nullptr, nullptr);
    }
    DebugTrace(L"DetectRibbon(), %ls, type = %d, remain = %d,\n", ui->szPrinterName, type, remain);
    int row = FindRibbonRow(type, RIBBON_ROWS);
    if (row < 0 || row == GetComboSelection(page, IDC_RIBBON))
        return;
    SelectEntry(page, IDC_RIBBON, row);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_RIBBON, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_RIBBON)));
}

INT_PTR CALLBACK DlgPrintOptionProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = TakePageUiData(page, lParam);
        if (ui)
            InitPrintOptionPage(page, ui);
        return FALSE;
    }
    UiData* ui = GetPageUiData(page);
    if (message == WM_COMMAND) {
        if (ui)
            PrintOptionOnCommand(page, ui, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    if (ui && IsApplyNotification(message, lParam))
        ReportPageResult(ui, IDD_PRINT_OPTION);
    return FALSE;
}
