// The "Magnetic Encoding" page of the printing-preferences sheet: the
// stripe's coercivity, and whether the stripe data comes from the
// document's text between a prefix and a suffix. Every choice goes into the
// working DEVMODE at once.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgMagEncodingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
