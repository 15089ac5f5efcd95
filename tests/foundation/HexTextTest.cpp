#include "Utilities.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

const DWORD kMarker = 0xC0FFEE;
const BYTE kGuard = 0xA5;

// Converts text into a buffer of room bytes followed by guard bytes, checks
// the guards and gives the bytes written.
std::vector<BYTE> Convert(LPCWSTR text, DWORD room = 16)
{
    std::vector<BYTE> buffer(room + 4, kGuard);
    DWORD n = HexTextToBytes(text, buffer.data(), room);
    EXPECT_LE(n, room);
    for (DWORD i = room; i < room + 4; ++i)
        EXPECT_EQ(kGuard, buffer[i]) << "guard byte " << i - room;
    buffer.resize(n);
    return buffer;
}

TEST(HexTextToBytes, ReadsPairsAndLoneDigitsUpToTheFirstStrayCharacter)
{
    const struct {
        LPCWSTR text;
        std::vector<BYTE> bytes;
    } cases[] = {
        {L"0A-1b:ff", {0x0A, 0x1B, 0xFF}},
        {L"  12 34\tab  ", {0x12, 0x34, 0xAB}},
        {L"DEADBEEF", {0xDE, 0xAD, 0xBE, 0xEF}},
        {L"A", {0x0A}},
        {L"1 F 20", {0x01, 0x0F, 0x20}},
        {L"1G", {}},
        {L"", {}},
        {L"12 zz 34", {0x12}},
        // A lone digit before a separator other than a blank ends the text.
        {L"12-3-45", {0x12}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bytes, Convert(c.text)) << c.text;
    BYTE out[2] = {kGuard, kGuard};
    EXPECT_EQ(0u, HexTextToBytes(nullptr, out, 2));
    EXPECT_EQ(0u, HexTextToBytes(L"12", nullptr, 2));
    EXPECT_EQ(kGuard, out[0]);
}

TEST(HexTextToBytes, NeverWritesPastTheRoom)
{
    // Three bytes into rooms of exactly three, one more and one less.
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), Convert(L"01 02 03", 3));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), Convert(L"01 02 03", 4));
    EXPECT_EQ((std::vector<BYTE>{1, 2}), Convert(L"01 02 03", 2));
    EXPECT_TRUE(Convert(L"01", 0).empty());
}

std::wstring Dump(const std::vector<BYTE>& data, DWORD room, DWORD perLine)
{
    std::vector<WCHAR> out(room + 4, L'#');
    LPWSTR result = FormatHexDump(data.data(), DWORD(data.size()), out.data(), room, perLine);
    EXPECT_EQ(out.data(), result);
    for (DWORD i = room; i < room + 4; ++i)
        EXPECT_EQ(L'#', out[i]) << "guard " << i - room;
    EXPECT_EQ(L'\0', out[room - 1]);
    return out.data();
}

TEST(FormatHexDump, PutsALineFeedAfterEveryLineOfBytesAndCutsToTheRoom)
{
    EXPECT_EQ(L"01 02 \n03 04 ", Dump({1, 2, 3, 4}, 64, 2));
    EXPECT_EQ(L"FF 00 7F ", Dump({0xFF, 0x00, 0x7F}, 64, 0));
    EXPECT_EQ(L"", Dump({}, 8, 16));
    // "01 02 03 " needs 9 characters and the terminator.
    EXPECT_EQ(L"01 02 03 ", Dump({1, 2, 3}, 10, 16));
    EXPECT_EQ(L"01 02 03", Dump({1, 2, 3}, 9, 16));
    EXPECT_EQ(L"01 02 03 ", Dump({1, 2, 3}, 11, 16));
}

TEST(FormatHexDump, ALongInputIsDumpedInPartAndMarked)
{
    std::vector<BYTE> data(100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = BYTE(i + 1);
    // Room 30: 3 * 30 < 100, so 30 / 3 - 4 = 6 bytes are dumped.
    EXPECT_EQ(L"01 02 03 04 05 06 ... ", Dump(data, 30, 16));
    // Room 60 dumps 16 bytes, one a line: 63 characters, cut to 59, the marker last.
    std::wstring text = Dump(std::vector<BYTE>(200, 0x11), 60, 1);
    EXPECT_EQ(59u, text.size());
    EXPECT_EQ(L"... ", text.substr(55));
}

TEST(VerifyChecksum, AcceptsTheTagAndItsCheckByte)
{
    std::vector<BYTE> frame = {0x10, 0x20, 0x30, 0x5A};
    // The sum 0xBA inverted is 0x45; minus the tag 0x5A that gives 0xEB.
    frame.push_back(0xEB);
    EXPECT_TRUE(VerifyChecksum(frame.data(), DWORD(frame.size()), 0x5A));
    frame.back() = 0xEA;
    EXPECT_FALSE(VerifyChecksum(frame.data(), DWORD(frame.size()), 0x5A));
}

TEST(VerifyChecksum, AWrongTagOrAShortBufferFailsWhateverTheLastByte)
{
    BYTE frame[] = {0x10, 0x20, 0x30, 0x5B, 0x00};
    for (int last = 0; last < 256; ++last) {
        frame[4] = BYTE(last);
        EXPECT_FALSE(VerifyChecksum(frame, 5, 0x5A)) << last;
    }
    // The shortest buffer is the tag and its check byte: 0x03 inverted is 0xFC, minus 0x03.
    BYTE shortest[] = {0x03, 0xF9};
    EXPECT_TRUE(VerifyChecksum(shortest, 2, 0x03));
    EXPECT_FALSE(VerifyChecksum(shortest, 1, 0x03));
    EXPECT_FALSE(VerifyChecksum(nullptr, 2, 0x03));
}

const GUID kUsbPrinterClass = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

TEST(GuidText, ReadsTheBracedFormInEitherCase)
{
    GUID guid = {};
    SetLastError(kMarker);
    EXPECT_TRUE(StringToGuid(&guid, L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"));
    EXPECT_EQ(0, memcmp(&kUsbPrinterClass, &guid, sizeof(GUID)));
    EXPECT_EQ(kMarker, GetLastError());
    guid = GUID();
    EXPECT_TRUE(StringToGuid(&guid, L"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}"));
    EXPECT_EQ(0, memcmp(&kUsbPrinterClass, &guid, sizeof(GUID)));
}

TEST(GuidText, RefusesMalformedTextAndLeavesTheGuid)
{
    const LPCWSTR bad[] = {
        L"",
        L"{",
        L"28d78fad-5a12-11d1-ae5b-0000f803a8c2",
        L"{28d78fad-5a12-11d1-ae5b-0000f803a8c",
        L"{28d78fad_5a12-11d1-ae5b-0000f803a8c2}",
        L"{28d78fad-5a12-11d1-ae5b-0000f803a8g2}",
        L"{28d78fa-d5a12-11d1-ae5b-0000f803a8c2}",
    };
    for (LPCWSTR text : bad) {
        GUID guid = kUsbPrinterClass;
        SetLastError(kMarker);
        EXPECT_FALSE(StringToGuid(&guid, text)) << text;
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << text;
        EXPECT_EQ(0, memcmp(&kUsbPrinterClass, &guid, sizeof(GUID))) << text;
    }
    EXPECT_FALSE(StringToGuid(nullptr, L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"));
}

TEST(GuidText, WritesUpperCaseWithoutBracesAndReadsItBack)
{
    WCHAR out[GUID_TEXT_ROOM + 2];
    wmemset(out, L'#', GUID_TEXT_ROOM + 2);
    EXPECT_EQ(out, GuidToString(kUsbPrinterClass, out));
    EXPECT_STREQ(L"28D78FAD-5A12-11D1-AE5B-0000F803A8C2", out);
    EXPECT_EQ(L'#', out[GUID_TEXT_ROOM]);

    const GUID edge = {0x0000000F, 0xF000, 0x0001, {0x80, 0x00, 0, 1, 2, 3, 0xFE, 0xFF}};
    GuidToString(edge, out);
    EXPECT_STREQ(L"0000000F-F000-0001-8000-00010203FEFF", out);
    std::wstring braced = std::wstring(L"{") + out + L"}";
    GUID back = {};
    EXPECT_TRUE(StringToGuid(&back, braced.c_str()));
    EXPECT_EQ(0, memcmp(&edge, &back, sizeof(GUID)));
}

} // namespace
