// A picture of a window as the screen shows it, saved as a 24-bit BMP file.
#pragma once

#include <windows.h>

BOOL SaveWindowPicture(HWND window, LPCWSTR path);
