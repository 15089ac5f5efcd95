// What the receiving side needs to find and start a program of the user's
// session: its path in the driver directory, its arguments, and its window.
#pragma once

#include <windows.h>

// Room of the command lines and paths built here, in units.
constexpr DWORD PROGRAM_TEXT_ROOM = 1024;

// "<driver directory>\<fileName>" into out (room PROGRAM_TEXT_ROOM); FALSE
// when it does not fit.
BOOL GetDriverProgramPath(LPWSTR out, LPCWSTR fileName);
// Appends text to line (room PROGRAM_TEXT_ROOM); FALSE, line unchanged, when
// it does not fit.
BOOL AppendText(LPWSTR line, LPCWSTR text);
// Appends value in quotation marks, with its own quotation marks and the
// backslashes before them escaped, so that the program's command-line split
// gives it back unchanged.
BOOL AppendQuoted(LPWSTR line, LPCWSTR value);
// Looks for a top-level window with this exact title up to polls times,
// sleeping intervalMs before each look; NULL when none came up.
HWND WaitForWindowTitle(LPCWSTR title, DWORD polls, DWORD intervalMs);
