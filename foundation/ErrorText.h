// The text a user sees for an error code that has no text of its own.
#pragma once

#include <windows.h>

// The system's text for code, or, where the system has none,
// "<errorCodeLabel> = 0x%08X" (the label is the translated "Error code").
// out has room for cchOut characters; the text is cut to fit. FALSE with
// ERROR_INVALID_PARAMETER when an argument is missing or cchOut is 0.
BOOL FormatErrorText(DWORD code, LPCWSTR errorCodeLabel, LPWSTR out, DWORD cchOut);
