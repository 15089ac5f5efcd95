// Portable side of the LUT file opening: the UTF-16 path is handed to the C
// runtime as UTF-8. A path that is not valid UTF-16 names no file.
#include "ZbFileIO.h"

#include <string>

namespace {

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

bool Utf16ToUtf8(const char16_t* text, std::string& out)
{
    for (const char16_t* p = text; *p; p++) {
        uint32_t cp = *p;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (p[1] < 0xDC00 || p[1] > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[1] - 0xDC00);
            p++;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, cp);
    }
    return true;
}

} // namespace

FILE* OpenFileForReading(const char16_t* path)
{
    try {
        std::string narrow;
        if (!Utf16ToUtf8(path, narrow))
            return nullptr;
        return fopen(narrow.c_str(), "rb");
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
