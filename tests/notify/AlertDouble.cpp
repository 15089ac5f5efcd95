// A stand-in for the alert program, started as QelAlert.exe from the driver
// directory: a hidden window titled "<printer> @ <port>" from its -n and -p
// arguments, by the same title function as the real program. It writes what
// it gets beside itself for the tests to read: "<program>.args" (the command
// line as it came, then each argument on a line of its own, UTF-16) and
// "<program>.state" (the bytes of the last state record). It answers
// WM_COPYDATA with 0, and the alert message with a message box whose OK
// gives 1 (continue printing) and whose Cancel gives 0.
#include "AlertWindowTitle.h"
#include "StateInfo.h"

#include "DoubleWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring g_self;
StateInfo g_state;

void WriteBeside(LPCWSTR suffix, const void* bytes, DWORD size)
{
    HANDLE file = CreateFileW((g_self + suffix).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK AlertProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds->dwData == CDS_STATE_INFO) {
            DWORD size = cds->cbData < sizeof(g_state) ? cds->cbData : sizeof(g_state);
            memcpy(&g_state, cds->lpData, size);
            WriteBeside(L".state", cds->lpData, size);
        }
        return 0;
    }
    if (message == WM_MY_PRINTER && wParam == NTY_SHOW_ERROR_DLG) {
        WCHAR text[512];
        swprintf(text, 512, L"%ls: 0x%08X", g_state.szPrinterName, static_cast<unsigned>(lParam));
        return MessageBoxW(window, text, L"Printer Warning:", MB_OKCANCEL) == IDOK ? 1 : 0;
    }
    return DoubleDefaultProc(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    WCHAR self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    g_self = self;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring args = GetCommandLineW();
    std::wstring printer, port;
    for (int i = 0; argv && i < argc; ++i) {
        args += L"\n";
        args += argv[i];
        if (i + 1 < argc && wcscmp(argv[i], L"-n") == 0)
            printer = argv[i + 1];
        if (i + 1 < argc && wcscmp(argv[i], L"-p") == 0)
            port = argv[i + 1];
    }
    LocalFree(argv);
    WriteBeside(L".args", args.c_str(), static_cast<DWORD>(args.size() * sizeof(WCHAR)));

    WCHAR title[ALERT_TITLE_MAX + 1];
    FormatAlertWindowTitle(title, ALERT_TITLE_MAX + 1, printer.c_str(), port.c_str());
    return RunDoubleWindow(instance, L"QelAlertDouble", title, AlertProc);
}
