#include "DialogTemplateFont.h"

#include <cwchar>

namespace {

// Steps over a menu or class field: none, an ordinal or a string.
const WORD* SkipNameOrOrdinal(const WORD* p, const WORD* end)
{
    if (p >= end)
        return end;
    if (*p == 0x0000)
        return p + 1;
    if (*p == 0xFFFF)
        return p + 2;
    while (p < end && *p)
        ++p;
    return p + 1;
}

} // namespace

BOOL ReadDialogTemplateFont(LPCWSTR modulePath, int templateId, LOGFONTW* font)
{
    BOOL ok = FALSE;
    HMODULE module = LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const WORD* p = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (p && SizeofResource(module, found) >= 26) {
        const WORD* end = p + SizeofResource(module, found) / 2;
        bool extended = p[1] == 0xFFFF;
        DWORD style = extended ? *reinterpret_cast<const DWORD UNALIGNED*>(p + 6)
                               : *reinterpret_cast<const DWORD UNALIGNED*>(p);
        p += extended ? 13 : 9;
        p = SkipNameOrOrdinal(p, end);
        p = SkipNameOrOrdinal(p, end);
        while (p < end && *p)
            ++p;
        ++p;
        // The point size, and in the extended form the weight, italic and charset words.
        const ptrdiff_t fontWords = extended ? 3 : 1;
        if ((style & DS_SETFONT) && end - p > fontWords) {
            ZeroMemory(font, sizeof(*font));
            HDC dc = GetDC(nullptr);
            font->lfHeight = -MulDiv(p[0], GetDeviceCaps(dc, LOGPIXELSY), 72);
            ReleaseDC(nullptr, dc);
            font->lfWeight = extended ? p[1] : FW_NORMAL;
            font->lfItalic = extended ? LOBYTE(p[2]) : FALSE;
            font->lfCharSet = extended ? HIBYTE(p[2]) : DEFAULT_CHARSET;
            p += extended ? 3 : 1;
            size_t n = 0;
            while (p + n < end && p[n] && n < LF_FACESIZE - 1)
                ++n;
            wmemcpy(font->lfFaceName, reinterpret_cast<const WCHAR*>(p), n);
            ok = TRUE;
        }
    }
    if (module)
        FreeLibrary(module);
    return ok;
}
