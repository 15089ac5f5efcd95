// Whole binary files into memory, and whether a file can be read.
#include "Utilities.h"

#include "FileReading.h"
#include "Platform.h"

#include <cstring>
#include <new>

namespace {

// Extra zeroed bytes behind a buffer ReadBinFile allocates.
const DWORD BIN_BUFFER_SLACK = 10;

BOOL OpensForReading(LPCWSTR path)
{
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

} // namespace

BOOL ReadBinFile(LPCWSTR path, BYTE** buffer, DWORD* sizeOut)
{
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS, size = 0;
    BYTE* target = nullptr;
    BYTE* owned = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!path || !sizeOut) {
        error = ERROR_INVALID_PARAMETER;
        goto done;
    }
    if (!path[0]) {
        error = ERROR_INVALID_NAME;
        goto done;
    }
    file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        error = ERROR_FILE_NOT_FOUND;
        goto done;
    }
    if (!GetFileSizeWithin(file, MAXDWORD - BIN_BUFFER_SLACK, &size)) {
        error = GetLastError();
        goto done;
    }
    if (!buffer) {
        *sizeOut = size;
        ok = TRUE;
        goto done;
    }
    if (*buffer) {
        if (size > *sizeOut) {
            *sizeOut = size;
            error = ERROR_INSUFFICIENT_BUFFER;
            goto done;
        }
        target = *buffer;
        memset(target, 0, size);
    } else {
        owned = new (std::nothrow) BYTE[size + BIN_BUFFER_SLACK]();
        if (!owned) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            goto done;
        }
        target = owned;
    }
    if (!ReadFully(file, target, size)) {
        error = GetLastError();
        goto done;
    }
    *buffer = target;
    *sizeOut = size;
    owned = nullptr;
    ok = TRUE;
done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    delete[] owned;
    DebugTrace(L"ReadBinFile(), %ls, size = %d, ok = %d, error = %d,\n", path, size, ok, error);
    if (!ok)
        SetLastError(error);
    return ok;
}

BOOL ReadFileToVirtualMemory(LPCWSTR path, LPVOID* memoryOut, DWORD* sizeOut)
{
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS, size = 0;
    LPVOID memory = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!path || !memoryOut || !sizeOut) {
        error = ERROR_INVALID_PARAMETER;
        goto done;
    }
    file = OpenForReadingWithin(path, MAXDWORD, &size);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        goto done;
    }
    if (size > 0) {
        memory = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!memory) {
            error = GetLastError();
            goto done;
        }
        if (!ReadFully(file, memory, size)) {
            error = GetLastError();
            goto done;
        }
    }
    *memoryOut = memory;
    *sizeOut = size;
    memory = nullptr;
    ok = TRUE;
done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (memory)
        VirtualFree(memory, 0, MEM_RELEASE);
    if (!ok)
        SetLastError(error);
    return ok;
}

BOOL IsFileReadable(LPCWSTR path)
{
    if (!path || !path[0])
        return FALSE;
    return OpensForReading(path);
}

BOOL CanOpenFileA(LPCSTR path)
{
    if (!path || !path[0])
        return FALSE;
    WCHAR wide[MAX_PATH];
    if (!AnsiToWide(wide, path, MAX_PATH))
        return FALSE;
    return OpensForReading(wide);
}
