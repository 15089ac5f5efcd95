// Platform basics shared by every deliverable but the colour engine: the OS
// version code, the driver and spool directories, text conversion, the
// system's error texts and the trace call.
#pragma once

#include <windows.h>

// OS version code: 0 to 15; the odd codes from 9 up mean 64-bit Windows,
// codes 5 and above the NT family from Windows 2000 on.
enum : WORD {
    OSV_UNKNOWN = 0, OSV_WIN95 = 1, OSV_NT4 = 2, OSV_WIN98 = 3, OSV_WINME = 4,
    OSV_WIN2000 = 5, OSV_WINXP = 6, OSV_WINXP_EMBEDDED = 7, OSV_WIN2003 = 8, OSV_5X_64 = 9,
    OSV_VISTA = 10, OSV_VISTA_64 = 11, OSV_WIN7 = 12, OSV_WIN7_64 = 13, OSV_WIN8 = 14, OSV_WIN8_64 = 15,
};

// Which build's classification rule applies: the 64-bit libraries know only
// 64-bit Windows, the 32-bit programs ask whether Windows itself is 64-bit;
// the notification libraries know fewer versions.
enum OsRule { OS_RULE_64BIT_BUILD, OS_RULE_32BIT_PROGRAM, OS_RULE_ASYNC_SERVER, OS_RULE_ASYNC_CLIENT };

// The classification itself, apart from the version query, so that every
// version can be checked.
WORD ClassifyOSVersion(OsRule rule, DWORD platformId, DWORD major, DWORD minor,
                       WORD suiteMask, BOOL bNative64);

// The code by this build's rule.
WORD GetOSVersionCode();
// The code by the given rule; the 64-bit test of the 32-bit rules is
// IsNative64BitWindows, or IsWow64 for the notification client.
WORD GetOSVersionCodeByRule(OsRule rule);
BOOL IsNative64BitWindows();
BOOL IsWow64();

// out has room for MAX_PATH characters; withVersion appends "\3".
LPWSTR GetDriverDirectory(LPWSTR out, BOOL withVersion);
// The same with the OS version code by the given rule (the notification
// libraries classify by their own).
LPWSTR GetDriverDirectoryByRule(OsRule rule, LPWSTR out, BOOL withVersion);
// out has room for 256 characters.
LPWSTR GetSpoolDirectory(LPCWSTR printerName, LPWSTR out);

// Conversions give out, or NULL when the system conversion fails (also when
// the result does not fit the room given, in characters or bytes).
LPWSTR AnsiToWide(LPWSTR out, LPCSTR text, int cchOut);
LPWSTR Utf8ToWide(LPWSTR out, LPCSTR text, int cchOut);
LPSTR WideToAnsi(LPSTR out, LPCWSTR text, int cbOut);

// The system's text for a Win32 error code, or NULL when it has none. With no
// out buffer the text is the system's allocation, freed with LocalFree; with
// one, the text is cut to cchOut characters and loses its trailing CR LF.
LPWSTR GetSystemErrorText(DWORD code, LPWSTR out, DWORD cchOut = 1024);

// The trace call of every step: the texts document the steps, and nothing is
// written in the shipped configuration.
inline void DebugTrace(LPCWSTR, ...) {}
