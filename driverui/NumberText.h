// The numbers of the pages' edit boxes as text: decimal integers (read with
// ReadDialogInteger), and hundredths shown with two decimals ("1.00").
#pragma once

#include <windows.h>

// Room of a number's text, terminator included.
const DWORD NUMBER_TEXT_ROOM = 16;

// The hundredths of text: blanks around an optional '-' and decimal digits
// with at most one '.'. The whole part counts 100, the first fraction digit
// 10 and the second 1; further digits are dropped and the sign applies to
// the whole. An empty, NULL or any other text is 0; the result saturates at
// the ends of the int range.
int ParseHundredths(LPCWSTR text);

// "%d" of value into out (room cchOut).
void FormatEditInteger(int value, LPWSTR out, DWORD cchOut);
// Non-negative hundredths as "%d.%d%d" into out (room cchOut): 100 is "1.00".
void FormatHundredths(int value, LPWSTR out, DWORD cchOut);
