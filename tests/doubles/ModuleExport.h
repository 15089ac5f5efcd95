// An export of a loaded library as the function type the caller expects;
// NULL when the library or the export is missing.
#pragma once

#include <windows.h>

template <typename Fn> Fn ModuleExport(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
