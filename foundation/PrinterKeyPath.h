// Registry key paths of printers and ports, built from names the caller
// gives and bounded by the room of the path.
#pragma once

#include <windows.h>

// Room of every key path built from a printer or port name.
const DWORD PRINTER_KEY_PATH_ROOM = 512;

extern const WCHAR PRINTERS_KEY[];
extern const WCHAR TCPIP_PORTS_KEY[];

// Writes "<base>\<name><tail>" into out (room PRINTER_KEY_PATH_ROOM). FALSE,
// with out empty and the last error set to badNameError, when it does not fit
// or the name is NULL or empty.
BOOL BuildKeyPath(LPWSTR out, LPCWSTR base, LPCWSTR name, LPCWSTR tail, DWORD badNameError);
