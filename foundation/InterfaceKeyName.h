// The registry key of a device interface is named like its device path,
// "##?#USB#VID_5D27&PID_0001#...#{class}", with the first, second and fourth
// characters of "\\?\USB#..." written as '#'.
#pragma once

#include <windows.h>

// Turns such a key name into the device path in place; a name shorter than
// four characters is no device path and stays as it is.
void InterfaceKeyToDevicePath(LPWSTR text);
