// The message the alert shows for an error or status code.
#pragma once

#include <windows.h>

// Room of a message, terminator included.
constexpr DWORD ERROR_MESSAGE_ROOM = 512;

// Writes the message for code into out (room cchOut > 0 characters; every
// text is cut to the room): for a code of the error table the translation
// of its English text in g_Translater's current section, or the English
// text itself, and "" for a row without text; for any other code the
// system's text, or "<translated Error code> = 0x%08X".
void GetErrorMessageText(DWORD code, LPWSTR out, DWORD cchOut = ERROR_MESSAGE_ROOM);
