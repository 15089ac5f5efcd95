// The "Tool" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgToolProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the driver's version and date from its installed INF file; both
// stay empty when no INF file of the driver is found.
void IsInfExist(HWND page);
// Asks the printer for its firmware version, serial number and ribbon and
// shows what it reported; nothing when the printer cannot be reached. The
// first failed exchange ends the questions; what was not read stays empty.
void ShowPrinterInformation(HWND page);
