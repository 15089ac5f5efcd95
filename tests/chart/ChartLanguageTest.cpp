#include "ChartLanguage.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ChartResource.h"
#include "ErrorText.h"
#include "Platform.h"

namespace {

const DWORD MARKER = 0xDEADBEEF;

TEST(ChartLanguageChoice, CommandLineNumbersOneToNineWin)
{
    for (DWORD n = 1; n <= 9; ++n)
        EXPECT_EQ(n, ChooseLanguageNumber(n, 2));
    EXPECT_EQ(2u, ChooseLanguageNumber(0, 2));
    EXPECT_EQ(2u, ChooseLanguageNumber(10, 2));
    EXPECT_EQ(3u, ChooseLanguageNumber(12, 3));
    EXPECT_EQ(1u, ChooseLanguageNumber(0xFFFFFFFF, 1));
}

TEST(ChartLanguageChoice, ChineseHaveTheirOwnResources)
{
    EXPECT_EQ(static_cast<UINT>(IDR_LANG_CHINESE_SIMPLIFIED), LanguageResourceId(2));
    EXPECT_EQ(static_cast<UINT>(IDR_LANG_CHINESE_TRADITIONAL), LanguageResourceId(3));
    EXPECT_EQ(131u, LanguageResourceId(2));
    EXPECT_EQ(130u, LanguageResourceId(3));
    for (DWORD n : {0u, 1u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 12u})
        EXPECT_EQ(129u, LanguageResourceId(n));
}

TEST(ChartTitle, JoinsNameAndVersionWithFourBlanks)
{
    WCHAR out[CHART_TITLE_ROOM];
    SetLastError(MARKER);
    ASSERT_TRUE(FormatChartTitle(L"Tool", L"1.0", out, CHART_TITLE_ROOM));
    EXPECT_STREQ(L"Tool    v1.0", out);
    EXPECT_EQ(MARKER, GetLastError());
}

TEST(ChartTitle, IsCutToTheRoomWithGuardIntact)
{
    const std::wstring name = L"Name";
    const std::wstring full = name + L"    v1.0";
    const size_t exact = full.size() + 1;
    for (size_t room : {exact - 1, exact, exact + 1}) {
        WCHAR out[32];
        wmemset(out, L'#', 32);
        ASSERT_TRUE(FormatChartTitle(name.c_str(), L"1.0", out, room));
        EXPECT_EQ(full.substr(0, room - 1), out);
        EXPECT_EQ(L'#', out[room]);
    }
    std::wstring longName(200, L'x');
    WCHAR out[CHART_TITLE_ROOM + 1];
    out[CHART_TITLE_ROOM] = L'#';
    ASSERT_TRUE(FormatChartTitle(longName.c_str(), L"1.0", out, CHART_TITLE_ROOM));
    EXPECT_EQ(127u, wcslen(out));
    EXPECT_EQ(L'#', out[CHART_TITLE_ROOM]);
}

TEST(ChartTitle, RefusesMissingArguments)
{
    WCHAR out[8] = L"keep";
    SetLastError(MARKER);
    EXPECT_FALSE(FormatChartTitle(nullptr, L"1.0", out, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(FormatChartTitle(L"a", nullptr, out, 8));
    EXPECT_FALSE(FormatChartTitle(L"a", L"1.0", out, 0));
    EXPECT_STREQ(L"keep", out);
    EXPECT_FALSE(FormatChartTitle(L"a", L"1.0", nullptr, 8));
}

TEST(ErrorText, TakesTheSystemTextWhereThereIsOne)
{
    WCHAR expected[1024];
    ASSERT_NE(nullptr, GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, expected, 1024));
    WCHAR out[1024];
    SetLastError(MARKER);
    ASSERT_TRUE(FormatErrorText(ERROR_DEVICE_NOT_CONNECTED, L"Error code", out, 1024));
    EXPECT_STREQ(expected, out);
}

TEST(ErrorText, ShowsTheCodeWhereTheSystemHasNoText)
{
    WCHAR out[64];
    ASSERT_TRUE(FormatErrorText(0x100A2, L"Error code", out, 64));
    EXPECT_STREQ(L"Error code = 0x000100A2", out);
    ASSERT_TRUE(FormatErrorText(0x100A1, L"Fehlercode", out, 64));
    EXPECT_STREQ(L"Fehlercode = 0x000100A1", out);
}

TEST(ErrorText, IsCutToTheRoom)
{
    const std::wstring full = L"Error code = 0x000100A5";
    const size_t exact = full.size() + 1;
    for (size_t room : {exact - 1, exact, exact + 1}) {
        WCHAR out[40];
        wmemset(out, L'#', 40);
        ASSERT_TRUE(FormatErrorText(0x100A5, L"Error code", out, static_cast<DWORD>(room)));
        EXPECT_EQ(full.substr(0, room - 1), out);
        EXPECT_EQ(L'#', out[room]);
    }
}

TEST(ErrorText, RefusesMissingArguments)
{
    WCHAR out[8] = L"keep";
    SetLastError(MARKER);
    EXPECT_FALSE(FormatErrorText(5, nullptr, out, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(FormatErrorText(5, L"Error code", out, 0));
    EXPECT_STREQ(L"keep", out);
    EXPECT_FALSE(FormatErrorText(5, L"Error code", nullptr, 8));
}

} // namespace
