// The integer text of a dialog's number box. GetDlgItemInt takes "12ab" as 12
// (or fails without saying why) and cannot tell a minus sign from junk, so
// the boxes are read as text and parsed here.
#pragma once

#include <windows.h>

// Reads blanks around an optional sign and decimal digits. FALSE with
// ERROR_INVALID_DATA (value untouched) for any other text or a number beyond
// the int range; ERROR_INVALID_PARAMETER for a NULL argument.
BOOL ParseDialogInteger(LPCWSTR text, int* value);
