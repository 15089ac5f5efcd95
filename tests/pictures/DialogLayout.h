// Checks a dialog as a user sees it: every visible control lies inside the
// dialog's client area, and no static text or button text is wider than the
// control that shows it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct LayoutFault {
    int id;
    std::wstring what;
    LONG need, have;
};

// font: the font the controls draw with, for a dialog of another process
// (its font handles mean nothing here); NULL asks each control (WM_GETFONT).
std::vector<LayoutFault> CheckDialogLayout(HWND dialog, const LOGFONTW* font);

// One line per fault: "<dialog> [<language>]: control <id> <what>: <need> > <have>".
std::string DescribeFaults(const char* dialog, const char* language, const std::vector<LayoutFault>& faults);
