// The "Print Option" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgPrintOptionProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Asks the printer which ribbon is loaded and, when it is one of the page's
// and not the one shown, chooses it as a user would. Nothing for rewrite
// models or when the printer cannot be reached.
void DetectRibbon(HWND page);
