#include "QelCmdTestSupport.h"

#include <cstring>

namespace {

// A "Ddm" reply whose byte 5 is n = 2 and whose device status s is byte 7.
std::string DeviceStatus(BYTE s)
{
    return StatusBlock({{5, 2}, {6, 0x77}, {7, s}});
}

std::string Idle()
{
    return StatusBlock({{9, 0x3F}, {11, 0x0C}});
}

std::string Busy()
{
    return StatusBlock({{9, 0x40}});
}

class Status : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    CmdOverEmulator p;
};

// ---- Device status and busy state ----

TEST_F(Status, AppliesTheDeviceStatusRuleWithAndWithoutStrictFlag)
{
    struct Case {
        BYTE status;
        BYTE strict;
        DWORD error;
    } cases[] = {
        {0x00, 0, 0},       {0x00, 1, 0},       {0x41, 0, 0},       {0x41, 1, 0x10041},
        {0x4F, 0, 0},       {0x52, 0, 0x10052}, {0x52, 1, 0x10052}, {0x31, 0, 0x10031},
        {0xFF, 0, 0x100FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.status) << " strict " << int(c.strict));
        p.emu.AddStep(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(c.status)));
        DWORD error = 0xDEAD;
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(0u, p.cmd.CheckDeviceStatus(&error, c.strict));
        EXPECT_EQ(kLastErrorMarker, GetLastError());
        EXPECT_EQ(c.error, error);
        EXPECT_EQ(c.error, p.cmd.GetLastErrorCode());
    }
    p.emu.AddStep(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0x52)));
    EXPECT_EQ(0u, p.cmd.CheckDeviceStatus(NULL, 0));
    EXPECT_EQ(0x10052u, p.cmd.GetLastErrorCode());
}

TEST_F(Status, FindsTheStatusByteBehindTheCount)
{
    // n = 0: the status is byte 5 itself; n = 200 lies beyond the bytes read.
    p.emu.AddStep(EMU_MATCH_EXACT, "Ddm", EmuBytes(StatusBlock({{5, 0}})));
    DWORD error = 0xDEAD;
    EXPECT_EQ(0u, p.cmd.CheckDeviceStatus(&error, 1));
    EXPECT_EQ(0u, error);
    p.emu.AddStep(EMU_MATCH_EXACT, "Ddm", EmuBytes(StatusBlock({{5, 200}})));
    EXPECT_EQ(0u, p.cmd.CheckDeviceStatus(&error, 1));
    EXPECT_EQ(0u, error);
    p.emu.AddStep(EMU_MATCH_EXACT, "Ddm", EmuBytes(StatusBlock({{5, 10}, {15, 0x60}})));
    EXPECT_EQ(0u, p.cmd.CheckDeviceStatus(&error, 0));
    EXPECT_EQ(0x10060u, error);
}

TEST_F(Status, ReadsTheBusyBits)
{
    struct Case {
        std::string reply;
        BOOL busy;
    } cases[] = {
        {StatusBlock({{9, 0x40}}), TRUE},
        {StatusBlock({{9, 0x80}}), TRUE},
        {StatusBlock({{11, 0x01}}), TRUE},
        {StatusBlock({{11, 0x20}}), TRUE},
        {StatusBlock({{11, 0x0C}}), FALSE},
        {StatusBlock({{9, 0x3F}, {10, 0xFF}, {11, 0x0C}}), FALSE},
        {std::string(1, '\0'), FALSE},
    };
    for (const Case& c : cases) {
        p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(c.reply));
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(c.busy, p.cmd.IsBusy());
        EXPECT_EQ(kLastErrorMarker, GetLastError());
    }
    EXPECT_EQ(7u, p.Requests(7).size());
}

TEST(StatusLink, FailedQueriesGiveTheirResult)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_USB));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuClose());
    SetLastError(kLastErrorMarker);
    EXPECT_FALSE(p.cmd.IsBusy());
    DWORD failure = GetLastError();
    EXPECT_NE(kLastErrorMarker, failure);
    EXPECT_NE(0u, failure);

    // The link stays broken: the status query reports the link's result.
    DWORD error = 0;
    SetLastError(kLastErrorMarker);
    DWORD result = p.cmd.CheckDeviceStatus(&error, 0);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, error);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(result, p.cmd.GetLastErrorCode());

    SetLastError(kLastErrorMarker);
    DWORD waited = p.cmd.WaitBusy(0, 0, 0);
    EXPECT_NE(0u, waited);
    EXPECT_NE(static_cast<DWORD>(ERROR_TIMEOUT), waited);
    EXPECT_EQ(waited, GetLastError());
}

TEST_F(Status, WaitBusyReportsAKeptDeviceErrorOnceIdle)
{
    const DWORD intervalMs = 50;
    p.emu.SetStanding(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0x31)));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(Busy()));
    p.emu.SetStanding(EMU_MATCH_EXACT, "Dzt", EmuBytes(Idle()));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0x10031u, p.cmd.WaitBusy(intervalMs, 0, 0));
    EXPECT_EQ(0x10031u, GetLastError());
    EXPECT_EQ(0x10031u, p.cmd.GetLastErrorCode());

    std::vector<EmuFrame> frames = p.ExactFrames(4);
    ASSERT_EQ(4u, frames.size());
    EXPECT_EQ("Ddm", frames[0].request);
    EXPECT_EQ("Dzt", frames[1].request);
    EXPECT_EQ("Ddm", frames[2].request);
    EXPECT_EQ("Dzt", frames[3].request);
    EXPECT_GE(frames[2].timeMs - frames[1].replyMs + kClockSlackMs, intervalMs);
}

TEST_F(Status, WaitBusyStopsAtADeviceErrorWhenAsked)
{
    p.emu.SetStanding(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0x41)));
    p.emu.SetStanding(EMU_MATCH_EXACT, "Dzt", EmuBytes(Idle()));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0x10041u, p.cmd.WaitBusy(0, 1, 1));
    EXPECT_EQ(0x10041u, GetLastError());
    EXPECT_EQ(1u, p.ExactFrames(1).size());

    // A warning without the strict flag is no error: idle ends the wait with 0.
    p.emu.ClearFrames();
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.WaitBusy(0, 1, 0));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(2u, p.ExactFrames(2).size());
}

TEST_F(Status, WaitBusyGivesUpOnAPrinterThatStaysBusy)
{
    p.emu.SetStanding(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0)));
    p.emu.SetStanding(EMU_MATCH_EXACT, "Dzt", EmuBytes(Busy()));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.WaitBusy(0, 1, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), p.cmd.GetLastErrorCode());
    EXPECT_EQ(2 * (QEL_POLL_MAX_ROUNDS + 1), p.ExactFrames(2 * (QEL_POLL_MAX_ROUNDS + 1)).size());
}

// ---- Tasks ----

TEST_F(Status, TaskStartTakesOnlyNumbersThatStartWithOneToNine)
{
    struct Case {
        std::string reply;
        int id;
    } cases[] = {
        {std::string("\x01" "17", 4), 17},
        {std::string("\x01" "9x", 4), 9},
        {std::string("\x01" "0", 3), 0},
        {std::string("\x01" " 5", 4), 0},
        {std::string("\x01" "-5", 4), 0},
        {std::string("\x01" "abc", 5), 0},
        {StatusBlock({{1, '7'}, {5, 7}}), 0},
    };
    for (const Case& c : cases) {
        p.emu.AddStep(EMU_MATCH_EXACT, "Rk", EmuBytes(c.reply));
        int id = -1;
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(0u, p.cmd.TaskStart(&id));
        EXPECT_EQ(kLastErrorMarker, GetLastError());
        EXPECT_EQ(c.id, id);
    }
    EXPECT_EQ(0u, p.cmd.TaskStart(NULL));
}

TEST_F(Status, TaskEndClosesTheTaskAndPausesASecond)
{
    ULONGLONG started = CPrinterEmulator::NowMs();
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.TaskEnd(-3));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_GE(CPrinterEmulator::NowMs() - started + kClockSlackMs, 1000u);
    EXPECT_EQ(0u, p.cmd.SendRcCommand(0xFFFFFFFE));
    EXPECT_EQ(0u, p.cmd.SendRcCommand(12));
    EXPECT_EQ((std::vector<std::string>{"Rj;-3", "Rc;-2", "Rc;12"}), p.Requests(3));
}

TEST_F(Status, TaskCompletionIsBitSevenOrTaskUnavailable)
{
    struct Case {
        std::string reply;
        BOOL completed;
    } cases[] = {
        {std::string("\x01" "128", 5), TRUE},
        {std::string("\x01" "127", 5), FALSE},
        {std::string("\x01" "384", 5), TRUE},
        {std::string("\x01" "256", 5), FALSE},
        {std::string("\x01" "TASK UNAVA", 12), TRUE},
        {std::string("\x01" "TASK UNAVAILABLE", 18), FALSE},
        {std::string("\x01" "99999999999", 13), TRUE},
        {StatusBlock({{5, 0x80}}), TRUE},
        {StatusBlock({{5, 0x7F}}), FALSE},
    };
    for (const Case& c : cases) {
        p.emu.AddStep(EMU_MATCH_PREFIX, "Rzt;", EmuBytes(c.reply));
        SetLastError(kLastErrorMarker);
        EXPECT_EQ(c.completed, p.cmd.IsTaskCompleted(7));
        EXPECT_EQ(kLastErrorMarker, GetLastError());
    }
    EXPECT_FALSE(p.cmd.IsTaskCompleted(0xFFFFFFFF));
    std::vector<std::string> requests = p.Requests(10);
    ASSERT_EQ(10u, requests.size());
    EXPECT_EQ("Rzt;7", requests[0]);
    EXPECT_EQ("Rzt;-1", requests[9]);
}

// ---- Job texts, extra values and the error callback ----

TEST(JobInfo, KeepsAtMost255CharactersOfEachText)
{
    CQelCmd cmd;
    std::wstring longName(300, L'n');
    cmd.SetJobInfo(longName.c_str(), 42, L"job");
    EXPECT_EQ(std::wstring(255, L'n'), cmd.szPrinterName);
    EXPECT_EQ(42u, cmd.dwSplJobId);
    EXPECT_STREQ(L"job", cmd.m_szJobText);
    cmd.SetJobInfo(NULL, 7, NULL);
    EXPECT_STREQ(L"", cmd.szPrinterName);
    EXPECT_STREQ(L"", cmd.m_szJobText);

    cmd.SetExtraValues(0x1234, 0x89ABCDEF, 1ull << 40, 5);
    EXPECT_EQ(0x1234, cmd.m_wExtraValue);
    EXPECT_EQ(0x89ABCDEFu, cmd.m_dwExtraValue);
    EXPECT_EQ(1ull << 40, cmd.m_qwExtraValue1);
    EXPECT_EQ(5u, cmd.m_qwExtraValue2);
}

struct CallbackLog {
    std::vector<DWORD> codes;
    std::vector<DWORD> errors;
    std::vector<DWORD> disconnectsSeen;
    CPrinterEmulator* emu = NULL;
    int answer = 0;
    static int Answer(LPVOID context, DWORD code, DWORD errorCode)
    {
        CallbackLog* log = static_cast<CallbackLog*>(context);
        log->codes.push_back(code);
        log->errors.push_back(errorCode);
        if (log->emu) {
            log->emu->WaitForDisconnects(1, kRecordWaitMs);
            log->disconnectsSeen.push_back(log->emu->GetDisconnectCount());
        }
        return log->answer;
    }
};

TEST(ErrorCallback, WithoutCallbackAnswersZeroAndKeepsTheLink)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    EXPECT_EQ(0, p.cmd.ShowErrorMsg(0x10052, 1));
    EXPECT_EQ(0u, p.emu.GetDisconnectCount());
    EXPECT_EQ(0u, p.cmd.DoCommand("Ddm"));
}

TEST(ErrorCallback, ClosesTheLinkWhileTheCallbackRunsAndReopensIt)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    CallbackLog log;
    log.emu = &p.emu;
    log.answer = 1;
    p.cmd.SetErrorCallback(CallbackLog::Answer, &log);
    EXPECT_EQ(1, p.cmd.ShowErrorMsg(0x10052, 0));
    ASSERT_EQ(1u, log.codes.size());
    EXPECT_EQ(QEL_NOTIFY_ERROR, log.codes[0]);
    EXPECT_EQ(0x10052u, log.errors[0]);
    EXPECT_EQ(1u, log.disconnectsSeen[0]);

    EXPECT_EQ(0u, p.cmd.DoCommand("Ddm"));
    EXPECT_EQ(2u, p.emu.GetConnectionCount());
    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(2u, frames[0].connection);
}

TEST(ErrorCallback, UsesTheAlternativeCodeOnceAndLimitsTheAnswer)
{
    CQelCmd cmd;
    CallbackLog log;
    cmd.SetErrorCallback(CallbackLog::Answer, &log);
    cmd.m_bAltErrorNotify = 1;
    struct Case {
        int answer, shown;
        DWORD code;
    } cases[] = {
        {3, 3, QEL_NOTIFY_ERROR_ALT}, {4, 4, QEL_NOTIFY_ERROR}, {5, 0, QEL_NOTIFY_ERROR},
        {7, 0, QEL_NOTIFY_ERROR},     {-2, -2, QEL_NOTIFY_ERROR},
    };
    for (const Case& c : cases) {
        log.answer = c.answer;
        EXPECT_EQ(c.shown, cmd.ShowErrorMsg(0x100A1, 1));
        EXPECT_EQ(c.code, log.codes.back());
        EXPECT_EQ(0x100A1u, log.errors.back());
    }
    EXPECT_EQ(0, cmd.m_bAltErrorNotify);
    cmd.SetErrorCallback(NULL, NULL);
    EXPECT_EQ(0, cmd.ShowErrorMsg(1, 1));
    EXPECT_EQ(5u, log.codes.size());
}

// ---- Magnetic jobs ----

class MagJob : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(p.Open(CMD_OVER_TCP));
        p.emu.SetStanding(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0)));
        p.emu.SetStanding(EMU_MATCH_EXACT, "Dzt", EmuBytes(Idle()));
        p.emu.Reply("Rk", "12");
        memset(&record, 0, sizeof(record));
    }
    CmdOverEmulator p;
    MagTrackData record;
};

TEST_F(MagJob, ReadFillsTheAskedTracksInsideTheirFields)
{
    p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(Idle()));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(Busy()));
    p.emu.Reply("Dcz;1", "%B1234^TEST?");
    p.emu.Reply("Dcz;3", std::string(200, '3').c_str());
    strcpy(record.szTrack[1], "untouched");
    memset(record.szTrack[2], 0x5A, QEL_TRACK_SIZE);
    record.byTrackMask = 5;

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.ReadMagTracks(&record));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_STREQ("%B1234^TEST?", record.szTrack[0]);
    EXPECT_STREQ("untouched", record.szTrack[1]);
    EXPECT_EQ(std::string(127, '3'), std::string(record.szTrack[2]));
    EXPECT_EQ(5, record.byTrackMask);

    std::vector<EmuFrame> frames = p.ExactFrames(9);
    std::vector<std::string> requests;
    for (const EmuFrame& f : frames)
        requests.push_back(f.request);
    EXPECT_EQ((std::vector<std::string>{"Ddm", "Dzt", "Rk", "Rdc", "Dzt", "Dzt", "Dcz;1", "Dcz;3", "Rj;12"}),
              requests);
    ASSERT_EQ(9u, frames.size());
    EXPECT_GE(frames[4].timeMs - frames[3].replyMs + kClockSlackMs, 1000u);
    EXPECT_GE(frames[5].timeMs - frames[4].replyMs + kClockSlackMs, 300u);
}

TEST_F(MagJob, WriteSendsTheThreeSettingsAndOnlyTheMaskedTracks)
{
    p.emu.Reply("Rk", "0");
    p.emu.AddStep(EMU_MATCH_PREFIX, "Xci;5;1", EmuBulk("OK", 5));
    p.emu.AddStep(EMU_MATCH_PREFIX, "Xci;128;3", EmuBulk("OK", 128));
    strcpy(record.szTrack[0], "ABCDEFGH");
    strcpy(record.szTrack[1], "never");
    memset(record.szTrack[2], '3', QEL_TRACK_SIZE);
    record.byTrackMask = 5;
    record.byCoercivity = 1;
    record.byLength[0] = 5;
    record.byLength[1] = 5;
    record.byLength[2] = 200;

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.WriteMagTracks(&record));
    EXPECT_EQ(kLastErrorMarker, GetLastError());

    std::vector<EmuFrame> frames = p.ExactFrames(12);
    std::vector<std::string> requests;
    for (const EmuFrame& f : frames)
        requests.push_back(f.request);
    EXPECT_EQ((std::vector<std::string>{"Ddm", "Dzt", "Rk", "Scc;g", "Scg;1;1", "Scg;2;1", "Scg;3;1", "Xci;5;1",
                                        "Xci;128;3", "Rxc", "Dzt", "Rj;0"}),
              requests);
    ASSERT_EQ(12u, frames.size());
    EXPECT_EQ("ABCDE", frames[7].bulk);
    EXPECT_EQ(std::string(128, '3'), frames[8].bulk);
}

TEST_F(MagJob, WriteReportsTheFirstFailureAndStillClosesTheTask)
{
    p.emu.AddStep(EMU_MATCH_PREFIX, "Xci;", EmuText("PARA ERR"));
    p.emu.AddStep(EMU_MATCH_PREFIX, "Xci;", EmuBulk("OK", 3));
    record.byTrackMask = 6;
    record.byCoercivity = 2;
    record.byLength[1] = 3;
    record.byLength[2] = 3;

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(ERR_FW_PARA, p.cmd.WriteMagTracks(&record));
    EXPECT_EQ(ERR_FW_PARA, GetLastError());
    std::vector<std::string> requests;
    for (const EmuFrame& f : p.ExactFrames(10))
        requests.push_back(f.request);
    EXPECT_EQ((std::vector<std::string>{"Ddm", "Dzt", "Rk", "Scc;d", "Scg;1;1", "Scg;2;1", "Scg;3;1", "Xci;3;2",
                                        "Xci;3;3", "Rj;12"}),
              requests);
}

TEST_F(MagJob, PrinterInErrorGetsNoTask)
{
    p.emu.SetStanding(EMU_MATCH_EXACT, "Ddm", EmuBytes(DeviceStatus(0x52)));
    record.byTrackMask = 7;
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0x10052u, p.cmd.ReadMagTracks(&record));
    EXPECT_EQ(0x10052u, GetLastError());
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0x10052u, p.cmd.WriteMagTracks(&record));
    EXPECT_EQ(0x10052u, GetLastError());
    std::vector<EmuFrame> frames = p.ExactFrames(2);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ("Ddm", frames[0].request);
    EXPECT_EQ("Ddm", frames[1].request);

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.ReadMagTracks(NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), p.cmd.WriteMagTracks(NULL));
}

// ---- Restart ----

TEST(Restart, WithoutLinkGivesInvalidHandle)
{
    CQelCmd cmd;
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), cmd.RestartPrinter());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST(Restart, ClosesWaitsReconnectsAndWaitsUntilIdle)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    p.emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(Busy()));
    p.emu.SetStanding(EMU_MATCH_EXACT, "Dzt", EmuBytes(Idle()));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.RestartPrinter());
    EXPECT_EQ(kLastErrorMarker, GetLastError());

    std::vector<EmuFrame> frames = p.ExactFrames(3);
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ("Kcz;y", frames[0].request);
    EXPECT_EQ(1u, frames[0].connection);
    EXPECT_EQ("Dzt", frames[1].request);
    EXPECT_EQ(2u, frames[1].connection);
    EXPECT_EQ("Dzt", frames[2].request);
    EXPECT_GE(frames[1].timeMs - frames[0].replyMs + kClockSlackMs, 8000u);
    EXPECT_GE(frames[2].timeMs - frames[1].replyMs + kClockSlackMs, 500u);
    EXPECT_EQ(1u, p.emu.GetDisconnectCount());
}

} // namespace
