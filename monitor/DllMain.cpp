// The library's entry point: the monitor's state is set up by
// InitializePrintMonitor2, so only the module handle is kept here.
#include <windows.h>

HINSTANCE g_hInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_hInstance = hInstance;
    return TRUE;
}
