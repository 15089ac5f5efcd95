// Places a window in the middle of the desktop.
#pragma once

#include <windows.h>

// Keeps the window's size and moves it, without repainting, to the centre of
// the desktop window's rectangle.
void CenterWindow(HWND window);
