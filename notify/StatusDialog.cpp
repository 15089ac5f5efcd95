// The state record's road to the alert program: its window is found by the
// title "<printer> @ <port>", or the program is started from the driver
// directory and awaited.
#include "AlertWindowTitle.h"
#include "AsyncClient.h"
#include "AsyncMessage.h"
#include "Platform.h"
#include "ProgramLaunch.h"
#include "StateInfo.h"
#include "TextCopy.h"

namespace {

const DWORD ALERT_POLLS = 40;
const DWORD ALERT_POLL_MS = 300;
// The program's window exists before it has taken its title and hidden
// itself; the record goes once it has settled.
const DWORD ALERT_SETTLE_MS = 200;

// The record's texts, each bounded by its room.
struct StateTexts {
    WCHAR printer[STATE_PRINTER_ROOM];
    WCHAR port[STATE_PORT_ROOM];
    WCHAR extra[STATE_EXT_ROOM];
};

void ReadStateTexts(const StateInfo& state, StateTexts* texts)
{
    CopyTextCut(texts->printer, STATE_PRINTER_ROOM, state.szPrinterName);
    CopyTextCut(texts->port, STATE_PORT_ROOM, state.szPortName);
    CopyTextCut(texts->extra, STATE_EXT_ROOM, state.szExtParam);
}

void StartAlertProgram(const StateTexts& texts)
{
    WCHAR path[PROGRAM_TEXT_ROOM];
    WCHAR line[PROGRAM_TEXT_ROOM] = L"";
    if (!GetDriverProgramPath(path, L"QelAlert.exe") || !AppendText(line, L" -n ") ||
        !AppendQuoted(line, texts.printer) || !AppendText(line, L" -p ") || !AppendQuoted(line, texts.port) ||
        !AppendText(line, L" -e ") || !AppendQuoted(line, texts.extra))
        return;
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwX = startup.dwY = startup.dwXSize = startup.dwYSize = CW_USEDEFAULT;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(path, line, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | HIGH_PRIORITY_CLASS,
                                  nullptr, nullptr, &startup, &info);
    DebugTrace(L"ShowStatusDialog(2), CreateProcess(%ls%ls) = %d, error = %u,\n", path, line, started,
               started ? 0 : GetLastError());
    // Whether it started shows in the window that comes up or not.
    if (started) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

} // namespace

LRESULT ShowStatusDialog(const BYTE* blob, HWND* window, DWORD payloadLength)
{
    StateInfo state;
    COPYDATASTRUCT cds = TakeBlobRecord(blob, payloadLength, &state, sizeof(state));

    if (!*window) {
        StateTexts texts;
        ReadStateTexts(state, &texts);
        WCHAR title[ALERT_TITLE_MAX + 1];
        FormatAlertWindowTitle(title, ALERT_TITLE_MAX + 1, texts.printer, texts.port);
        *window = FindWindowW(nullptr, title);
        DebugTrace(L"ShowStatusDialog(1), title = %ls, hwnd = %p,\n", title, *window);
        if (!*window) {
            StartAlertProgram(texts);
            *window = WaitForWindowTitle(title, ALERT_POLLS, ALERT_POLL_MS);
            if (!*window)
                return 0;
            Sleep(ALERT_SETTLE_MS);
        }
    }
    LRESULT result = SendMessageW(*window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    DebugTrace(L"ShowStatusDialog(3), hwnd = %p, result = %d,\n", *window, static_cast<int>(result));
    return result;
}
