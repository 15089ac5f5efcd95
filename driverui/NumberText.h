// The numbers of the pages' edit boxes as text: decimal integers, and
// hundredths shown with two decimals ("1.00"). The pages read their edits
// with these rather than GetDlgItemInt, which reads "-5" and "12x"
// differently from one system to another.
#pragma once

#include <windows.h>

// Room of a number's text, terminator included.
const DWORD NUMBER_TEXT_ROOM = 16;

// The decimal integer of text: blanks around an optional sign and decimal
// digits. An empty, NULL or non-numeric text is 0; a number beyond the int
// range gives the nearest end of it.
int ParseEditInteger(LPCWSTR text);

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
