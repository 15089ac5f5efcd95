// The "Image Color" page of the printing-preferences sheet: the colour
// adjustments of the working DEVMODE, each a trackbar with an edit box, both
// bound to one field of the private part and written at once.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgImageColorProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the place of the edit class's procedure in the page's nine edits.
LRESULT CALLBACK ImageColorEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
