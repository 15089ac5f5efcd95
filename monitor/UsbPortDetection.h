// Which card-printer model sits behind a USB port and what the device path of
// its USB printer interface is, as the registry's interface class tells it.
#pragma once

#include "PortObj.h"

// Rooms of a PRINTER_VIDPID text and of a model name, terminators included.
const DWORD VIDPID_TEXT_ROOM = 64;
const DWORD MODEL_NAME_ROOM = 32;

// PRINTER_VIDPID and ModelNames, in model-table order: row 0 is the first
// printer row of the model table. Gives the row's USB id text
// ("VID_5D27&PID_0101") and its model name without blanks ("VornexT42D"),
// each when asked for; FALSE past the last row, with both texts emptied.
BOOL GetPrinterVidPid(DWORD row, LPWSTR vidPidOut, LPWSTR modelNameOut);

// 1 when an interface of this model serves this USB port number, else 0. On
// success the record's szSymbolicLink and dwLinked describe that interface.
DWORD EnumDeviceClass2k(PORT_OBJ* record, DWORD portNumber, LPCWSTR vidPid, LPCWSTR modelName);

// Fills szVIDPID (and, for a USB port whose device is found, szSymbolicLink
// and dwLinked): the first model row that answers, else row 0.
void DetectPortModel(PORT_OBJ* record);
