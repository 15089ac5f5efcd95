// The error codes a colour flow keeps as its last error. They are the
// platform's system error numbers; the Windows build takes them from the
// platform's own list, the portable build names the same numbers.
#pragma once

#ifdef _WIN32
#include <winerror.h>
#else
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_ACCESS 12L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_OPEN_FAILED 110L
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif
