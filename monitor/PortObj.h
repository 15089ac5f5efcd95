// PORT_OBJ: the monitor's record of one printer and port pair. Its address is
// the port handle the spooler gets back and the first argument of every entry
// point of the helper library QelLMhlp, which reads the record by offset: the
// layout below is a binary contract with that library, pinned field by field.
#pragma once

#include <windows.h>

#include <cstddef>

#include "PrintMonitor2.h"

struct PORT_OBJ;

// The helper library's entry points: each takes the record first and gives a
// 32-bit result.
typedef DWORD(WINAPI* PFN_LM_StartDocPort)(PORT_OBJ* record);
typedef DWORD(WINAPI* PFN_LM_EndDocPort)(PORT_OBJ* record);
typedef DWORD(WINAPI* PFN_LM_WritPort)(PORT_OBJ* record, LPBYTE buffer, DWORD count, LPDWORD written);
typedef DWORD(WINAPI* PFN_LM_ReadPort)(PORT_OBJ* record, LPBYTE buffer, DWORD count, LPDWORD read);

// A pointer or handle of the record in an 8-byte slot: the record has one
// layout in both builds, and the 32-bit build leaves the high half zero.
template <typename T>
struct RecordSlot {
    T p;
#ifndef _WIN64
    DWORD dwHigh;
#endif
};

// Rooms of the record's texts, terminators included.
const DWORD PORT_PRINTER_ROOM = 256;
const DWORD PORT_NAME_ROOM = 576;
const DWORD PORT_VIDPID_ROOM = 256;
const DWORD PORT_SYMLINK_ROOM = 256;
const DWORD PORT_DOCNAME_ROOM = 128;
const DWORD PORT_ADDRESS_ROOM = 25;

struct PORT_OBJ {
    WCHAR szPrinterName[PORT_PRINTER_ROOM];
    WCHAR szPortNameW[PORT_NAME_ROOM];
    // The detected model's USB id text, "VID_5D27&PID_0101" when none was found.
    WCHAR szVIDPID[PORT_VIDPID_ROOM];
    // Device path of the USB printer interface; empty for a TCP/IP port.
    WCHAR szSymbolicLink[PORT_SYMLINK_ROOM];
    DWORD PortIndex;
    // The number after "USB" in a USB port's name.
    DWORD dwPortNumber;
    DWORD dwLinked;
    DWORD dwReserved0;
    RecordSlot<PVOID> cpUsb;
    BYTE byReserved1[10];
    WCHAR szDocName[PORT_DOCNAME_ROOM];
    WORD wReserved2;
    DWORD JobId;
    RecordSlot<HMODULE> hDll;
    RecordSlot<PFN_LM_StartDocPort> pfnLM_StartDocPort;
    RecordSlot<PFN_LM_EndDocPort> pfnLM_EndDocPort;
    RecordSlot<PFN_LM_WritPort> pfnLM_WritPort;
    RecordSlot<PFN_LM_ReadPort> pfnLM_ReadPort;
    RecordSlot<HANDLE> hMonitorPort;
    RecordSlot<HANDLE> hPort;
    RecordSlot<Monitor2Table*> pMonitor2;
    // Length of the first buffer; both buffers are the helper library's
    // blocks on the process heap, freed by the monitor at shutdown.
    DWORD dwBufferLength;
    DWORD dwReserved3;
    RecordSlot<PVOID> pBuffer1;
    RecordSlot<PVOID> pBuffer2;
    BYTE bNotUsb;
    BYTE bTcpIp;
    WCHAR szIPAddress[PORT_ADDRESS_ROOM];
    DWORD dwTcpPort;
    RecordSlot<PORT_OBJ*> pNext;
};

static_assert(sizeof(RecordSlot<PVOID>) == 8, "pointer slots are 8 bytes in both builds");
static_assert(sizeof(PORT_OBJ) == 3136, "PORT_OBJ size");
static_assert(offsetof(PORT_OBJ, szPrinterName) == 0x000, "szPrinterName");
static_assert(offsetof(PORT_OBJ, szPortNameW) == 0x200, "szPortNameW");
static_assert(offsetof(PORT_OBJ, szVIDPID) == 0x680, "szVIDPID");
static_assert(offsetof(PORT_OBJ, szSymbolicLink) == 0x880, "szSymbolicLink");
static_assert(offsetof(PORT_OBJ, PortIndex) == 0xA80, "PortIndex");
static_assert(offsetof(PORT_OBJ, dwPortNumber) == 0xA84, "dwPortNumber");
static_assert(offsetof(PORT_OBJ, dwLinked) == 0xA88, "dwLinked");
static_assert(offsetof(PORT_OBJ, dwReserved0) == 0xA8C, "reserved after dwLinked");
static_assert(offsetof(PORT_OBJ, cpUsb) == 0xA90, "cpUsb");
static_assert(offsetof(PORT_OBJ, byReserved1) == 0xA98, "reserved after cpUsb");
static_assert(offsetof(PORT_OBJ, szDocName) == 0xAA2, "szDocName");
static_assert(offsetof(PORT_OBJ, wReserved2) == 0xBA2, "reserved after szDocName");
static_assert(offsetof(PORT_OBJ, JobId) == 0xBA4, "JobId");
static_assert(offsetof(PORT_OBJ, hDll) == 0xBA8, "hDll");
static_assert(offsetof(PORT_OBJ, pfnLM_StartDocPort) == 0xBB0, "LM_StartDocPort");
static_assert(offsetof(PORT_OBJ, pfnLM_EndDocPort) == 0xBB8, "LM_EndDocPort");
static_assert(offsetof(PORT_OBJ, pfnLM_WritPort) == 0xBC0, "LM_WritPort");
static_assert(offsetof(PORT_OBJ, pfnLM_ReadPort) == 0xBC8, "LM_ReadPort");
static_assert(offsetof(PORT_OBJ, hMonitorPort) == 0xBD0, "hMonitorPort");
static_assert(offsetof(PORT_OBJ, hPort) == 0xBD8, "hPort");
static_assert(offsetof(PORT_OBJ, pMonitor2) == 0xBE0, "pMonitor2");
static_assert(offsetof(PORT_OBJ, dwBufferLength) == 0xBE8, "buffer length");
static_assert(offsetof(PORT_OBJ, dwReserved3) == 0xBEC, "reserved after the buffer length");
static_assert(offsetof(PORT_OBJ, pBuffer1) == 0xBF0, "first buffer");
static_assert(offsetof(PORT_OBJ, pBuffer2) == 0xBF8, "second buffer");
static_assert(offsetof(PORT_OBJ, bNotUsb) == 0xC00, "bNotUsb");
static_assert(offsetof(PORT_OBJ, bTcpIp) == 0xC01, "bTcpIp");
static_assert(offsetof(PORT_OBJ, szIPAddress) == 0xC02, "szIPAddress");
static_assert(offsetof(PORT_OBJ, dwTcpPort) == 0xC34, "dwTcpPort");
static_assert(offsetof(PORT_OBJ, pNext) == 0xC38, "pNext");
