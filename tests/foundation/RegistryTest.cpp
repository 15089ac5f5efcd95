#include "Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScratchRegistryKey.h"

namespace {

const WCHAR kGuard = 0xA5A5;

// A multi-text value read back: its units up to and with both terminators.
struct MultiCase {
    std::wstring stored; // the units stored, without any added terminator
    DWORD type;
    DWORD cch;
    LSTATUS status;
    std::wstring read;   // the list read, both terminators included
};

TEST(RegReadMultiText, EndsTheListWithTwoZerosOrRefusesIt)
{
    using namespace std::string_literals;
    ScratchRegistryKey key(HKEY_CURRENT_USER, L"Software\\QelTests\\MultiText" + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(key.ok());
    const MultiCase cases[] = {
        {L"ab\0cd\0\0"s, REG_MULTI_SZ, 7, ERROR_SUCCESS, L"ab\0cd\0\0"s},
        {L"ab\0cd\0"s, REG_MULTI_SZ, 7, ERROR_SUCCESS, L"ab\0cd\0\0"s},
        {L"ab\0cd"s, REG_MULTI_SZ, 7, ERROR_SUCCESS, L"ab\0cd\0\0"s},
        {L"ab\0cd"s, REG_MULTI_SZ, 6, ERROR_MORE_DATA, L"\0\0"s},
        {L"ab\0cd\0\0"s, REG_MULTI_SZ, 6, ERROR_MORE_DATA, L"\0\0"s},
        {L""s, REG_MULTI_SZ, 2, ERROR_SUCCESS, L"\0\0"s},
        {L"ab\0"s, REG_SZ, 8, ERROR_INVALID_DATATYPE, L"\0\0"s},
    };
    for (const MultiCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "units " << c.stored.size() << ", room " << c.cch);
        ASSERT_EQ(ERROR_SUCCESS, key.SetBinary(L"List", c.stored.data(), DWORD(c.stored.size() * sizeof(WCHAR)), c.type));
        std::vector<WCHAR> out(c.cch + 2, kGuard);
        HKEY raw = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.path().c_str(), 0, KEY_READ, &raw));
        EXPECT_EQ(c.status, RegReadMultiText(raw, L"List", out.data(), c.cch));
        RegCloseKey(raw);
        EXPECT_EQ(c.read, std::wstring(out.data(), c.read.size()));
        EXPECT_EQ(kGuard, out[c.cch]);
    }
}

} // namespace
