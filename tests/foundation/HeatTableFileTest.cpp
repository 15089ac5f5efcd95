#include "HeatTable.h"

#include "Platform.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const DWORD kMarker = 0xC0FFEE;
const BYTE kGuard = 0xA5;

// The files the writer puts at the root of drive C:, removed before and after each test.
const LPCWSTR kRootFiles[] = {L"c:\\CARD_Y.txt", L"c:\\CARD_Y.bin",         L"c:\\HeatTableAll.txt",
                              L"c:\\HeatTableAll.bin", L"c:\\HeatTableO.txt", L"c:\\HeatTableO.bin",
                              L"c:\\CARD_K.txt", L"c:\\HeatTableK.txt", L"c:\\HeatTableK.bin",
                              L"c:\\CARD_M.txt", L"c:\\CARD_M.bin", L"c:\\.txt", L"c:\\.bin"};

std::string Format(const char* format, int value)
{
    char text[16];
    snprintf(text, sizeof(text), format, value);
    return text;
}

class HeatTableDump : public testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        for (LPCWSTR path : kRootFiles)
            DeleteFileW(path);
        RemoveDirectoryW(L"c:\\CARD_K.bin");
    }
    static std::string Bytes(const std::vector<BYTE>& v) { return std::string(v.begin(), v.end()); }
};

TEST_F(HeatTableDump, AOneByteCardTableIsWrittenNineteenValuesALine)
{
    std::vector<BYTE> table(40);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = BYTE(i * 6 + 1);
    EXPECT_EQ(0u, DumpHeatTable(4, table.data(), 40, 1, TRUE));

    std::string expected = "[CARD_Y]\n";
    for (int i = 0; i < 40; ++i) {
        expected += Format("%3d ", table[i]);
        if (i == 18 || i == 37)
            expected += "\n";
    }
    expected += "\n\n\n";
    EXPECT_EQ(expected, ScratchFolder::Read(L"c:\\CARD_Y.txt"));
    EXPECT_EQ(Bytes(table), ScratchFolder::Read(L"c:\\CARD_Y.bin"));
    // "  1 " right-aligned in three places.
    EXPECT_EQ("[CARD_Y]\n  1   7  13 ", expected.substr(0, 21));
}

TEST_F(HeatTableDump, ATwoByteTableIsWritten129ValuesALineLowByteFirstInTheRawFile)
{
    std::vector<WORD> table(130);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = WORD(i * 500);
    EXPECT_EQ(0u, DumpHeatTable(8, table.data(), 130, 2, FALSE));
    std::string expected = "[PLANE_K]\n";
    for (int i = 0; i < 130; ++i) {
        expected += Format("%d ", table[i]);
        if (i == 128)
            expected += "\n";
    }
    expected += "\n\n\n";
    EXPECT_EQ(expected, ScratchFolder::Read(L"c:\\HeatTableK.txt"));
    std::string raw = ScratchFolder::Read(L"c:\\HeatTableK.bin");
    ASSERT_EQ(260u, raw.size());
    EXPECT_EQ(0, memcmp(table.data(), raw.data(), 260));
    EXPECT_EQ(char(0xF4), raw[2]);  // 500 = 0x01F4
    EXPECT_EQ(char(0x01), raw[3]);
}

TEST_F(HeatTableDump, PlaneCode255WritesOnlyTheRawFile)
{
    BYTE table[3] = {9, 8, 7};
    EXPECT_EQ(0u, DumpHeatTable(255, table, 3, 1, FALSE));
    EXPECT_EQ(std::string("\x09\x08\x07"), ScratchFolder::Read(L"c:\\HeatTableAll.bin"));
    EXPECT_FALSE(ScratchFolder::Exists(L"c:\\HeatTableAll.txt"));
}

TEST_F(HeatTableDump, BlocksAreAppendedAndTheRawFileReplaced)
{
    BYTE first[2] = {1, 2}, second[1] = {200};
    EXPECT_EQ(0u, DumpHeatTable(136, first, 2, 1, FALSE));
    EXPECT_EQ(0u, DumpHeatTable(192, second, 1, 1, FALSE));
    EXPECT_EQ("[PLANE_KO]\n  1   2 \n\n\n[PLANE_OT]\n200 \n\n\n", ScratchFolder::Read(L"c:\\HeatTableO.txt"));
    EXPECT_EQ(std::string("\xC8"), ScratchFolder::Read(L"c:\\HeatTableO.bin"));
}

TEST_F(HeatTableDump, UnknownCodesAndElementSizesWriteNothing)
{
    BYTE table[4] = {1, 2, 3, 4};
    const struct {
        BYTE code;
        DWORD size;
        BOOL card;
    } cases[] = {{3, 1, TRUE}, {255, 1, TRUE}, {16, 1, FALSE}, {96, 1, FALSE}, {4, 4, TRUE}, {4, 0, TRUE}, {2, 3, TRUE}};
    for (const auto& c : cases) {
        SetLastError(kMarker);
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), DumpHeatTable(c.code, table, 4, c.size, c.card)) << int(c.code);
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }
    for (LPCWSTR path : kRootFiles)
        EXPECT_FALSE(ScratchFolder::Exists(path)) << path;
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), DumpHeatTable(4, nullptr, 4, 1, TRUE));
    EXPECT_FALSE(ScratchFolder::Exists(L"c:\\CARD_Y.bin"));
}

TEST_F(HeatTableDump, TheRawFileFallsBackToTheSpoolDirectory)
{
    // A folder in the raw file's place keeps it off the root of C:.
    ASSERT_TRUE(CreateDirectoryW(L"c:\\CARD_K.bin", nullptr));
    WCHAR spool[256];
    GetSpoolDirectory(nullptr, spool);
    ASSERT_NE(L'\0', spool[0]);
    std::wstring fallback = std::wstring(spool) + L"/CARD_K.bin";
    DeleteFileW(fallback.c_str());
    BYTE table[2] = {0x5A, 0xA5};
    EXPECT_EQ(0u, DumpHeatTable(24, table, 2, 1, TRUE));
    EXPECT_EQ(std::string("\x5A\xA5"), ScratchFolder::Read(fallback));
    EXPECT_EQ(" 90 165 \n\n\n", ScratchFolder::Read(L"c:\\CARD_K.txt").substr(9));
    DeleteFileW(fallback.c_str());
}

class HeatTableText : public testing::Test {
protected:
    ScratchFolder folder{L"heattext"};
    std::wstring path = folder.File(L"tables.txt");
    const std::string text = "[PLANE_OT]\n  1   2   3 \n\n\n[PLANE_O]\n  4   5 \n\n\n[CARD_Y]\n300 -1\n";

    void SetUp() override { ASSERT_TRUE(ScratchFolder::Write(path, text)); }
    std::vector<BYTE> table = std::vector<BYTE>(64 + 4, kGuard);
    DWORD count = 12345;
    BOOL Read(LPCWSTR section, DWORD room = 64)
    {
        table.assign(room + 4, kGuard);
        BOOL ok = ReadTxtTable(path.c_str(), section, table.data(), room, &count);
        for (DWORD i = room; i < room + 4; ++i)
            EXPECT_EQ(kGuard, table[i]) << "guard " << i - room;
        return ok;
    }
    std::vector<BYTE> Values(DWORD n) const { return std::vector<BYTE>(table.begin(), table.begin() + n); }
};

TEST_F(HeatTableText, ASectionIsMatchedAsAWholeSectionLine)
{
    EXPECT_TRUE(Read(L"PLANE_O"));
    EXPECT_EQ(2u, count);
    EXPECT_EQ((std::vector<BYTE>{4, 5, 0}), Values(3));
    EXPECT_TRUE(Read(L"PLANE_OT"));
    EXPECT_EQ(3u, count);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), Values(3));
}

TEST_F(HeatTableText, ValuesKeepTheirLowEightBits)
{
    SetLastError(kMarker);
    EXPECT_TRUE(Read(L"CARD_Y"));
    EXPECT_EQ(2u, count);
    EXPECT_EQ((std::vector<BYTE>{44, 255}), Values(2));
}

TEST_F(HeatTableText, AMissingSectionIsEmpty)
{
    EXPECT_TRUE(Read(L"CARD_K"));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(std::vector<BYTE>(64, 0), Values(64));
    // Names inside another section line or out of place do not count.
    ASSERT_TRUE(ScratchFolder::Write(path, "[A]\nx[CARD_K]\n5 6\n[CARD_KO]\n7\n"));
    EXPECT_TRUE(Read(L"CARD_K"));
    EXPECT_EQ(0u, count);
}

TEST_F(HeatTableText, TheTableHoldsExactlyAsManyValuesAsItHasBytes)
{
    EXPECT_TRUE(Read(L"PLANE_OT", 3));
    EXPECT_EQ(3u, count);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), Values(3));
    EXPECT_TRUE(Read(L"PLANE_OT", 4));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 0}), Values(4));
    SetLastError(kMarker);
    EXPECT_FALSE(Read(L"PLANE_OT", 2));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ((std::vector<BYTE>{0, 0}), Values(2));
}

TEST_F(HeatTableText, ReadsBodiesOfEveryShape)
{
    const struct {
        const char* why;
        const char* text;
        LPCWSTR section;
        std::vector<BYTE> values;
    } cases[] = {
        {"text first counts one zero", "[CARD_C]\nabc 5 6\n", L"CARD_C", {0}},
        {"values stop where digits stop", "[CARD_C]\n7 +8 x 9\n", L"CARD_C", {7, 8}},
        {"an empty table reads back empty", "[CARD_C]\n\n\n\n[CARD_M]\n1\n", L"CARD_C", {}},
        {"the last section without a line feed", "[A]\n1\n[CARD_M]\n10 20 30", L"CARD_M", {10, 20, 30}},
        {"the last section with a line feed", "[A]\n1\n[CARD_M]\n10 20 30\n", L"CARD_M", {10, 20, 30}},
        {"a section line at the very end", "[A]\n1\n[CARD_M]", L"CARD_M", {}},
        {"carriage returns, first section", "[CARD_C]\r\n  1   2 \r\n\r\n\r\n[CARD_M]\r\n  3 \r\n", L"CARD_C", {1, 2}},
        {"carriage returns, last section", "[CARD_C]\r\n  1   2 \r\n\r\n\r\n[CARD_M]\r\n  3 \r\n", L"CARD_M", {3}},
        {"a name given with its brackets", "[CARD_C]\n4\n", L"[CARD_C]", {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(ScratchFolder::Write(path, c.text));
        EXPECT_TRUE(Read(c.section));
        EXPECT_EQ(c.values.size(), count);
        EXPECT_EQ(c.values, Values(DWORD(c.values.size())));
        EXPECT_EQ(std::vector<BYTE>(64 - c.values.size(), 0), std::vector<BYTE>(table.begin() + c.values.size(), table.begin() + 64));
    }
}

TEST_F(HeatTableText, MissingArgumentsAndFilesGiveFalse)
{
    SetLastError(kMarker);
    EXPECT_FALSE(ReadTxtTable(nullptr, L"CARD_Y", table.data(), 64, &count));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(ReadTxtTable(path.c_str(), nullptr, table.data(), 64, &count));
    SetLastError(kMarker);
    EXPECT_FALSE(ReadTxtTable(folder.File(L"none.txt").c_str(), L"CARD_Y", table.data(), 64, &count));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    std::wstring empty = folder.File(L"empty.txt");
    ASSERT_TRUE(ScratchFolder::Write(empty, ""));
    EXPECT_FALSE(ReadTxtTable(empty.c_str(), L"CARD_Y", table.data(), 64, &count));
    EXPECT_EQ(12345u, count);
}

TEST_F(HeatTableText, WhatTheWriterWritesTheReaderReads)
{
    DeleteFileW(L"c:\\CARD_Y.txt");
    std::vector<BYTE> written(40);
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = BYTE(255 - i * 3);
    ASSERT_EQ(0u, DumpHeatTable(20, written.data(), 40, 1, TRUE));
    path = L"c:\\CARD_Y.txt";
    EXPECT_TRUE(Read(L"CARD_Y"));
    EXPECT_EQ(40u, count);
    EXPECT_EQ(written, Values(40));
    EXPECT_FALSE(Read(L"CARD_Y", 32));
    EXPECT_EQ(40u, count);
    DeleteFileW(L"c:\\CARD_Y.txt");
    DeleteFileW(L"c:\\CARD_Y.bin");
}

class SectionText : public HeatTableText {
protected:
    std::wstring Body(LPCWSTR section, DWORD room, DWORD* copied)
    {
        std::vector<WCHAR> out(room + 4, L'#');
        *copied = ReadSectionText(section, out.data(), room, path.c_str());
        EXPECT_LE(*copied, room);
        for (DWORD i = *copied; i < room + 4; ++i)
            EXPECT_EQ(L'#', out[i]) << "past the copy at " << i;
        return std::wstring(out.data(), *copied);
    }
};

TEST_F(SectionText, CopiesTheBodyWithoutTerminatorUpToTheRoom)
{
    DWORD copied = 0;
    // The body ends before the line feed in front of the next section line.
    EXPECT_EQ(L"  4   5 \n\n", Body(L"PLANE_O", 64, &copied));
    EXPECT_EQ(10u, copied);
    EXPECT_EQ(L"  4   5 \n\n", Body(L"[PLANE_O]", 10, &copied));
    EXPECT_EQ(L"  4   5 \n\n", Body(L"PLANE_O", 11, &copied));
    EXPECT_EQ(L"  4   5 \n", Body(L"PLANE_O", 9, &copied));
    EXPECT_EQ(L"300 -1\n", Body(L"CARD_Y", 64, &copied));
}

TEST_F(SectionText, MissingPartsGiveZero)
{
    DWORD copied = 1;
    EXPECT_EQ(L"", Body(L"NONE", 64, &copied));
    EXPECT_EQ(0u, copied);
    WCHAR out[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(0u, ReadSectionText(L"CARD_Y", out, 0, path.c_str()));
    EXPECT_EQ(0u, ReadSectionText(nullptr, out, 4, path.c_str()));
    EXPECT_EQ(0u, ReadSectionText(L"CARD_Y", nullptr, 4, path.c_str()));
    EXPECT_EQ(0u, ReadSectionText(L"CARD_Y", out, 4, nullptr));
    EXPECT_EQ(0u, ReadSectionText(L"", out, 4, path.c_str()));
    EXPECT_EQ(0u, ReadSectionText(L"[]", out, 4, path.c_str()));
    EXPECT_EQ(L'#', out[0]);
}

// A valid text file changed at random, many times, and read section by
// section: every answer must be clean and stay inside the table.
TEST_F(HeatTableText, SurvivesRandomlyChangedFiles)
{
    const std::string seed = "[CARD_Y]\n  1   2   3 \n\n\n[PLANE_KO]\n300 -1 +7 \n\n\n[CARD_C]\n9\n";
    const char alphabet[] = "0123456789[]\n\r -+xCARD_YPLNEOK\t\x00\xFF";
    std::mt19937 random(77031);
    for (int round = 0; round < 800; ++round) {
        std::string bytes = seed;
        int changes = 1 + int(random() % 5);
        for (int c = 0; c < changes; ++c) {
            size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = alphabet[random() % (sizeof(alphabet) - 1)];
                break;
            case 1:
                bytes.insert(at, 1, alphabet[random() % (sizeof(alphabet) - 1)]);
                break;
            default:
                bytes.erase(at, 1 + random() % 4);
                break;
            }
            if (bytes.empty())
                bytes = "[";
        }
        ASSERT_TRUE(ScratchFolder::Write(path, bytes));
        for (LPCWSTR section : {L"CARD_Y", L"PLANE_KO", L"CARD_C", L"[CARD_C]"}) {
            DWORD room = 2 + DWORD(random() % 6);
            count = 12345;
            BOOL ok = Read(section, room);
            ASSERT_NE(12345u, count) << "round " << round;
            if (ok)
                ASSERT_LE(count, room) << "round " << round;
            else
                ASSERT_GT(count, room) << "round " << round;
        }
    }
}

} // namespace
