#include "QelCmdTestSupport.h"

#include <climits>
#include <cstring>

namespace {

// ---- Frames on the wire, over both transports ----

class CommandFrame : public testing::TestWithParam<CmdTransport> {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(GetParam())); }
    CmdOverEmulator p;
};

TEST_P(CommandFrame, SkipsAbsentAndEmptyParametersOneByOne)
{
    p.emu.Reply("Ds;2", "YMCKO");
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.DoCommand("Ds", "", "2"));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(0u, p.cmd.DoCommand("Dwz", NULL, "u", NULL, "1"));
    EXPECT_EQ(0u, p.cmd.DoCommand("Swz", "u", "3", "-4"));
    EXPECT_EQ(0u, p.cmd.DoCommand("Xab", "1", "2", "3", "4"));

    std::vector<EmuFrame> frames = p.ExactFrames(4);
    ASSERT_EQ(4u, frames.size());
    EXPECT_EQ(std::string("\x1B" "Ds;2\r"), frames[0].raw);
    EXPECT_EQ(std::string("\x1B" "Dwz;u;1\r"), frames[1].raw);
    EXPECT_EQ(std::string("\x1B" "Swz;u;3;-4\r"), frames[2].raw);
    EXPECT_EQ(std::string("\x1B" "Xab;1;2;3;4\r"), frames[3].raw);

    const BYTE* header = NULL;
    DWORD length = 0;
    p.cmd.GetCommandHeader(&header, &length);
    ASSERT_EQ(13u, length);
    EXPECT_EQ(0, memcmp(header, "\x1BXab;1;2;3;4\r", 13));
    EXPECT_EQ(13u, p.cmd.m_dwSentHeader);
    p.cmd.GetCommandHeader(NULL, NULL);
}

TEST_P(CommandFrame, TakesARequestTextOf255BytesAndRefusesOneMore)
{
    std::string word(250, 'D');
    // 250 + ";" + 4 = 255 bytes of request text.
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.DoCommand(word.c_str(), "abcd"));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(257u, p.cmd.m_dwLenHeader);

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.DoCommand(word.c_str(), "abcde"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.DoCommand(std::string(256, 'D').c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("\x1B" + word + ";abcd\r", frames[0].raw);
    // The refused requests left the last exchange's header and result alone.
    EXPECT_EQ(257u, p.cmd.m_dwLenHeader);
    EXPECT_EQ(0u, p.cmd.GetLastErrorCode());
}

TEST_P(CommandFrame, RefusesMissingCommandAndDataWithoutBytes)
{
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.DoCommand(NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.DoCommand(""));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.DoCommand("Xcb", "4", NULL, NULL, NULL, NULL, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0u, p.ExactFrames(0).size());
}

TEST_P(CommandFrame, ReportsRejectionWordsOnlyOnBulkExchanges)
{
    p.emu.SetDefaultStep(EmuText("CMD ERR"));
    BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.DoCommand("Dxh"));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(0u, p.cmd.GetLastErrorCode());
    const BYTE* reply = NULL;
    DWORD replyLength = 0;
    p.cmd.GetResponse(&reply, &replyLength);
    ASSERT_EQ(9u, replyLength);
    EXPECT_EQ(0, memcmp(reply, "\x01" "CMD ERR", 9));

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(ERR_FW_CMD, p.cmd.DoCommand("Xcb", "8", "a", "y", NULL, data, sizeof(data)));
    EXPECT_EQ(ERR_FW_CMD, GetLastError());
    EXPECT_EQ(ERR_FW_CMD, p.cmd.GetLastErrorCode());
    EXPECT_EQ(0u, p.cmd.m_dwSentData);
    EXPECT_EQ(0u, p.cmd.m_dwKeptData);

    std::vector<EmuFrame> frames = p.ExactFrames(2);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ("Xcb;8;a;y", frames[1].request);
    EXPECT_TRUE(frames[1].bulk.empty());
}

TEST_P(CommandFrame, SendsBulkDataAfterOkAndKeepsItsFirst512Bytes)
{
    std::string block(1000, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7);
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xrt", EmuBulk("xxOKyy", 1000));

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.DoCommand("Xrt", "1000", "a", NULL, NULL, reinterpret_cast<const BYTE*>(block.data()), 1000));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(1000u, p.cmd.m_dwSentData);
    EXPECT_EQ(512u, p.cmd.m_dwKeptData);
    const BYTE* kept = NULL;
    DWORD sent = 0;
    p.cmd.GetSentData(&kept, &sent);
    EXPECT_EQ(1000u, sent);
    EXPECT_EQ(0, memcmp(kept, block.data(), 512));

    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("Xrt;1000;a", frames[0].request);
    EXPECT_EQ(block, frames[0].bulk);
}

TEST_P(CommandFrame, KeepsShortBulkDataWhole)
{
    const BYTE data[3] = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(0u, p.cmd.DoCommand("Xci", "3", "1", NULL, NULL, data, 3));
    EXPECT_EQ(3u, p.cmd.m_dwKeptData);
    EXPECT_EQ(3u, p.cmd.m_dwSentData);
    EXPECT_EQ(0, memcmp(p.cmd.m_bySentData, data, 3));
    EXPECT_EQ(0, p.cmd.m_bySentData[3]);
}

INSTANTIATE_TEST_SUITE_P(Transports, CommandFrame, testing::Values(CMD_OVER_TCP, CMD_OVER_USB), CmdTransportName);

// ---- The bulk resend rules ----

class BulkResend : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    CmdOverEmulator p;
    const BYTE data[4] = {9, 8, 7, 6};
};

TEST_F(BulkResend, MapsEveryRejectionWordToItsCodeInOrder)
{
    struct Case {
        const char* reply;
        DWORD code;
    } cases[] = {
        {"CMD ERR", ERR_FW_CMD},
        {"x PARA ERR", ERR_FW_PARA},
        {"TASK NOT CREATED", ERR_FW_TASK_NOT_CREATED},
        {"NACK!", ERR_FW_NACK},
        {"MEM FULL", ERR_FW_MEM_FULL},
        // The first word of the search order decides.
        {"NACK PARA ERR", ERR_FW_PARA},
        {"MEM FULL CMD ERR", ERR_FW_CMD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuText(c.reply));
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(c.code, p.cmd.DoCommand("Xcb", "4", "a", "y", NULL, data, 4));
        EXPECT_EQ(c.code, GetLastError());
        EXPECT_EQ(0u, p.cmd.m_dwSentData);
    }
    std::vector<EmuFrame> frames = p.ExactFrames(7);
    ASSERT_EQ(7u, frames.size());
    for (const EmuFrame& f : frames)
        EXPECT_TRUE(f.bulk.empty());
}

TEST_F(BulkResend, OkWinsOverEveryRejectionWord)
{
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("NACK OK", 4));
    EXPECT_EQ(0u, p.cmd.DoCommand("Xcb", "4", "a", "y", NULL, data, 4));
    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(std::string("\x09\x08\x07\x06"), frames[0].bulk);
}

TEST_F(BulkResend, ResendsAfterTaskUnavailableFollowedByLettersAfterASecond)
{
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuText("TASK UNAVAILABLE"));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 4));
    EXPECT_EQ(0u, p.cmd.DoCommand("Xcb", "4", "a", "y", NULL, data, 4));

    std::vector<EmuFrame> frames = p.ExactFrames(2);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(frames[0].raw, frames[1].raw);
    EXPECT_GE(frames[1].timeMs - frames[0].replyMs + kClockSlackMs, 1000u);
    EXPECT_EQ(4u, frames[1].bulk.size());
}

TEST_F(BulkResend, ResendsAfterHalfASecondWhenNotReadyAndAtOnceOtherwise)
{
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuNotReady());
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBytes(StatusBlock({{5, 1}})));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuText("WAIT"));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 4));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.DoCommand("Xcb", "4", "a", "y", NULL, data, 4));
    EXPECT_EQ(kLastErrorMarker, GetLastError());

    std::vector<EmuFrame> frames = p.ExactFrames(4);
    ASSERT_EQ(4u, frames.size());
    EXPECT_GE(frames[1].timeMs - frames[0].replyMs + kClockSlackMs, 500u);
    EXPECT_LT(frames[2].timeMs - frames[1].replyMs, 400u);
    EXPECT_LT(frames[3].timeMs - frames[2].replyMs, 400u);
    EXPECT_EQ(4u, frames[3].bulk.size());
    EXPECT_EQ(4u, p.cmd.m_dwSentData);
}

TEST_F(BulkResend, GivesUpAfterItsResendLimitWithoutSendingData)
{
    p.emu.SetStanding(EMU_MATCH_COMMAND, "Xcb", EmuBytes(StatusBlock({{5, 3}})));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.DoCommand("Xcb", "4", "a", "y", NULL, data, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.GetLastErrorCode());
    EXPECT_EQ(0u, p.cmd.m_dwSentData);

    std::vector<EmuFrame> frames = p.ExactFrames(QEL_BULK_MAX_RESENDS + 1);
    EXPECT_EQ(QEL_BULK_MAX_RESENDS + 1, frames.size());
    for (const EmuFrame& f : frames)
        EXPECT_TRUE(f.bulk.empty());

    ASSERT_NE(nullptr, p.link.m_hMutexRW);
    EXPECT_TRUE(IsFreeForAnotherThread(p.link.m_hMutexRW));
}

// ---- The link underneath ----

// Holds a mutex on a thread of its own until told to let it go.
struct MutexHolder {
    HANDLE mutex = NULL;
    HANDLE held = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE release = CreateEventW(NULL, TRUE, FALSE, NULL);
    static DWORD WINAPI Run(LPVOID self)
    {
        MutexHolder* h = static_cast<MutexHolder*>(self);
        if (WaitForSingleObject(h->mutex, kRecordWaitMs) == WAIT_OBJECT_0) {
            SetEvent(h->held);
            WaitForSingleObject(h->release, 2 * kRecordWaitMs);
            ReleaseMutex(h->mutex);
        }
        SetEvent(h->held);
        return 0;
    }
    ~MutexHolder()
    {
        CloseHandle(held);
        CloseHandle(release);
    }
};

TEST(CommandLink, WithoutLinkGivesInvalidHandleAndSendsNothing)
{
    CQelCmd cmd;
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), cmd.DoCommand("Ddm"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), cmd.GetLastErrorCode());
    EXPECT_EQ(0u, cmd.m_dwLenHeader);
}

TEST(CommandLink, ConstructorStartsEmpty)
{
    CQelCmd cmd;
    EXPECT_EQ(nullptr, cmd.m_pUsbLink);
    EXPECT_EQ(0, cmd.m_bAltErrorNotify);
    EXPECT_EQ(nullptr, cmd.m_pfnErrorCallback);
    EXPECT_EQ(0u, cmd.m_dwLenHeader + cmd.m_dwKeptData + cmd.m_dwSentHeader + cmd.m_dwSentData + cmd.m_dwRecvResponse);
    EXPECT_EQ(0u, cmd.GetLastErrorCode());
    const BYTE zero[QEL_CMD_BUFFER_SIZE] = {};
    EXPECT_EQ(0, memcmp(cmd.m_byHeader, zero, sizeof(zero)));
    EXPECT_EQ(0, memcmp(cmd.m_byResponse, zero, sizeof(zero)));
    EXPECT_EQ(0, memcmp(cmd.m_bySentData, zero, sizeof(zero)));
    for (DWORD slot = 0; slot < QEL_HEATING_SLOTS; ++slot) {
        EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[slot]);
        EXPECT_EQ(0u, cmd.m_HeatingTable.dwLength[slot]);
    }
    EXPECT_EQ(0, memcmp(&cmd.m_EnergyTable, zero, sizeof(cmd.m_EnergyTable)));
}

TEST(CommandLink, PrinterTakenTooLongGivesTimeoutAndWritesNothing)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    MutexHolder holder;
    holder.mutex = p.link.m_hMutexRW;
    ASSERT_NE(nullptr, holder.mutex);
    HANDLE thread = CreateThread(NULL, 0, MutexHolder::Run, &holder, 0, NULL);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.held, 5000));
    p.link.m_dwMutexWait = 200;

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.DoCommand("Ddm"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.GetLastErrorCode());
    EXPECT_EQ(0u, p.cmd.m_dwSentHeader);
    SetEvent(holder.release);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_EQ(0u, p.ExactFrames(0).size());

    // Once the other holder has gone, the same object talks again.
    EXPECT_EQ(0u, p.cmd.DoCommand("Ddm"));
    EXPECT_EQ(1u, p.ExactFrames(1).size());
}

TEST(CommandLink, PassesALinkFailureThroughAndReleasesThePrinter)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_USB));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dgb", EmuClose());
    SetLastError(kLastErrorMarker);
    DWORD result = p.cmd.DoCommand("Dgb");
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(result, p.cmd.GetLastErrorCode());
    EXPECT_EQ(0u, p.cmd.m_dwRecvResponse);

    ASSERT_NE(nullptr, p.link.m_hMutexRW);
    EXPECT_TRUE(IsFreeForAnotherThread(p.link.m_hMutexRW));
}

TEST(CommandLink, WritesItsStepsAndSummaryIntoThePacketLog)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    TempFile log(L"exchange.log", "", FALSE);
    p.emu.Reply("Ddm", "OK");
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 3));
    p.link.SetLogEnable(2, log.Path(), FALSE);
    const BYTE data[3] = {1, 2, 3};
    EXPECT_EQ(0u, p.cmd.DoCommand("Ddm"));
    EXPECT_EQ(0u, p.cmd.DoCommand("Xcb", "3", "a", "y", NULL, data, 3));
    p.link.SetLogEnable(0, NULL, FALSE);

    std::string text = log.Read();
    EXPECT_NE(std::string::npos, text.find("CQelCmd::DoCommand(1), dwRet = 0, m_dwLenHeader = 5, m_dwSentHeader = 5,"));
    EXPECT_NE(std::string::npos, text.find("CQelCmd::DoCommand(2), dwRet = 0, m_dwRecvResponse = 4,"));
    EXPECT_NE(std::string::npos, text.find("==>DoCommand(Ddm):: return = 0, m_dwRecvResponse = 4,"));
    EXPECT_NE(std::string::npos, text.find("CQelCmd::DoCommand(3), dwRet = 0, dwDataLen = 3, m_dwSentData = 3,"));
    EXPECT_NE(std::string::npos, text.find("==>DoCommand(Xcb):: return = 0, m_dwRecvResponse = 4,"));
}

// ---- Reading the reply ----

class ReplyNumbers : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    // Exchanges "Dq" with the given reply bytes.
    void Answer(const std::string& bytes)
    {
        p.emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuBytes(bytes));
        ASSERT_EQ(0u, p.cmd.DoCommand("Dq"));
    }
    static std::string Text(const std::string& text) { return std::string(1, '\x01') + text + std::string(1, '\0'); }
    CmdOverEmulator p;
};

TEST_F(ReplyNumbers, ReadsTextRepliesAsLeadingDecimalNumbers)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"-3", -3}, {"12;34", 12}, {"  +7x", 7}, {"abc", 0}, {"", 0}, {"-", 0},
        {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Answer(Text(c.text));
        int out = 12345;
        EXPECT_EQ(c.value, p.cmd.GetResponseInt(&out));
        EXPECT_EQ(c.value, out);
        EXPECT_EQ(c.value, p.cmd.GetResponseInt(NULL));
    }
}

TEST_F(ReplyNumbers, ReadsByteFiveOfOtherReplies)
{
    Answer(StatusBlock({{5, 0xC8}, {6, 0x31}}));
    int out = 0;
    EXPECT_EQ(200, p.cmd.GetResponseInt(&out));
    EXPECT_EQ(200, out);
    double d = 5.0;
    EXPECT_EQ(0.0, p.cmd.GetResponseDouble(&d));
    EXPECT_EQ(0.0, d);

    Answer(std::string(1, '\0'));
    EXPECT_EQ(0, p.cmd.GetResponseInt(NULL));
}

TEST_F(ReplyNumbers, TellsWhetherTheReplyCarriesANumber)
{
    struct Case {
        std::string reply;
        DWORD result;
        int value;
    } cases[] = {
        {Text(" 0"), 0, 0}, {Text("\r\n2"), 0, 2}, {Text("-3;4"), 0, -3}, {Text("+0"), 0, 0},
        {StatusBlock({{5, 0xC8}}), 0, 200}, {Text("OK"), ERROR_INVALID_DATA, 77}, {Text(""), ERROR_INVALID_DATA, 77},
        {Text("- 3"), ERROR_INVALID_DATA, 77}, {std::string("\x02\0\0\0\0", 5), ERROR_INVALID_DATA, 77},
        {std::string("\0\0\0\0\0\x05", 6), ERROR_NOT_READY, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.reply));
        Answer(c.reply);
        int out = 77;
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(c.result, p.cmd.GetResponseNumber(&out));
        EXPECT_EQ(c.result ? c.result : kLastErrorMarker, GetLastError());
        EXPECT_EQ(c.value, out);
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.GetResponseNumber(NULL));
}

TEST_F(ReplyNumbers, NamesThePrintersRejectionOfACommand)
{
    struct Case {
        std::string reply;
        DWORD code;
    } cases[] = {
        {Text("CMD ERR"), ERR_FW_CMD}, {Text("xxPARA ERRxx"), ERR_FW_PARA},
        {Text("TASK NOT CREATED"), ERR_FW_TASK_NOT_CREATED}, {Text("NACK"), ERR_FW_NACK},
        {Text(" MEM FULL"), ERR_FW_MEM_FULL},
        // The first word of the list decides.
        {Text("NACK PARA ERR"), ERR_FW_PARA},
        {Text("OK"), 0}, {Text("nack"), 0}, {std::string("\x02NACK", 5), 0}, {std::string(1, '\0'), 0},
        // Text after the terminator does not count.
        {std::string("\x01OK\0NACK", 8), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.reply));
        Answer(c.reply);
        EXPECT_EQ(c.code, p.cmd.GetResponseRejection());
    }
}

TEST_F(ReplyNumbers, ReadsTextRepliesAsFloatingPointNumbers)
{
    Answer(Text("1.25;3"));
    double d = 0.0;
    EXPECT_DOUBLE_EQ(1.25, p.cmd.GetResponseDouble(&d));
    EXPECT_DOUBLE_EQ(1.25, d);
    Answer(Text("none"));
    EXPECT_EQ(0.0, p.cmd.GetResponseDouble(NULL));
}

TEST_F(ReplyNumbers, StopsAtTheEndOfAFullReplyWithoutTerminator)
{
    // 512 bytes: the status byte and 511 digits, no NUL anywhere.
    Answer(std::string(1, '\x01') + std::string(511, '7'));
    EXPECT_EQ(512u, p.cmd.m_dwRecvResponse);
    EXPECT_EQ(INT_MAX, p.cmd.GetResponseInt(NULL));

    char info[QEL_INFO_TEXT_SIZE + 4];
    memset(info, 0x5A, sizeof(info));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dxh", EmuBytes(std::string(1, '\x01') + std::string(511, 'V')));
    EXPECT_EQ(0u, p.cmd.GetPrinterInfoText(1, info));
    EXPECT_EQ(std::string(63, 'V'), std::string(info));
    EXPECT_EQ(0x5A, info[QEL_INFO_TEXT_SIZE]);
}

TEST_F(ReplyNumbers, FindsOkInTheLastBytesOfAFullReply)
{
    const BYTE data[2] = {1, 2};
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xci", EmuBytes(std::string(1, '\x01') + std::string(509, 'x') + "OK"));
    EXPECT_EQ(0u, p.cmd.DoCommand("Xci", "2", "1", NULL, NULL, data, 2));
    EXPECT_EQ(2u, p.cmd.m_dwSentData);
}

// ---- Printer information ----

class PrinterInfo : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    CmdOverEmulator p;
    // The caller's 64 bytes and a guard after them.
    char buffer[QEL_INFO_TEXT_SIZE + 8];
    void Fill() { memset(buffer, 0x5A, sizeof(buffer)); }
};

TEST_F(PrinterInfo, AsksEachOfTheFourTexts)
{
    p.emu.Reply("Dxh", "T42D");
    p.emu.Reply("Dgb", "V1.02.03");
    p.emu.Reply("Dxl;p", "SN0001");
    p.emu.Reply("Dq", "300dpi");
    const char* expected[] = {"T42D", "V1.02.03", "SN0001", "300dpi"};
    for (int n = 1; n <= 4; ++n) {
        Fill();
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(0u, p.cmd.GetPrinterInfoText(n, buffer));
        EXPECT_EQ(kLastErrorMarker, GetLastError());
        EXPECT_STREQ(expected[n - 1], buffer);
    }
    std::vector<std::string> requests = p.Requests(4);
    EXPECT_EQ((std::vector<std::string>{"Dxh", "Dgb", "Dxl;p", "Dq"}), requests);
}

TEST_F(PrinterInfo, RefusesOtherNumbersWithoutAnExchange)
{
    for (int n : {0, 5, -1}) {
        Fill();
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.GetPrinterInfoText(n, buffer));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ(0x5A, buffer[0]);
    }
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.GetPrinterInfoText(1, NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0u, p.ExactFrames(0).size());
}

TEST_F(PrinterInfo, FitsTheTextIntoTheCallersSixtyFourBytes)
{
    for (size_t length : {62u, 63u, 64u}) {
        SCOPED_TRACE(length);
        std::string text(length, static_cast<char>('A' + length - 62));
        p.emu.AddStep(EMU_MATCH_EXACT, "Dgb", EmuText(text.c_str()));
        Fill();
        EXPECT_EQ(0u, p.cmd.GetPrinterInfoText(2, buffer));
        size_t kept = length < 63 ? length : 63;
        EXPECT_EQ(text.substr(0, kept), std::string(buffer));
        EXPECT_EQ(0, buffer[kept]);
        for (size_t i = kept + 1; i < sizeof(buffer); ++i)
            ASSERT_EQ(0x5A, buffer[i]) << i;
    }
}

TEST_F(PrinterInfo, LeavesTheBufferAloneWithoutATextReply)
{
    p.emu.AddStep(EMU_MATCH_EXACT, "Dxh", EmuBytes(StatusBlock({{1, 'Z'}, {5, 9}})));
    strcpy(buffer, "before");
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.GetPrinterInfoText(1, buffer));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_STREQ("before", buffer);
}

TEST(PrinterInfoLink, LeavesTheBufferAloneWhenTheExchangeFails)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_USB));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuClose());
    char buffer[QEL_INFO_TEXT_SIZE];
    strcpy(buffer, "before");
    SetLastError(kLastErrorMarker);
    DWORD result = p.cmd.GetPrinterInfoText(4, buffer);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_STREQ("before", buffer);
}

// ---- Ribbon ----

class Ribbon : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    CmdOverEmulator p;
    BYTE type = 77;
    int remain = -1, origin = -1;
};

TEST_F(Ribbon, AsksNameTypeAndCountsInOrder)
{
    p.emu.Reply("Ds;1", "Vornex YMCKO");
    p.emu.Reply("Ds;2", "YMCKO");
    p.emu.Reply("Ds;3", "120;250");
    char text[QEL_RIBBON_TEXT_SIZE];
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, text));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(RIBBON_YMCKO, type);
    EXPECT_EQ(120, remain);
    EXPECT_EQ(250, origin);
    EXPECT_STREQ("Vornex YMCKO", text);
    EXPECT_EQ((std::vector<std::string>{"Ds;1", "Ds;2", "Ds;3"}), p.Requests(3));
}

TEST_F(Ribbon, WithoutTextBufferSkipsTheNameQuery)
{
    p.emu.Reply("Ds;2", "KO");
    p.emu.Reply("Ds;3", "5;100");
    EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, NULL));
    EXPECT_EQ(RIBBON_KO, type);
    EXPECT_EQ(5, remain);
    EXPECT_EQ(100, origin);
    std::vector<EmuFrame> frames = p.ExactFrames(2);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ("Ds;2", frames[0].request);
    EXPECT_EQ("Ds;3", frames[1].request);
    EXPECT_EQ(0u, p.cmd.GetRibbonInfo(NULL, NULL, NULL, NULL));
}

TEST_F(Ribbon, KnowsEveryRibbonWordExactly)
{
    struct Case {
        const char* word;
        BYTE type;
    } cases[] = {
        {"YMCKO", RIBBON_YMCKO}, {"K", RIBBON_K}, {"YMCKO-F", RIBBON_YMCKO_F}, {"YMCKOK", RIBBON_YMCKOK},
        {"KO", RIBBON_KO}, {"ymcko", RIBBON_UNKNOWN}, {"YMCKO ", RIBBON_UNKNOWN}, {"", RIBBON_UNKNOWN},
        {"1/2 YMCKO", RIBBON_UNKNOWN},
    };
    p.emu.Reply("Ds;3", "7;9");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        p.emu.ClearFrames();
        p.emu.AddStep(EMU_MATCH_EXACT, "Ds;2", EmuText(c.word));
        type = 77;
        remain = origin = -1;
        EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, NULL));
        EXPECT_EQ(c.type, type);
        bool known = c.type != RIBBON_UNKNOWN;
        EXPECT_EQ(known ? 7 : 0, remain);
        EXPECT_EQ(known ? 9 : 0, origin);
        EXPECT_EQ(known ? 2u : 1u, p.ExactFrames(known ? 2 : 1).size());
    }
}

TEST_F(Ribbon, ReadsCountsOnlyFromRemainSemicolonOrigin)
{
    struct Case {
        const char* reply;
        int remain, origin;
    } cases[] = {
        {"300", 0, 0}, {";", 0, 0}, {"-2;x", -2, 0}, {"99999999999;5", INT_MAX, 5}, {" 8 ; 9", 8, 9},
    };
    p.emu.Reply("Ds;2", "K");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        p.emu.AddStep(EMU_MATCH_EXACT, "Ds;3", EmuText(c.reply));
        EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, NULL));
        EXPECT_EQ(RIBBON_K, type);
        EXPECT_EQ(c.remain, remain);
        EXPECT_EQ(c.origin, origin);
    }
    p.emu.AddStep(EMU_MATCH_EXACT, "Ds;3", EmuBytes(StatusBlock({{5, 4}})));
    EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, NULL));
    EXPECT_EQ(RIBBON_K, type);
    EXPECT_EQ(0, remain);
    EXPECT_EQ(0, origin);
}

TEST_F(Ribbon, StatusBlockForTheTypeGivesUnknownAndSuccess)
{
    p.emu.AddStep(EMU_MATCH_EXACT, "Ds;2", EmuBytes(StatusBlock({{5, 1}})));
    char text[QEL_RIBBON_TEXT_SIZE];
    memset(text, 0x5A, sizeof(text));
    EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, &remain, &origin, text));
    EXPECT_EQ(RIBBON_UNKNOWN, type);
    EXPECT_EQ(0, remain);
    EXPECT_EQ(0, origin);
    // "Ds;1" got the emulator's default "OK".
    EXPECT_STREQ("OK", text);
    EXPECT_EQ(2u, p.ExactFrames(2).size());
}

TEST_F(Ribbon, FitsTheNameIntoSixteenBytes)
{
    p.emu.Reply("Ds;2", "unknown");
    for (size_t length : {14u, 15u, 16u}) {
        SCOPED_TRACE(length);
        std::string name(length, 'N');
        p.emu.AddStep(EMU_MATCH_EXACT, "Ds;1", EmuText(name.c_str()));
        char text[QEL_RIBBON_TEXT_SIZE + 4];
        memset(text, 0x5A, sizeof(text));
        EXPECT_EQ(0u, p.cmd.GetRibbonInfo(&type, NULL, NULL, text));
        EXPECT_EQ(name.substr(0, 15), std::string(text));
        for (size_t i = QEL_RIBBON_TEXT_SIZE; i < sizeof(text); ++i)
            EXPECT_EQ(0x5A, text[i]);
    }
}

TEST(RibbonLink, AFailedExchangeEndsTheQueryWithItsResult)
{
    struct Case {
        const char* failedAt;
        EmuStep step;
        const char* text;
    } cases[] = {{"Ds;1", EmuSilent(), ""}, {"Ds;2", EmuClose(), "YMCKO ribbon"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failedAt);
        CmdOverEmulator p;
        ASSERT_TRUE(p.Open(CMD_OVER_USB));
        p.link.SetTimeOut(300, 300);
        p.emu.Reply("Ds;1", "YMCKO ribbon");
        p.emu.AddStep(EMU_MATCH_EXACT, c.failedAt, c.step);
        BYTE type = 0;
        int remain = -1, origin = -1;
        char text[QEL_RIBBON_TEXT_SIZE] = "before";
        SetLastError(kLastErrorMarker);
        DWORD result = p.cmd.GetRibbonInfo(&type, &remain, &origin, text);
        EXPECT_NE(0u, result);
        EXPECT_EQ(result, GetLastError());
        EXPECT_EQ(RIBBON_UNKNOWN, type);
        EXPECT_EQ(0, remain);
        EXPECT_EQ(0, origin);
        EXPECT_STREQ(c.text, text);
        // Nothing is asked after the failed exchange.
        const size_t asked = c.text[0] ? 2 : 1;
        std::vector<EmuFrame> frames = p.ExactFrames(asked);
        ASSERT_EQ(asked, frames.size());
        EXPECT_EQ(c.failedAt, frames.back().request);
    }
}

} // namespace
