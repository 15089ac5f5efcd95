// ModelTable: the one list of printer models of the whole system. Every other
// list of models (port detection, device clean-up, the command log) follows
// its rows and their order.
#pragma once

#include <windows.h>

struct ModelEntry {
    // Equals the row number; the value of CUsbLink::m_dwModelSN.
    DWORD dwModelSN;
    // USB vendor id in the high 16 bits, product id in the low 16 bits.
    DWORD dwUsbId;
    LPCWSTR szModelName;
    // The printer-driver name of the model: a Windows printer whose driver
    // has this name is this model.
    LPCWSTR szDisplayName;
};

// Rows 0 ("start") and MODEL_TABLE_ROWS - 1 ("end") are markers; the
// printers are rows MODEL_FIRST to MODEL_LAST.
const DWORD MODEL_TABLE_ROWS = 8;
const DWORD MODEL_NONE = 0;
const DWORD MODEL_FIRST = 1;
const DWORD MODEL_LAST = 6;
const DWORD MODEL_END_MARK = 0xFFFFFFFF;

// The vendor id of every model.
const DWORD MODEL_VENDOR_ID = 0x5D27;

// The USB printer device-interface class, as a GUID and as the registry
// writes it in key names (lower case, with braces).
extern const GUID GUID_USB_PRINTER_INTERFACE;
extern const WCHAR USB_PRINTER_CLASS_KEY_TEXT[];

extern const ModelEntry ModelTable[MODEL_TABLE_ROWS];

// The row of a model number, or NULL for a number outside MODEL_FIRST to MODEL_LAST.
const ModelEntry* GetModelEntry(DWORD model);

// The first row whose USB id is vid * 0x10000 + pid, or MODEL_NONE. Ids above
// 0xFFFF are no USB ids and match no row.
DWORD FindModelByUsbIds(DWORD vid, DWORD pid);

// The first row whose display name equals driverName, ignoring the case of
// A to Z, or MODEL_NONE.
DWORD FindModelByDriverName(LPCWSTR driverName);

// "VID_%04X&PID_%04X" of a row's USB id into out (room cchOut characters);
// false, out emptied, for a model outside the printer rows or too little room.
BOOL FormatModelVidPid(DWORD model, LPWSTR out, DWORD cchOut);
