#include "LanguageFile.h"
#include "Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const DWORD kMarker = 0xDEADBEEF;
const WCHAR kGuard = 0xCCCC;
const size_t kGuardCount = 8;

// A caller's buffer of a given room followed by guard characters.
struct GuardedBuffer {
    std::vector<WCHAR> data;
    size_t room;

    explicit GuardedBuffer(size_t cch) : data(cch + kGuardCount, kGuard), room(cch) {}
    LPWSTR get() { return data.data(); }
    std::wstring text() const { return std::wstring(data.data()); }
    bool guardsIntact() const
    {
        for (size_t i = room; i < data.size(); i++)
            if (data[i] != kGuard)
                return false;
        return true;
    }
};

std::wstring DriverDirectory()
{
    WCHAR dir[MAX_PATH];
    GetDriverDirectory(dir, TRUE);
    return dir;
}

std::wstring ExpectedPath(LPCWSTR code)
{
    return DriverDirectory() + L"\\Qel" + code + L".lng";
}

TEST(LanguageNumbers, FollowTheUILanguageRule)
{
    struct Case {
        LANGID langId;
        WORD expected;
    };
    const Case cases[] = {
        {MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA), 9},
        {MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_EGYPT), 9},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), 3},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), 2},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), 1},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE), 1},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_MACAU), 1},
        {MAKELANGID(LANG_CHINESE, SUBLANG_NEUTRAL), 1},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN), 6},
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN), 4},
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), 4},
        {MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), 8},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), 5},
        {MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), 7},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 1},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 1},
        {MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), 1},
        {MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), 1},
        {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), 1},
        // Primary languages above Russian, whatever their sub-language.
        {MAKELANGID(26, 1), 1},
        {MAKELANGID(0x3FF, 0x3F), 1},
        // Sub-language bits never make another primary language count.
        {MAKELANGID(LANG_FRENCH, 0x3F), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "LANGID 0x" << std::hex << c.langId);
        EXPECT_EQ(c.expected, LanguageNumberFromLangId(c.langId));
    }
}

TEST(LanguageNumbers, HaveTheirFourLetterCodes)
{
    const LPCWSTR codes[] = {L"enen", L"zhcn", L"zhtw", L"frfr", L"ptpt", L"eses", L"ruru", L"jajp",
                             L"arar", L"dede", L"itit", L"kokr", L"plpl", L"fair", L"idid"};
    for (WORD number = 1; number <= 15; number++)
        EXPECT_STREQ(codes[number - 1], GetLanguageCode(number)) << "number " << number;
    EXPECT_STREQ(L"enen", GetLanguageCode(0));
    EXPECT_STREQ(L"enen", GetLanguageCode(16));
    EXPECT_STREQ(L"enen", GetLanguageCode(0xFFFF));
}

TEST(LanguageNumbers, OnlyOneToNineHaveFiles)
{
    for (WORD number = 2; number <= 9; number++)
        EXPECT_STREQ(GetLanguageCode(number), GetLanguageFileCode(number)) << "number " << number;
    const WORD english[] = {0, 1, 10, 11, 12, 13, 14, 15, 16, 0xFFFF};
    for (WORD number : english)
        EXPECT_STREQ(L"enen", GetLanguageFileCode(number)) << "number " << number;
}

TEST(LanguageFilePath, JoinsDriverDirectoryPrefixCodeAndExtension)
{
    GuardedBuffer out(MAX_PATH);
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_FRENCH, out.get()));
    EXPECT_EQ(ExpectedPath(L"frfr"), out.text());
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_ARABIC, out.get()));
    EXPECT_EQ(ExpectedPath(L"arar"), out.text());
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_CHINESE_TRADITIONAL, out.get()));
    EXPECT_EQ(ExpectedPath(L"zhtw"), out.text());
    EXPECT_TRUE(out.guardsIntact());
}

TEST(LanguageFilePath, NumbersWithoutFileGiveTheEnglishFile)
{
    GuardedBuffer out(MAX_PATH);
    // Korean has a code but no file of its own.
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_KOREAN, out.get()));
    EXPECT_EQ(ExpectedPath(L"enen"), out.text());
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_INDONESIAN, out.get()));
    EXPECT_EQ(ExpectedPath(L"enen"), out.text());
    ASSERT_TRUE(GetLanguageFilePath(99, out.get()));
    EXPECT_EQ(ExpectedPath(L"enen"), out.text());
}

TEST(LanguageFilePath, NumberZeroFollowsTheUILanguage)
{
    GuardedBuffer out(MAX_PATH);
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_USER, out.get()));
    EXPECT_EQ(ExpectedPath(GetLanguageFileCode(GetUILanguageNumber())), out.text());
}

TEST(LanguageFilePath, FitsTheCallersRoomExactly)
{
    const std::wstring expected = ExpectedPath(L"jajp");
    const size_t exact = expected.size() + 1;

    GuardedBuffer fits(exact);
    EXPECT_TRUE(GetLanguageFilePath(LANGNO_JAPANESE, fits.get(), static_cast<DWORD>(exact)));
    EXPECT_EQ(expected, fits.text());
    EXPECT_TRUE(fits.guardsIntact());

    GuardedBuffer roomy(exact + 1);
    EXPECT_TRUE(GetLanguageFilePath(LANGNO_JAPANESE, roomy.get(), static_cast<DWORD>(exact + 1)));
    EXPECT_EQ(expected, roomy.text());
    EXPECT_TRUE(roomy.guardsIntact());

    GuardedBuffer tight(exact - 1);
    SetLastError(kMarker);
    EXPECT_FALSE(GetLanguageFilePath(LANGNO_JAPANESE, tight.get(), static_cast<DWORD>(exact - 1)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(L'\0', tight.get()[0]);
    EXPECT_TRUE(tight.guardsIntact());
}

TEST(LanguageFilePath, RefusesAZeroRoomAndAcceptsNoBuffer)
{
    WCHAR untouched[4] = {kGuard, kGuard, kGuard, kGuard};
    SetLastError(kMarker);
    EXPECT_FALSE(GetLanguageFilePath(LANGNO_FRENCH, untouched, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(kGuard, untouched[0]);

    EXPECT_TRUE(GetLanguageFilePath(LANGNO_FRENCH, nullptr, 0));
}

TEST(LanguageSuffix, AppendsTheUILanguageCode)
{
    const std::wstring code = GetLanguageCode(GetUILanguageNumber());
    const std::wstring base = L"QelMag_";
    const size_t exact = base.size() + code.size() + 1;

    GuardedBuffer fits(exact);
    wcscpy(fits.get(), base.c_str());
    EXPECT_EQ(fits.get(), AppendLanguageSuffix(fits.get(), exact));
    EXPECT_EQ(base + code, fits.text());
    EXPECT_TRUE(fits.guardsIntact());

    GuardedBuffer roomy(exact + 1);
    wcscpy(roomy.get(), base.c_str());
    EXPECT_EQ(roomy.get(), AppendLanguageSuffix(roomy.get(), exact + 1));
    EXPECT_EQ(base + code, roomy.text());
    EXPECT_TRUE(roomy.guardsIntact());

    GuardedBuffer tight(exact - 1);
    wcscpy(tight.get(), base.c_str());
    SetLastError(kMarker);
    EXPECT_EQ(nullptr, AppendLanguageSuffix(tight.get(), exact - 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(base, tight.text());
    EXPECT_TRUE(tight.guardsIntact());
}

TEST(LanguageSuffix, RefusesMissingOrUnterminatedText)
{
    SetLastError(kMarker);
    EXPECT_EQ(nullptr, AppendLanguageSuffix(nullptr, 16));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    WCHAR full[4] = {L'a', L'b', L'c', L'd'};
    SetLastError(kMarker);
    EXPECT_EQ(nullptr, AppendLanguageSuffix(full, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0, wmemcmp(full, L"abcd", 4));

    SetLastError(kMarker);
    EXPECT_EQ(nullptr, AppendLanguageSuffix(full, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

// Under Wine the process locale (LC_ALL) sets the user's UI language; the
// CTest entries run this group under several locales.
TEST(UiLanguage, FollowsTheProcessLocale)
{
    const char* locale = getenv("LC_ALL");
    if (!locale)
        GTEST_SKIP() << "LC_ALL is not set";
    struct Case {
        const char* prefix;
        WORD number;
    };
    const Case cases[] = {
        {"en_US", 1}, {"fr_FR", 4}, {"zh_CN", 2}, {"zh_TW", 3}, {"zh_HK", 1},
        {"de_DE", 1}, {"ja_JP", 8}, {"ru_RU", 7}, {"es_ES", 6}, {"pt_PT", 5},
    };
    const Case* match = nullptr;
    for (const Case& c : cases)
        if (strncmp(locale, c.prefix, strlen(c.prefix)) == 0)
            match = &c;
    if (!match)
        GTEST_SKIP() << "no expectation for " << locale;

    EXPECT_EQ(match->number, GetUILanguageNumber()) << locale;

    WCHAR path[MAX_PATH];
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_USER, path));
    EXPECT_EQ(ExpectedPath(GetLanguageCode(match->number)), path);

    WCHAR name[16] = L"Qel";
    ASSERT_NE(nullptr, AppendLanguageSuffix(name, 16));
    EXPECT_EQ(std::wstring(L"Qel") + GetLanguageCode(match->number), name);
}

} // namespace
