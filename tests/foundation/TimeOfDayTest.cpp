#include "Utilities.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <regex>
#include <string>

namespace {

TEST(TimeOfDay, GivesSecondsAndMicrosecondsSince1970)
{
    time_t before = time(nullptr);
    TimeValue now = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(0u, GetTimeOfDay(&now, nullptr));
    time_t after = time(nullptr);
    EXPECT_GE(LONGLONG(now.dwSeconds), LONGLONG(before));
    EXPECT_LE(LONGLONG(now.dwSeconds), LONGLONG(after));
    EXPECT_LT(now.dwMicroseconds, 1000000u);
    EXPECT_EQ(0u, GetTimeOfDay(nullptr, nullptr));
}

TEST(TimeOfDay, TakesTheTimeZoneOnceAProcess)
{
    _putenv("TZ=JST-9");
    TimeZoneInfo zone = {12345, 12345};
    EXPECT_EQ(0u, GetTimeOfDay(nullptr, &zone));
    EXPECT_EQ(-540, zone.lMinutesWest);
    EXPECT_EQ(0, zone.lDaylight);
    // Later changes of the environment are not read again.
    _putenv("TZ=EST5EDT");
    EXPECT_EQ(0u, GetTimeOfDay(nullptr, &zone));
    EXPECT_EQ(-540, zone.lMinutesWest);
}

TEST(ElapsedMicroseconds, CountsFromTheStartToNow)
{
    TimeValue start;
    GetTimeOfDay(&start, nullptr);
    Sleep(30);
    LONG elapsed = GetElapsedMicroseconds(start);
    EXPECT_GE(elapsed, 25000);
    EXPECT_LT(elapsed, 5000000);

    // Borrowing across the second: a start 1.5 s ago at .9 s.
    TimeValue now;
    GetTimeOfDay(&now, nullptr);
    TimeValue past = {now.dwSeconds - 2, 900000};
    elapsed = GetElapsedMicroseconds(past);
    EXPECT_GE(elapsed, LONG(1100000 + now.dwMicroseconds) - 1000);
    EXPECT_LT(elapsed, LONG(1100000 + now.dwMicroseconds) + 2000000);

    // A start in the future gives a negative count.
    TimeValue future = {now.dwSeconds + 10, 0};
    EXPECT_LT(GetElapsedMicroseconds(future), -8000000);
}

TEST(LocalTimeText, UsesATwelveHourClockWithoutMark)
{
    WCHAR out[24];
    wmemset(out, L'#', 24);
    SYSTEMTIME local;
    GetLocalTime(&local);
    EXPECT_EQ(out, FormatLocalTime(out, 20));
    std::wstring text = out;
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(text, match, std::wregex(L"(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):\\d{2}:\\d{2}")));
    EXPECT_EQ(local.wYear, std::stoi(match[1].str()));
    int hour = std::stoi(match[4].str());
    EXPECT_GE(hour, 1);
    EXPECT_LE(hour, 12);
    EXPECT_EQ(L'#', out[20]);

    // One character short of the text and its terminator: nothing.
    wmemset(out, L'#', 24);
    EXPECT_EQ(out, FormatLocalTime(out, 19));
    EXPECT_EQ(L'\0', out[0]);
    EXPECT_EQ(L'#', out[19]);
}

} // namespace
