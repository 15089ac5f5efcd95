// Drop-down lists of the pages filled from their English texts.
#pragma once

#include <windows.h>

#include "UiData.h"

// Empties the list controlId of page and inserts every text of the
// NULL-ended English list at its index, translated by the sheet's translator
// in its current section, with the index as the item's data; selects entry 0.
void FillComboFromList(HWND page, UiData* ui, int controlId, const LPCWSTR* list);
