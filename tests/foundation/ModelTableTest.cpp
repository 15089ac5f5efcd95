#include "AsciiText.h"
#include "ModelTable.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

struct PublishedModel {
    DWORD model;
    DWORD vid;
    DWORD pid;
    LPCWSTR driver;
};

// The models as their USB descriptors and printer drivers name them.
const PublishedModel kModels[] = {
    {1, 0x5D27, 0x0101, L"Vornex T42D"}, {2, 0x5D27, 0x0001, L"Vornex T42"}, {3, 0x5D27, 0x0002, L"Vornex T41"},
    {4, 0x5D27, 0x0201, L"Vornex T40W"}, {5, 0x5D27, 0x0003, L"Vornex T40"}, {6, 0x5D27, 0x0102, L"Vornex T42G"},
};

TEST(ModelTable, EveryModelIsFoundByItsUsbIdsAndItsDriverName)
{
    for (const PublishedModel& m : kModels) {
        SCOPED_TRACE(m.model);
        EXPECT_EQ(m.model, FindModelByUsbIds(m.vid, m.pid));
        EXPECT_EQ(m.model, FindModelByDriverName(m.driver));
        const ModelEntry* row = GetModelEntry(m.model);
        ASSERT_NE(nullptr, row);
        EXPECT_EQ(m.model, row->dwModelSN);
        EXPECT_STREQ(m.driver, row->szModelName);
    }
}

TEST(ModelTable, MarkerRowsBoundThePrinterRows)
{
    EXPECT_STREQ(L"start", ModelTable[0].szModelName);
    EXPECT_EQ(0u, ModelTable[0].dwUsbId);
    EXPECT_STREQ(L"end", ModelTable[MODEL_TABLE_ROWS - 1].szModelName);
    EXPECT_EQ(MODEL_END_MARK, ModelTable[MODEL_TABLE_ROWS - 1].dwModelSN);
    EXPECT_EQ(MODEL_END_MARK, ModelTable[MODEL_TABLE_ROWS - 1].dwUsbId);
    EXPECT_EQ(nullptr, GetModelEntry(0));
    EXPECT_EQ(nullptr, GetModelEntry(7));
    EXPECT_EQ(nullptr, GetModelEntry(MODEL_END_MARK));
    // The markers' ids are no printer's.
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0, 0));
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0xFFFF, 0xFFFF));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L"start"));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L"end"));
}

TEST(ModelTable, NoTwoRowsShareAUsbId)
{
    for (DWORD a = MODEL_FIRST; a <= MODEL_LAST; ++a)
        for (DWORD b = a + 1; b <= MODEL_LAST; ++b)
            EXPECT_NE(ModelTable[a].dwUsbId, ModelTable[b].dwUsbId) << a << " " << b;
}

TEST(ModelTable, IdsAboveSixteenBitsMatchNoRow)
{
    // Cut to 16 bits these would be T40's ids.
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0x15D27, 0x0003));
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0x5D27, 0x10003));
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0xFFFFFFFF, 0x0003));
    EXPECT_EQ(MODEL_NONE, FindModelByUsbIds(0x1234, 0x0003));
}

TEST(ModelTable, DriverNamesCompareIgnoringTheCaseOfAsciiLettersOnly)
{
    EXPECT_EQ(5u, FindModelByDriverName(L"VORNEX T40"));
    EXPECT_EQ(4u, FindModelByDriverName(L"vornex t40w"));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L"Vornex T40 "));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L"Vornex T4"));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L""));
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(nullptr));
    // U+0130 would fold to 'i' under some locales; it is no ASCII letter.
    EXPECT_EQ(MODEL_NONE, FindModelByDriverName(L"Vornex T4\u0130"));
}

TEST(ModelTable, VidPidTextFitsItsRoomExactly)
{
    const DWORD kExact = 18; // "VID_5D27&PID_0003" and the terminator
    WCHAR out[kExact + 4];

    wmemset(out, L'#', kExact + 4);
    EXPECT_TRUE(FormatModelVidPid(5, out, kExact));
    EXPECT_STREQ(L"VID_5D27&PID_0003", out);
    EXPECT_EQ(L'#', out[kExact]);

    wmemset(out, L'#', kExact + 4);
    EXPECT_TRUE(FormatModelVidPid(1, out, kExact + 1));
    EXPECT_STREQ(L"VID_5D27&PID_0101", out);
    EXPECT_EQ(L'#', out[kExact + 1]);

    wmemset(out, L'#', kExact + 4);
    EXPECT_FALSE(FormatModelVidPid(5, out, kExact - 1));
    EXPECT_EQ(L'\0', out[0]);
    EXPECT_EQ(L'#', out[kExact - 1]);

    wmemset(out, L'#', kExact + 4);
    EXPECT_FALSE(FormatModelVidPid(0, out, kExact));
    EXPECT_EQ(L'\0', out[0]);
    EXPECT_FALSE(FormatModelVidPid(7, out, kExact));
    EXPECT_FALSE(FormatModelVidPid(5, nullptr, kExact));
}

TEST(AsciiText, LowersOnlyAToZ)
{
    WCHAR text[] = L"USB#VID_5D27&Pid_\u00C4Z{AE}";
    AsciiLowerInPlace(text);
    EXPECT_STREQ(L"usb#vid_5d27&pid_\u00C4z{ae}", text);
    AsciiLowerInPlace(nullptr);
}

TEST(AsciiText, PrefixComparisonStopsAtEitherTerminator)
{
    EXPECT_TRUE(EqualPrefixIgnoringAsciiCase(L"\\\\?\\usb#VID_5D27&pid_0003#x", L"\\\\?\\USB#vid_5d27&PID_0003", 25));
    // A shorter text equals only the same shorter text.
    EXPECT_FALSE(EqualPrefixIgnoringAsciiCase(L"\\\\?\\USB#VID_5D27", L"\\\\?\\USB#VID_5D27&PID_0003", 25));
    EXPECT_TRUE(EqualPrefixIgnoringAsciiCase(L"abc", L"ABC", 25));
    EXPECT_TRUE(EqualPrefixIgnoringAsciiCase(L"abcX", L"ABCY", 3));
    EXPECT_FALSE(EqualPrefixIgnoringAsciiCase(L"abcX", L"ABCY", 4));
    EXPECT_TRUE(EqualIgnoringAsciiCase(L"Vornex T42G", L"VORNEX t42g"));
    EXPECT_FALSE(EqualIgnoringAsciiCase(L"Vornex T42", L"Vornex T42G"));
    EXPECT_FALSE(EqualIgnoringAsciiCase(L"a", nullptr));
}

} // namespace
