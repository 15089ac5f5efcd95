// Common utilities of the foundation: printers and ports in the registry,
// PrinterDriverData values, the program's file version, the common file
// dialog, bitmap and binary file readers, hex and GUID texts, time functions
// and the general log. Each function keeps no state between calls (only
// GetTimeOfDay initialises the C library's time zone once).
#pragma once

#include <windows.h>

#include <cstddef>

// The picture ReadBitmapFile fills. pBits holds dwStride * lHeight bytes, rows
// in file order; it is allocated with new[] and the record's owner frees it
// with delete[] before the record is filled again.
struct BitmapImage {
    DWORD dwReserved;
    LONG lWidth;
    LONG lHeight;
    DWORD dwStride;
    WORD wPlanes;
    WORD wBitCount;
    BYTE* pBits;
};

// Seconds since 1970-01-01 00:00 UTC and the microseconds within that second.
struct TimeValue {
    DWORD dwSeconds;
    DWORD dwMicroseconds;
};

// The C library's time-zone settings.
struct TimeZoneInfo {
    LONG lMinutesWest;
    LONG lDaylight;
};

static_assert(sizeof(TimeValue) == 8, "TimeValue is two u32");
static_assert(sizeof(TimeZoneInfo) == 8, "TimeZoneInfo is two i32");
static_assert(offsetof(BitmapImage, dwStride) == 12 && offsetof(BitmapImage, wPlanes) == 16 &&
                  offsetof(BitmapImage, wBitCount) == 18,
              "BitmapImage field order");

// Room of the printer, driver and port name buffers of this interface.
const DWORD PRINTER_NAME_ROOM = 256;
// Room of BrowseFileName's output path.
const DWORD BROWSE_PATH_ROOM = 512;
// Room of GuidToString's output: 36 characters and the terminator.
const DWORD GUID_TEXT_ROOM = 37;

// ---- Printers and ports in the registry ----

// The printer's driver and port names (each output, when given, has room for
// PRINTER_NAME_ROOM characters): from the printer's registry key, else from
// the spooler. Gives 0 or an error code, also set as the last error;
// ERROR_INVALID_PRINTER_NAME for a name too long for a key path, and
// 0x80070000 | the last error when the spooler's GetPrinterW fails.
DWORD GetPrinterDriverAndPort(LPCWSTR printerName, LPWSTR driverOut, LPWSTR portOut);
// Writes the name of the first printer with this driver and port (letter case
// ignored) into printerOut (room PRINTER_NAME_ROOM); untouched when none
// matches. Always gives 0.
DWORD FindPrinterByDriverAndPort(LPCWSTR driverName, LPCWSTR portName, LPWSTR printerOut);
// TRUE when portName is a Standard TCP/IP port with a usable address: the
// address text goes to addressOut (room cchAddress characters; a longer
// address is cut to it), a non-zero TCP port number to portNumberOut (left as
// it was otherwise; may be NULL). A port without a key leaves both untouched.
BOOL CheckIfTcpipPort(LPCWSTR portName, LPWSTR addressOut, DWORD cchAddress, DWORD* portNumberOut);

// ---- PrinterDriverData and other DWORD values ----

// The REG_DWORD value under the printer's PrinterDriverData key, or 0 when the
// key or a 4-byte REG_DWORD value is missing.
DWORD CheckRegValue(LPCWSTR printerName, LPCWSTR valueName);
// Writes a REG_DWORD under the printer's PrinterDriverData key, creating the
// key. Gives ERROR_SUCCESS or the failing status (also the last error).
LSTATUS SetRegValue(LPCWSTR printerName, LPCWSTR valueName, DWORD value);
// Opens rootKey\subKey for reading (creating it when absent): FALSE when that
// fails. Otherwise TRUE, with out set only when a 4-byte REG_DWORD was read.
BOOL ReadRegDword(HKEY rootKey, LPCWSTR subKey, LPCWSTR valueName, DWORD* out);
// Opens or creates rootKey\subKey and writes value as REG_DWORD; FALSE, with
// the last error, when either step fails.
BOOL WriteRegDword(HKEY rootKey, LPCWSTR subKey, LPCWSTR valueName, DWORD value);

// ---- Versions ----

// The running program's file version as "major.minor" in out (room cchOut).
// Gives 0, or the error (also the last error) when the program has no
// version information or out is too small.
DWORD GetFileVersionText(LPWSTR out, DWORD cchOut);

// ---- Files ----

// The common open (open = TRUE) or save dialog. filter is a file pattern such
// as "*.bmp"; out (room BROWSE_PATH_ROOM, may be NULL) gets the full path or,
// without fullPath, the file name alone; initialFolder NULL means the
// program's own folder. Gives 1 when a file was chosen, 2 otherwise.
DWORD BrowseFileName(BOOL open, LPCWSTR title, LPCWSTR defaultExtension, LPCWSTR initialFileName,
                     LPCWSTR filter, LPWSTR out, LPCWSTR initialFolder, BOOL fullPath);
// Fills image from an uncompressed 8-bit (palette entries become their blue
// level) or 24-bit bottom-up bitmap file. Gives 0 or an error code (also the
// last error): ERROR_INVALID_PARAMETER, ERROR_NOT_SUPPORTED for other
// formats, ERROR_INVALID_DATA for a size or offset outside the file, or the
// file's open or read error. image is changed only on success.
DWORD ReadBitmapFile(LPCWSTR path, BitmapImage* image);
// Turns the picture upside down in place. Gives 0 or an error code.
DWORD FlipBitmapRows(BitmapImage* image);
// The same through the caller's scratch row of dwStride bytes.
DWORD SwapBitmapRows(BitmapImage* image, BYTE* scratchRow);
// Reads a whole file. buffer NULL: only the size. *buffer NULL: a zeroed
// buffer of size + 10 bytes is allocated with new[] (the caller frees it
// with delete[]). Otherwise *buffer is the caller's buffer and *sizeOut its
// room in bytes on entry; a file larger than that gives FALSE with
// ERROR_INSUFFICIENT_BUFFER and the size needed in *sizeOut. An empty path
// gives ERROR_INVALID_NAME, a file that does not open ERROR_FILE_NOT_FOUND.
BOOL ReadBinFile(LPCWSTR path, BYTE** buffer, DWORD* sizeOut);
// Reads a whole file into memory committed with VirtualAlloc, which the
// caller releases with VirtualFree(MEM_RELEASE). An empty file gives TRUE
// with NULL and 0.
BOOL ReadFileToVirtualMemory(LPCWSTR path, LPVOID* memoryOut, DWORD* sizeOut);
// TRUE when the file exists and opens for reading.
BOOL IsFileReadable(LPCWSTR path);
// The same for a path in the active code page; FALSE for NULL or "".
BOOL CanOpenFileA(LPCSTR path);
// Removes, in an 8-bit text file, the text from keyText up to and including
// its line feed, when keyText lies in the body of sectionText. A file that
// does not open is reported in a message box. Always gives 0.
DWORD RemoveKeyLine(LPCWSTR sectionText, LPCWSTR keyText, LPCWSTR fileName);

// ---- Hex, GUID and checksum texts ----

// Converts hex byte text such as "0A-1b:ff" or "0A 1B F" into out (room cbOut
// bytes) and gives the number of bytes written.
DWORD HexTextToBytes(LPCWSTR text, BYTE* out, DWORD cbOut);
// "%02X " per byte, a line feed after every bytesPerLine bytes (0: no line
// feeds), into out (room outRoom characters); a dump that is cut ends with
// "... ". Gives out.
LPWSTR FormatHexDump(const BYTE* data, DWORD length, LPWSTR out, DWORD outRoom, DWORD bytesPerLine);
// TRUE when buffer ends with tag and the check byte matching the bytes before.
BOOL VerifyChecksum(const BYTE* buffer, DWORD length, BYTE tag);
// Reads a GUID from "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (one leading
// character, then 36). FALSE with ERROR_INVALID_PARAMETER, guidOut
// untouched, for any other text.
BOOL StringToGuid(GUID* guidOut, LPCWSTR text);
// Writes the 36-character upper-case form, without braces, into out (room
// GUID_TEXT_ROOM) and gives out.
LPWSTR GuidToString(const GUID& guid, LPWSTR out);

// ---- Time ----

// The local time as "%Y-%m-%d %I:%M:%S" in out (room characters); gives out.
LPWSTR FormatLocalTime(LPWSTR out, DWORD room);
// Fills either record (each may be NULL) and gives 0.
DWORD GetTimeOfDay(TimeValue* timeValue, TimeZoneInfo* timeZone);
// Microseconds from start to now, in 32 bits.
LONG GetElapsedMicroseconds(TimeValue start);

// ---- General log ----

// Appends "[yyyy/mm/dd, hh:mm:ss] (tag) message\n" in UTF-16LE to
// "C:/Vornex.log", else to the default spool directory's "Vornex.log".
void WriteGeneralLog(LPCWSTR tag, LPCWSTR format, ...);
// Keeps the UTF-16LE log "C:/<name>.log" (else the spool directory's) below
// maxBytes: a longer file keeps its last whole lines within maxBytes / 2.
void TrimLogFile(LPCWSTR name, DWORD maxBytes);
