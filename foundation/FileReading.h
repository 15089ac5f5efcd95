// Whole-file reading shared by the file utilities: files are opened for
// shared reading, sized against a limit before anything is allocated, and
// read in pieces of at most 1 MiB; and the matching whole-buffer write.
#pragma once

#include <windows.h>

// The largest piece one ReadFile call asks for.
const DWORD FILE_READ_PIECE = 0x100000;
// The largest 8-bit text file the text readers take whole.
const DWORD TEXT_FILE_LIMIT = 16 * 1024 * 1024;

// INVALID_HANDLE_VALUE, with the system's last error, when it does not open.
HANDLE OpenForReading(LPCWSTR path);
// The file's size; FALSE with ERROR_FILE_TOO_LARGE when it exceeds limit.
BOOL GetFileSizeWithin(HANDLE file, DWORD limit, DWORD* size);
// OpenForReading and GetFileSizeWithin in one: INVALID_HANDLE_VALUE, with the
// last error of the failing step, when either fails.
HANDLE OpenForReadingWithin(LPCWSTR path, DWORD limit, DWORD* size);
// Reads exactly size bytes from the current position; FALSE, with the last
// error (ERROR_HANDLE_EOF for a short file), otherwise.
BOOL ReadFully(HANDLE file, void* buffer, DWORD size);
// Writes all size bytes at the current position; FALSE when the write fails
// (with its last error) or falls short.
BOOL WriteFully(HANDLE file, const void* data, DWORD size);
// Reads a whole open 8-bit text file of at most TEXT_FILE_LIMIT bytes and
// converts it from the active code page: *text (new[], freed by the caller
// with delete[]) holds *cch characters and a terminator. With bytes given,
// the file's own bytes come back the same way (size *cbBytes).
BOOL ReadAnsiText(HANDLE file, LPWSTR* text, DWORD* cch, BYTE** bytes = nullptr, DWORD* cbBytes = nullptr);
