// Copies of wide text into the caller's fixed rooms.
#pragma once

#include <windows.h>

// Copies text (NULL counts as empty) into out (room cch characters). FALSE,
// out unchanged, when it does not fit with its terminator.
BOOL CopyTextFits(LPWSTR out, DWORD cch, LPCWSTR text);
// Copies text (NULL counts as empty) into out (room cch > 0 characters), cut
// to the room.
void CopyTextCut(LPWSTR out, DWORD cch, LPCWSTR text);
