// The device-monitor record's road: the program named in the record is found
// by its window title, or opened from the driver directory and awaited.
#include "AsyncClient.h"
#include "AsyncMessage.h"
#include "DevMnData.h"
#include "Platform.h"
#include "ProgramLaunch.h"
#include "TextCopy.h"

#include <cwchar>
#include <shellapi.h>

namespace {

const DWORD DEVMON_POLLS = 101;
const DWORD DEVMON_POLL_MS = 500;

// A plain file name in the driver directory: no folder, drive or parent part.
bool IsPlainFileName(LPCWSTR name)
{
    return name[0] && !wcspbrk(name, L"\\/:") && !wcsstr(name, L"..");
}

} // namespace

HWND LaunchDeviceMonitorAP(LPCWSTR exeName, LPCWSTR windowName)
{
    WCHAR exe[DEVMN_EXE_ROOM], title[DEVMN_WINDOW_ROOM];
    CopyTextCut(exe, DEVMN_EXE_ROOM, exeName);
    CopyTextCut(title, DEVMN_WINDOW_ROOM, windowName);
    // An empty title would match any untitled window.
    if (!IsPlainFileName(exe) || !title[0])
        return nullptr;
    HWND window = FindWindowW(nullptr, title);
    DebugTrace(L"LaunchDeviceMonitorAP(1), exe = %ls, title = %ls, hwnd = %p,\n", exe, title, window);
    if (window)
        return window;
    WCHAR path[PROGRAM_TEXT_ROOM];
    WCHAR parameters[PROGRAM_TEXT_ROOM] = L"";
    if (!GetDriverProgramPath(path, exe) || !AppendText(parameters, L" -n") || !AppendQuoted(parameters, title))
        return nullptr;
    HINSTANCE opened = ShellExecuteW(nullptr, L"open", path, parameters, nullptr, SW_SHOWNORMAL);
    DebugTrace(L"LaunchDeviceMonitorAP(2), ShellExecute(%ls%ls) = %p,\n", path, parameters, opened);
    (void)opened;
    return WaitForWindowTitle(title, DEVMON_POLLS, DEVMON_POLL_MS);
}

LRESULT SendJobDataToDevMon(const BYTE* blob, DWORD payloadLength)
{
    DevMnData record;
    COPYDATASTRUCT cds = TakeBlobRecord(blob, payloadLength, &record, sizeof(record));
    HWND window = LaunchDeviceMonitorAP(record.szExeName, record.szWndName);
    if (!window)
        return 0;
    LRESULT result = SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    DebugTrace(L"SendJobDataToDevMon(1), hwnd = %p, result = %d,\n", window, static_cast<int>(result));
    return result;
}
