#include "DriverModule.h"

HMODULE g_hModule = nullptr;
