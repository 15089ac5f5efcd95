// Letter case of A to Z only: device paths, instance ids, USB id texts and
// driver names compare this way whatever the user's locale.
#pragma once

#include <windows.h>

#include <cstddef>

WCHAR AsciiToLower(WCHAR c);
// Turns A to Z into a to z in place.
void AsciiLowerInPlace(LPWSTR text);
// TRUE when both texts are equal, ignoring the case of A to Z.
BOOL EqualIgnoringAsciiCase(LPCWSTR a, LPCWSTR b);
// Compares at most count characters the same way; TRUE when they are equal
// (a shorter text is equal only to the same shorter text).
BOOL EqualPrefixIgnoringAsciiCase(LPCWSTR a, LPCWSTR b, size_t count);
