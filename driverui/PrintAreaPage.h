// The "Print Area" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgPrintAreaProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
