#include "CenterWindow.h"

void CenterWindow(HWND window)
{
    RECT desktop, own;
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(window, &own))
        return;
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = ((desktop.right - desktop.left) - width) / 2;
    int y = ((desktop.bottom - desktop.top) - height) / 2;
    MoveWindow(window, x, y, width, height, FALSE);
}
