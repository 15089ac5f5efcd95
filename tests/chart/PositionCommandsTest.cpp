#include "PositionCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrinterEmulator.h"

namespace {

const DWORD MARKER = 0xDEADBEEF;
const int GUARD = 77;
const DWORD RECORD_WAIT_MS = 5000;

// A status block whose byte 5 is value.
std::string Status(BYTE value, size_t length = 8)
{
    const size_t valueByte = 5;
    std::string block(length, '\0');
    block[0] = 2;
    if (length > valueByte)
        block[valueByte] = static_cast<char>(value);
    return block;
}

// The exchanges against the emulated printer, over TCP on a loopback address
// private to this process.
class PositionExchange : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_emu.StartTcp(nullptr, EMU_PRINTER_TCP_PORT));
        ASSERT_EQ(0u, m_link.OpenByName(m_emu.GetAddressW()));
        m_cmd.m_pUsbLink = &m_link;
    }

    // The emulator completes a record after its reply has gone out, so the
    // records of the frames expected are waited for (bounded).
    std::vector<std::string> Requests(size_t expected = 0) const
    {
        m_emu.WaitForFrames(expected, RECORD_WAIT_MS);
        std::vector<std::string> raw;
        for (const EmuFrame& f : m_emu.GetRequests())
            raw.push_back(f.raw);
        return raw;
    }

    CPrinterEmulator m_emu;
    CUsbLink m_link;
    CQelCmd m_cmd;
};

std::string Frame(const char* request)
{
    return std::string("\x1B") + request + "\r";
}

TEST_F(PositionExchange, ReadAsksForLThenTThenS)
{
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("3"));
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;2", EmuBytes(Status(0xF6)));
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;3", EmuText("-4"));
    int l = GUARD, t = GUARD, s = GUARD;
    SetLastError(MARKER);
    EXPECT_EQ(0u, ReadPositionValues(&m_cmd, &l, &t, &s));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(3, l);
    EXPECT_EQ(-10, t);
    EXPECT_EQ(-4, s);
    EXPECT_EQ((std::vector<std::string>{Frame("Dwz;u;1"), Frame("Dwz;u;2"), Frame("Dwz;u;3")}), Requests(3));
}

TEST_F(PositionExchange, ReadShowsTheLowByteOfEachNumberAsASignedByte)
{
    const struct {
        const char* what;
        EmuStep reply;
        int value;
    } cases[] = {
        {"text", EmuText("-10"), -10},
        {"text after blanks", EmuText("\r\n 7"), 7},
        {"text of a byte", EmuText("241"), -15},
        {"text above the range", EmuText("16"), 16},
        {"text beyond a byte", EmuText("300"), 44},
        {"status block", EmuBytes(Status(0xF1)), -15},
        {"status block below the range", EmuBytes(Status(0xF0)), -16},
        {"status block above the range", EmuBytes(Status(0x7F)), 127},
    };
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("2"));
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuText("3"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;1", c.reply);
        int l = GUARD, t = GUARD, s = GUARD;
        SetLastError(MARKER);
        EXPECT_EQ(0u, ReadPositionValues(&m_cmd, &l, &t, &s));
        EXPECT_EQ(0u, GetLastError());
        EXPECT_EQ((std::vector<int>{c.value, 2, 3}), (std::vector<int>{l, t, s}));
    }
}

TEST_F(PositionExchange, ReadStopsAtAReplyWithoutANumber)
{
    const struct {
        const char* what;
        EmuStep reply;
        DWORD result;
    } cases[] = {
        {"not ready", EmuNotReady(), ERROR_NOT_READY},
        {"rejection", EmuText("PARA ERR"), ERROR_INVALID_DATA},
        {"empty text", EmuText(""), ERROR_INVALID_DATA},
        {"sign without digits", EmuText("- 3"), ERROR_INVALID_DATA},
        {"status block without byte 5", EmuBytes(Status(3, 5)), ERROR_INVALID_DATA},
    };
    m_emu.Reply("Dwz;u;1", "3");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_emu.ClearFrames();
        m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;2", c.reply);
        int l = GUARD, t = GUARD, s = GUARD;
        SetLastError(MARKER);
        EXPECT_EQ(c.result, ReadPositionValues(&m_cmd, &l, &t, &s));
        EXPECT_EQ(c.result, GetLastError());
        EXPECT_EQ((std::vector<int>{GUARD, GUARD, GUARD}), (std::vector<int>{l, t, s}));
        EXPECT_EQ((std::vector<std::string>{Frame("Dwz;u;1"), Frame("Dwz;u;2")}), Requests(2));
    }
}

TEST_F(PositionExchange, ReadReportsALostConnection)
{
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("1"));
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("2"));
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;3", EmuClose());
    int l = GUARD, t = GUARD, s = GUARD;
    SetLastError(MARKER);
    DWORD result = ReadPositionValues(&m_cmd, &l, &t, &s);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(GUARD, l);
    EXPECT_EQ(GUARD, t);
    EXPECT_EQ(GUARD, s);
}

TEST_F(PositionExchange, ReadRefusesMissingArguments)
{
    int l = GUARD, t = GUARD;
    SetLastError(MARKER);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), ReadPositionValues(&m_cmd, &l, &t, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), ReadPositionValues(nullptr, &l, &t, &l));
    EXPECT_EQ(GUARD, l);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(PositionExchange, WriteSendsLThenTThenSAsSignedDecimals)
{
    SetLastError(MARKER);
    EXPECT_EQ(0u, WritePositionValues(&m_cmd, 4, 15, -4));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ((std::vector<std::string>{Frame("Swz;u;1;4"), Frame("Swz;u;2;15"), Frame("Swz;u;3;-4")}), Requests(3));
}

TEST_F(PositionExchange, WriteStopsAtTheFirstRejection)
{
    m_emu.AddStep(EMU_MATCH_PREFIX, "Swz;u;2;", EmuText("PARA ERR"));
    SetLastError(MARKER);
    EXPECT_EQ(ERR_FW_PARA, WritePositionValues(&m_cmd, -15, 0, 15));
    EXPECT_EQ(ERR_FW_PARA, GetLastError());
    EXPECT_EQ((std::vector<std::string>{Frame("Swz;u;1;-15"), Frame("Swz;u;2;0")}), Requests(2));
}

TEST_F(PositionExchange, WriteStopsAtAFailedExchange)
{
    m_emu.AddStep(EMU_MATCH_PREFIX, "Swz;u;1;", EmuClose());
    SetLastError(MARKER);
    DWORD result = WritePositionValues(&m_cmd, 1, 2, 3);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(1u, Requests(1).size());
}

TEST_F(PositionExchange, WriteRefusesValuesOutOfRangeAndSendsNothing)
{
    const int cases[][3] = {{16, 0, 0}, {0, -16, 0}, {0, 0, 16}};
    for (const auto& c : cases) {
        SetLastError(MARKER);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), WritePositionValues(&m_cmd, c[0], c[1], c[2]));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), WritePositionValues(nullptr, 0, 0, 0));
    EXPECT_TRUE(Requests().empty());
}

} // namespace
