#include "PageControls.h"

#include "DialogInteger.h"
#include "TextCopy.h"

namespace {

// Room of a number box's text: a longer text is no number.
const int NUMBER_TEXT_ROOM = 32;

} // namespace

void FillComboFromList(HWND page, UiData* ui, int controlId, const LPCWSTR* list)
{
    HWND combo = GetDlgItem(page, controlId);
    if (!combo || !ui || !list)
        return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (WPARAM index = 0; list[index]; ++index) {
        WCHAR entry[LIST_ENTRY_ROOM];
        CopyTextCut(entry, LIST_ENTRY_ROOM, ui->Translater.Translate(list[index]));
        LRESULT at = SendMessageW(combo, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(entry));
        if (at >= 0)
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(index));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

int GetComboSelection(HWND page, int controlId)
{
    LRESULT selection = SendDlgItemMessageW(page, controlId, CB_GETCURSEL, 0, 0);
    return selection < 0 ? -1 : static_cast<int>(selection);
}

void ShowControls(HWND page, int first, int last, BOOL show)
{
    for (int id = first; id <= last; ++id)
        ShowControl(page, id, show);
}

void EnableControls(HWND page, int first, int last, BOOL enable)
{
    for (int id = first; id <= last; ++id)
        EnableWindow(GetDlgItem(page, id), enable);
}

void ShowControl(HWND page, int controlId, BOOL show)
{
    ShowWindow(GetDlgItem(page, controlId), show ? SW_SHOW : SW_HIDE);
}

void SetCheck(HWND page, int controlId, BOOL checked)
{
    CheckDlgButton(page, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

BOOL IsChecked(HWND page, int controlId)
{
    return IsDlgButtonChecked(page, controlId) == BST_CHECKED;
}

BOOL ReadUnsignedBox(HWND page, int controlId, DWORD* value)
{
    *value = 0;
    HWND box = GetDlgItem(page, controlId);
    if (!box || GetWindowTextLengthW(box) >= NUMBER_TEXT_ROOM)
        return FALSE;
    WCHAR text[NUMBER_TEXT_ROOM] = L"";
    GetWindowTextW(box, text, NUMBER_TEXT_ROOM);
    int number = 0;
    if (!ParseDialogInteger(text, &number) || number < 0)
        return FALSE;
    *value = static_cast<DWORD>(number);
    return TRUE;
}
