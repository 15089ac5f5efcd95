#include "UsbLink.h"
#include "Platform.h"
#include "TempLogFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const DWORD MARKER = 0x5EED0104;

std::string Narrow(LPCWSTR text)
{
    char out[1024];
    return WideToAnsi(out, text, sizeof(out)) ? out : "";
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string SpoolDirectory()
{
    WCHAR spool[256];
    GetSpoolDirectory(nullptr, spool);
    return Narrow(spool);
}

std::string Unique(const char* stem)
{
    char name[128];
    snprintf(name, sizeof(name), "%s_%lu", stem, GetCurrentProcessId());
    return name;
}

// The banner as it must read at local time t.
std::string Banner(const char* word, const SYSTEMTIME& t)
{
    char line[128];
    snprintf(line, sizeof(line), "========================== %s  [%04d/%02d/%02d], [%02d:%02d:%02d] ========================",
             word, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return line;
}

// Banner written between the two clock readings.
void ExpectBanner(const std::string& line, const char* word, const SYSTEMTIME& before, const SYSTEMTIME& after)
{
    EXPECT_TRUE(line == Banner(word, before) || line == Banner(word, after)) << line;
}

// The hex dump lines of a block, as the log must show them.
std::vector<std::string> DumpLines(const BYTE* data, size_t count, const char* firstPrefix)
{
    std::vector<std::string> lines;
    std::string line = firstPrefix;
    for (size_t i = 0; i < count; ++i) {
        if (i != 0 && i % 16 == 0) {
            lines.push_back(line);
            line = "   ";
        }
        char hex[4];
        snprintf(hex, sizeof(hex), "%02X ", data[i]);
        line += hex;
    }
    lines.push_back(line);
    return lines;
}

class PacketLog : public testing::Test {
protected:
    CTempLogFile file{"PacketLog"};
    CUsbLink link;

    void Enable(int level, BOOL banner = FALSE)
    {
        link.SetLogEnable(level, file.GetPath(), banner);
        ASSERT_NE(nullptr, link.m_fpLog);
    }
    std::vector<std::string> Lines() { return file.ReadLines(); }
};

TEST_F(PacketLog, NewLinkHasNoLogAndWritesNothing)
{
    EXPECT_EQ(0u, link.m_dwLogLevel);
    EXPECT_EQ(nullptr, link.m_fpLog);
    EXPECT_STREQ("", link.m_szLogFileName);
    EXPECT_EQ(0, link.m_bLogBanner);

    const BYTE packet[] = {0x1B, 'D', 'd', 'm', 0x0D};
    SetLastError(MARKER);
    link.WriteLog(1, L"never written\n");
    link.LogPacket(1, packet, sizeof(packet), LOG_DIR_WRITE);
    link.ReopenLog();
    link.CloseLog();
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_fpLog);
}

TEST_F(PacketLog, SwitchingOffALinkWithoutLogOnlyClearsLevelAndName)
{
    strcpy(link.m_szLogFileName, file.GetPathA().c_str());
    link.m_dwLogLevel = 3;

    SetLastError(MARKER);
    link.SetLogEnable(0, nullptr, FALSE);

    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(0u, link.m_dwLogLevel);
    EXPECT_STREQ("", link.m_szLogFileName);
    EXPECT_EQ(nullptr, link.m_fpLog);
    EXPECT_FALSE(file.Exists());
}

TEST_F(PacketLog, StartBannerThenRecordsUpToTheLevel)
{
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    SetLastError(MARKER);
    link.SetLogEnable(2, file.GetPath(), TRUE);
    GetLocalTime(&after);
    EXPECT_EQ(MARKER, GetLastError());
    ASSERT_NE(nullptr, link.m_fpLog);
    EXPECT_EQ(2u, link.m_dwLogLevel);
    EXPECT_EQ(1, link.m_bLogBanner);
    EXPECT_EQ(file.GetPathA(), link.m_szLogFileName);

    link.WriteLog(1, L"level %d\n", 1);
    link.WriteLog(2, L"level %d\n", 2);
    link.WriteLog(3, L"level %d\n", 3);
    link.WriteLog(5, L"level %d\n", 5);
    EXPECT_EQ(MARKER, GetLastError());

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(4u, lines.size());
    ExpectBanner(lines[0], "Start", before, after);
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ("level 1", lines[2]);
    EXPECT_EQ("level 2", lines[3]);
}

TEST_F(PacketLog, NoStartBannerWithoutTheFlag)
{
    Enable(1, FALSE);
    link.WriteLog(1, L"first\n");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("first", lines[0]);
}

TEST_F(PacketLog, EveryRecordIsAppendedToWhatTheFileHeld)
{
    HANDLE h = CreateFileW(file.GetPath(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, "earlier\r\n", 9, &written, nullptr);
    CloseHandle(h);

    Enable(1);
    link.WriteLog(1, L"later\n");
    EXPECT_EQ("earlier\r\nlater\r\n", file.Read());
}

TEST_F(PacketLog, AnOpenLogKeepsItsFileWhenEnabledAgain)
{
    Enable(1, TRUE);
    CTempLogFile other("PacketLogOther");
    link.SetLogEnable(3, other.GetPath(), TRUE);
    EXPECT_EQ(3u, link.m_dwLogLevel);
    EXPECT_EQ(file.GetPathA(), link.m_szLogFileName);
    link.WriteLog(3, L"level three\n");

    EXPECT_FALSE(other.Exists());
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(3u, lines.size()) << "one start banner only";
    EXPECT_EQ("level three", lines[2]);
}

TEST_F(PacketLog, SwitchingOffWritesTheEndBannerWhateverTheFlag)
{
    Enable(1, TRUE);
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    SetLastError(MARKER);
    link.SetLogEnable(0, nullptr, FALSE);
    GetLocalTime(&after);

    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_fpLog);
    EXPECT_EQ(0u, link.m_dwLogLevel);
    EXPECT_STREQ("", link.m_szLogFileName);
    EXPECT_EQ(0, link.m_bLogBanner);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(4u, lines.size());
    ExpectBanner(lines[2], "End", before, after);
    EXPECT_EQ("", lines[3]);

    link.WriteLog(1, L"after the end\n");
    EXPECT_EQ(4u, Lines().size());
}

TEST(PacketLogLifetime, DestroyingALinkWritesTheEndBannerOnlyWithTheFlag)
{
    CTempLogFile withFlag("PacketLogEnd"), withoutFlag("PacketLogNoEnd");
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    {
        CUsbLink a, b;
        a.SetLogEnable(1, withFlag.GetPath(), TRUE);
        b.SetLogEnable(1, withoutFlag.GetPath(), FALSE);
        ASSERT_NE(nullptr, a.m_fpLog);
        ASSERT_NE(nullptr, b.m_fpLog);
        b.WriteLog(1, L"only record\n");
    }
    GetLocalTime(&after);

    std::vector<std::string> lines = withFlag.ReadLines();
    ASSERT_EQ(4u, lines.size());
    ExpectBanner(lines[0], "Start", before, after);
    ExpectBanner(lines[2], "End", before, after);
    EXPECT_EQ("only record\r\n", withoutFlag.Read());
    // Both files are closed: nothing holds them open against deletion.
    EXPECT_TRUE(DeleteFileW(withFlag.GetPath()));
    EXPECT_TRUE(DeleteFileW(withoutFlag.GetPath()));
}

TEST(PacketLogNames, ANameWithoutLogExtensionGoesToTheRootOfC)
{
    std::string stem = Unique("QelLinkNameRule");
    std::string expected = "c:\\" + stem + ".log";
    {
        CUsbLink link;
        link.SetLogEnable(1, Wide(stem).c_str(), FALSE);
        ASSERT_NE(nullptr, link.m_fpLog);
        EXPECT_EQ(expected, link.m_szLogFileName);
        link.WriteLog(1, L"rooted\n");
    }
    EXPECT_EQ("rooted\r\n", ReadWholeFile(Wide(expected).c_str()));
    EXPECT_TRUE(DeleteFileA(expected.c_str()));
}

TEST(PacketLogNames, NoNameIsTheDefaultLogOfC)
{
    // Other programs may append to the shared default log at the same time:
    // only this record is looked for.
    std::string marker = Unique("default log record");
    {
        CUsbLink link;
        link.SetLogEnable(1, nullptr, FALSE);
        ASSERT_NE(nullptr, link.m_fpLog);
        EXPECT_STREQ("c:\\QelCmd.log", link.m_szLogFileName);
        link.WriteLog(1, L"%hs\n", marker.c_str());
    }
    EXPECT_NE(std::string::npos, ReadWholeFile(L"c:\\QelCmd.log").find(marker + "\r\n"));
}

TEST(PacketLogNames, AnEmptyNameIsTheDefaultToo)
{
    CUsbLink link;
    link.SetLogEnable(1, L"", FALSE);
    ASSERT_NE(nullptr, link.m_fpLog);
    EXPECT_STREQ("c:\\QelCmd.log", link.m_szLogFileName);
}

TEST(PacketLogNames, AnUnopenableNameMovesToTheSpoolDirectory)
{
    std::string spool = SpoolDirectory();
    ASSERT_FALSE(spool.empty()) << "the prefix has a default spool directory";
    std::string folder = Unique("QelLinkSpool");
    std::string inSpool = spool + "\\" + folder;
    CreateDirectoryA(spool.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA(inSpool.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::string expected = inSpool + "\\a.log";
    {
        CUsbLink link;
        SetLastError(MARKER);
        link.SetLogEnable(1, Wide("c:\\" + folder + "\\a.log").c_str(), TRUE);
        EXPECT_EQ(MARKER, GetLastError());
        ASSERT_NE(nullptr, link.m_fpLog);
        EXPECT_EQ(expected, link.m_szLogFileName);
        link.WriteLog(1, L"in the spool directory\n");
    }
    std::vector<std::string> lines = SplitCrLf(ReadWholeFile(Wide(expected).c_str()));
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(0u, lines[0].find("========================== Start  ["));
    EXPECT_EQ("in the spool directory", lines[2]);
    EXPECT_EQ(0u, lines[3].find("========================== End  ["));
    EXPECT_TRUE(DeleteFileA(expected.c_str()));
    EXPECT_TRUE(RemoveDirectoryA(inSpool.c_str()));
}

TEST(PacketLogNames, NoPlaceAtAllLeavesTheLogSilent)
{
    std::string folder = Unique("QelLinkNowhere");
    CUsbLink link;
    SetLastError(MARKER);
    link.SetLogEnable(2, Wide("c:\\" + folder + "\\b.log").c_str(), TRUE);
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_fpLog);
    EXPECT_EQ(2u, link.m_dwLogLevel);
    EXPECT_EQ(SpoolDirectory() + "\\" + folder + "\\b.log", link.m_szLogFileName);

    const BYTE packet[] = {1, 'O', 'K', 0};
    link.WriteLog(1, L"nowhere\n");
    link.LogPacket(1, packet, sizeof(packet), LOG_DIR_READ);
    EXPECT_EQ(MARKER, GetLastError());
}

TEST(PacketLogNames, ANameTooLongForTheBufferOpensNothing)
{
    const std::wstring names[] = {L"c:\\" + std::wstring(300, L'n') + L".log", std::wstring(300, L'm'),
                                  L"c:\\" + std::wstring(252, L'b') + L".log"};
    for (const std::wstring& name : names) {
        CUsbLink link;
        SetLastError(MARKER);
        link.SetLogEnable(1, name.c_str(), FALSE);
        EXPECT_EQ(MARKER, GetLastError());
        EXPECT_EQ(nullptr, link.m_fpLog);
        EXPECT_EQ(1u, link.m_dwLogLevel);
        EXPECT_STREQ("", link.m_szLogFileName) << "no shortened name is kept";
    }
}

TEST_F(PacketLog, CloseKeepsTheLevelAndReopenAppendsToTheSameFile)
{
    Enable(2);
    link.WriteLog(1, L"one\n");
    SetLastError(MARKER);
    link.CloseLog();
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_fpLog);
    EXPECT_EQ(2u, link.m_dwLogLevel);
    link.WriteLog(1, L"lost\n");

    link.ReopenLog();
    EXPECT_EQ(MARKER, GetLastError());
    ASSERT_NE(nullptr, link.m_fpLog);
    link.WriteLog(2, L"two\n");
    EXPECT_EQ("one\r\ntwo\r\n", file.Read());
}

TEST_F(PacketLog, ReopeningClosesTheStreamItReplaces)
{
    Enable(1);
    link.ReopenLog();
    link.ReopenLog();
    link.WriteLog(1, L"once\n");
    link.CloseLog();
    EXPECT_EQ("once\r\n", file.Read());
    // A stream left open by a reopen would keep the file from being deleted.
    EXPECT_TRUE(DeleteFileW(file.GetPath())) << GetLastError();
}

TEST_F(PacketLog, ARecordIsCutAtTheLineBuffer)
{
    Enable(1);
    std::wstring longText(5000, L'x');
    link.WriteLog(1, L"%ls\n", longText.c_str());
    link.WriteLog(1, L"next\n");
    EXPECT_EQ(std::string(4095, 'x') + "next\r\n", file.Read());
}

TEST_F(PacketLog, ARecordIsWrittenInTheActiveCodePage)
{
    Enable(1);
    link.WriteLog(1, L"%ls = %d, %hs\n", L"Caf\u00e9", -7, "narrow");
    char expected[64];
    ASSERT_NE(nullptr, WideToAnsi(expected, L"Caf\u00e9 = -7, narrow\r\n", sizeof(expected)));
    EXPECT_EQ(expected, file.Read());
}

TEST_F(PacketLog, ACommandHeaderIsOneLineOfItsText)
{
    Enable(1);
    const BYTE header[] = {0x1B, 'D', 'd', 'm', 0x0D};
    SetLastError(MARKER);
    link.LogPacket(1, header, sizeof(header), LOG_DIR_WRITE);
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(">> <1B>Ddm<0D>\r\n", file.Read());
}

TEST_F(PacketLog, AHeaderTextEndsWithThePacketNotAtANul)
{
    Enable(1);
    const BYTE memory[] = {0x1B, 'D', 's', ';', '2', 0x0D, 'Z', 'Z', 'Z', 'Z'};
    link.LogPacket(1, memory, 6, LOG_DIR_WRITE);
    const BYTE tiny[] = {0x1B, 0x0D, 'Y'};
    link.LogPacket(1, tiny, 2, LOG_DIR_WRITE);
    link.LogPacket(1, tiny, 1, LOG_DIR_WRITE);
    EXPECT_EQ(">> <1B>Ds;2<0D>\r\n>> <1B><0D>\r\n>> <1B><1B>\r\n", file.Read());
}

TEST_F(PacketLog, AHeaderTextShowsAtMost511Characters)
{
    Enable(1);
    std::vector<BYTE> header(600, 'h');
    header[0] = 0x1B;
    header.back() = 0x0D;
    link.LogPacket(1, header.data(), (DWORD)header.size(), LOG_DIR_WRITE);
    EXPECT_EQ(">> <1B>" + std::string(511, 'h') + "<0D>\r\n", file.Read());
}

TEST_F(PacketLog, ATextReplyShowsItsBytesAndItsText)
{
    Enable(1);
    const BYTE reply[14] = {1, 'V', '1', '.', '0', '2', '.', '0', '3', ' ', 'o', 'k', '!', 0};
    link.LogPacket(1, reply, sizeof(reply), LOG_DIR_READ);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("<< 01 56 31 2E 30 32 2E 30 33 20 6F 6B 21 00 ", lines[0]);
    EXPECT_EQ("== V1.02.03 ok!", lines[1]);
}

TEST_F(PacketLog, AReplyTextEndsWithThePacketAndAt511Characters)
{
    Enable(1);
    const BYTE memory[] = {1, 'O', 'K', 'Z', 'Z'};
    link.LogPacket(1, memory, 3, LOG_DIR_READ);
    std::vector<BYTE> longReply(600, 'r');
    longReply[0] = 1;
    link.LogPacket(1, longReply.data(), (DWORD)longReply.size(), LOG_DIR_READ);

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(2u + 38u + 1u, lines.size());
    EXPECT_EQ("<< 01 4F 4B ", lines[0]);
    EXPECT_EQ("== OK", lines[1]);
    EXPECT_EQ("== " + std::string(511, 'r'), lines.back());
}

TEST_F(PacketLog, AStatusBlockIsOnlyADump)
{
    Enable(1);
    const BYTE block[20] = {2, 0, 0, 0, 0, 7, 0xAB, 0xCD, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x10, 0x01, 0x1B};
    link.LogPacket(1, block, sizeof(block), LOG_DIR_READ);
    EXPECT_EQ("<< 02 00 00 00 00 07 AB CD 00 00 00 00 00 00 00 00 \r\n   FF 10 01 1B \r\n", file.Read());
}

TEST_F(PacketLog, AnyOtherDirectionIsMarkedAsSuch)
{
    Enable(1);
    const BYTE data[] = {0x1B, 'A', 0x0D};
    link.LogPacket(1, data, sizeof(data), LOG_DIR_OTHER);
    link.LogPacket(1, data, sizeof(data), 7);
    EXPECT_EQ("=> 1B 41 0D \r\n=> 1B 41 0D \r\n", file.Read());
}

TEST_F(PacketLog, EmptyPacketsStartAndEndTheirLine)
{
    Enable(1);
    const BYTE any = 0;
    link.LogPacket(1, &any, 0, LOG_DIR_WRITE);
    link.LogPacket(1, &any, 0, LOG_DIR_READ);
    link.LogPacket(1, &any, 0, LOG_DIR_OTHER);
    link.LogPacket(1, &any, 0, 9);
    EXPECT_EQ(">> \r\n<< \r\n=> \r\n\r\n=> \r\n", file.Read());
}

TEST_F(PacketLog, A2000ByteWriteIsTwoBlocksOfSixteenValuesALine)
{
    Enable(5);
    std::vector<BYTE> data(2000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 7 + 3);
    link.LogPacket(5, data.data(), (DWORD)data.size(), LOG_DIR_WRITE);

    std::vector<std::string> expected = {">> "};
    std::vector<std::string> first = DumpLines(data.data(), 1024, "");
    std::vector<std::string> second = DumpLines(data.data() + 1024, 976, "");
    expected.insert(expected.end(), first.begin(), first.end());
    expected.insert(expected.end(), second.begin(), second.end());
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(1u + 64u + 61u, lines.size());
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(0u, lines[66].find("   "));
}

TEST_F(PacketLog, ABlockOf1024BytesStaysOnThePrefixLine)
{
    Enable(1);
    std::vector<BYTE> exact(1024, 0x5A), over(1025, 0xA5);
    link.LogPacket(1, exact.data(), (DWORD)exact.size(), LOG_DIR_READ);
    link.LogPacket(1, over.data(), (DWORD)over.size(), LOG_DIR_READ);

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(64u + 1u + 64u + 1u, lines.size());
    EXPECT_EQ(DumpLines(exact.data(), 16, "<< ")[0], lines[0]);
    EXPECT_EQ("<< ", lines[64]);
    EXPECT_EQ("A5 ", lines.back());
}

TEST_F(PacketLog, NothingAboveTheLevelOrWithoutData)
{
    Enable(2);
    const BYTE data[] = {1, 2, 3};
    link.LogPacket(3, data, sizeof(data), LOG_DIR_WRITE);
    link.LogPacket(5, data, sizeof(data), LOG_DIR_WRITE);
    link.LogPacket(1, nullptr, 3, LOG_DIR_WRITE);
    link.WriteLog(1, nullptr);
    link.LogPacket(2, data, sizeof(data), LOG_DIR_WRITE);
    EXPECT_EQ(">> 01 02 03 \r\n", file.Read());
}

TEST_F(PacketLog, TransfersOfALinkWithoutDeviceLeaveTheirRecords)
{
    Enable(2);
    BYTE buffer[512];
    DWORD count = 77;
    const BYTE header[] = {0x1B, 'D', 'q', 0x0D};

    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, link.ReadData(buffer, sizeof(buffer), &count));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, link.WriteData(header, sizeof(header), &count));
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("Begin CUsbLink::ReadData, dwBytesToRead = 512, m_hPipe = 0, m_dwTimeOutR = 5000,", lines[0]);
    EXPECT_EQ("Begin CUsbLink::WriteData(), dwBytesToWrite = 4, m_hPipe = 0, m_dwTimeOutW = 5000,", lines[1]);
}

} // namespace
