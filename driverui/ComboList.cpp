#include "ComboList.h"

#include "TextCopy.h"

namespace {

const DWORD ITEM_TEXT_ROOM = 256;

} // namespace

void FillComboFromList(HWND page, UiData* ui, int controlId, const LPCWSTR* list)
{
    HWND combo = GetDlgItem(page, controlId);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (WPARAM index = 0; list && list[index]; ++index) {
        WCHAR text[ITEM_TEXT_ROOM];
        CopyTextCut(text, ITEM_TEXT_ROOM, ui->Translater.Translate(list[index]));
        LRESULT at = SendMessageW(combo, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text));
        if (at >= 0)
            SendMessageW(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(index));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}
