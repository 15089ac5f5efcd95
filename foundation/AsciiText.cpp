#include "AsciiText.h"

WCHAR AsciiToLower(WCHAR c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<WCHAR>(c - L'A' + L'a') : c;
}

void AsciiLowerInPlace(LPWSTR text)
{
    for (; text && *text; ++text)
        *text = AsciiToLower(*text);
}

BOOL EqualPrefixIgnoringAsciiCase(LPCWSTR a, LPCWSTR b, size_t count)
{
    if (!a || !b)
        return a == b;
    for (size_t i = 0; i < count; ++i) {
        if (AsciiToLower(a[i]) != AsciiToLower(b[i]))
            return FALSE;
        if (a[i] == L'\0')
            return TRUE;
    }
    return TRUE;
}

BOOL EqualIgnoringAsciiCase(LPCWSTR a, LPCWSTR b)
{
    return EqualPrefixIgnoringAsciiCase(a, b, static_cast<size_t>(-1));
}
