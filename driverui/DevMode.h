// Building, checking and handing back the driver's DEVMODE.
#pragma once

#include <windows.h>

#include "PrivateDevMode.h"

// Writes the defaults of both parts into a buffer of DEVMODE_TOTAL_SIZE bytes;
// printerName (NULL: empty) becomes dmDeviceName, cut to 31 characters. The
// printer handle is not used. Always TRUE.
BOOL SetDefaultDevMode(HANDLE printer, DEVMODEW* devMode, LPCWSTR printerName);
// Writes the private defaults at the DEVMODE's address plus its dmSize.
void SetDefaultPrivateDevMode(DEVMODEW* devMode);
// Copies what fits of in into out (their own sizes decide) and gives the
// number of bytes copied; -1 when either is missing, 0 (nothing written) when
// either claims a dmSize shorter than the header up to dmFields. The private
// part is taken only from a DEVMODE of this driver with as many private bytes
// as out.
LONG CopyDevMode(const DEVMODEW* in, DEVMODEW* out);
// Validates in field by field into the working DEVMODE (a whole record of
// this driver). TRUE when in is NULL or was merged; FALSE with
// ERROR_NOT_ENOUGH_MEMORY or, when nothing of in could be copied,
// ERROR_INVALID_PARAMETER.
BOOL MergeDevMode(HANDLE printer, DEVMODEW* working, const DEVMODEW* in);
// Writes the working DEVMODE into out in the shape in asks for (none: the
// whole record). out is the caller's buffer sized from the driver's DEVMODE
// size; nothing of it is read as a room. FALSE with ERROR_INVALID_PARAMETER,
// out untouched, without out or when in is shorter than its header.
BOOL ReturnDevMode(const DEVMODEW* working, const DEVMODEW* in, DEVMODEW* out);
