// The user's named print areas and the area chosen for each side, panel
// group and orientation, in HKEY_CURRENT_USER:
//   "Printers\<printer>\PrintArea"  one REG_BINARY PrintAreaRecord per name
//   "Printers\<printer>"            "PrintArea_<side>_<panel>_<P|L>", REG_SZ
// Every operation opens its key (creating it, also for reading) and closes it
// again, and gives the registry's own result.
#pragma once

#include <windows.h>

#include "PrintAreaRecord.h"

// Characters of the page's list texts, terminator included: a stored name
// that does not fit is not offered.
const DWORD PRINT_AREA_LIST_TEXT_ROOM = 256;
// Characters of a value name read by the enumeration, terminator included.
const DWORD PRINT_AREA_VALUE_NAME_ROOM = 260;

// "Full Card" is built in: the record gets no rectangles, the built-in
// colours and the name, and keeps the rest, without a registry access.
// Otherwise the stored value is read into a scratch record and taken only when
// it is a sound record (TakeStoredPrintArea); ERROR_INVALID_DATA leaves the
// record as it was, like a missing value.
LSTATUS LoadPrintAreaFromRegistry(LPCWSTR printer, LPCWSTR szAreaName, PrintAreaRecord* lpAreaData);
// Writes the record as a 360-byte REG_BINARY value of that name. Neither an
// empty name nor "Full Card" is stored (ERROR_INVALID_PARAMETER).
LSTATUS SavePrintAreaToRegistry(LPCWSTR printer, LPCWSTR name, const PrintAreaRecord* record);
LSTATUS DeletePrintAreaFromRegistry(LPCWSTR printer, LPCWSTR name);
// Inserts into the dialog's drop-down list, from position 1 on in
// enumeration order, every stored area of this panel group and orientation
// whose record is sound and whose name fits the list texts; "Full Card" keeps
// position 0. Gives the number of names inserted.
DWORD EnumPrintAreaNames(LPCWSTR printer, HWND dialog, int listId, BYTE panel, BYTE orientation);
// Reads the chosen area's name (REG_SZ or REG_EXPAND_SZ, stored with or
// without its terminator) into buffer (room cchBuffer characters); the
// buffer is emptied when it cannot be read.
LSTATUS LoadDefaultPrintAreaName(LPCWSTR printer, LPWSTR buffer, BYTE side, BYTE panel, BYTE orientation,
                                 DWORD cchBuffer);
// Writes the chosen area's name as REG_SZ of 2 x its length bytes.
LSTATUS SaveDefaultPrintAreaName(LPCWSTR printer, LPCWSTR name, BYTE side, BYTE panel, BYTE orientation);
// "PrintArea" + "_Front" or "_Back" + "_YMCO", "_K" or "_E" (nothing for
// another panel) + "_P" for orientation 1, else "_L"; out has room cch.
void BuildDefaultAreaValueName(LPWSTR out, DWORD cch, BYTE side, BYTE panel, BYTE orientation);
