// The "Advanced card in and card out options" dialog, opened from the Print
// Option page in the sheet host double: its layout and exchanges per model,
// which replies switch a setting on, the numbers it sends, and how it
// reports a printer that cannot be reached, stops answering or rejects a
// command.
#include "PageSheet.h"
#include "AdvancedCardResource.h"
#include "DialogDriver.h"
#include "Platform.h"
#include "PrintOptionResource.h"

#include <gtest/gtest.h>

namespace {

const int kNumberBoxes[] = {IDC_ADV_POSITION_H, IDC_ADV_TIME_H, IDC_ADV_POSITION_C, IDC_ADV_TIME_C};

class AdvancedCardDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        printer.Emu().Reply("Dwk", "2");
        printer.Emu().Reply("Dck;m1", "0");
        printer.Emu().Reply("Dck;m2", "1");
    }
    // Opens the dialog from the page of a model; once it has read the
    // printer, notes what it shows and runs the script in it.
    void Run(LPCWSTR driver, const std::function<void(HWND)>& script, LPCWSTR printerName = nullptr)
    {
        // One sheet at a time: the host double and its hook are the thread's.
        sheet.reset();
        sheet.reset(new CPageSheet(driver, printerName ? printerName : printer.Name().c_str()));
        HWND page = sheet->Show(IDD_PRINT_OPTION);
        ASSERT_NE(nullptr, page);
        printer.TakeFrames();
        bool ran = false;
        CDialogDriver answer(CDialogDriver::Script([&](HWND dialog) {
            ran = true;
            hidden.clear();
            for (int id = IDC_ADV_FEED_GROUP; id <= IDC_ADV_APPLY; ++id)
                if (!ControlShown(dialog, id))
                    hidden.push_back(id);
            labels = {ControlText(dialog, IDC_ADV_SLOT_M1_GROUP), ControlText(dialog, IDC_ADV_SLOT_M2_GROUP),
                      ControlText(dialog, IDC_ADV_EJECT_H_GROUP)};
            switches = {ControlChecked(dialog, IDC_ADV_CARD_OUT_SENSOR), ControlChecked(dialog, IDC_ADV_AUTO_FEED_M1),
                        ControlChecked(dialog, IDC_ADV_AUTO_FEED_M2)};
            numbers.clear();
            for (int id : kNumberBoxes)
                numbers.push_back(ControlText(dialog, id));
            applyEnabled = ControlEnabled(dialog, IDC_ADV_APPLY);
            readFrames = printer.TakeFrames();
            if (script)
                script(dialog);
        }));
        sheet->Click(IDC_ADVANCED_CARD);
        applyFrames = printer.TakeFrames();
        ASSERT_TRUE(ran);
    }
    const std::vector<CaughtBox>& Boxes() { return sheet->Host().MessageBoxes(); }

    CPagePrinterFixture printer;
    std::unique_ptr<CPageSheet> sheet;
    std::vector<int> hidden;
    std::vector<std::wstring> labels, numbers;
    std::vector<bool> switches;
    bool applyEnabled = false;
    std::vector<std::string> readFrames, applyFrames;
};

std::vector<int> Ids(std::initializer_list<std::pair<int, int>> ranges)
{
    std::vector<int> ids;
    for (const auto& range : ranges)
        for (int id = range.first; id <= range.second; ++id)
            ids.push_back(id);
    return ids;
}

TEST_F(AdvancedCardDialog, TheModelDecidesTheLayoutAndTheExchanges)
{
    const std::pair<int, int> feeder = {IDC_ADV_FEEDER_GROUP, IDC_ADV_CARD_OUT_SENSOR},
                              slotM2 = {IDC_ADV_SLOT_M2_GROUP, IDC_ADV_AUTO_FEED_M2},
                              ejectC = {IDC_ADV_EJECT_C_GROUP, IDC_ADV_TIME_C_UNIT};
    const std::wstring back = L"Back end manual feed slot", front = L"Front end manual feed slot",
                       hopper = L"Output hopper";
    const std::vector<std::string> groupA = Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30", "Sds;c;7;40"});
    struct Case {
        LPCWSTR driver;
        std::vector<int> hidden;
        std::vector<std::wstring> labels;
        std::vector<std::string> read, apply;
    } cases[] = {
        {L"Vornex T42", Ids({slotM2, ejectC}), {back, front, hopper}, Frames({"Dwk", "Dck;m1"}),
         Frames({"Swk;2", "Sck;m1;0", "Sds;h;12;30"})},
        {L"Vornex T42G", Ids({feeder}), {front, back, back}, Frames({"Dck;m1", "Dck;m2"}), groupA},
        {L"Vornex T40", Ids({feeder}), {front, back, back}, Frames({"Dck;m1", "Dck;m2"}), groupA},
        {L"Vornex T41W", Ids({feeder, ejectC}), {back, front, hopper}, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30"})},
        {L"Other printer", {}, {back, front, back}, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver);
        Run(c.driver, [](HWND dialog) {
            TypeIn(dialog, IDC_ADV_POSITION_H, L"12");
            TypeIn(dialog, IDC_ADV_TIME_H, L"30");
            TypeIn(dialog, IDC_ADV_POSITION_C, L"7");
            TypeIn(dialog, IDC_ADV_TIME_C, L"40");
            ClickIn(dialog, IDC_ADV_APPLY);
        });
        EXPECT_EQ(c.hidden, hidden);
        EXPECT_EQ(c.labels, labels);
        // The sensor (read on the T42 only) and m1 read as on, m2 as off.
        const bool sensorRead = c.read == Frames({"Dwk", "Dck;m1"});
        EXPECT_EQ((std::vector<bool>{sensorRead, true, false}), switches);
        // The printer is never asked for the numbers.
        EXPECT_EQ((std::vector<std::wstring>{L"0", L"0", L"0", L"0"}), numbers);
        EXPECT_EQ(c.read, readFrames);
        EXPECT_EQ(c.apply, applyFrames);
        ASSERT_EQ(1u, Boxes().size());
        EXPECT_EQ(L"Apply to printer ok.", Boxes()[0].text);
        EXPECT_EQ(printer.Name(), Boxes()[0].caption);
        EXPECT_EQ(IDI_INFORMATION, Boxes()[0].icon);
        EXPECT_FALSE(Boxes()[0].owned);
        EXPECT_EQ(0, sheet->Host().ChangedCount());
    }
}

TEST_F(AdvancedCardDialog, OnlyAReplyCarryingTheNumberSwitchesASettingOn)
{
    std::string block(8, '\0'), shortBlock(5, '\0');
    block[0] = shortBlock[0] = 2;
    struct Case {
        const char* what;
        EmuStep reply;
        bool m1;
        bool stops; // the read ends with the stop box and Apply is disabled
    } cases[] = {
        {"text 0", EmuText("0"), true, false},
        {"text +0", EmuText("+0"), true, false},
        {"text 0 after a blank", EmuText(" 0"), true, false},
        {"text 0 after a line end", EmuText("\r\n0"), true, false},
        {"text 1", EmuText("1"), false, false},
        {"text without a number", EmuText("OK"), false, false},
        {"status block, byte 5 = 0", EmuBytes(block), true, false},
        {"status block too short for byte 5", EmuBytes(shortBlock), false, false},
        {"not ready", EmuNotReady(), false, false},
        {"rejection", EmuText("CMD ERR"), false, true},
        {"connection closed", EmuClose(), false, true},
    };
    printer.Emu().Reply("Dck;m2", "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        printer.Emu().AddStep(EMU_MATCH_EXACT, "Dck;m1", c.reply);
        Run(L"Vornex T42G", nullptr);
        EXPECT_EQ((std::vector<bool>{false, c.m1, !c.stops}), switches);
        EXPECT_EQ(c.stops ? Frames({"Dck;m1"}) : Frames({"Dck;m1", "Dck;m2"}), readFrames);
        EXPECT_EQ(!c.stops, applyEnabled);
        ASSERT_EQ(c.stops ? 1u : 0u, Boxes().size());
        for (const CaughtBox& box : Boxes())
            EXPECT_EQ(IDI_ERROR, box.icon);
    }
}

TEST_F(AdvancedCardDialog, ARejectedCommandStopsTheApplyWithTheStopBox)
{
    const struct {
        const char* word;
        LPCWSTR text;
    } cases[] = {
        {"CMD ERR", L"Error code = 0x000100A1"},
        {"PARA ERR", L"Error code = 0x000100A2"},
        {"TASK NOT CREATED", L"Error code = 0x000100A3"},
        {"NACK", L"Error code = 0x000100A4"},
        {"MEM FULL", L"Error code = 0x000100A5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        printer.Emu().AddStep(EMU_MATCH_EXACT, "Sck;m2;1", EmuText(c.word));
        Run(L"Vornex T42G", [](HWND dialog) { ClickIn(dialog, IDC_ADV_APPLY); });
        EXPECT_EQ(Frames({"Sck;m1;0", "Sck;m2;1"}), applyFrames);
        ASSERT_EQ(1u, Boxes().size());
        EXPECT_EQ(c.text, Boxes()[0].text);
        EXPECT_EQ(printer.Name(), Boxes()[0].caption);
        EXPECT_EQ(IDI_ERROR, Boxes()[0].icon);
    }
}

TEST_F(AdvancedCardDialog, NumbersAreClampedWhenCollectedAndShownClamped)
{
    std::vector<std::wstring> shown;
    Run(L"Vornex T42G", [&](HWND dialog) {
        // The boxes take 2 and 6 characters: "951" arrives as "95".
        TypeIn(dialog, IDC_ADV_POSITION_H, L"951");
        TypeIn(dialog, IDC_ADV_TIME_H, L"-5");
        TypeIn(dialog, IDC_ADV_POSITION_C, L"4x");
        TypeIn(dialog, IDC_ADV_TIME_C, L"130000");
        ClickIn(dialog, IDC_ADV_APPLY);
        for (int id : kNumberBoxes)
            shown.push_back(ControlText(dialog, id));
        TypeIn(dialog, IDC_ADV_POSITION_H, L"80");
        TypeIn(dialog, IDC_ADV_TIME_H, L"120000");
        TypeIn(dialog, IDC_ADV_TIME_C, L"");
        ClickIn(dialog, IDC_ADV_APPLY);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"80", L"0", L"0", L"120000"}), shown);
    EXPECT_EQ(Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;80;0", "Sds;c;0;120000", "Sck;m1;0", "Sck;m2;1",
                      "Sds;h;80;120000", "Sds;c;0;0"}),
              applyFrames);
    EXPECT_EQ(2u, Boxes().size());
}

TEST_F(AdvancedCardDialog, FailuresShowTheStopBoxWithTheSystemText)
{
    WCHAR reset[1024], notConnected[1024];
    ASSERT_NE(nullptr, GetSystemErrorText(WSAECONNRESET, reset, 1024));
    ASSERT_NE(nullptr, GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED, notConnected, 1024));
    // The printer stops answering during "Apply to printer": nothing more is
    // sent and no success is claimed.
    printer.Emu().AddStep(EMU_MATCH_COMMAND, "Sck", EmuClose());
    Run(L"Vornex T42G", [](HWND dialog) { ClickIn(dialog, IDC_ADV_APPLY); });
    EXPECT_EQ(Frames({"Sck;m1;0"}), applyFrames);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(reset, Boxes()[0].text);
    EXPECT_EQ(printer.Name(), Boxes()[0].caption);
    EXPECT_EQ(IDI_ERROR, Boxes()[0].icon);
    // A printer that cannot be reached, when the dialog opens or later at
    // "Apply to printer": each says so. Nothing was read at the opening, so
    // nothing can be applied.
    const std::wstring lonely = L"No Such Card Printer";
    const struct {
        const std::wstring& name;
        bool stopBeforeApply;
    } cases[] = {{lonely, false}, {printer.Name(), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run(L"Vornex T42", [&](HWND dialog) {
            if (c.stopBeforeApply)
                printer.Emu().Stop();
            ClickIn(dialog, IDC_ADV_APPLY);
        }, c.name.c_str());
        EXPECT_EQ(c.stopBeforeApply, applyEnabled);
        ASSERT_EQ(1u, Boxes().size());
        EXPECT_EQ(notConnected, Boxes()[0].text);
        EXPECT_EQ(c.name, Boxes()[0].caption);
        EXPECT_EQ(IDI_ERROR, Boxes()[0].icon);
        EXPECT_TRUE(applyFrames.empty());
        // The switches of the T42 printer read as on, none of the lonely one.
        EXPECT_EQ((std::vector<bool>{c.stopBeforeApply, c.stopBeforeApply, false}), switches);
    }
}

} // namespace
