// The receiving side's deliveries: the state record to the alert program
// and the device-monitor record to the device-monitor program, each started
// from the driver directory when its window is missing.
#pragma once

#include <windows.h>

// Copies the record behind the blob head (payloadLength decoded bytes follow
// it) into record (room bytes, zeroed beyond what came) and gives the
// WM_COPYDATA that carries it: the head's kind, and its size bounded by the
// room and by what came. Without a record the data stays in the blob.
COPYDATASTRUCT TakeBlobRecord(const BYTE* blob, DWORD payloadLength, void* record, DWORD room);
// Sends the StateInfo behind the blob head (payloadLength decoded bytes
// follow it) to *window, or to the alert program's window found by its title
// or started. Gives the message's result, or 0 when no window could be found
// or started; *window then holds the window that got the record, or NULL.
LRESULT ShowStatusDialog(const BYTE* blob, HWND* window, DWORD payloadLength);
// Sends the DevMnData behind the blob head to the device-monitor program.
// Gives the message's result, or 0 when no window exists or comes up.
LRESULT SendJobDataToDevMon(const BYTE* blob, DWORD payloadLength);
// The device-monitor program's window, found by its title or started from the
// driver directory; NULL when none comes up, or when the file name is not a
// plain file name or the title is empty.
HWND LaunchDeviceMonitorAP(LPCWSTR exeName, LPCWSTR windowName);
