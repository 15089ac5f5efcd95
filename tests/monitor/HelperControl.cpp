#include "HelperControl.h"

#include <cwchar>
#include <cwctype>

const WCHAR HELPER_CONTROL_VARIABLE[] = L"QEL_LMHLP_CONTROL";

void ShareHelperControl(HelperControl* control)
{
    if (!control) {
        SetEnvironmentVariableW(HELPER_CONTROL_VARIABLE, nullptr);
        return;
    }
    InitializeSRWLock(&control->lock);
    control->callCount = 0;
    control->bufferCount = 0;
    WCHAR text[32];
    swprintf(text, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(control)));
    SetEnvironmentVariableW(HELPER_CONTROL_VARIABLE, text);
}

HelperControl* FindHelperControl()
{
    WCHAR text[32];
    DWORD n = GetEnvironmentVariableW(HELPER_CONTROL_VARIABLE, text, 32);
    if (n == 0 || n >= 32)
        return nullptr;
    return reinterpret_cast<HelperControl*>(static_cast<ULONG_PTR>(wcstoull(text, nullptr, 16)));
}
