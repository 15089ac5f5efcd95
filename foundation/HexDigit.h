// The value of one hexadecimal digit, shared by the text parsers.
#pragma once

#include <windows.h>

// 0 to 15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other character.
int HexDigitValue(WCHAR c);
