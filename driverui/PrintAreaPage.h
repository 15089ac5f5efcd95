// The "Print Area" page of the printing-preferences sheet: the print area of
// each card side and panel group, its rectangles edited in number boxes over
// a picture of the card, and the named areas of the user's registry
// (PrintAreaStore.h). One Print Area page is open at a time.
#pragma once

#include <windows.h>

#include "UiData.h"
#include "Utilities.h"

// Characters of the name typed in the name dialog, terminator included.
const DWORD PRINT_AREA_TYPED_NAME_ROOM = 256;

// The sheet's data of the open page; the name dialog translates through it.
extern UiData* g_pPrintAreaUiData;
// The name the name dialog took: never empty, never "Full Card", at most the
// 63 characters of a record's name.
extern WCHAR g_szPrintAreaName[PRINT_AREA_TYPED_NAME_ROOM];
// The picture under the rectangles of the preview; never stored.
extern BitmapImage g_MaskBitmap;

INT_PTR CALLBACK DlgPrintAreaProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// The page's commands by control id and notification code.
void DlgPrintArea_OnCommand(HWND page, int controlId, int notification);
// The name dialog (IDD_SAVE_PRINT_AREA): ends with IDOK, the name in
// g_szPrintAreaName, or IDCANCEL.
INT_PTR CALLBACK DlgSavePrintAreaProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Points pCurPrintArea at the entry of the current side and panel, lists the
// stored areas of its panel and orientation, and shows the entry. reset
// rebuilds every entry from the user's choices first, dropping unsaved edits.
void RefreshPrintAreaContent(HWND page, BOOL reset);
