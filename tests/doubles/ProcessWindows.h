// Windows of another program, as a test sees them from outside.
#pragma once

#include <windows.h>

#include <string>

// A visible dialog-class window (a dialog or a message box) of the process,
// other than exclude; NULL when it shows none.
HWND FindProcessDialog(DWORD processId, HWND exclude);
// The same, polled for until timeoutMs has passed.
HWND WaitForProcessDialog(DWORD processId, HWND exclude, DWORD timeoutMs);
// The text of any window, also of another process (WM_GETTEXT, bounded).
std::wstring WindowText(HWND window);
