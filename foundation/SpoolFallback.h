// Files that live at the root of drive C: and move to the default spool
// directory when the root does not take them (the general log, the raw
// heat-table files).
#pragma once

#include <windows.h>

// CreateFileW of primaryPath; when that fails, of "<default spool
// directory>/<fileName>". INVALID_HANDLE_VALUE, with the last error, when
// neither opens or no default spool directory is set.
HANDLE CreateWithSpoolFallback(LPCWSTR primaryPath, LPCWSTR fileName, DWORD access, DWORD disposition);
