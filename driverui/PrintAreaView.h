// What the Print Area page shows of its current entry: the rectangle list,
// the four number boxes with their rule for every change, the up-down
// ranges, the buttons' states and the preview's redraw.
#pragma once

#include <windows.h>

#include "UiData.h"

// Every page of the sheet shares the translator, so the page makes its own
// section current before each lookup.
void UsePrintAreaSection(UiData* ui);
LPCWSTR PrintAreaText(UiData* ui, LPCWSTR key);
// The text at index of a drop-down list, read only when it fits room.
BOOL ReadListText(HWND page, int listId, int index, LPWSTR out, DWORD room);
// The rectangle selected in the rectangle list, -1 for none.
int GetSelectedRect(HWND page, const PrintAreaRecord* entry);

// Refills the rectangle list with the numbers 1 to count, nothing selected.
void FillRectList(HWND page, DWORD count);
// Refills the rectangle list, selects the first, shows the first rectangle
// cut to the card and sets the up-down ranges, all in the entry's unit.
void ShowPrintAreaEntry(HWND page, const PrintAreaRecord* entry);
// Shows a rectangle's size and position in the entry's unit, unclamped.
void ShowAreaRect(HWND page, const PrintAreaRecord* entry, int index);
// Writes the four boxes in the order W, H, X, Y; each change takes effect.
void SetAreaBoxes(HWND page, int w, int h, int x, int y);
// The ranges of the up-down controls: 0 to the card width and height.
void SetAreaRanges(HWND page, int width, int height);
// EN_CHANGE of a number box: clamps the value to the room left on the card,
// writes it back when it was clamped, and stores it in the selected rectangle.
void OnAreaEditChange(HWND page, UiData* ui, int boxId);
void UpdatePrintAreaButtons(HWND page, const PrintAreaRecord* entry);
// Repaints the preview frame and a margin of 2 pixels around it.
void RedrawPrintAreaPreview(HWND page);
// The frame of the preview in the page's coordinates.
BOOL GetPreviewFrame(HWND page, RECT* frame);
// An entry shown in dots switches to tenths of a millimetre once the page's
// current messages are handled.
void PostPrintAreaUnit(HWND page, const PrintAreaRecord* entry);
