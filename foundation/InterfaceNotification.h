// Registration of a window for the arrival and removal notices of a
// device-interface class.
#pragma once

#include <windows.h>

// Registers window for the notices of the interface class named by guidText
// ("{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"). handleOut receives the
// registration (NULL on failure), which the caller ends with
// UnregisterDeviceNotification. FALSE with the last error on failure.
BOOL RegisterInterfaceNotification(HWND window, LPCWSTR guidText, HDEVNOTIFY* handleOut);
