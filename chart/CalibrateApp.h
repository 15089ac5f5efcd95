// CCalibrateApp: QelChart's application. It reads the command line, runs
// the calibration dialog and ends when the dialog closes.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "CalibrateCmdLineInfo.h"

class CCalibrateApp {
public:
    explicit CCalibrateApp(HINSTANCE instance);
    // FALSE: the program ends once the dialog has closed.
    BOOL InitInstance();

private:
    HINSTANCE m_hInstance;
};

extern CCalibrateCmdLineInfo g_cmdInfo;
