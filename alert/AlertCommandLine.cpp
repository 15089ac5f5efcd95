#include "AlertCommandLine.h"

#include <cwchar>

#include "CommandLineArgs.h"
#include "Platform.h"
#include "TextCopy.h"

BOOL ParseCommandLine(LPCWSTR commandLine, AlertCommandLine* out)
{
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ZeroMemory(out, sizeof(*out));
    CCommandLineArgs args;
    if (!args.Split(commandLine)) {
        DebugTrace(L"ParseCommandLine(1), split failed, error = %d,\n", GetLastError());
        return FALSE;
    }
    for (int i = 0; i < args.Count(); ++i) {
        LPCWSTR arg = args[i];
        LPWSTR value = nullptr;
        DWORD room = 0;
        if (wcscmp(arg, L"-n") == 0) {
            value = out->szPrinterName;
            room = ALERT_PRINTER_ROOM;
        } else if (wcscmp(arg, L"-p") == 0) {
            value = out->szPortName;
            room = ALERT_PORT_ROOM;
        } else if (wcscmp(arg, L"-e") == 0) {
            value = out->szExtParam;
            room = ALERT_EXTRA_ROOM;
        } else if (wcscmp(arg, L"-U") == 0) {
            out->bRemoveDevices = TRUE;
        }
        // The value is taken here and never read as a flag itself.
        if (value)
            CopyTextCut(value, room, i + 1 < args.Count() ? args[++i] : L"");
    }
    DebugTrace(L"ParseCommandLine(2), szPrinterName = %ls, szPortName = %ls, szExtParam = %ls, bRemove = %d,\n",
               out->szPrinterName, out->szPortName, out->szExtParam, out->bRemoveDevices);
    return TRUE;
}
