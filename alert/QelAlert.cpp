#include <windows.h>
#include <commctrl.h>

#include "AlertCommandLine.h"
#include "AlertDialog.h"
#include "AlertResource.h"
#include "AlertState.h"
#include "DeviceCleanup.h"
#include "Platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    // Kept for the whole run: the main window's title is made from it.
    static AlertCommandLine args;
    ParseCommandLine(commandLine, &args);
    if (args.bRemoveDevices) {
        RemoveAllDevices();
        return 0;
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    g_hInstance = instance;
    HWND mainWindow = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_ALERT_MAIN), nullptr, QelAlertDialogProc,
                                         reinterpret_cast<LPARAM>(&args));
    if (!mainWindow) {
        // Without its window nothing could reach or end the program.
        DebugTrace(L"wWinMain(1), CreateDialogParam failed, error = %d,\n", GetLastError());
        return -1;
    }
    ShowWindow(mainWindow, showCommand);

    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return -1;
        if (!IsDialogMessageW(mainWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
