// The "Advanced card in and card out options" dialog, opened from the Print
// Option page in the sheet host double: its layout and exchanges per model,
// which replies switch a setting on, the numbers it sends, and how it
// reports a printer that cannot be reached or stops answering.
#include "PageSheet.h"
#include "AdvancedCardResource.h"
#include "Platform.h"
#include "PrintOptionResource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct DialogState {
    std::vector<int> hidden;
    std::map<int, std::wstring> labels;
    bool sensor = false, m1 = false, m2 = false;
    std::vector<std::wstring> numbers;
};

const int kLabelled[] = {IDC_ADV_SLOT_M1_GROUP, IDC_ADV_SLOT_M2_GROUP, IDC_ADV_EJECT_H_GROUP};
const int kNumberBoxes[] = {IDC_ADV_POSITION_H, IDC_ADV_TIME_H, IDC_ADV_POSITION_C, IDC_ADV_TIME_C};

DialogState ReadDialog(HWND dialog)
{
    DialogState state;
    for (int id = IDC_ADV_FEED_GROUP; id <= IDC_ADV_APPLY; ++id)
        if (!ControlShown(dialog, id))
            state.hidden.push_back(id);
    for (int id : kLabelled)
        state.labels[id] = ControlText(dialog, id);
    state.sensor = ControlChecked(dialog, IDC_ADV_CARD_OUT_SENSOR);
    state.m1 = ControlChecked(dialog, IDC_ADV_AUTO_FEED_M1);
    state.m2 = ControlChecked(dialog, IDC_ADV_AUTO_FEED_M2);
    for (int id : kNumberBoxes)
        state.numbers.push_back(ControlText(dialog, id));
    return state;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> ids;
    for (int id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class AdvancedCardDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        printer.Emu().Reply("Dwk", "2");
        printer.Emu().Reply("Dck;m1", "0");
        printer.Emu().Reply("Dck;m2", "1");
    }
    // Opens the dialog from the page of a model and runs the script in it;
    // false when the page or the dialog did not come up.
    bool Run(LPCWSTR driver, const std::function<void(HWND)>& script, LPCWSTR printerName = nullptr)
    {
        // One sheet at a time: the host double and the hook are the thread's.
        sheet.reset();
        sheet.reset(new CPageSheet(driver, printerName ? printerName : printer.Name().c_str()));
        HWND page = sheet->Show(IDD_PRINT_OPTION);
        printer.TakeFrames();
        bool ran = false;
        sheet->OnDialog([&](HWND dialog) {
            ran = true;
            state = ReadDialog(dialog);
            readFrames = printer.TakeFrames();
            if (script)
                script(dialog);
        });
        if (page)
            sheet->Click(IDC_ADVANCED_CARD);
        applyFrames = printer.TakeFrames();
        return page && ran;
    }
    const std::vector<CaughtBox>& Boxes() { return sheet->Host().MessageBoxes(); }

    CPagePrinterFixture printer;
    std::unique_ptr<CPageSheet> sheet;
    DialogState state;
    std::vector<std::string> readFrames, applyFrames;
};

TEST_F(AdvancedCardDialog, TheModelDecidesTheLayoutAndTheExchanges)
{
    const std::vector<int> feeder = {IDC_ADV_FEEDER_GROUP, IDC_ADV_CARD_OUT_SENSOR};
    const std::vector<int> slotM2 = {IDC_ADV_SLOT_M2_GROUP, IDC_ADV_AUTO_FEED_M2};
    const std::vector<int> ejectC = Range(IDC_ADV_EJECT_C_GROUP, IDC_ADV_TIME_C_UNIT);
    const std::wstring back = L"Back end manual feed slot", front = L"Front end manual feed slot";
    const std::map<int, std::wstring> asTemplate = {
        {IDC_ADV_SLOT_M1_GROUP, back}, {IDC_ADV_SLOT_M2_GROUP, front}, {IDC_ADV_EJECT_H_GROUP, back}};
    std::map<int, std::wstring> hopper = asTemplate;
    hopper[IDC_ADV_EJECT_H_GROUP] = L"Output hopper";
    const std::map<int, std::wstring> swapped = {
        {IDC_ADV_SLOT_M1_GROUP, front}, {IDC_ADV_SLOT_M2_GROUP, back}, {IDC_ADV_EJECT_H_GROUP, back}};
    struct Case {
        LPCWSTR driver;
        std::vector<int> hidden;
        std::map<int, std::wstring> labels;
        bool sensor;
        std::vector<std::string> read, apply;
    } cases[] = {
        {L"Vornex T42", Join(slotM2, ejectC), hopper, true, Frames({"Dwk", "Dck;m1"}),
         Frames({"Swk;2", "Sck;m1;0", "Sds;h;12;30"})},
        {L"Vornex T42G", feeder, swapped, false, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30", "Sds;c;7;40"})},
        {L"Vornex T40", feeder, swapped, false, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30", "Sds;c;7;40"})},
        {L"Vornex T41W", Join(feeder, ejectC), hopper, false, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30"})},
        {L"Other printer", {}, asTemplate, false, Frames({"Dck;m1", "Dck;m2"}),
         Frames({"Sck;m1;0", "Sck;m2;1", "Sds;h;12;30"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver);
        ASSERT_TRUE(Run(c.driver, [](HWND dialog) {
            TypeIn(dialog, IDC_ADV_POSITION_H, L"12");
            TypeIn(dialog, IDC_ADV_TIME_H, L"30");
            TypeIn(dialog, IDC_ADV_POSITION_C, L"7");
            TypeIn(dialog, IDC_ADV_TIME_C, L"40");
            ClickIn(dialog, IDC_ADV_APPLY);
        }));
        EXPECT_EQ(c.hidden, state.hidden);
        EXPECT_EQ(c.labels, state.labels);
        EXPECT_EQ(c.sensor, state.sensor);
        EXPECT_TRUE(state.m1);
        EXPECT_FALSE(state.m2);
        // The printer is never asked for the numbers.
        EXPECT_EQ((std::vector<std::wstring>{L"0", L"0", L"0", L"0"}), state.numbers);
        EXPECT_EQ(c.read, readFrames);
        EXPECT_EQ(c.apply, applyFrames);
        ASSERT_EQ(1u, Boxes().size());
        EXPECT_EQ(L"Apply to printer ok.", Boxes()[0].text);
        EXPECT_EQ(printer.Name(), Boxes()[0].caption);
        EXPECT_EQ(IDI_INFORMATION, Boxes()[0].icon);
        EXPECT_FALSE(Boxes()[0].owned);
        // The dialog changes nothing of the DEVMODE and marks nothing changed.
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
        std::vector<std::string> read;
    } cases[] = {
        {"text 0", EmuText("0"), true, Frames({"Dck;m1", "Dck;m2"})},
        {"text +0", EmuText("+0"), true, Frames({"Dck;m1", "Dck;m2"})},
        {"text 1", EmuText("1"), false, Frames({"Dck;m1", "Dck;m2"})},
        {"text without a number", EmuText("OK"), false, Frames({"Dck;m1", "Dck;m2"})},
        {"empty text", EmuText(""), false, Frames({"Dck;m1", "Dck;m2"})},
        {"status block, byte 5 = 0", EmuBytes(block), true, Frames({"Dck;m1", "Dck;m2"})},
        {"status block too short for byte 5", EmuBytes(shortBlock), false, Frames({"Dck;m1", "Dck;m2"})},
        {"not ready", EmuNotReady(), false, Frames({"Dck;m1", "Dck;m2"})},
        // A printer that stops answering is not asked again.
        {"connection closed", EmuClose(), false, Frames({"Dck;m1"})},
    };
    printer.Emu().Reply("Dck;m2", "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        printer.Emu().AddStep(EMU_MATCH_EXACT, "Dck;m1", c.reply);
        ASSERT_TRUE(Run(L"Vornex T42G", nullptr));
        EXPECT_EQ(c.m1, state.m1);
        EXPECT_EQ(c.read.size() == 2, state.m2);
        EXPECT_EQ(c.read, readFrames);
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(AdvancedCardDialog, NumbersAreClampedWhenCollectedAndShownClamped)
{
    std::vector<std::wstring> shown;
    ASSERT_TRUE(Run(L"Vornex T42G", [&](HWND dialog) {
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
    }));
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
    ASSERT_TRUE(Run(L"Vornex T42G", [](HWND dialog) { ClickIn(dialog, IDC_ADV_APPLY); }));
    EXPECT_EQ(Frames({"Sck;m1;0"}), applyFrames);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(reset, Boxes()[0].text);
    EXPECT_EQ(printer.Name(), Boxes()[0].caption);
    EXPECT_EQ(IDI_ERROR, Boxes()[0].icon);

    // A printer that cannot be reached: both the read and the apply say so.
    const std::wstring lonely = L"No Such Card Printer";
    ASSERT_TRUE(Run(L"Vornex T42", [&](HWND dialog) {
        EXPECT_FALSE(ControlChecked(dialog, IDC_ADV_CARD_OUT_SENSOR) || ControlChecked(dialog, IDC_ADV_AUTO_FEED_M1));
        ClickIn(dialog, IDC_ADV_APPLY);
    }, lonely.c_str()));
    ASSERT_EQ(2u, Boxes().size());
    for (const CaughtBox& box : Boxes()) {
        EXPECT_EQ(notConnected, box.text);
        EXPECT_EQ(lonely, box.caption);
        EXPECT_EQ(IDI_ERROR, box.icon);
        EXPECT_FALSE(box.owned);
    }
    EXPECT_TRUE(readFrames.empty() && applyFrames.empty());
}

} // namespace
