#include "HelperLibrary.h"

#include "Platform.h"

#include <cwchar>

const WCHAR HELPER_LIBRARY_NAME[] = L"QelLMhlp.dll";

namespace {

template <typename Fn>
Fn EntryPoint(HMODULE module, LPCSTR name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

BOOL LoadHelperLibrary(PORT_OBJ* record)
{
    WCHAR path[MAX_PATH];
    GetDriverDirectory(path, TRUE);
    const size_t length = wcslen(path);
    if (length + 1 + wcslen(HELPER_LIBRARY_NAME) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    swprintf(path + length, MAX_PATH - length, L"\\%ls", HELPER_LIBRARY_NAME);
    HMODULE module = LoadLibraryW(path);
    DebugTrace(L"LoadHelperLibrary(), LoadLibrary(%ls) return %p,\n", path, module);
    if (!module)
        return FALSE;
    record->hDll.p = module;
    record->pfnLM_StartDocPort.p = EntryPoint<PFN_LM_StartDocPort>(module, "LM_StartDocPort");
    record->pfnLM_EndDocPort.p = EntryPoint<PFN_LM_EndDocPort>(module, "LM_EndDocPort");
    record->pfnLM_WritPort.p = EntryPoint<PFN_LM_WritPort>(module, "LM_WritPort");
    record->pfnLM_ReadPort.p = EntryPoint<PFN_LM_ReadPort>(module, "LM_ReadPort");
    return TRUE;
}

void UnloadHelperLibrary(PORT_OBJ* record)
{
    if (record->hDll.p)
        FreeLibrary(record->hDll.p);
    record->hDll.p = nullptr;
    record->pfnLM_StartDocPort.p = nullptr;
    record->pfnLM_EndDocPort.p = nullptr;
    record->pfnLM_WritPort.p = nullptr;
    record->pfnLM_ReadPort.p = nullptr;
}
