// The record that a WM_COPYDATA with dwData 222 carries to the device-monitor
// program: texts are zero-terminated UTF-16 within their rooms. Its writer is
// the sender's caller; the receiver reads the program's file name and window
// title and forwards the record unchanged.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t DEVMN_PRINTER_ROOM = 256;
constexpr size_t DEVMN_LINK_ROOM = 296;
constexpr size_t DEVMN_EXE_ROOM = 16;
constexpr size_t DEVMN_WINDOW_ROOM = 352;

struct DevMnData {
    WCHAR szPrinterName[DEVMN_PRINTER_ROOM];
    WCHAR szSymbolicLink[DEVMN_LINK_ROOM];
    WCHAR szExeName[DEVMN_EXE_ROOM];
    WCHAR szWndName[DEVMN_WINDOW_ROOM];
};

static_assert(sizeof(DevMnData) == 1840, "DevMnData travels as 1,840 bytes");
static_assert(offsetof(DevMnData, szSymbolicLink) == 512, "symbolic link");
static_assert(offsetof(DevMnData, szExeName) == 1104, "program file name");
static_assert(offsetof(DevMnData, szWndName) == 1136, "window title");
