#include "Utilities.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

const DWORD kMarker = 0xC0FFEE;

// The program's own version resource says 7.42.3.9.
TEST(FileVersionText, IsMajorDotMinorOfTheProgramFile)
{
    WCHAR out[16];
    wmemset(out, L'#', 16);
    SetLastError(kMarker);
    EXPECT_EQ(0u, GetFileVersionText(out, 16));
    EXPECT_STREQ(L"7.42", out);
    EXPECT_EQ(0u, GetFileVersionText(nullptr, 0));
}

TEST(FileVersionText, NeedsRoomForTheTextAndItsTerminator)
{
    WCHAR out[8];
    wmemset(out, L'#', 8);
    EXPECT_EQ(0u, GetFileVersionText(out, 5));
    EXPECT_STREQ(L"7.42", out);
    EXPECT_EQ(L'#', out[5]);
    wmemset(out, L'#', 8);
    EXPECT_EQ(0u, GetFileVersionText(out, 6));
    EXPECT_STREQ(L"7.42", out);
    wmemset(out, L'#', 8);
    SetLastError(kMarker);
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetFileVersionText(out, 4));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(L'\0', out[0]);
    EXPECT_EQ(L'#', out[4]);
}

} // namespace
