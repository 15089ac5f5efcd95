// The alert program's command line: -n "<printer>" -p "<port>" -e "<text>"
// from the notification client, or -U for the device clean-up.
#pragma once

#include <windows.h>

#include "StateInfo.h"

// Rooms in code units, terminator included. The printer and port rooms are
// those of the state record, whose names make the window's title.
constexpr DWORD ALERT_PRINTER_ROOM = STATE_PRINTER_ROOM;
constexpr DWORD ALERT_PORT_ROOM = STATE_PORT_ROOM;
constexpr DWORD ALERT_EXTRA_ROOM = 16;

struct AlertCommandLine {
    WCHAR szPrinterName[ALERT_PRINTER_ROOM];
    WCHAR szPortName[ALERT_PORT_ROOM];
    WCHAR szExtParam[ALERT_EXTRA_ROOM]; // stored, not used
    BOOL bRemoveDevices;                 // -U
};

// Splits commandLine (the text after the program name) by the platform's
// rules and fills out, which starts empty. A value that does not fit its
// room is cut. The argument behind -n, -p or -e is always that flag's value,
// so only a -U standing as a flag sets bRemoveDevices. FALSE, with out
// empty and the last error of the split, when the text cannot be split.
BOOL ParseCommandLine(LPCWSTR commandLine, AlertCommandLine* out);
