#include "Utilities.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

const DWORD kMarker = 0xC0FFEE;

// This program carries no version resource.
TEST(FileVersionText, AProgramWithoutVersionInformationGivesTheLastError)
{
    WCHAR out[16];
    wmemset(out, L'#', 16);
    SetLastError(kMarker);
    DWORD result = GetFileVersionText(out, 16);
    EXPECT_NE(0u, result);
    EXPECT_NE(kMarker, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(L'#', out[0]);
}

} // namespace
