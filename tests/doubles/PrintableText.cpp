#include "PrintableText.h"

#include <cstdio>

std::string Utf8Text(const std::wstring& text)
{
    char out[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof(out), nullptr, nullptr);
    return out;
}

std::string PrintableBytes(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char token[8];
        if (c == 0x1B)
            snprintf(token, sizeof(token), "ESC ");
        else if (c == 0x0D)
            snprintf(token, sizeof(token), " CR");
        else if (c >= 0x20 && c < 0x7F)
            snprintf(token, sizeof(token), "%c", c);
        else
            snprintf(token, sizeof(token), "<%02X>", c);
        out += token;
    }
    return out;
}
