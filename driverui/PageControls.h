// What the pages do alike with their controls: drop-down lists filled from
// English lists through the sheet's translator, ranges of controls shown or
// enabled together, and number boxes read the same way on every platform.
#pragma once

#include <windows.h>

#include "UiData.h"

// Room of one list entry, terminator included: a longer translation is cut.
const DWORD LIST_ENTRY_ROOM = 256;

// Empties the drop-down list, inserts every entry of the NULL-ended English
// list at its index, translated in the translator's current section (the
// caller makes its page's section current), with the index as the item's
// data, and selects entry 0.
void FillComboFromList(HWND page, UiData* ui, int controlId, const LPCWSTR* list);
// The selected entry of a drop-down list, or -1 without a selection.
int GetComboSelection(HWND page, int controlId);
// Shows or hides, enables or disables, the controls first to last.
void ShowControls(HWND page, int first, int last, BOOL show);
void EnableControls(HWND page, int first, int last, BOOL enable);
void ShowControl(HWND page, int controlId, BOOL show);
// Checks or unchecks a check box.
void SetCheck(HWND page, int controlId, BOOL checked);
BOOL IsChecked(HWND page, int controlId);
// The box's text as an unsigned number: FALSE, with *value 0, when the text
// is no number (empty, below 0, other characters, beyond the int range).
BOOL ReadUnsignedBox(HWND page, int controlId, DWORD* value);
