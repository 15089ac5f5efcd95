// The title "<printer> @ <port>" of the alert program's main window: the
// program sets it and the notification client looks for it, so both build it
// here and always agree.
#pragma once

#include <windows.h>

// Longest title in code units, terminator not counted.
constexpr DWORD ALERT_TITLE_MAX = 255;

// Writes the title into out (room cch > 0 characters), cut to
// min(cch - 1, ALERT_TITLE_MAX) units; NULL names count as empty.
void FormatAlertWindowTitle(LPWSTR out, DWORD cch, LPCWSTR printer, LPCWSTR port);
