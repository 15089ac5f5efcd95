#include "QelCmdTestSupport.h"

#include <cstring>

namespace {

// Resources of this test program (QelCmdBulkTest.rc).
const DWORD kTableResource = 101;      // 6 bytes 10 20 30 40 50 60
const DWORD kEmptyResource = 102;      // no bytes
const DWORD kSmallResource = 103;      // 3 bytes 01 02 03
const DWORD kMissingResource = 199;

class Bulk : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Open(CMD_OVER_TCP)); }
    std::vector<std::string> RequestTexts(size_t count)
    {
        std::vector<std::string> texts;
        for (const EmuFrame& f : p.ExactFrames(count))
            texts.push_back(f.request);
        return texts;
    }
    CmdOverEmulator p;
};

// ---- Blocks ----

TEST_F(Bulk, FirmwareGoesOutAfterItsHeader)
{
    std::string image(1000, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(255 - i % 251);
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xrt", EmuBulk("OK", 1000));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendFirmwareData('a', reinterpret_cast<const BYTE*>(image.data()), 1000));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(512u, p.cmd.m_dwKeptData);
    EXPECT_EQ(1000u, p.cmd.m_dwSentData);

    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("Xrt;1000;a", frames[0].request);
    EXPECT_EQ(image, frames[0].bulk);
}

TEST_F(Bulk, HeatingTableNamesTheTable)
{
    const BYTE table[5] = {5, 4, 3, 2, 1};
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 5));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendHeatingTable("rw2b", table, 5));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("Xcb;5;a;rw2b", frames[0].request);
    EXPECT_EQ(std::string("\x05\x04\x03\x02\x01"), frames[0].bulk);
}

TEST_F(Bulk, PrintDataChoosesItsCommandByTheFlag)
{
    const BYTE plane[4] = {0xFF, 0, 0xFF, 0};
    p.emu.SetStanding(EMU_MATCH_COMMAND, "Xzl", EmuBulk("OK", 4));
    p.emu.SetStanding(EMU_MATCH_COMMAND, "Xzlb", EmuBulk("OK", 4));
    EXPECT_EQ(0u, p.cmd.SendPrintData(0, "y", 1, 2, plane, 4));
    EXPECT_EQ(0u, p.cmd.SendPrintData(1, "k", 648, 1012, plane, 4));
    // Numbers pass through as signed decimal text.
    EXPECT_EQ(0u, p.cmd.SendPrintData(1, "o", 0xFFFFFFFF, 9999999, plane, 4));
    std::vector<EmuFrame> frames = p.ExactFrames(3);
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ("Xzl;4;y;1;2", frames[0].request);
    EXPECT_EQ("Xzlb;4;k;648;1012", frames[1].request);
    EXPECT_EQ("Xzlb;4;o;-1;9999999", frames[2].request);
    for (const EmuFrame& f : frames)
        EXPECT_EQ(std::string("\xFF\x00\xFF\x00", 4), f.bulk);
}

TEST_F(Bulk, RefusesParametersThatDoNotFitSevenCharactersBeforeSending)
{
    const BYTE data[4] = {1, 2, 3, 4};
    auto expectRefused = [](DWORD result) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), result);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    };
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendHeatingTable("abcdefgh", data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendHeatingTable("", data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendHeatingTable(NULL, data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendHeatingTable("y", data, 10000000));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendHeatingTable("y", NULL, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendFirmwareData('a', data, 0xFFFFFFFF));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendFirmwareData('a', NULL, 1));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendPrintData(0, "ymckoab", 12345678, 0, data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendPrintData(0, "y", 0, 0x80000000, data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendPrintData(0, "ymckoabc", 0, 0, data, 4));
    SetLastError(kLastErrorMarker);
    expectRefused(p.cmd.SendPrintData(0, NULL, 0, 0, data, 4));
    EXPECT_EQ(0u, p.ExactFrames(0).size());

    // Seven characters fit.
    p.emu.SetStanding(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 4));
    EXPECT_EQ(0u, p.cmd.SendHeatingTable("abcdefg", data, 4));
    EXPECT_EQ("Xcb;4;a;abcdefg", p.ExactFrames(1).at(0).request);
}

TEST_F(Bulk, AnEmptyBlockStillWaitsForThePrintersOk)
{
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuText("TASK UNAVA"));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuText("OK"));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendHeatingTable("y", NULL, 0));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(0u, p.cmd.m_dwSentData);
    EXPECT_EQ((std::vector<std::string>{"Xcb;0;a;y", "Xcb;0;a;y"}), RequestTexts(2));
}

TEST_F(Bulk, RejectionEndsTheTransferWithoutData)
{
    const BYTE data[4] = {1, 2, 3, 4};
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xrt", EmuText("MEM FULL"));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(ERR_FW_MEM_FULL, p.cmd.SendFirmwareData('b', data, 4));
    EXPECT_EQ(ERR_FW_MEM_FULL, GetLastError());
    std::vector<EmuFrame> frames = p.ExactFrames(1);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("Xrt;4;b", frames[0].request);
    EXPECT_TRUE(frames[0].bulk.empty());
}

// ---- Heating-table slots ----

TEST_F(Bulk, SendsFilledSlotsInOrderWithTheRewriteTableTwice)
{
    TempFile cyan(L"c.bin", "CCC");
    TempFile rewrite(L"rw.bin", "RRRRR");
    LPCWSTR names[QEL_HEATING_SLOTS] = {NULL, NULL, cyan.Path(), NULL, NULL, rewrite.Path(), NULL, NULL};
    p.cmd.SetHeatingTableName(names);
    p.emu.AddStep(EMU_MATCH_PREFIX, "Xcb;3;", EmuBulk("OK", 3));
    p.emu.SetStanding(EMU_MATCH_PREFIX, "Xcb;5;", EmuBulk("OK", 5));

    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendHeatingTables());
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    std::vector<EmuFrame> frames = p.ExactFrames(3);
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ("Xcb;3;a;c", frames[0].request);
    EXPECT_EQ("CCC", frames[0].bulk);
    EXPECT_EQ("Xcb;5;a;rw", frames[1].request);
    EXPECT_EQ("RRRRR", frames[1].bulk);
    EXPECT_EQ("Xcb;5;a;rw2", frames[2].request);
    EXPECT_EQ("RRRRR", frames[2].bulk);
}

TEST_F(Bulk, StopsAtTheFirstRefusedTable)
{
    TempFile yellow(L"y.bin", "YY");
    TempFile magenta(L"m.bin", "MM");
    TempFile rewrite(L"rw.bin", "RR");
    LPCWSTR names[QEL_HEATING_SLOTS] = {yellow.Path(), magenta.Path(), NULL, NULL, NULL, rewrite.Path(), NULL, NULL};
    p.cmd.SetHeatingTableName(names);
    p.emu.AddStep(EMU_MATCH_EXACT, "Xcb;2;a;y", EmuBulk("OK", 2));
    p.emu.AddStep(EMU_MATCH_EXACT, "Xcb;2;a;m", EmuText("NACK"));
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(ERR_FW_NACK, p.cmd.SendHeatingTables());
    EXPECT_EQ(ERR_FW_NACK, GetLastError());
    EXPECT_EQ((std::vector<std::string>{"Xcb;2;a;y", "Xcb;2;a;m"}), RequestTexts(2));
}

TEST_F(Bulk, RefusedRewriteTableIsNotSentAgainAsRw2)
{
    TempFile rewrite(L"rw.bin", "RR");
    LPCWSTR names[QEL_HEATING_SLOTS] = {NULL, NULL, NULL, NULL, NULL, rewrite.Path(), NULL, NULL};
    p.cmd.SetHeatingTableName(names);
    p.emu.AddStep(EMU_MATCH_EXACT, "Xcb;2;a;rw", EmuText("PARA ERR"));
    EXPECT_EQ(ERR_FW_PARA, p.cmd.SendHeatingTables());
    EXPECT_EQ((std::vector<std::string>{"Xcb;2;a;rw"}), RequestTexts(1));
}

TEST_F(Bulk, NoFilledSlotSendsNothing)
{
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendHeatingTables());
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ(0u, p.ExactFrames(0).size());
}

TEST(HeatingTables, FileNamesFillSlotsAndLeaveEmptyOrMissingFilesOut)
{
    TempFile table(L"table.bin", std::string("\x00\x7F\x80\xFF", 4));
    TempFile empty(L"empty.bin", "");
    TempFile missing(L"missing.bin", "", FALSE);
    CQelCmd cmd;
    LPCWSTR names[QEL_HEATING_SLOTS] = {table.Path(), empty.Path(), missing.Path(), L"", NULL, NULL, NULL, table.Path()};
    cmd.SetHeatingTableName(names);
    ASSERT_NE(nullptr, cmd.m_HeatingTable.pTable[0]);
    EXPECT_EQ(4u, cmd.m_HeatingTable.dwLength[0]);
    EXPECT_EQ(0, memcmp(cmd.m_HeatingTable.pTable[0], "\x00\x7F\x80\xFF", 4));
    for (DWORD slot = 1; slot < 7; ++slot) {
        EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[slot]) << slot;
        EXPECT_EQ(0u, cmd.m_HeatingTable.dwLength[slot]) << slot;
    }
    EXPECT_EQ(4u, cmd.m_HeatingTable.dwLength[7]);

    // A new set of names empties every slot first.
    LPCWSTR none[QEL_HEATING_SLOTS] = {};
    cmd.SetHeatingTableName(none);
    for (DWORD slot = 0; slot < QEL_HEATING_SLOTS; ++slot)
        EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[slot]) << slot;
    cmd.SetHeatingTableName(NULL);
}

TEST(HeatingTables, ResourcesFillOnlyEmptySlots)
{
    TempFile table(L"slot0.bin", "FILE");
    CQelCmd cmd;
    LPCWSTR names[QEL_HEATING_SLOTS] = {table.Path()};
    cmd.SetHeatingTableName(names);
    const DWORD ids[QEL_HEATING_SLOTS] = {kTableResource, kTableResource, kEmptyResource, kMissingResource, 0,
                                          kSmallResource | 0x10000, 0, 0};
    cmd.SetHeatingTableResId(ids);

    EXPECT_EQ(4u, cmd.m_HeatingTable.dwLength[0]);
    EXPECT_EQ(0, memcmp(cmd.m_HeatingTable.pTable[0], "FILE", 4));
    ASSERT_NE(nullptr, cmd.m_HeatingTable.pTable[1]);
    EXPECT_EQ(6u, cmd.m_HeatingTable.dwLength[1]);
    EXPECT_EQ(0, memcmp(cmd.m_HeatingTable.pTable[1], "\x10\x20\x30\x40\x50\x60", 6));
    // An empty or missing resource leaves the printer's own table in place.
    EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[2]);
    EXPECT_EQ(0u, cmd.m_HeatingTable.dwLength[2]);
    EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[3]);
    EXPECT_EQ(nullptr, cmd.m_HeatingTable.pTable[4]);
    // Only the id's low 16 bits name the resource.
    ASSERT_NE(nullptr, cmd.m_HeatingTable.pTable[5]);
    EXPECT_EQ(3u, cmd.m_HeatingTable.dwLength[5]);

    // A later call fills what is still empty and keeps the rest.
    const DWORD again[QEL_HEATING_SLOTS] = {kSmallResource, kSmallResource, kSmallResource};
    cmd.SetHeatingTableResId(again);
    EXPECT_EQ(4u, cmd.m_HeatingTable.dwLength[0]);
    EXPECT_EQ(6u, cmd.m_HeatingTable.dwLength[1]);
    EXPECT_EQ(3u, cmd.m_HeatingTable.dwLength[2]);
    cmd.SetHeatingTableResId(NULL);
}

// ---- Energies ----

class Energy : public Bulk {
protected:
    void SetUp() override
    {
        Bulk::SetUp();
        BYTE values[32];
        for (int i = 0; i < 32; ++i)
            values[i] = static_cast<BYTE>(i + 1);
        values[3] = static_cast<BYTE>(-5);
        values[7] = 0xF0;
        p.cmd.SetEnergyTable(values);
    }
};

TEST_F(Energy, ResinKindSendsFourSettings)
{
    SetLastError(kLastErrorMarker);
    EXPECT_EQ(0u, p.cmd.SendPrintingEnergy(1));
    EXPECT_EQ(kLastErrorMarker, GetLastError());
    EXPECT_EQ((std::vector<std::string>{"Snl;k;=;-5", "Snl;kb;=;-16", "Sgk;k;=;12", "Sgk;kb;=;16"}), RequestTexts(4));
}

TEST_F(Energy, RewriteKindSendsSixSettings)
{
    EXPECT_EQ(0u, p.cmd.SendPrintingEnergy(-1));
    EXPECT_EQ((std::vector<std::string>{"Snl;rw;=;25", "Snl;re;=;26", "Snl;rw2;=;25", "Sgk;rwb;=;27", "Sgk;reb;=;28",
                                        "Sgk;rw2b;=;27"}),
              RequestTexts(6));
}

TEST_F(Energy, OtherKindsSendTwentySettings)
{
    EXPECT_EQ(0u, p.cmd.SendPrintingEnergy(0));
    EXPECT_EQ((std::vector<std::string>{
                  "Snl;y;=;1",   "Snl;m;=;1",   "Snl;c;=;1",   "Snl;k;=;2",   "Snl;o;=;3",
                  "Snl;yb;=;5",  "Snl;mb;=;5",  "Snl;cb;=;5",  "Snl;kb;=;6",  "Snl;ob;=;7",
                  "Sgk;y;=;9",   "Sgk;m;=;9",   "Sgk;c;=;9",   "Sgk;k;=;10",  "Sgk;o;=;11",
                  "Sgk;yb;=;13", "Sgk;mb;=;13", "Sgk;cb;=;13", "Sgk;kb;=;14", "Sgk;ob;=;15",
              }),
              RequestTexts(20));
    EXPECT_EQ(20u, p.ExactFrames(20).size());
}

TEST(EnergyLink, SendsTheWholeSequenceAndReportsTheFirstFailure)
{
    CmdOverEmulator u;
    ASSERT_TRUE(u.Open(CMD_OVER_USB));
    u.link.SetTimeOut(300, 300);
    u.emu.AddStep(EMU_MATCH_EXACT, "Snl;k;=;0", EmuSilent());
    SetLastError(kLastErrorMarker);
    DWORD result = u.cmd.SendPrintingEnergy(1);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    std::vector<std::string> requests;
    for (const EmuFrame& f : u.ExactFrames(4))
        requests.push_back(f.request);
    EXPECT_EQ((std::vector<std::string>{"Snl;k;=;0", "Snl;kb;=;0", "Sgk;k;=;0", "Sgk;kb;=;0"}), requests);
}

TEST(EnergyTable, KeepsAll32ValuesAndIgnoresNull)
{
    CQelCmd cmd;
    BYTE values[32];
    for (int i = 0; i < 32; ++i)
        values[i] = static_cast<BYTE>(200 + i);
    cmd.SetEnergyTable(values);
    EXPECT_EQ(0, memcmp(cmd.m_EnergyTable.value, values, 32));
    cmd.SetEnergyTable(NULL);
    EXPECT_EQ(0, memcmp(cmd.m_EnergyTable.value, values, 32));
    EXPECT_EQ(-56, cmd.m_EnergyTable.value[0]);
}

// ---- Log ----

TEST(CommandLog, BannerNamesTheModelOrThePrinterAndJob)
{
    CmdOverEmulator p;
    ASSERT_TRUE(p.Open(CMD_OVER_TCP));
    TempFile log(L"banner.log", "", FALSE);
    p.link.m_dwModelSN = 2;
    p.cmd.SetLogEnable(1, log.Path(), 1);
    p.cmd.SetJobInfo(L"Card Printer", 77, L"");
    p.cmd.SetLogEnable(1, log.Path(), 1);
    p.cmd.SetLogEnable(1, log.Path(), 0);
    const BYTE data[2] = {1, 2};
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 2));
    EXPECT_EQ(0u, p.cmd.SendHeatingTable("k", data, 2));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xrt", EmuBulk("OK", 2));
    EXPECT_EQ(0u, p.cmd.SendFirmwareData('f', data, 2));
    p.emu.AddStep(EMU_MATCH_COMMAND, "Xzl", EmuBulk("OK", 2));
    EXPECT_EQ(0u, p.cmd.SendPrintData(0, "ymc", 1, 1, data, 2));
    EXPECT_EQ(0u, p.cmd.SendPrintingEnergy(1));
    p.cmd.SetLogEnable(0, NULL, 0);

    std::string text = log.Read();
    EXPECT_NE(std::string::npos, text.find("Printer Model = \"Vornex T42\","));
    EXPECT_NE(std::string::npos, text.find("szPrinterName = \"Card Printer\", dwSplJobId = 77,"));
    EXPECT_EQ(text.find("szPrinterName"), text.rfind("szPrinterName"));
    EXPECT_NE(std::string::npos, text.find("==>SendHeatingTable(k):: return = 0, m_dwRecvResponse = 4,"));
    EXPECT_NE(std::string::npos, text.find("==>SendFirmwareData(f):: return = 0, m_dwRecvResponse = 4,"));
    EXPECT_NE(std::string::npos, text.find("==>SendPrintData(ymc):: return = 0, m_dwRecvResponse = 4,"));
    EXPECT_NE(std::string::npos, text.find("==>SendPrintingEnergy():: return = 0, m_dwRecvResponse = 4,"));

    // Without a link nothing happens.
    CQelCmd alone;
    alone.SetLogEnable(1, log.Path(), 1);
}

} // namespace
