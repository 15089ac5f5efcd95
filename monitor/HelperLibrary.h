// The outside helper library QelLMhlp.dll in the driver directory, which
// talks to the printer for each job: loaded per record, its four entry
// points kept in the record.
#pragma once

#include "PortObj.h"

extern const WCHAR HELPER_LIBRARY_NAME[];

// Loads the library into record->hDll and looks up its entry points (those
// missing stay NULL). FALSE with the load's own last error.
BOOL LoadHelperLibrary(PORT_OBJ* record);

// Frees the library and clears hDll and the entry points, so that the next
// job loads it again.
void UnloadHelperLibrary(PORT_OBJ* record);
