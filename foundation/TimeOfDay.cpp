// Time of day in seconds and microseconds since 1970, elapsed time and the
// local time as text.
#include "Utilities.h"

#include <ctime>
#include <cwchar>

namespace {

// 1970-01-01 in 100-nanosecond units since 1601-01-01.
const ULONGLONG UNIX_EPOCH_FILETIME = 116444736000000000ULL;

// Set once the C library's time-zone settings were read; two first calls at
// once both initialise, which is harmless.
bool g_bTimeZoneSet = false;

ULONGLONG MicrosecondsSince1970()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULONGLONG t = (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (t - UNIX_EPOCH_FILETIME) / 10;
}

} // namespace

LPWSTR FormatLocalTime(LPWSTR out, DWORD room)
{
    if (!out || room == 0)
        return out;
    // Formatted apart first: the runtimes differ in what they leave in a
    // buffer that is too small.
    WCHAR text[64];
    time_t now = time(nullptr);
    struct tm local;
    size_t n = 0;
    if (localtime_s(&local, &now) == 0)
        n = wcsftime(text, 64, L"%Y-%m-%d %I:%M:%S", &local);
    if (n == 0 || n >= room)
        n = 0;
    wmemcpy(out, text, n);
    out[n] = L'\0';
    return out;
}

DWORD GetTimeOfDay(TimeValue* timeValue, TimeZoneInfo* timeZone)
{
    if (timeValue) {
        ULONGLONG us = MicrosecondsSince1970();
        timeValue->dwSeconds = DWORD(us / 1000000);
        timeValue->dwMicroseconds = DWORD(us % 1000000);
    }
    if (timeZone) {
        if (!g_bTimeZoneSet) {
            _tzset();
            g_bTimeZoneSet = true;
        }
        timeZone->lMinutesWest = LONG(_timezone / 60);
        timeZone->lDaylight = _daylight;
    }
    return 0;
}

LONG GetElapsedMicroseconds(TimeValue start)
{
    ULONGLONG us = MicrosecondsSince1970();
    DWORD seconds = DWORD(us / 1000000), micros = DWORD(us % 1000000);
    return LONG(DWORD((seconds - start.dwSeconds) * 1000000u + (micros - start.dwMicroseconds)));
}
