// QelUI's module handle, kept by DllMain: the only state that outlives a call.
#pragma once

#include <windows.h>

extern HMODULE g_hModule;
