#include "PrintAreaPage.h"

#include "MaskBitmap.h"
#include "NumberText.h"
#include "PageContract.h"
#include "PageControls.h"
#include "Platform.h"
#include "PrintAreaEdits.h"
#include "PrintAreaPreview.h"
#include "PrintAreaResource.h"
#include "PrintAreaStore.h"
#include "PrintAreaView.h"
#include "RibbonTable.h"
#include "TextCopy.h"

#include <cwchar>

UiData* g_pPrintAreaUiData = nullptr;
WCHAR g_szPrintAreaName[PRINT_AREA_TYPED_NAME_ROOM] = L"";
BitmapImage g_MaskBitmap = {};

namespace {

const LPCWSTR PANEL_TEXTS[] = {L"YMCO", L"K", nullptr};
const LPCWSTR REWRITE_PANEL_TEXTS[] = {L"YMCO", L"K", L"Rewrite", nullptr};
const LPCWSTR SIDE_TEXTS[] = {L"Front Side", L"Back Side", nullptr};
const int NUMBER_BOX_CHARS = 4;
const DWORD QUESTION_ROOM = 1024;

// The panel group a ribbon prints: the rewrite panel on a rewrite printer
// without a ribbon, K for the black-only ribbons, else YMCO.
BYTE PanelForRibbon(const UiData* ui, BYTE ribbon)
{
    if (ui->bRewrite && ribbon == RIBBON_NONE_REWRITE)
        return AREA_PANEL_REWRITE;
    if (IsBlackRibbon(ribbon))
        return AREA_PANEL_K;
    return AREA_PANEL_YMCO;
}

void SetDotRanges(HWND page, BYTE orientation)
{
    DWORD width = 0, height = 0;
    GetCardSize(orientation, &width, &height);
    SetAreaRanges(page, static_cast<int>(width), static_cast<int>(height));
}

void StartPage(HWND page, UiData* ui)
{
    ui->byAreaOrientation = LOBYTE(ui->DevMode.dmPublic.dmOrientation);
    ui->byAreaRibbon = ui->DevMode.dmPrivate.byRibbon;
    ui->byAreaPanel = AREA_PANEL_YMCO;
    ui->byAreaSide = 0;
    UsePrintAreaSection(ui);
    FillComboFromList(page, ui, IDC_AREA_PANEL, ui->bRewrite ? REWRITE_PANEL_TEXTS : PANEL_TEXTS);
    FillComboFromList(page, ui, IDC_AREA_SIDE, SIDE_TEXTS);
    if (ui->bOneSided)
        ShowControl(page, IDC_AREA_SIDE, FALSE);
    ui->byAreaPanel = PanelForRibbon(ui, ui->byAreaRibbon);
    SendDlgItemMessageW(page, IDC_AREA_PANEL, CB_SETCURSEL, ui->byAreaPanel, 0);
    if (ui->byAreaPanel == AREA_PANEL_REWRITE) {
        EnableWindow(GetDlgItem(page, IDC_AREA_SIDE), FALSE);
        EnableWindow(GetDlgItem(page, IDC_AREA_PANEL), FALSE);
        ShowControl(page, IDC_AREA_PANEL, FALSE);
    }
    SetDotRanges(page, ui->byAreaOrientation);
    const int boxes[] = {IDC_AREA_W, IDC_AREA_H, IDC_AREA_X, IDC_AREA_Y};
    for (int id : boxes)
        SendDlgItemMessageW(page, id, EM_SETLIMITTEXT, NUMBER_BOX_CHARS, 0);
    RefreshPrintAreaContent(page, TRUE);
    UsePrintAreaSection(ui);
    ui->Translater.TranslateWindowItems(page);
    PostPrintAreaUnit(page, ui->pCurPrintArea);
    DebugTrace(L"DlgPrintAreaProc(1), orientation = %d, ribbon = %d, panel = %d,\n", ui->byAreaOrientation,
               ui->byAreaRibbon, ui->byAreaPanel);
}

// Another page may have turned the card or changed the ribbon meanwhile: the
// entries are then rebuilt for the new orientation and panel group.
void SynchronisePage(HWND page, UiData* ui)
{
    if (!ui->pCurPrintArea)
        return;
    ui->byAreaOrientation = LOBYTE(ui->DevMode.dmPublic.dmOrientation);
    const BYTE ribbon = ui->DevMode.dmPrivate.byRibbon;
    if (ui->pCurPrintArea->byOrientation == ui->byAreaOrientation && ui->byAreaRibbon == ribbon)
        return;
    SetDotRanges(page, ui->byAreaOrientation);
    ui->byAreaRibbon = ribbon;
    ui->byAreaPanel = PanelForRibbon(ui, ribbon);
    SendDlgItemMessageW(page, IDC_AREA_PANEL, CB_SETCURSEL, ui->byAreaPanel, 0);
    RefreshPrintAreaContent(page, TRUE);
    PostPrintAreaUnit(page, ui->pCurPrintArea);
}

// Stores the entry under a name; stored, it holds no unsaved change.
void StoreEntry(HWND page, const UiData* ui, LPCWSTR name, const PrintAreaRecord* entry)
{
    if (SavePrintAreaToRegistry(ui->szPrinterName, name, entry) == ERROR_SUCCESS)
        ClearPrintAreaEdited(page, entry);
}

BOOL AskForName(HWND page, const UiData* ui)
{
    return DialogBoxParamW(ui->hModule, MAKEINTRESOURCEW(IDD_SAVE_PRINT_AREA), page, DlgSavePrintAreaProc, 0) ==
           IDOK;
}

// The typed name names the entry. The area list belongs to the entry shown,
// so only that entry's name joins it and becomes its selection: Save and
// Delete act on the shown entry under the selected name.
void NameEntry(HWND page, const UiData* ui, PrintAreaRecord* entry)
{
    CopyTextCut(entry->szName, PRINT_AREA_NAME_ROOM, g_szPrintAreaName);
    if (entry != ui->pCurPrintArea)
        return;
    LRESULT at = SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(g_szPrintAreaName));
    if (at >= 0)
        SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_SETCURSEL, at, 0);
    UpdatePrintAreaButtons(page, entry);
}

void AddRect(HWND page, PrintAreaRecord* entry)
{
    const LRESULT count = SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_GETCOUNT, 0, 0);
    if (count < 0 || static_cast<DWORD>(count) >= PRINT_AREA_RECT_MAX)
        return;
    const DWORD n = static_cast<DWORD>(count);
    WCHAR text[NUMBER_TEXT_ROOM];
    FormatEditInteger(static_cast<int>(n + 1), text, NUMBER_TEXT_ROOM);
    LRESULT at = SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_SETITEMDATA, at, n);
    SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_SETCURSEL, at, 0);
    entry->dwRectCount = n + 1;
    SetRect(&entry->rcAreas[n], 0, 0, 50, 50);
    MarkPrintAreaEdited(page, entry);
    SetAreaBoxes(page, 50, 50, 0, 0);
    UpdatePrintAreaButtons(page, entry);
    RedrawPrintAreaPreview(page);
}

void RemoveRect(HWND page, PrintAreaRecord* entry)
{
    const int selected = GetSelectedRect(page, entry);
    if (selected < 0)
        return;
    const DWORD n = entry->dwRectCount;
    for (DWORD i = static_cast<DWORD>(selected); i + 1 < n; ++i)
        entry->rcAreas[i] = entry->rcAreas[i + 1];
    entry->dwRectCount = n - 1;
    MarkPrintAreaEdited(page, entry);
    FillRectList(page, n - 1);
    if (entry->dwRectCount > 0) {
        SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_SETCURSEL, 0, 0);
        ShowAreaRect(page, entry, 0);
    } else {
        SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetAreaBoxes(page, 0, 0, 0, 0);
    }
    UpdatePrintAreaButtons(page, entry);
    RedrawPrintAreaPreview(page);
}

void ChooseUnit(HWND page, PrintAreaRecord* entry, int id)
{
    CheckRadioButton(page, IDC_AREA_UNIT_DOTS, IDC_AREA_UNIT_HUNDREDTH_INCH, id);
    const BYTE unit = static_cast<BYTE>(id - IDC_AREA_UNIT_DOTS);
    if (entry->byUnit != unit)
        MarkPrintAreaEdited(page, entry);
    entry->byUnit = unit;
    const int selected = GetSelectedRect(page, entry);
    ShowAreaRect(page, entry, selected >= 0 ? selected : 0);
    SetAreaRanges(page, DotsToUnit(static_cast<LONG>(entry->dwPageWidth), entry->byUnit),
                  DotsToUnit(static_cast<LONG>(entry->dwPageHeight), entry->byUnit));
}

// The name at a position of the area list: position 0 is "Full Card"
// whatever its translation reads.
BOOL GetAreaName(HWND page, int position, LPWSTR out)
{
    if (position == 0) {
        wcscpy(out, FULL_CARD_NAME);
        return TRUE;
    }
    return position > 0 && ReadListText(page, IDC_AREA_NAMES, position, out, PRINT_AREA_LIST_TEXT_ROOM);
}

void LoadSelectedArea(HWND page, UiData* ui)
{
    WCHAR name[PRINT_AREA_LIST_TEXT_ROOM];
    if (!GetAreaName(page, GetComboSelection(page, IDC_AREA_NAMES), name))
        return;
    LoadPrintAreaFromRegistry(ui->szPrinterName, name, ui->pCurPrintArea);
    ShowPrintAreaEntry(page, ui->pCurPrintArea);
    ClearPrintAreaEdited(page, ui->pCurPrintArea);
    RedrawPrintAreaPreview(page);
    UpdatePrintAreaButtons(page, ui->pCurPrintArea);
    PostPrintAreaUnit(page, ui->pCurPrintArea);
}

// The entry shown and the stored area selected for it.
struct ShownArea {
    const PrintAreaRecord* entry;
    int position;
    WCHAR name[PRINT_AREA_LIST_TEXT_ROOM];
};

BOOL GetShownArea(HWND page, const UiData* ui, ShownArea* shown)
{
    shown->entry = ui->pCurPrintArea;
    shown->position = GetComboSelection(page, IDC_AREA_NAMES);
    return GetAreaName(page, shown->position, shown->name);
}

// The question has no owner, so the page stays usable while it is open: the
// page may be gone, or show another entry or area, once it is answered.
BOOL StillShown(HWND page, const UiData* ui, const ShownArea& asked)
{
    ShownArea now;
    return GetPageUiData(page) == ui && GetShownArea(page, ui, &now) && now.entry == asked.entry &&
           now.position == asked.position && wcscmp(now.name, asked.name) == 0;
}

void DeleteSelectedArea(HWND page, UiData* ui)
{
    ShownArea asked;
    if (!GetShownArea(page, ui, &asked) || asked.position <= 0)
        return;
    WCHAR question[QUESTION_ROOM], caption[PRINT_AREA_LIST_TEXT_ROOM];
    swprintf(question, QUESTION_ROOM, L"%ls\n\n%ls",
             PrintAreaText(ui, L"Are you sure to delete this print area setting?"), asked.name);
    CopyTextCut(caption, PRINT_AREA_LIST_TEXT_ROOM, PrintAreaText(ui, L"Warning"));
    if (MessageBoxW(nullptr, question, caption, MB_OKCANCEL | MB_ICONWARNING) == IDCANCEL ||
        !StillShown(page, ui, asked))
        return;
    SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_DELETESTRING, asked.position, 0);
    DeletePrintAreaFromRegistry(ui->szPrinterName, asked.name);
    SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_SETCURSEL, 0, 0);
    LoadPrintAreaFromRegistry(ui->szPrinterName, FULL_CARD_NAME, ui->pCurPrintArea);
    ShowPrintAreaEntry(page, ui->pCurPrintArea);
    ClearPrintAreaEdited(page, ui->pCurPrintArea);
    UpdatePrintAreaButtons(page, ui->pCurPrintArea);
    RedrawPrintAreaPreview(page);
}

// Stores the entry under the selected name as it stands: a rectangle that
// was removed stays removed.
void SaveSelectedArea(HWND page, UiData* ui)
{
    ShownArea shown;
    if (GetShownArea(page, ui, &shown) && shown.position > 0)
        StoreEntry(page, ui, shown.name, ui->pCurPrintArea);
}

void SaveAreaAs(HWND page, UiData* ui)
{
    if (!AskForName(page, ui))
        return;
    NameEntry(page, ui, ui->pCurPrintArea);
    StoreEntry(page, ui, g_szPrintAreaName, ui->pCurPrintArea);
}

void InvertColours(HWND page, PrintAreaRecord* entry)
{
    const bool white = entry->dwOutsideColor != 0;
    entry->dwOutsideColor = white ? 0 : 0xFFFFFF;
    entry->dwInsideColor = white ? 0xFFFFFF : 0;
    MarkPrintAreaEdited(page, entry);
    UpdatePrintAreaButtons(page, entry);
    RedrawPrintAreaPreview(page);
}

void LoadMask(HWND page)
{
    WCHAR path[BROWSE_PATH_ROOM] = L"";
    if (BrowseFileName(TRUE, L"", L"bmp", L"", L"*.bmp", path, nullptr, TRUE) != 1)
        return;
    ReleaseBitmapImage(&g_MaskBitmap);
    ReadBitmapFile(path, &g_MaskBitmap);
    RedrawPrintAreaPreview(page);
}

// A new side or panel group shows its own entry; nothing is reset.
void ChooseEntry(HWND page, UiData* ui, int listId)
{
    const int position = GetComboSelection(page, listId);
    const int last = listId == IDC_AREA_PANEL ? (ui->bRewrite ? AREA_PANEL_REWRITE : AREA_PANEL_K)
                                              : (ui->bOneSided ? 0 : 1);
    if (position < 0 || position > last)
        return;
    if (listId == IDC_AREA_PANEL)
        ui->byAreaPanel = static_cast<BYTE>(position);
    else
        ui->byAreaSide = static_cast<BYTE>(position);
    RefreshPrintAreaContent(page, FALSE);
    RedrawPrintAreaPreview(page);
    PostPrintAreaUnit(page, ui->pCurPrintArea);
}

void ApplyPage(HWND page, UiData* ui)
{
    ReleaseBitmapImage(&g_MaskBitmap);
    const DWORD sides = ui->bOneSided ? 1 : 2, panels = ui->bRewrite ? 3 : 2;
    for (DWORD side = 0; side < sides; ++side) {
        for (DWORD panel = 0; panel < panels; ++panel) {
            PrintAreaRecord* entry = &ui->PrintAreas[side * 4 + panel];
            if (IsFullCardName(entry->szName)) {
                // Rectangles drawn on "Full Card" need a name of their own.
                if (entry->dwRectCount != 0) {
                    if (!AskForName(page, ui))
                        continue;
                    NameEntry(page, ui, entry);
                    StoreEntry(page, ui, entry->szName, entry);
                }
            } else if (IsPrintAreaEdited(page, entry)) {
                // Both sides may hold a copy of one area: an untouched copy
                // must not write its older state over the other's changes.
                StoreEntry(page, ui, entry->szName, entry);
            }
            SaveDefaultPrintAreaName(ui->szPrinterName, entry->szName, static_cast<BYTE>(side),
                                     static_cast<BYTE>(panel), ui->byAreaOrientation);
            DebugTrace(L"DlgPrintAreaProc(2), side = %u, panel = %u, szName = %ls,\n", side, panel, entry->szName);
        }
    }
    ReportPageResult(ui, IDD_PRINT_AREA);
}

void PaintPage(HWND page, const UiData* ui)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    RECT frame;
    if (dc && ui && ui->pCurPrintArea && GetPreviewFrame(page, &frame))
        PaintPrintAreaPreview(dc, frame, *ui->pCurPrintArea, GetSelectedRect(page, ui->pCurPrintArea),
                              g_MaskBitmap);
    EndPaint(page, &paint);
}

} // namespace

void DlgPrintArea_OnCommand(HWND page, int controlId, int notification)
{
    UiData* ui = GetPageUiData(page);
    if (!ui || !ui->pCurPrintArea)
        return;
    PrintAreaRecord* entry = ui->pCurPrintArea;
    DebugTrace(L"DlgPrintArea_OnCommand(1), nID = %d, nNotify = %d,\n", controlId, notification);
    switch (controlId) {
    case IDC_AREA_W:
    case IDC_AREA_H:
    case IDC_AREA_X:
    case IDC_AREA_Y:
        if (notification == EN_CHANGE)
            OnAreaEditChange(page, ui, controlId);
        break;
    case IDC_AREA_RECTS:
        if (notification == CBN_SELENDOK && GetSelectedRect(page, entry) >= 0) {
            ShowAreaRect(page, entry, GetSelectedRect(page, entry));
            RedrawPrintAreaPreview(page);
            PostPrintAreaUnit(page, entry);
        }
        break;
    case IDC_AREA_ADD: AddRect(page, entry); break;
    case IDC_AREA_REMOVE: RemoveRect(page, entry); break;
    case IDC_AREA_UNIT_DOTS:
    case IDC_AREA_UNIT_TENTH_MM:
    case IDC_AREA_UNIT_HUNDREDTH_INCH: ChooseUnit(page, entry, controlId); break;
    case IDC_AREA_NAMES:
        if (notification == CBN_SELENDOK)
            LoadSelectedArea(page, ui);
        break;
    case IDC_AREA_DELETE: DeleteSelectedArea(page, ui); break;
    case IDC_AREA_SAVE: SaveSelectedArea(page, ui); break;
    case IDC_AREA_SAVE_AS: SaveAreaAs(page, ui); break;
    case IDC_AREA_INVERT: InvertColours(page, entry); break;
    case IDC_AREA_PANEL:
    case IDC_AREA_SIDE:
        if (notification == CBN_SELENDOK)
            ChooseEntry(page, ui, controlId);
        break;
    case IDC_AREA_LOAD_BMP: LoadMask(page); break;
    default: break;
    }
}

INT_PTR CALLBACK DlgPrintAreaProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    UiData* ui = nullptr;
    switch (message) {
    case WM_INITDIALOG:
        ui = TakePageUiData(page, lParam);
        g_pPrintAreaUiData = ui;
        if (ui)
            StartPage(page, ui);
        return FALSE;
    case WM_COMMAND:
        DlgPrintArea_OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        ui = GetPageUiData(page);
        if (ui && ui->pCurPrintArea && IsApplyNotification(message, lParam))
            ApplyPage(page, ui);
        return FALSE;
    case WM_PAINT:
        PaintPage(page, GetPageUiData(page));
        return FALSE;
    case WM_SHOWWINDOW:
        ui = GetPageUiData(page);
        if (ui)
            SynchronisePage(page, ui);
        return FALSE;
    case WM_DESTROY:
        // The picture and the block go with the page: the next sheet starts
        // without either.
        ReleaseBitmapImage(&g_MaskBitmap);
        ClearPrintAreaEdits(page);
        if (g_pPrintAreaUiData == GetPageUiData(page))
            g_pPrintAreaUiData = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
