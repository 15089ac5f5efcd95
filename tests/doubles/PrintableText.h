// Texts of the demo programs and doubles: wide text as UTF-8, and the bytes
// of a printer exchange as a reader wants to see them.
#pragma once

#include <windows.h>

#include <string>

// UTF-8 form of text (at most 1023 bytes).
std::string Utf8Text(const std::wstring& text);
// ESC and CR spelled out, printable ASCII as it is, other bytes as <hh>.
std::string PrintableBytes(const std::string& bytes);
