// The "Heating Energy" page of the printing-preferences sheet: the print
// head's energy shift per panel and side, and on rewrite models the erase
// and write energies, each a trackbar with an edit box. The trackbars hold
// the values until apply writes them into the working DEVMODE.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgHeatingEnergyProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the place of the edit class's procedure in the page's ten edits.
LRESULT CALLBACK HeatingEnergyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
