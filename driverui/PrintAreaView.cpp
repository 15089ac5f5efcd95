#include "PrintAreaView.h"

#include "PageContract.h"
#include "NumberText.h"
#include "PageControls.h"
#include "PrintAreaEdits.h"
#include "PrintAreaPage.h"
#include "PrintAreaResource.h"
#include "PrintAreaStore.h"
#include "TextCopy.h"

#include <commctrl.h>

namespace {

const WCHAR PAGE_SECTION[] = L"Print Area";
const int PREVIEW_MARGIN = 2;
const int BOX_IDS[] = {IDC_AREA_W, IDC_AREA_H, IDC_AREA_X, IDC_AREA_Y};

// The value of a number box, empty counting as 0; FALSE for text that is
// no number of the card.
BOOL ReadBox(HWND page, int boxId, int* value)
{
    DWORD number = 0;
    BOOL readable = GetWindowTextLengthW(GetDlgItem(page, boxId)) == 0 || ReadUnsignedBox(page, boxId, &number);
    *value = static_cast<int>(number);
    return readable;
}

void SetBox(HWND page, int boxId, int value)
{
    SetDlgItemInt(page, boxId, static_cast<UINT>(value), TRUE);
}

} // namespace

void FillRectList(HWND page, DWORD count)
{
    HWND list = GetDlgItem(page, IDC_AREA_RECTS);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (DWORD i = 0; i < count; ++i) {
        WCHAR text[NUMBER_TEXT_ROOM];
        FormatEditInteger(static_cast<int>(i + 1), text, NUMBER_TEXT_ROOM);
        LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (at >= 0)
            SendMessageW(list, CB_SETITEMDATA, at, i);
    }
}

namespace {

void ShowOrientationMarks(HWND page, BYTE orientation)
{
    const bool portrait = orientation == DMORIENT_PORTRAIT;
    const int portraitIds[] = {IDC_AREA_ORIGIN_PORTRAIT, IDC_AREA_X_AXIS_PORTRAIT, IDC_AREA_Y_AXIS_PORTRAIT};
    const int landscapeIds[] = {IDC_AREA_ORIGIN_LANDSCAPE, IDC_AREA_X_AXIS_LANDSCAPE, IDC_AREA_Y_AXIS_LANDSCAPE};
    for (int i = 0; i < 3; ++i) {
        ShowControl(page, portraitIds[i], portrait);
        ShowControl(page, landscapeIds[i], !portrait);
    }
}

// Every entry of the sheet from the user's choices: "Full Card" unless the
// choice names a sound stored area.
void ResetEntries(UiData* ui)
{
    const DWORD sides = ui->bOneSided ? 1 : 2, panels = ui->bRewrite ? 3 : 2;
    for (DWORD side = 0; side < sides; ++side) {
        for (DWORD panel = 0; panel < panels; ++panel) {
            PrintAreaRecord* entry = &ui->PrintAreas[side * 4 + panel];
            WCHAR name[PRINT_AREA_LIST_TEXT_ROOM] = L"";
            SetFullCardRecord(entry, static_cast<BYTE>(panel), ui->byAreaOrientation);
            LoadDefaultPrintAreaName(ui->szPrinterName, name, static_cast<BYTE>(side), static_cast<BYTE>(panel),
                                     ui->byAreaOrientation, PRINT_AREA_LIST_TEXT_ROOM);
            if (name[0])
                LoadPrintAreaFromRegistry(ui->szPrinterName, name, entry);
        }
    }
}

// Selects the first stored area of that name; position 0 is "Full Card"
// whatever its translation reads, so the search starts after it.
void SelectAreaName(HWND page, LPCWSTR name)
{
    const int count = static_cast<int>(SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_GETCOUNT, 0, 0));
    for (int i = 1; i < count; ++i) {
        WCHAR text[PRINT_AREA_LIST_TEXT_ROOM];
        if (ReadListText(page, IDC_AREA_NAMES, i, text, PRINT_AREA_LIST_TEXT_ROOM) && wcscmp(text, name) == 0) {
            SendDlgItemMessageW(page, IDC_AREA_NAMES, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

} // namespace

void UsePrintAreaSection(UiData* ui)
{
    ui->Translater.SetSection(PAGE_SECTION);
}

LPCWSTR PrintAreaText(UiData* ui, LPCWSTR key)
{
    UsePrintAreaSection(ui);
    return ui->Translater.Translate(key);
}

BOOL ReadListText(HWND page, int listId, int index, LPWSTR out, DWORD room)
{
    LRESULT length = SendDlgItemMessageW(page, listId, CB_GETLBTEXTLEN, index, 0);
    out[0] = L'\0';
    if (length < 0 || static_cast<DWORD>(length) >= room)
        return FALSE;
    return SendDlgItemMessageW(page, listId, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(out)) >= 0;
}

int GetSelectedRect(HWND page, const PrintAreaRecord* entry)
{
    int selection = GetComboSelection(page, IDC_AREA_RECTS);
    return entry && selection >= 0 && static_cast<DWORD>(selection) < entry->dwRectCount ? selection : -1;
}

void SetAreaBoxes(HWND page, int w, int h, int x, int y)
{
    const int values[] = {w, h, x, y};
    for (int i = 0; i < 4; ++i)
        SetBox(page, BOX_IDS[i], values[i]);
}

void SetAreaRanges(HWND page, int width, int height)
{
    SendDlgItemMessageW(page, IDC_AREA_W_SPIN, UDM_SETRANGE32, 0, width);
    SendDlgItemMessageW(page, IDC_AREA_X_SPIN, UDM_SETRANGE32, 0, width);
    SendDlgItemMessageW(page, IDC_AREA_H_SPIN, UDM_SETRANGE32, 0, height);
    SendDlgItemMessageW(page, IDC_AREA_Y_SPIN, UDM_SETRANGE32, 0, height);
}

void ShowPrintAreaEntry(HWND page, const PrintAreaRecord* entry)
{
    const BYTE unit = entry->byUnit;
    FillRectList(page, entry->dwRectCount);
    SendDlgItemMessageW(page, IDC_AREA_RECTS, CB_SETCURSEL, 0, 0);
    // Without rectangles the first slot may still hold a removed one.
    RECT first = {0, 0, 0, 0};
    if (entry->dwRectCount > 0)
        first = entry->rcAreas[0];
    const int cardW = DotsToUnit(static_cast<LONG>(entry->dwPageWidth), unit);
    const int cardH = DotsToUnit(static_cast<LONG>(entry->dwPageHeight), unit);
    const int x = DotsToUnit(first.left, unit), y = DotsToUnit(first.top, unit);
    int w = DotsToUnit(first.right - first.left, unit), h = DotsToUnit(first.bottom - first.top, unit);
    if (x + w > cardW)
        w = cardW - x;
    if (y + h > cardH)
        h = cardH - y;
    SetAreaBoxes(page, w, h, x, y);
    SetAreaRanges(page, cardW, cardH);
}

void ShowAreaRect(HWND page, const PrintAreaRecord* entry, int index)
{
    const RECT r = entry->rcAreas[index];
    const BYTE unit = entry->byUnit;
    SetAreaBoxes(page, DotsToUnit(r.right - r.left, unit), DotsToUnit(r.bottom - r.top, unit),
                 DotsToUnit(r.left, unit), DotsToUnit(r.top, unit));
}

void OnAreaEditChange(HWND page, UiData* ui, int boxId)
{
    PrintAreaRecord* entry = ui->pCurPrintArea;
    const int selected = GetSelectedRect(page, entry);
    if (selected < 0)
        return;
    RECT& r = entry->rcAreas[selected];
    const RECT before = r;
    const BYTE unit = entry->byUnit;
    DWORD cardW = 0, cardH = 0;
    GetCardSize(LOBYTE(ui->DevMode.dmPublic.dmOrientation), &cardW, &cardH);
    LONG roomDots = 0;
    switch (boxId) {
    case IDC_AREA_W: roomDots = static_cast<LONG>(cardW) - r.left; break;
    case IDC_AREA_H: roomDots = static_cast<LONG>(cardH) - r.top; break;
    case IDC_AREA_X: roomDots = static_cast<LONG>(cardW) - (r.right - r.left); break;
    default: roomDots = static_cast<LONG>(cardH) - (r.bottom - r.top); break;
    }
    const int room = DotsToUnit(roomDots, unit);
    int value = 0;
    // Text that is no integer is put right like a value off the card.
    BOOL readable = ReadBox(page, boxId, &value);
    MarkSheetChanged(page);
    if (!readable || value < 0 || value > room) {
        if (!readable)
            value = 0;
        if (value > room)
            value = room;
        if (value < 0)
            value = 0;
        // A card with no room left clamps 0 to 0 again: the same text written
        // back would bring the same change back for ever.
        WCHAR shown[NUMBER_TEXT_ROOM] = L"", clamped[NUMBER_TEXT_ROOM];
        FormatEditInteger(value, clamped, NUMBER_TEXT_ROOM);
        GetDlgItemTextW(page, boxId, shown, NUMBER_TEXT_ROOM);
        if (wcscmp(shown, clamped) != 0)
            SetDlgItemTextW(page, boxId, clamped);
        SendDlgItemMessageW(page, boxId, EM_SETSEL, 0, -1);
    }
    const LONG dots = UnitToDots(value, unit);
    switch (boxId) {
    case IDC_AREA_W: r.right = r.left + dots; break;
    case IDC_AREA_H: r.bottom = r.top + dots; break;
    case IDC_AREA_X:
        r.right = dots + (r.right - r.left);
        r.left = dots;
        break;
    default:
        r.bottom = dots + (r.bottom - r.top);
        r.top = dots;
        break;
    }
    // Showing a rectangle writes the boxes too; only a value that moves it
    // changes the entry.
    if (before.left != r.left || before.top != r.top || before.right != r.right || before.bottom != r.bottom)
        MarkPrintAreaEdited(page, entry);
    RedrawPrintAreaPreview(page);
}

void UpdatePrintAreaButtons(HWND page, const PrintAreaRecord* entry)
{
    // Position 0 is "Full Card", which is neither stored nor deleted.
    const BOOL named = GetComboSelection(page, IDC_AREA_NAMES) > 0;
    EnableWindow(GetDlgItem(page, IDC_AREA_DELETE), named);
    EnableWindow(GetDlgItem(page, IDC_AREA_SAVE), named);
    const BOOL selected = GetSelectedRect(page, entry) >= 0;
    for (int id : BOX_IDS)
        EnableWindow(GetDlgItem(page, id), selected);
    EnableWindow(GetDlgItem(page, IDC_AREA_SAVE_AS), TRUE);
    EnableWindow(GetDlgItem(page, IDC_AREA_ADD), entry->dwRectCount < PRINT_AREA_RECT_MAX);
}

BOOL GetPreviewFrame(HWND page, RECT* frame)
{
    HWND control = GetDlgItem(page, IDC_AREA_FRAME);
    if (!control || !GetWindowRect(control, frame))
        return FALSE;
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(frame), 2);
    return TRUE;
}

void RedrawPrintAreaPreview(HWND page)
{
    RECT frame;
    if (!GetPreviewFrame(page, &frame))
        return;
    InflateRect(&frame, PREVIEW_MARGIN, PREVIEW_MARGIN);
    InvalidateRect(page, &frame, TRUE);
}

void PostPrintAreaUnit(HWND page, const PrintAreaRecord* entry)
{
    if (entry->byUnit == AREA_UNIT_DOTS)
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_AREA_UNIT_TENTH_MM, BN_CLICKED), 0);
}

void RefreshPrintAreaContent(HWND page, BOOL reset)
{
    UiData* ui = GetPageUiData(page);
    if (!ui)
        return;
    ui->pCurPrintArea = &ui->PrintAreas[ui->byAreaSide * 4 + ui->byAreaPanel];
    HWND names = GetDlgItem(page, IDC_AREA_NAMES);
    SendMessageW(names, CB_RESETCONTENT, 0, 0);
    WCHAR fullCard[PRINT_AREA_LIST_TEXT_ROOM];
    CopyTextCut(fullCard, PRINT_AREA_LIST_TEXT_ROOM, PrintAreaText(ui, FULL_CARD_NAME));
    SendMessageW(names, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(fullCard));
    EnumPrintAreaNames(ui->szPrinterName, page, IDC_AREA_NAMES, ui->byAreaPanel, ui->byAreaOrientation);
    SendMessageW(names, CB_SETCURSEL, 0, 0);

    WCHAR chosen[PRINT_AREA_LIST_TEXT_ROOM] = L"";
    if (reset) {
        ShowOrientationMarks(page, ui->byAreaOrientation);
        ResetEntries(ui);
        LoadDefaultPrintAreaName(ui->szPrinterName, chosen, ui->byAreaSide, ui->byAreaPanel, ui->byAreaOrientation,
                                 PRINT_AREA_LIST_TEXT_ROOM);
    } else {
        CopyTextCut(chosen, PRINT_AREA_LIST_TEXT_ROOM, ui->pCurPrintArea->szName);
    }
    SelectAreaName(page, chosen);

    const PrintAreaRecord* entry = ui->pCurPrintArea;
    ShowPrintAreaEntry(page, entry);
    const int unit = entry->byUnit <= AREA_UNIT_HUNDREDTH_INCH ? entry->byUnit : 0;
    CheckRadioButton(page, IDC_AREA_UNIT_DOTS, IDC_AREA_UNIT_HUNDREDTH_INCH, IDC_AREA_UNIT_DOTS + unit);
    UpdatePrintAreaButtons(page, entry);
    // The entries hold the store's areas again, as they were shown.
    if (reset)
        ClearPrintAreaEdits(page);
}
