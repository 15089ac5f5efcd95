// The general log: UTF-16LE lines at the root of drive C: (or in the default
// spool directory), and its trimming.
#include "Utilities.h"

#include "FileReading.h"
#include "Platform.h"
#include "SpoolFallback.h"

#include <cstdarg>
#include <cwchar>
#include <new>

namespace {

const WCHAR GENERAL_LOG_PATH[] = L"C:/Vornex.log";
const WCHAR GENERAL_LOG_NAME[] = L"Vornex.log";
const DWORD MESSAGE_ROOM = 1024;
const DWORD LINE_ROOM = 512;
// How far past the cut the trimmer looks for the end of the broken line.
const DWORD TRIM_LINE_LIMIT = 1023;

bool IsLowSurrogate(WCHAR c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The length of text cut to at most limit characters, a surrogate pair kept
// whole or left out.
size_t WholeLength(LPCWSTR text, size_t limit)
{
    size_t length = wcslen(text);
    if (length <= limit)
        return length;
    return limit > 0 && IsLowSurrogate(text[limit]) ? limit - 1 : limit;
}

} // namespace

void WriteGeneralLog(LPCWSTR tag, LPCWSTR format, ...)
{
    // Formatted one character beyond each room, so that a cut is seen and
    // falls between whole characters.
    WCHAR message[MESSAGE_ROOM + 1] = L"";
    WCHAR line[LINE_ROOM + 1];
    SYSTEMTIME now;
    DWORD written = 0;
    HANDLE file = CreateWithSpoolFallback(GENERAL_LOG_PATH, GENERAL_LOG_NAME, FILE_APPEND_DATA, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (format) {
        va_list args;
        va_start(args, format);
        int n = vswprintf(message, MESSAGE_ROOM + 1, format, args);
        va_end(args);
        message[n < 0 ? 0 : WholeLength(message, MESSAGE_ROOM - 1)] = L'\0';
    }
    GetLocalTime(&now);
    int n = swprintf(line, LINE_ROOM + 1, L"[%04d/%02d/%02d, %02d:%02d:%02d] (%ls) %ls\n", now.wYear, now.wMonth,
                     now.wDay, now.wHour, now.wMinute, now.wSecond, tag ? tag : L"", message);
    if (n > 0) {
        size_t length = wcslen(line);
        // A cut line still ends with its line feed.
        if (length > LINE_ROOM - 1) {
            length = WholeLength(line, LINE_ROOM - 2);
            line[length++] = L'\n';
        }
        WriteFile(file, line, DWORD(length * sizeof(WCHAR)), &written, nullptr);
    }
    CloseHandle(file);
}

void TrimLogFile(LPCWSTR name, DWORD maxBytes)
{
    WCHAR path[MAX_PATH], fileName[MAX_PATH];
    LARGE_INTEGER size, at;
    BYTE* tail = nullptr;
    DWORD tailSize = 0, skip = 0, written = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!name || !name[0])
        return;
    if (swprintf(fileName, MAX_PATH, L"%ls.log", name) >= int(MAX_PATH) ||
        swprintf(path, MAX_PATH, L"C:/%ls", fileName) >= int(MAX_PATH))
        return;
    file = CreateWithSpoolFallback(path, fileName, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= LONGLONG(maxBytes))
        goto done;
    // The log is UTF-16LE without a byte-order mark: characters start at even offsets.
    at.QuadPart = (size.QuadPart - maxBytes / 2 + 1) & ~LONGLONG(1);
    if (at.QuadPart > size.QuadPart)
        at.QuadPart = size.QuadPart;
    tailSize = DWORD(size.QuadPart - at.QuadPart);
    tail = new (std::nothrow) BYTE[tailSize + 2]();
    if (!tail || !SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFully(file, tail, tailSize))
        goto done;
    {
        const WCHAR* units = reinterpret_cast<const WCHAR*>(tail);
        DWORD count = tailSize / 2, limit = TRIM_LINE_LIMIT / 2;
        DWORD i = 0;
        while (i < count && i < limit && units[i] != L'\n')
            ++i;
        skip = i < count && units[i] == L'\n' ? i + 1 : i;
        if (skip < count && IsLowSurrogate(units[skip]))
            ++skip;
        skip *= 2;
    }
    at.QuadPart = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        goto done;
    if (tailSize > skip && !WriteFile(file, tail + skip, tailSize - skip, &written, nullptr))
        goto done;
    SetEndOfFile(file);
done:
    CloseHandle(file);
    delete[] tail;
}
