// What the alert program's tests share: the last-error marker and the
// language file they write.
#pragma once

#include <windows.h>

#include <string>

const DWORD ALERT_TEST_MARKER = 0x5EED0601;

// The bytes of a language file: UTF-16LE with its byte-order mark, lines
// ending in CR LF.
inline std::string LanguageFileBytes(const std::wstring& lines)
{
    std::string bytes("\xFF\xFE", 2);
    for (WCHAR c : lines) {
        if (c == L'\n')
            bytes.append("\r\0", 2);
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}
