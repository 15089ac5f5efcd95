#include "InterfaceNotification.h"

#include "Platform.h"
#include "Utilities.h"

#include <dbt.h>

// The filter record the platform expects: 32 bytes with its padding.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "device-interface filter size");

BOOL RegisterInterfaceNotification(HWND window, LPCWSTR guidText, HDEVNOTIFY* handleOut)
{
    if (handleOut)
        *handleOut = nullptr;
    if (!window || !guidText || !handleOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof(filter));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    if (!StringToGuid(&filter.dbcc_classguid, guidText))
        return FALSE;
    *handleOut = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    DebugTrace(L"RegisterInterfaceNotification(1), %ls, RegisterDeviceNotification() return %p,\n", guidText,
               *handleOut);
    return *handleOut != nullptr;
}
