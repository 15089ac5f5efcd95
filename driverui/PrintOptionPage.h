// The "Print Option" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgPrintOptionProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
