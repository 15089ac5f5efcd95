#include "Utilities.h"

#include "Platform.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <regex>
#include <string>

namespace {

const LPCWSTR kLog = L"C:/Vornex.log";
const LPCWSTR kTrimmed = L"C:/QelTrimTest.log";

std::wstring ReadUtf16(LPCWSTR path)
{
    std::string bytes = ScratchFolder::Read(path);
    EXPECT_EQ(0u, bytes.size() % 2) << "odd byte count";
    return std::wstring(reinterpret_cast<const WCHAR*>(bytes.data()), bytes.size() / 2);
}

bool WriteUtf16(LPCWSTR path, const std::wstring& text)
{
    return ScratchFolder::Write(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}

class GeneralLog : public testing::Test {
protected:
    void SetUp() override { DeleteFileW(kLog); }
    void TearDown() override { DeleteFileW(kLog); }
};

TEST_F(GeneralLog, AppendsOneStampedUtf16LineACall)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    WriteGeneralLog(L"Ribbon", L"%ls = %d", L"Type", 5);
    WriteGeneralLog(L"Tag2", L"second");
    std::string raw = ScratchFolder::Read(kLog);
    ASSERT_GE(raw.size(), 2u);
    // No byte-order mark: the file starts with '[' in UTF-16LE.
    EXPECT_EQ('[', raw[0]);
    EXPECT_EQ('\0', raw[1]);

    std::wstring text = ReadUtf16(kLog);
    std::wregex line(L"\\[(\\d{4})/(\\d{2})/(\\d{2}), \\d{2}:\\d{2}:\\d{2}\\] \\(Ribbon\\) Type = 5\n"
                     L"\\[\\d{4}/\\d{2}/\\d{2}, \\d{2}:\\d{2}:\\d{2}\\] \\(Tag2\\) second\n");
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << std::string(text.begin(), text.end());
    EXPECT_EQ(before.wYear, std::stoi(match[1].str()));
    EXPECT_EQ(before.wMonth, std::stoi(match[2].str()));
}

TEST_F(GeneralLog, ALongLineIsCutBetweenWholeCharactersAndKeepsItsLineFeed)
{
    // The stamp and "(T) " take 27 characters; the line's room is 512.
    std::wstring message(482, L'a');
    message += L"\xD83D\xDE00";  // a pair that the cut at 510 characters would split
    message += std::wstring(100, L'b');
    WriteGeneralLog(L"T", L"%ls", message.c_str());
    std::wstring text = ReadUtf16(kLog);
    ASSERT_EQ(510u, text.size());
    EXPECT_EQ(L'\n', text.back());
    EXPECT_EQ(L'a', text[508]);
    EXPECT_EQ(std::wstring::npos, text.find(L'\xD83D'));

    DeleteFileW(kLog);
    WriteGeneralLog(L"T", L"%ls", std::wstring(3000, L'c').c_str());
    text = ReadUtf16(kLog);
    ASSERT_EQ(511u, text.size());
    EXPECT_EQ(L'\n', text.back());
    EXPECT_EQ(L'c', text[509]);
}

TEST_F(GeneralLog, FallsBackToTheSpoolDirectory)
{
    // A folder in the log's place keeps it off the root of C:.
    ASSERT_TRUE(CreateDirectoryW(kLog, nullptr));
    WCHAR spool[256];
    GetSpoolDirectory(nullptr, spool);
    ASSERT_NE(L'\0', spool[0]);
    std::wstring fallback = std::wstring(spool) + L"/Vornex.log";
    DeleteFileW(fallback.c_str());
    WriteGeneralLog(L"Fallback", L"here");
    std::wstring text = ReadUtf16(fallback.c_str());
    EXPECT_NE(std::wstring::npos, text.find(L"] (Fallback) here\n")) << text.size();
    DeleteFileW(fallback.c_str());
    RemoveDirectoryW(kLog);
}

class TrimLog : public testing::Test {
protected:
    void SetUp() override { DeleteFileW(kTrimmed); }
    void TearDown() override { DeleteFileW(kTrimmed); }
    // Lines of 20 characters: "line NN " and filler, ending in a line feed.
    static std::wstring Lines(int count, WCHAR filler)
    {
        std::wstring text;
        for (int i = 0; i < count; ++i) {
            WCHAR head[16];
            swprintf(head, 16, L"line %02d ", i);
            text += head + std::wstring(11, filler) + L"\n";
        }
        return text;
    }
};

TEST_F(TrimLog, KeepsTheLastWholeLinesWithinHalfTheLimit)
{
    std::wstring text = Lines(100, L'x');
    ASSERT_TRUE(WriteUtf16(kTrimmed, text));
    TrimLogFile(L"QelTrimTest", 1000);
    // 500 bytes hold 12.5 lines of 40 bytes: the broken line goes.
    EXPECT_EQ(text.substr(text.size() - 12 * 20), ReadUtf16(kTrimmed));
}

TEST_F(TrimLog, FindsLineEndsOnCharacterBoundariesOnly)
{
    // U+0A0A and U+010A hold the byte 0x0A; an odd half limit must not split a character.
    std::wstring text = Lines(100, L'\x0A0A');
    for (size_t i = 0; i < text.size(); i += 7)
        if (text[i] != L'\n')
            text[i] = L'\x010A';
    ASSERT_TRUE(WriteUtf16(kTrimmed, text));
    TrimLogFile(L"QelTrimTest", 1002);
    std::wstring kept = ReadUtf16(kTrimmed);
    EXPECT_EQ(text.substr(text.size() - 12 * 20), kept);
}

TEST_F(TrimLog, AShortFileStaysAsItIs)
{
    std::wstring text = Lines(10, L'y');
    ASSERT_TRUE(WriteUtf16(kTrimmed, text));
    TrimLogFile(L"QelTrimTest", DWORD(text.size() * 2));
    EXPECT_EQ(text, ReadUtf16(kTrimmed));
}

TEST_F(TrimLog, ALineLongerThanTheSearchKeepsWholeSurrogatePairs)
{
    // 1000 pairs on one line: no line end within 1023 bytes of the cut.
    std::wstring text;
    for (int i = 0; i < 1000; ++i)
        text += L"\xD83D\xDE00";
    text += L"\nend\n";
    ASSERT_TRUE(WriteUtf16(kTrimmed, text));
    TrimLogFile(L"QelTrimTest", 4000);
    std::wstring kept = ReadUtf16(kTrimmed);
    ASSERT_FALSE(kept.empty());
    EXPECT_LE(kept.size() * 2, 2000u);
    EXPECT_EQ(L'\xD83D', kept.front());
    EXPECT_EQ(text.substr(text.size() - kept.size()), kept);
}

} // namespace
