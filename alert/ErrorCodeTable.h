// The alert program's table of error and status codes with their English
// texts, which are also the keys of their translations.
#pragma once

#include <windows.h>

struct ErrorCodeRow {
    DWORD dwCode;
    LPCWSTR szText; // "" for a code the printer side knows but names not
};

// Code of the row that ends the table; it never matches a code.
constexpr DWORD ERROR_TABLE_END = 0xFFFFFFFF;
// Rows between the leading {0, ""} row and the end row.
constexpr DWORD ERROR_TABLE_CODE_ROWS = 136;

// Row 0 is {0, ""}, rows 1 to 136 the codes, then the end row.
extern const ErrorCodeRow g_ErrorCodeTable[ERROR_TABLE_CODE_ROWS + 2];

// The index (1 or more) of the first row with this code, its English text in
// *text; 0 with *text untouched when no code row has it (0 and the end
// row's code included).
DWORD FindErrorCode(DWORD code, LPCWSTR* text);
