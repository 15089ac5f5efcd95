// The "Image Color" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgImageColorProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
