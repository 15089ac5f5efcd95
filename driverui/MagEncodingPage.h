// The "Magnetic Encoding" page of the printing-preferences sheet.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgMagEncodingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
