// Windows side of the LUT file opening: the UTF-16 path goes to the C
// runtime as it stands.
#include "ZbFileIO.h"

#include <share.h>
#include <stdio.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

FILE* OpenFileForReading(const char16_t* path)
{
    return _wfsopen(reinterpret_cast<const wchar_t*>(path), L"rb", _SH_DENYNO);
}
