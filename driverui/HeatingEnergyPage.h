// The "Heating Energy" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgHeatingEnergyProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
