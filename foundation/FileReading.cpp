#include "FileReading.h"

#include <new>

HANDLE OpenForReading(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

BOOL GetFileSizeWithin(HANDLE file, DWORD limit, DWORD* size)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(file, &li))
        return FALSE;
    if (li.QuadPart < 0 || li.QuadPart > LONGLONG(limit)) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return FALSE;
    }
    *size = DWORD(li.QuadPart);
    return TRUE;
}

HANDLE OpenForReadingWithin(LPCWSTR path, DWORD limit, DWORD* size)
{
    HANDLE file = OpenForReading(path);
    if (file != INVALID_HANDLE_VALUE && !GetFileSizeWithin(file, limit, size)) {
        DWORD error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        file = INVALID_HANDLE_VALUE;
    }
    return file;
}

BOOL ReadFully(HANDLE file, void* buffer, DWORD size)
{
    BYTE* at = static_cast<BYTE*>(buffer);
    while (size > 0) {
        DWORD piece = size < FILE_READ_PIECE ? size : FILE_READ_PIECE;
        DWORD got = 0;
        if (!ReadFile(file, at, piece, &got, nullptr))
            return FALSE;
        if (got == 0) {
            SetLastError(ERROR_HANDLE_EOF);
            return FALSE;
        }
        at += got;
        size -= got;
    }
    return TRUE;
}

BOOL WriteFully(HANDLE file, const void* data, DWORD size)
{
    DWORD written = 0;
    return size == 0 || (WriteFile(file, data, size, &written, nullptr) && written == size);
}

BOOL ReadAnsiText(HANDLE file, LPWSTR* text, DWORD* cch, BYTE** bytes, DWORD* cbBytes)
{
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS, size = 0;
    BYTE* raw = nullptr;
    WCHAR* wide = nullptr;
    int n = 0;
    if (!GetFileSizeWithin(file, TEXT_FILE_LIMIT, &size)) {
        error = GetLastError();
        goto done;
    }
    raw = new (std::nothrow) BYTE[size + 1];
    if (!raw) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    if (!ReadFully(file, raw, size)) {
        error = GetLastError();
        goto done;
    }
    raw[size] = 0;
    // One wide character per byte is always enough for the active code page.
    wide = new (std::nothrow) WCHAR[size + 1];
    if (!wide) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    if (size > 0) {
        n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(raw), int(size), wide, int(size));
        if (n <= 0) {
            error = GetLastError();
            goto done;
        }
    }
    wide[n] = L'\0';
    *text = wide;
    *cch = DWORD(n);
    wide = nullptr;
    if (bytes) {
        *bytes = raw;
        *cbBytes = size;
        raw = nullptr;
    }
    ok = TRUE;
done:
    delete[] raw;
    delete[] wide;
    if (!ok)
        SetLastError(error);
    return ok;
}
