// The integer text of a dialog's number boxes, read the same way on every
// platform (the system's own reader differs on signs and trailing text).
#pragma once

#include <windows.h>

// Reads blanks around an optional sign and decimal digits. FALSE with
// ERROR_INVALID_DATA (value untouched) for any other text or a number beyond
// the int range.
BOOL ParseDialogInteger(LPCWSTR text, int* value);

// The same text read for a box whose value is clamped afterwards: a number
// beyond the int range gives the nearest end of it; NULL or any other text
// is 0. The last error is left alone.
int ReadDialogInteger(LPCWSTR text);
