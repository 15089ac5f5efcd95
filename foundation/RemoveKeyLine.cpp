// Removing a key's line from a section of an 8-bit text file.
#include "Utilities.h"

#include "FileReading.h"
#include "Platform.h"

#include <cwchar>
#include <new>

namespace {

// Bytes of the active code page that the first count characters of text take.
DWORD AnsiLength(LPCWSTR text, DWORD count)
{
    if (count == 0)
        return 0;
    return DWORD(WideCharToMultiByte(CP_ACP, 0, text, int(count), nullptr, 0, nullptr, nullptr));
}

// Writes the two parts to a new file beside fileName and puts it in its place,
// so that a failed write leaves the old file whole.
DWORD WriteReplacement(LPCWSTR fileName, const BYTE* head, DWORD headSize, const BYTE* tail, DWORD tailSize)
{
    DWORD error = ERROR_SUCCESS;
    size_t n = wcslen(fileName);
    WCHAR* temp = new (std::nothrow) WCHAR[n + 5];
    if (!temp)
        return ERROR_NOT_ENOUGH_MEMORY;
    wmemcpy(temp, fileName, n);
    wmemcpy(temp + n, L".new", 5);
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        BOOL ok = WriteFully(file, head, headSize) && WriteFully(file, tail, tailSize);
        if (!ok)
            error = GetLastError();
        CloseHandle(file);
        if (ok && !MoveFileExW(temp, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
        if (error != ERROR_SUCCESS)
            DeleteFileW(temp);
    }
    delete[] temp;
    return error;
}

} // namespace

DWORD RemoveKeyLine(LPCWSTR sectionText, LPCWSTR keyText, LPCWSTR fileName)
{
    DWORD error = ERROR_SUCCESS, cch = 0, size = 0;
    LPWSTR text = nullptr;
    BYTE* bytes = nullptr;
    LPCWSTR section = nullptr, bodyEnd = nullptr, key = nullptr, lineEnd = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD keyAt = 0, nextAt = 0;
    if (!sectionText || !keyText || !fileName)
        return 0;
    file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        MessageBoxW(nullptr, fileName, L"Open File Error!!", MB_OK | MB_TOPMOST);
        goto done;
    }
    if (!ReadAnsiText(file, &text, &cch, &bytes, &size)) {
        error = GetLastError();
        goto done;
    }
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;

    section = sectionText[0] ? wcsstr(text, sectionText) : nullptr;
    if (!section) {
        error = ERROR_NOT_FOUND;
        goto done;
    }
    section += wcslen(sectionText);
    if (*section)
        ++section;
    bodyEnd = wcschr(section, L'[');
    if (!bodyEnd)
        bodyEnd = text + cch;
    key = keyText[0] ? wcsstr(section, keyText) : nullptr;
    if (!key || key >= bodyEnd) {
        error = ERROR_NOT_FOUND;
        goto done;
    }
    lineEnd = wcschr(key, L'\n');
    if (!lineEnd) {
        error = ERROR_NOT_FOUND;
        goto done;
    }
    keyAt = AnsiLength(text, DWORD(key - text));
    nextAt = AnsiLength(text, DWORD(lineEnd + 1 - text));
    if (keyAt > size || nextAt > size || keyAt > nextAt) {
        error = ERROR_INVALID_DATA;
        goto done;
    }
    error = WriteReplacement(fileName, bytes, keyAt, bytes + nextAt, size - nextAt);
done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    delete[] text;
    delete[] bytes;
    DebugTrace(L"RemoveKeyLine(), %ls, %ls, %ls, error = %d,\n", sectionText, keyText, fileName, error);
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    return 0;
}
