// The running program's file version as "major.minor".
#include "Utilities.h"

#include "Platform.h"

#include <cwchar>
#include <new>

namespace {

// The largest version resource taken.
const DWORD VERSION_INFO_LIMIT = 64 * 1024;

} // namespace

DWORD GetFileVersionText(LPWSTR out, DWORD cchOut)
{
    DWORD result = ERROR_SUCCESS, handle = 0, size = 0;
    BYTE* info = nullptr;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT cbFixed = 0;
    WCHAR program[256] = L"";
    DWORD n = GetModuleFileNameW(nullptr, program, 256);
    if (n == 0 || n >= 256) {
        result = n ? ERROR_INSUFFICIENT_BUFFER : GetLastError();
        goto done;
    }
    size = GetFileVersionInfoSizeW(program, &handle);
    if (size == 0) {
        result = GetLastError();
        goto done;
    }
    if (size > VERSION_INFO_LIMIT) {
        result = ERROR_INVALID_DATA;
        goto done;
    }
    info = new (std::nothrow) BYTE[size]();
    if (!info) {
        result = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    if (!GetFileVersionInfoW(program, 0, size, info)) {
        result = GetLastError();
        goto done;
    }
    if (!VerQueryValueW(info, L"\\", reinterpret_cast<LPVOID*>(&fixed), &cbFixed) || !fixed ||
        cbFixed < sizeof(VS_FIXEDFILEINFO)) {
        result = ERROR_RESOURCE_TYPE_NOT_FOUND;
        goto done;
    }
    if (out) {
        int written = cchOut ? swprintf(out, cchOut, L"%d.%d", HIWORD(fixed->dwFileVersionMS),
                                        LOWORD(fixed->dwFileVersionMS))
                             : -1;
        if (written < 0 || DWORD(written) >= cchOut) {
            if (cchOut)
                out[0] = L'\0';
            result = ERROR_INSUFFICIENT_BUFFER;
        }
    }
done:
    delete[] info;
    DebugTrace(L"GetFileVersionText(), %ls, result = %d,\n", program, result);
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}
