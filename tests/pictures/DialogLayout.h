// Checks a dialog as a user sees it: every visible control lies inside the
// dialog's client area, no static text or button text is wider than the
// control that shows it, and every icon control shows the picture of the .ico
// file its template names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct LayoutFault {
    int id;
    std::wstring what;
    LONG need, have;
};

// The .ico file an icon control of the dialog shows, by the control's id.
struct IconFile {
    int id;
    std::wstring path;
};

// font: the font the controls draw with, for a dialog of another process
// (its font handles mean nothing here); NULL asks each control (WM_GETFONT).
// icons: the .ico file of each icon control the dialog shows.
std::vector<LayoutFault> CheckDialogLayout(HWND dialog, const LOGFONTW* font, const std::vector<IconFile>& icons);

// One line per fault: "<dialog> [<language>]: control <id> <what>: needs <need>, has <have>".
std::string DescribeFaults(const char* dialog, const char* language, const std::vector<LayoutFault>& faults);
