// The "Tool" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgToolProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
