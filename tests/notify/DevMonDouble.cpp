// A stand-in for the device-monitor program, started from the driver
// directory with -n"<window title>": a hidden window with that title that
// takes device-monitor records. It answers each with the number of records it
// has taken so far in the high word and the record's size in the low word,
// and with 0 when the record does not name its own title.
#include "DevMnData.h"

#include "DoubleWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

const ULONG_PTR CDS_DEVMN = 222;
std::wstring g_title;
LRESULT g_records;

LRESULT CALLBACK DevMonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds->dwData != CDS_DEVMN || cds->cbData < sizeof(DevMnData))
            return 0;
        const DevMnData* record = static_cast<const DevMnData*>(cds->lpData);
        if (g_title != record->szWndName)
            return 0;
        return (++g_records << 16) | cds->cbData;
    }
    return DoubleDefaultProc(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        if (wcsncmp(argv[i], L"-n", 2) == 0)
            g_title = argv[i] + 2;
    }
    LocalFree(argv);
    if (g_title.empty())
        return 1;
    return RunDoubleWindow(instance, L"QelDevMonDouble", g_title.c_str(), DevMonProc);
}
