// The library's entry point keeps the module handle for the sheets'
// resources and does nothing else.
#include "DriverModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_hModule = hModule;
    return TRUE;
}
