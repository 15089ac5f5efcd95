#include "CalibrateApp.h"

#include <commctrl.h>

#include "CalibrateDlg.h"
#include "Platform.h"

CCalibrateCmdLineInfo g_cmdInfo;

CCalibrateApp::CCalibrateApp(HINSTANCE instance)
    : m_hInstance(instance)
{
}

BOOL CCalibrateApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    if (!g_cmdInfo.ParseCommandLine(GetCommandLineW()))
        DebugTrace(L"CCalibrateApp::InitInstance(1), ParseCommandLine failed, error = %d,\n", GetLastError());

    CCalibrateDlg dlg(m_hInstance, g_cmdInfo);
    INT_PTR result = dlg.DoModal();
    DebugTrace(L"CCalibrateApp::InitInstance(2), DoModal return = %d,\n", static_cast<int>(result));
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CCalibrateApp app(instance);
    app.InitInstance();
    return 0;
}
