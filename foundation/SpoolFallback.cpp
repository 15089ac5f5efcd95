#include "SpoolFallback.h"

#include "Platform.h"

#include <cwchar>

namespace {

HANDLE Create(LPCWSTR path, DWORD access, DWORD disposition)
{
    return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

HANDLE CreateWithSpoolFallback(LPCWSTR primaryPath, LPCWSTR fileName, DWORD access, DWORD disposition)
{
    HANDLE file = Create(primaryPath, access, disposition);
    if (file != INVALID_HANDLE_VALUE)
        return file;
    DWORD error = GetLastError();
    WCHAR spool[256], path[MAX_PATH + 64];
    GetSpoolDirectory(nullptr, spool);
    // Without a spool directory the name alone would land in the current folder.
    if (spool[0] == L'\0') {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    int n = swprintf(path, MAX_PATH + 64, L"%ls/%ls", spool, fileName);
    if (n < 0 || n >= MAX_PATH + 64) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    file = Create(path, access, disposition);
    DebugTrace(L"CreateWithSpoolFallback(), %ls failed (%d), %ls = %p,\n", primaryPath, error, path, file);
    return file;
}
