// Bounded registry reads: a value counts only when it has the expected type
// and fits its room, and a text always comes back terminated.
#pragma once

#include <windows.h>

// Reads a REG_SZ or REG_EXPAND_SZ value into out (room cchOut characters,
// terminator included). Gives ERROR_SUCCESS, or an error with out emptied.
LSTATUS RegReadText(HKEY key, LPCWSTR valueName, LPWSTR out, DWORD cchOut);
// Reads a REG_MULTI_SZ value into out (room cchOut >= 2 characters), which
// then ends with two terminators, whatever the stored value carried. Gives
// ERROR_SUCCESS, or an error with out an empty list.
LSTATUS RegReadMultiText(HKEY key, LPCWSTR valueName, LPWSTR out, DWORD cchOut);
// Reads a 4-byte REG_DWORD value; out is left as it was on failure.
LSTATUS RegReadDword(HKEY key, LPCWSTR valueName, DWORD* out);
// Opens root\subKey for reading, creating it first when create is set.
LSTATUS RegOpenForRead(HKEY root, LPCWSTR subKey, BOOL create, HKEY* out);
// Enumerates subkey names from *index on into name (room cchName characters,
// terminator included); names too long for the room are passed over. FALSE
// at the end of the subkeys or on any other failure.
BOOL RegNextSubkey(HKEY key, DWORD* index, LPWSTR name, DWORD cchName);
