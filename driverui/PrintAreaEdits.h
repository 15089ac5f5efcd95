// Which print-area entries of the open page hold changes that the store has
// not taken yet. Both sides may show the same named area, each from its own
// copy, so Apply stores a named entry only when it was changed: an untouched
// copy would write the older area over the other side's edit or Save. The
// marks are a property of the page's window, one set per sheet.
#pragma once

#include <windows.h>

#include "PrintAreaRecord.h"

// The entry, one of the page's UiData entries, was changed on the page.
void MarkPrintAreaEdited(HWND page, const PrintAreaRecord* entry);
// The entry holds what was loaded or stored.
void ClearPrintAreaEdited(HWND page, const PrintAreaRecord* entry);
// Every entry was rebuilt, or the page goes.
void ClearPrintAreaEdits(HWND page);
BOOL IsPrintAreaEdited(HWND page, const PrintAreaRecord* entry);
