// The monitor's list of PORT_OBJ records: one record for each printer and
// port pair, on the process heap from its first open until shutdown.
#pragma once

#include "PortObj.h"

// The record of this printer and port (both compared exactly), appended
// zeroed with both names at the tail when there is none. NULL, with the last
// error set, when a name does not fit the record (ERROR_INVALID_PARAMETER) or
// the heap has no room (ERROR_NOT_ENOUGH_MEMORY). The caller holds the lock.
PORT_OBJ* FindOrAddPortObj(PORT_OBJ** head, LPCWSTR printerName, LPCWSTR portName);

// Frees every record and the helper library's two buffers in each, and
// empties the list.
void FreePortList(PORT_OBJ** head);
