#include "AlertCommandLine.h"

#include <shellapi.h>

#include <cwchar>

#include "Platform.h"
#include "TextCopy.h"

BOOL ParseCommandLine(LPCWSTR commandLine, AlertCommandLine* out)
{
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ZeroMemory(out, sizeof(*out));
    if (!commandLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // An empty text would be split into the program's own path.
    if (commandLine[0] == L'\0')
        return TRUE;

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &argc);
    if (!argv) {
        DebugTrace(L"ParseCommandLine(1), CommandLineToArgvW failed, error = %d,\n", GetLastError());
        return FALSE;
    }
    for (int i = 0; i < argc; ++i) {
        LPCWSTR arg = argv[i];
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
        if (value) {
            // The value is taken here and never read as a flag itself.
            CopyTextCut(value, room, i + 1 < argc ? argv[++i] : L"");
        }
    }
    DebugTrace(L"ParseCommandLine(2), szPrinterName = %ls, szPortName = %ls, szExtParam = %ls, bRemove = %d,\n",
               out->szPrinterName, out->szPortName, out->szExtParam, out->bRemoveDevices);
    LocalFree(argv);
    return TRUE;
}
