// The printer's state record that the spooler side sends the alert program
// with WM_COPYDATA, and the private message that makes it show an alert.
// Both notification libraries and the alert program read it by these
// offsets: the layout is pinned.
#pragma once

#include <windows.h>

#include <cstddef>

// WM_COPYDATA dwData of a StateInfo record.
constexpr ULONG_PTR CDS_STATE_INFO = 111;

// The alert program's private message; wParam holds one of the NTY_ codes.
constexpr UINT WM_MY_PRINTER = WM_APP + 0x168;
static_assert(WM_MY_PRINTER == 0x8168, "the peers send this number");
constexpr WPARAM NTY_SET_JOB_ID = 1;
constexpr WPARAM NTY_SHOW_ERROR_DLG = 1000;
constexpr WPARAM NTY_MSG_1004 = 1004;
constexpr WPARAM NTY_MSG_1100 = 1100;

constexpr size_t STATE_PRINTER_ROOM = 256;
constexpr size_t STATE_PORT_ROOM = 160;
constexpr size_t STATE_LINK_ROOM = 256;
constexpr size_t STATE_EXT_ROOM = 316;

#pragma pack(push, 1)
struct StateInfo {
    DWORD dwReserved0;
    DWORD dwJobId;
    DWORD dwDevModelSN;
    BYTE byReserved1[16];
    DWORD dwErrCode;
    WCHAR szPrinterName[STATE_PRINTER_ROOM];
    WCHAR szPortName[STATE_PORT_ROOM];
    WCHAR szSymbolicLink[STATE_LINK_ROOM];
    WCHAR szExtParam[STATE_EXT_ROOM];
    BYTE byReserved2[24];
};
#pragma pack(pop)

static_assert(sizeof(StateInfo) == 2032, "StateInfo travels as 2,032 bytes");
static_assert(offsetof(StateInfo, dwJobId) == 4, "job id");
static_assert(offsetof(StateInfo, dwDevModelSN) == 8, "model number");
static_assert(offsetof(StateInfo, dwErrCode) == 28, "error code");
static_assert(offsetof(StateInfo, szPrinterName) == 32, "printer name");
static_assert(offsetof(StateInfo, szPortName) == 544, "port name");
static_assert(offsetof(StateInfo, szSymbolicLink) == 864, "symbolic link");
static_assert(offsetof(StateInfo, szExtParam) == 1376, "extra text");
static_assert(offsetof(StateInfo, byReserved2) == 2008, "trailing reserved bytes");
