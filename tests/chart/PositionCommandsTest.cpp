#include "PositionCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrinterEmulator.h"

namespace {

const DWORD MARKER = 0xDEADBEEF;
const int GUARD = 77;
const DWORD RECORD_WAIT_MS = 5000;

std::string Text(const char* text)
{
    return std::string("\x01", 1) + text + std::string("\0", 1);
}

// A status block whose byte 5 is value.
std::string Status(BYTE value, size_t length = 8)
{
    std::string block(length, '\0');
    block[0] = 2;
    if (length > POSITION_STATUS_VALUE_BYTE)
        block[POSITION_STATUS_VALUE_BYTE] = static_cast<char>(value);
    return block;
}

DWORD Decode(const std::string& reply, int* value)
{
    return DecodePositionReply(reinterpret_cast<const BYTE*>(reply.data()), static_cast<DWORD>(reply.size()), value);
}

DWORD Check(const std::string& reply)
{
    return CheckWriteReply(reinterpret_cast<const BYTE*>(reply.data()), static_cast<DWORD>(reply.size()));
}

TEST(PositionReply, TextReplyGivesItsLeadingNumber)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {{"-10", -10}, {"0", 0}, {"15", 15}, {"-15", -15}, {"+4", 4}, {" 7", 7},
                 {"\t-3", -3}, {"12;34", 12}, {"5 OK", 5}, {"007", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int value = GUARD;
        EXPECT_EQ(0u, Decode(Text(c.text), &value));
        EXPECT_EQ(c.value, value);
    }
}

TEST(PositionReply, StatusBlockGivesByteFiveAsSignedByte)
{
    int value = GUARD;
    EXPECT_EQ(0u, Decode(Status(0xF6), &value));
    EXPECT_EQ(-10, value);
    EXPECT_EQ(0u, Decode(Status(0xF1), &value));
    EXPECT_EQ(-15, value);
    // A text number counts by its low byte, like the status block's byte.
    EXPECT_EQ(0u, Decode(Text("241"), &value));
    EXPECT_EQ(-15, value);
    EXPECT_EQ(0u, Decode(Text("255"), &value));
    EXPECT_EQ(-1, value);
    EXPECT_EQ(0u, Decode(Status(0x0F), &value));
    EXPECT_EQ(15, value);
    // Exactly six bytes reach byte 5.
    EXPECT_EQ(0u, Decode(Status(0x03, 6), &value));
    EXPECT_EQ(3, value);
}

TEST(PositionReply, UnusableRepliesAreErrorsAndLeaveTheValue)
{
    const struct {
        std::string reply;
        DWORD code;
    } cases[] = {
        {std::string(), ERROR_INVALID_DATA},
        {std::string("\0", 1), ERROR_NOT_READY},
        {std::string("\0\0\0\0\0\x05", 6), ERROR_NOT_READY},
        {Text(""), ERROR_INVALID_DATA},
        {std::string("\x01", 1), ERROR_INVALID_DATA},
        {Text("abc"), ERROR_INVALID_DATA},
        {Text("-"), ERROR_INVALID_DATA},
        {Text("- 3"), ERROR_INVALID_DATA},
        {Text("CMD ERR"), ERROR_INVALID_DATA},
        {Text("16"), ERROR_INVALID_DATA},
        {Text("-16"), ERROR_INVALID_DATA},
        {Text("240"), ERROR_INVALID_DATA},
        {Text("256"), ERROR_INVALID_DATA},
        {Text("-129"), ERROR_INVALID_DATA},
        {Text("4294967286"), ERROR_INVALID_DATA},
        {Text("-99999999999999999999"), ERROR_INVALID_DATA},
        {Status(0x10), ERROR_INVALID_DATA},
        {Status(0xF0), ERROR_INVALID_DATA},
        {Status(0x03, 5), ERROR_INVALID_DATA},
        {Status(0x03, 1), ERROR_INVALID_DATA},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        int value = GUARD;
        EXPECT_EQ(cases[i].code, Decode(cases[i].reply, &value));
        EXPECT_EQ(GUARD, value);
    }
}

TEST(PositionReply, TextEndsAtTheBytesRead)
{
    // "1" then a digit beyond the bytes read: the number is 1, not 12.
    const BYTE reply[] = {1, '1', '2'};
    int value = GUARD;
    EXPECT_EQ(0u, DecodePositionReply(reply, 2, &value));
    EXPECT_EQ(1, value);
    // No digit within the bytes read.
    value = GUARD;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), DecodePositionReply(reply, 1, &value));
    EXPECT_EQ(GUARD, value);
}

TEST(PositionReply, MissingArgumentsAreRefused)
{
    int value = GUARD;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), DecodePositionReply(nullptr, 4, &value));
    EXPECT_EQ(GUARD, value);
    const BYTE reply[] = {1, '1', 0};
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), DecodePositionReply(reply, 3, nullptr));
}

TEST(WriteReply, RejectionWordsGiveTheirCodes)
{
    EXPECT_EQ(ERR_FW_CMD, Check(Text("CMD ERR")));
    EXPECT_EQ(ERR_FW_PARA, Check(Text("xxPARA ERRxx")));
    EXPECT_EQ(ERR_FW_TASK_NOT_CREATED, Check(Text("TASK NOT CREATED")));
    EXPECT_EQ(ERR_FW_NACK, Check(Text("NACK")));
    EXPECT_EQ(ERR_FW_MEM_FULL, Check(Text(" MEM FULL")));
    // The first word of the list decides.
    EXPECT_EQ(ERR_FW_PARA, Check(Text("NACK PARA ERR")));
}

TEST(WriteReply, EverythingElseIsAccepted)
{
    EXPECT_EQ(0u, Check(Text("OK")));
    EXPECT_EQ(0u, Check(Text("")));
    EXPECT_EQ(0u, Check(Text("nack")));
    EXPECT_EQ(0u, Check(std::string("\0", 1)));
    EXPECT_EQ(0u, Check(std::string()));
    EXPECT_EQ(0u, Check(std::string("\x02NACK", 5)));
    // Text after the terminator or beyond the bytes read does not count.
    EXPECT_EQ(0u, Check(std::string("\x01OK\0NACK", 8)));
    const BYTE cut[] = {1, 'N', 'A', 'C', 'K'};
    EXPECT_EQ(0u, CheckWriteReply(cut, 4));
    EXPECT_EQ(ERR_FW_NACK, CheckWriteReply(cut, 5));
    EXPECT_EQ(0u, CheckWriteReply(nullptr, 5));
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

TEST_F(PositionExchange, ReadStopsAtTheFirstUnusableReply)
{
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("3"));
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("PARA ERR"));
    int l = GUARD, t = GUARD, s = GUARD;
    SetLastError(MARKER);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), ReadPositionValues(&m_cmd, &l, &t, &s));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_EQ(GUARD, l);
    EXPECT_EQ(GUARD, t);
    EXPECT_EQ(GUARD, s);
    EXPECT_EQ((std::vector<std::string>{Frame("Dwz;u;1"), Frame("Dwz;u;2")}), Requests(2));
}

TEST_F(PositionExchange, ReadReportsANotReadyPrinter)
{
    m_emu.AddStep(EMU_MATCH_EXACT, "Dwz;u;1", EmuNotReady());
    int l = GUARD, t = GUARD, s = GUARD;
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), ReadPositionValues(&m_cmd, &l, &t, &s));
    EXPECT_EQ(GUARD, l);
    EXPECT_EQ(1u, Requests(1).size());
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
