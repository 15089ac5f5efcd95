#include "Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct VersionCase {
    DWORD platform, major, minor;
    WORD suite;
    BOOL native64;
    WORD expected64Build, expected32Program;
};

TEST(OsVersionCode, ClassifiesEveryVersionForBothBuilds)
{
    const DWORD NT = VER_PLATFORM_WIN32_NT, W9X = VER_PLATFORM_WIN32_WINDOWS;
    const VersionCase cases[] = {
        {W9X, 4, 0, 0, FALSE, 1, 1},    {W9X, 4, 10, 0, FALSE, 3, 3},  {W9X, 4, 90, 0, FALSE, 4, 4},
        {W9X, 4, 9, 0, FALSE, 1, 1},    {0, 3, 51, 0, FALSE, 0, 0},    {7, 10, 0, 0, TRUE, 0, 0},
        {NT, 3, 51, 0, FALSE, 0, 0},    {NT, 4, 0, 0, FALSE, 2, 2},    {NT, 5, 0, 0, FALSE, 9, 5},
        {NT, 5, 1, 0, FALSE, 9, 6},     {NT, 5, 1, 0x40, FALSE, 9, 7}, {NT, 5, 2, 0, FALSE, 9, 8},
        {NT, 5, 2, 0, TRUE, 9, 9},      {NT, 5, 1, 0x40, TRUE, 9, 9},  {NT, 6, 0, 0, FALSE, 11, 10},
        {NT, 6, 0, 0, TRUE, 11, 11},    {NT, 6, 1, 0, FALSE, 13, 12},  {NT, 6, 1, 0, TRUE, 13, 13},
        {NT, 6, 2, 0, FALSE, 15, 14},   {NT, 6, 3, 0, TRUE, 15, 15},   {NT, 10, 0, 0, FALSE, 15, 14},
        {NT, 10, 0, 0, TRUE, 15, 15},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " suite " << c.suite
                                        << " native64 " << c.native64);
        EXPECT_EQ(c.expected64Build, ClassifyOSVersion(OS_RULE_64BIT_BUILD, c.platform, c.major, c.minor, c.suite, c.native64));
        EXPECT_EQ(c.expected32Program, ClassifyOSVersion(OS_RULE_32BIT_PROGRAM, c.platform, c.major, c.minor, c.suite, c.native64));
    }
}

TEST(OsVersionCode, NotificationLibrariesKnowFewerVersions)
{
    const DWORD NT = VER_PLATFORM_WIN32_NT, W9X = VER_PLATFORM_WIN32_WINDOWS;
    struct Case {
        DWORD platform, major, minor;
        BOOL is64;
        WORD server, client;
    } const cases[] = {
        {W9X, 4, 90, FALSE, 4, 4}, {W9X, 4, 10, FALSE, 3, 3}, {NT, 3, 51, FALSE, 0, 0}, {NT, 4, 0, FALSE, 2, 2},
        {NT, 5, 0, FALSE, 9, 5},   {NT, 5, 1, FALSE, 9, 6},   {NT, 5, 2, FALSE, 9, 8},  {NT, 5, 1, TRUE, 9, 9},
        {NT, 6, 0, FALSE, 11, 10}, {NT, 6, 1, TRUE, 11, 11},  {NT, 10, 0, FALSE, 11, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " is64 " << c.is64);
        // The embedded suite bit means nothing to the client's rule.
        EXPECT_EQ(c.server, ClassifyOSVersion(OS_RULE_ASYNC_SERVER, c.platform, c.major, c.minor, 0x40, c.is64));
        EXPECT_EQ(c.client, ClassifyOSVersion(OS_RULE_ASYNC_CLIENT, c.platform, c.major, c.minor, 0x40, c.is64));
    }
}

// Where the test runs: a 64-bit process, a 32-bit one on 64-bit Windows
// (WOW64), or one on 32-bit Windows (the runner's QEL_WINEARCH=win32 prefix).
enum class Host { X64, Wow64, Win32 };

Host RunningHost()
{
#ifdef _WIN64
    return Host::X64;
#else
    const char* arch = getenv("QEL_WINEARCH");
    return arch && std::string(arch) == "win32" ? Host::Win32 : Host::Wow64;
#endif
}

// The Windows version the runner made Wine report (QEL_WINVER) and the host
// decide the expected codes: win7 (the default) is 6.1, win10 6.2 without a
// manifest, winxp64 5.2.
TEST(OsVersionCode, MatchesTheRunningWindows)
{
    const char* winver = getenv("QEL_WINVER");
    const std::string v = winver ? winver : "win7";
    const struct {
        const char* winver;
        Host host;
        WORD code, client, server;
        BOOL native64, wow64;
    } cases[] = {
        {"win7", Host::X64, 13, 10, 11, TRUE, FALSE},     {"win7", Host::Wow64, 13, 11, 11, TRUE, TRUE},
        {"win7", Host::Win32, 12, 10, 11, FALSE, FALSE},  {"win10", Host::X64, 15, 10, 11, TRUE, FALSE},
        {"win10", Host::Wow64, 15, 11, 11, TRUE, TRUE},   {"win10", Host::Win32, 14, 10, 11, FALSE, FALSE},
        {"winxp64", Host::X64, 9, 8, 9, TRUE, FALSE},     {"winxp64", Host::Wow64, 9, 9, 9, TRUE, TRUE},
        {"winxp64", Host::Win32, 8, 8, 9, FALSE, FALSE},
    };
    const Host host = RunningHost();
    int matched = 0;
    for (const auto& c : cases) {
        if (v != c.winver || host != c.host)
            continue;
        ++matched;
        EXPECT_EQ(c.code, GetOSVersionCode());
        EXPECT_EQ(c.code, GetOSVersionCodeByRule(OS_RULE_32BIT_PROGRAM));
        // The client asks whether its own process runs under WOW64.
        EXPECT_EQ(c.client, GetOSVersionCodeByRule(OS_RULE_ASYNC_CLIENT));
        EXPECT_EQ(c.server, GetOSVersionCodeByRule(OS_RULE_ASYNC_SERVER));
        EXPECT_EQ(c.native64, IsNative64BitWindows());
        EXPECT_EQ(c.wow64, IsWow64());
    }
    EXPECT_EQ(1, matched) << "no expectation for " << v;
}

// 32-bit builds keep the x64 folder on 64-bit Windows and take w32x86 on
// 32-bit Windows.
TEST(DriverDirectory, IsTheSystemDirectoryWithTheDriverFolderOfTheWindows)
{
    WCHAR system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring folder = std::wstring(system) +
        (RunningHost() == Host::Win32 ? L"\\spool\\drivers\\w32x86" : L"\\spool\\drivers\\x64");
    WCHAR out[MAX_PATH];
    EXPECT_EQ(out, GetDriverDirectory(out, TRUE));
    EXPECT_EQ(folder + L"\\3", out);
    EXPECT_EQ(out, GetDriverDirectory(out, FALSE));
    EXPECT_EQ(folder, out);
    // The notification client's own classification finds the same folder.
    EXPECT_EQ(out, GetDriverDirectoryByRule(OS_RULE_ASYNC_CLIENT, out, TRUE));
    EXPECT_EQ(folder + L"\\3", out);
}

class SpoolDirectory : public testing::Test {
protected:
    const WCHAR* kKey = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
    const WCHAR* kPrinterKey = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\QelSpoolTestPrinter";
    HKEY printers = nullptr, printer = nullptr;
    WCHAR savedDefault[256] = L"";
    DWORD savedType = 0, savedSize = 0;

    void SetUp() override
    {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &printers, nullptr));
        savedSize = sizeof(savedDefault);
        if (RegQueryValueExW(printers, L"DefaultSpoolDirectory", nullptr, &savedType, (LPBYTE)savedDefault, &savedSize) != ERROR_SUCCESS)
            savedSize = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPrinterKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &printer, nullptr));
    }
    void TearDown() override
    {
        if (savedSize)
            RegSetValueExW(printers, L"DefaultSpoolDirectory", 0, savedType, (LPBYTE)savedDefault, savedSize);
        else
            RegDeleteValueW(printers, L"DefaultSpoolDirectory");
        RegCloseKey(printer);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPrinterKey);
        RegCloseKey(printers);
    }
    void Set(HKEY key, LPCWSTR name, const std::wstring& value, DWORD type = REG_SZ)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, (const BYTE*)value.c_str(), DWORD((value.size() + 1) * 2)));
    }
};

TEST_F(SpoolDirectory, PrefersThePrinterValueThenTheDefault)
{
    Set(printers, L"DefaultSpoolDirectory", L"C:\\spool\\default");
    WCHAR out[256];
    wmemset(out, L'#', 256);
    EXPECT_EQ(out, GetSpoolDirectory(nullptr, out));
    EXPECT_STREQ(L"C:\\spool\\default", out);
    EXPECT_STREQ(L"C:\\spool\\default", GetSpoolDirectory(L"QelSpoolTestPrinter", out));
    Set(printer, L"SpoolDirectory", L"D:\\jobs");
    EXPECT_STREQ(L"D:\\jobs", GetSpoolDirectory(L"QelSpoolTestPrinter", out));
    Set(printer, L"SpoolDirectory", L"");
    EXPECT_STREQ(L"C:\\spool\\default", GetSpoolDirectory(L"QelSpoolTestPrinter", out));
}

TEST_F(SpoolDirectory, ValuesThatDoNotFitOrHaveTheWrongTypeCountAsAbsent)
{
    WCHAR out[256];
    // 127 characters fit the 128-character room; 128 do not.
    Set(printers, L"DefaultSpoolDirectory", std::wstring(127, L'a'));
    EXPECT_EQ(std::wstring(127, L'a'), GetSpoolDirectory(nullptr, out));
    Set(printers, L"DefaultSpoolDirectory", std::wstring(128, L'b'));
    EXPECT_STREQ(L"", GetSpoolDirectory(nullptr, out));
    DWORD number = 7;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(printers, L"DefaultSpoolDirectory", 0, REG_DWORD, (LPBYTE)&number, 4));
    EXPECT_STREQ(L"", GetSpoolDirectory(nullptr, out));
}

TEST(TextConversion, RoundTripsAndRefusesTooSmallRooms)
{
    WCHAR wide[8];
    EXPECT_EQ(wide, AnsiToWide(wide, "Dwz;u", 6));
    EXPECT_STREQ(L"Dwz;u", wide);
    SetLastError(0xdead);
    EXPECT_EQ(nullptr, AnsiToWide(wide, "Dwz;u", 5));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(nullptr, AnsiToWide(nullptr, "x", 4));
    EXPECT_EQ(nullptr, AnsiToWide(wide, nullptr, 4));

    char narrow[8];
    EXPECT_EQ(narrow, WideToAnsi(narrow, L"Swz;u;3", 8));
    EXPECT_STREQ("Swz;u;3", narrow);
    EXPECT_EQ(nullptr, WideToAnsi(narrow, L"Swz;u;3", 7));

    // UTF-8 needs three bytes for this character.
    EXPECT_EQ(wide, Utf8ToWide(wide, "\xE2\x82\xAC", 2));
    EXPECT_STREQ(L"\x20AC", wide);
}

TEST(SystemErrorText, GivesTheTextWithoutItsLineEnd)
{
    WCHAR out[512];
    ASSERT_EQ(out, GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, out, 512));
    size_t len = wcslen(out);
    ASSERT_GT(len, 0u);
    EXPECT_NE(L'\n', out[len - 1]);
    EXPECT_NE(L'\r', out[len - 1]);

    LPWSTR owned = GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, nullptr);
    ASSERT_NE(nullptr, owned);
    EXPECT_EQ(0, wcsncmp(owned, out, len));
    LocalFree(owned);

    // A room of four keeps three characters and the terminator.
    WCHAR small[5] = {L'#', L'#', L'#', L'#', L'#'};
    ASSERT_EQ(small, GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, small, 4));
    EXPECT_EQ(0, wcsncmp(small, out, 3));
    EXPECT_EQ(L'\0', small[3]);
    EXPECT_EQ(L'#', small[4]);

    EXPECT_EQ(nullptr, GetSystemErrorText(0x2FFFFFFF, out, 512));
}

} // namespace
