// The "Print Option" page in the sheet host double: its set-up per model,
// the ribbon, side, panel, feed and eject rules as a user works the
// controls, the ribbon detection against the emulated printer, and the
// working DEVMODE byte for byte.
#include "PageSheet.h"
#include "DevModeImage.h"
#include "PrintOptionResource.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

// Offsets of the private part.
const size_t kRibbon = 64, kSides = 66, kColor = 67, kFrontK = 68, kBackK = 69, kRotate = 70, kFrontPanel = 71,
             kBackPanel = 72, kCardIn = 73, kFeedFlags = 74, kCardOut = 75, kEjectFlags = 76, kReject = 77;
typedef std::vector<std::wstring> Texts;

class PrintOptionPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.ok()); }
    // The page of a model, shown, with the printer's frames of its set-up.
    void Open(LPCWSTR driver, const std::function<void(PrivateDevMode&)>& prepare = nullptr)
    {
        sheet.reset();
        sheet.reset(new CPageSheet(driver, printer.Name().c_str()));
        if (prepare)
            prepare(sheet->Private());
        expected = DevModeImage::Defaults(printer.Name().c_str());
        page = sheet->Show(IDD_PRINT_OPTION);
        ASSERT_NE(nullptr, page);
        setUpFrames = printer.TakeFrames();
    }
    std::string Differences() { return ImageDifferences(expected, &sheet->Ui().DevMode); }
    bool Shown(int id) { return ControlShown(page, id); }
    int Changed() { return sheet->Host().ChangedCount(); }

    CPagePrinterFixture printer;
    std::unique_ptr<CPageSheet> sheet;
    DevModeImage expected;
    HWND page = nullptr;
    std::vector<std::string> setUpFrames;
};

TEST_F(PrintOptionPage, SetUpFollowsTheModel)
{
    const Texts back = {L"Back end manual feed slot"}, front = {L"Front end manual feed slot"};
    struct Case {
        LPCWSTR driver;
        bool rewrite, backShown, hookShown;
        Texts feed, eject, reject;
    } cases[] = {
        {L"Vornex T42", false, true, true, {L"Card feeder", back[0]}, {L"Output hopper", L"Reject tray", L"Do not eject card"},
         {L"Default", L"Output hopper", L"Reject tray"}},
        {L"Vornex T42G", false, true, false, {front[0], back[0]}, {back[0], front[0], L"Do not eject card"},
         {L"Default", back[0], front[0]}},
        {L"Vornex T41", false, false, false, {L"Card feeder", back[0], front[0]},
         {L"Output hopper", front[0], L"Reject tray", L"Do not eject card"},
         {L"Default", L"Output hopper", front[0], L"Reject tray"}},
        // Rewrite: the rewrite row chosen and fixed, erasing offered, no ribbon asked.
        {L"Vornex T40W", true, false, false, {front[0], back[0]}, {back[0], front[0], L"Do not eject card"},
         {L"Default", back[0], front[0]}},
        {L"Other printer", false, true, true, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver);
        Open(c.driver);
        Texts ribbons = {L"YMCKO", L"K", L"1/2 YMCKO", L"YMCKOK", L"KO"};
        if (c.rewrite)
            ribbons.push_back(L"None (Rewrite card)");
        EXPECT_EQ(ribbons, ControlEntries(page, IDC_RIBBON));
        EXPECT_EQ(c.rewrite ? 5 : 0, ControlSelection(page, IDC_RIBBON));
        EXPECT_EQ(!c.rewrite, ControlEnabled(page, IDC_RIBBON) && ControlEnabled(page, IDC_FRONT_PRINT));
        EXPECT_EQ(c.rewrite, Shown(IDC_ERASE_FIRST) && Shown(IDC_FRONT_KMODE) && !Shown(IDC_FRONT_PANEL));
        EXPECT_EQ(c.backShown, Shown(IDC_BACK_PRINT));
        EXPECT_EQ(c.hookShown, Shown(IDC_HOOK_MODE) && Shown(IDC_RETRY_BY_HOOK));
        EXPECT_FALSE(Shown(IDC_FEED_BY_COMMAND) || Shown(IDC_FRONT_COLOR) || Shown(IDC_DETECT_RIBBON));
        EXPECT_EQ(c.feed, ControlEntries(page, IDC_FEED));
        EXPECT_EQ(c.eject, ControlEntries(page, IDC_EJECT));
        EXPECT_EQ(c.reject, ControlEntries(page, IDC_REJECT));
        EXPECT_EQ((Texts{L"YMCKO", L"YMCO", L"K"}), ControlEntries(page, IDC_BACK_PANEL));
        EXPECT_EQ((Texts{L"Black/White", L"Resin Dither"}), ControlEntries(page, IDC_FRONT_KMODE));
        EXPECT_TRUE(ControlChecked(page, IDC_PORTRAIT) && ControlChecked(page, IDC_FRONT_PRINT));
        EXPECT_EQ(L"1", ControlText(page, IDC_COPIES));
        // The printer's "OK" names no ribbon: nothing changes.
        EXPECT_EQ(c.rewrite ? Frames({}) : Frames({"Ds;2"}), setUpFrames);
        if (c.rewrite)
            expected.PrivByte(kRibbon, 255);
        EXPECT_EQ("", Differences());
        // The copies box reports the text it is given at set-up: no change.
        EXPECT_EQ(0, Changed());
    }
}

TEST_F(PrintOptionPage, SetUpShowsTheStoredChoices)
{
    Open(L"Vornex T42", [](PrivateDevMode& p) {
        p.byRibbon = 7; // no row of the table: it keeps its value
        p.bySides = 0x10;
        p.byBackPanel = 2;
        p.byCardIn = 1;
        p.byCardOut = 2;
        p.byEjectFlags = 1;
    });
    EXPECT_EQ(0, ControlSelection(page, IDC_RIBBON));
    EXPECT_FALSE(ControlChecked(page, IDC_FRONT_PRINT) || ControlEnabled(page, IDC_FRONT_KMODE));
    EXPECT_TRUE(ControlChecked(page, IDC_BACK_PRINT) && Shown(IDC_BACK_KMODE));
    EXPECT_EQ(1, ControlSelection(page, IDC_FEED));
    EXPECT_FALSE(Shown(IDC_HOOK_MODE) || Shown(IDC_WAIT_FOR_REMOVAL));
    EXPECT_TRUE(ControlChecked(page, IDC_WAIT_FOR_REMOVAL));
    expected.PrivByte(kRibbon, 7).PrivByte(kSides, 0x10).PrivByte(kBackPanel, 2).PrivByte(kCardIn, 1);
    expected.PrivByte(kCardOut, 2).PrivByte(kEjectFlags, 1);
    EXPECT_EQ("", Differences());
    // Any orientation but portrait is shown and stored as landscape.
    sheet.reset();
    CPageSheet other(L"Vornex T42", printer.Name().c_str());
    other.Ui().DevMode.dmPublic.dmOrientation = 0;
    page = other.Show(IDD_PRINT_OPTION);
    EXPECT_TRUE(ControlChecked(page, IDC_LANDSCAPE) && !ControlChecked(page, IDC_PORTRAIT));
    EXPECT_EQ(2, other.Ui().DevMode.dmPublic.dmOrientation);
}

TEST_F(PrintOptionPage, ARibbonChoiceSetsTheSidesAndPanels)
{
    struct Case {
        LPCWSTR driver;
        int row;
        BYTE sides, color, backPanel, backK;
        bool frontPanelShown, backKShown;
    } cases[] = {
        // The back prints the second black panel dithered, and its list says so.
        {L"Vornex T42", 3, 0x11, 0x01, 2, 1, true, true},
        {L"Vornex T41", 3, 0x01, 0x01, 0, 0, true, false},
        {L"Vornex T42", 2, 0x01, 0x01, 0, 0, true, false},
        {L"Vornex T42", 1, 0x01, 0x00, 0, 0, false, true},
        {L"Vornex T42D", 4, 0x01, 0x00, 0, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " row " << c.row);
        Open(c.driver, [](PrivateDevMode& p) {
            p.byRotate180 = 0x11;
            p.byFrontKMode = 1;
            p.byFrontPanel = 1;
        });
        sheet->Select(IDC_RIBBON, c.row);
        expected.PrivByte(kRibbon, static_cast<BYTE>(c.row)).PrivByte(kSides, c.sides).PrivByte(kColor, c.color);
        expected.PrivByte(kBackPanel, c.backPanel).PrivByte(kBackK, c.backK);
        EXPECT_EQ("", Differences());
        EXPECT_EQ(1, Changed());
        EXPECT_EQ(c.frontPanelShown, Shown(IDC_FRONT_PANEL));
        EXPECT_EQ(!c.frontPanelShown, Shown(IDC_FRONT_KMODE));
        EXPECT_EQ(c.backKShown, Shown(IDC_BACK_KMODE));
        EXPECT_EQ(c.sides == 0x11, ControlChecked(page, IDC_BACK_PRINT) && ControlEnabled(page, IDC_BACK_KMODE));
        EXPECT_EQ(c.backK, ControlSelection(page, IDC_BACK_KMODE));
        EXPECT_FALSE(ControlChecked(page, IDC_FRONT_ROTATE) || ControlChecked(page, IDC_BACK_ROTATE));
        // Choosing the ribbon already stored changes nothing.
        sheet->Select(IDC_RIBBON, c.row);
        EXPECT_EQ(1, Changed());
    }
}

TEST_F(PrintOptionPage, TheDetectedRibbonIsChosenAsAUserWould)
{
    struct Case {
        const char* reported;
        int row; // -1: nothing changes
    } cases[] = {{"YMCKOK", 3}, {"YMCKO-F", 2}, {"KO", 4}, {"YMCKO", -1}, {"RW", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        printer.Emu().Reply("Ds;2", c.reported);
        printer.Emu().Reply("Ds;3", "180;200");
        Open(L"Vornex T42");
        // The count is asked for a ribbon the printer knows.
        EXPECT_EQ(strcmp(c.reported, "RW") ? Frames({"Ds;2", "Ds;3"}) : Frames({"Ds;2"}), setUpFrames);
        EXPECT_EQ(c.row < 0 ? 0 : c.row, ControlSelection(page, IDC_RIBBON));
        EXPECT_EQ(c.row < 0 ? 0 : 1, Changed());
        if (c.row == 3)
            expected.PrivByte(kSides, 0x11).PrivByte(kBackPanel, 2).PrivByte(kBackK, 1);
        if (c.row == 4)
            expected.PrivByte(kColor, 0);
        expected.PrivByte(kRibbon, static_cast<BYTE>(c.row < 0 ? 0 : c.row));
        EXPECT_EQ("", Differences());
    }
    // A printer that cannot be reached changes nothing and shows nothing.
    sheet.reset();
    CPageSheet lonely(L"Vornex T42", L"No Such Card Printer");
    page = lonely.Show(IDD_PRINT_OPTION);
    EXPECT_EQ(0, ControlSelection(page, IDC_RIBBON));
    EXPECT_EQ(0, lonely.Host().ChangedCount());
    EXPECT_TRUE(lonely.Host().MessageBoxes().empty());
}

TEST_F(PrintOptionPage, ControlsStoreTheirChoices)
{
    Open(L"Vornex T42");
    // Check boxes store their bits without marking the sheet changed.
    for (int id : {IDC_FRONT_ROTATE, IDC_BACK_PRINT, IDC_BACK_ROTATE, IDC_HOOK_MODE, IDC_RETRY_BY_HOOK,
                   IDC_WAIT_FOR_REMOVAL})
        sheet->Click(id);
    expected.PrivByte(kRotate, 0x11).PrivByte(kSides, 0x11).PrivByte(kFeedFlags, 3).PrivByte(kEjectFlags, 1);
    EXPECT_EQ("", Differences());
    EXPECT_EQ(0, Changed());
    // A side switched off loses its bits and its K mode.
    sheet->Select(IDC_BACK_PANEL, 2);
    sheet->Select(IDC_BACK_KMODE, 1);
    sheet->Click(IDC_BACK_PRINT);
    EXPECT_FALSE(ControlChecked(page, IDC_BACK_ROTATE) || ControlEnabled(page, IDC_BACK_KMODE));
    EXPECT_EQ(0, ControlSelection(page, IDC_BACK_KMODE));
    // Lists, orientation and copies mark the sheet changed when they store.
    sheet->Select(IDC_FRONT_PANEL, 1);
    sheet->Select(IDC_FRONT_KMODE, 1);
    sheet->Select(IDC_REJECT, 2);
    sheet->Select(IDC_REJECT, 2);
    sheet->Click(IDC_LANDSCAPE);
    sheet->Type(IDC_COPIES, L"7");
    expected.PrivByte(kRotate, 0x01).PrivByte(kSides, 0x01).PrivByte(kBackPanel, 2).PrivByte(kFeedFlags, 3);
    expected.PrivByte(kFrontPanel, 1).PrivByte(kFrontK, 1).PrivByte(kReject, 2);
    expected.Word(offsetof(DEVMODEW, dmOrientation), 2).Word(offsetof(DEVMODEW, dmCopies), 7);
    EXPECT_EQ("", Differences());
    EXPECT_EQ(7, Changed());
    sheet->Type(IDC_COPIES, L"");
    EXPECT_EQ(0, sheet->Ui().DevMode.dmPublic.dmCopies);
    EXPECT_EQ(8, Changed());
}

TEST_F(PrintOptionPage, TheEjectChoiceFollowsTheFeedSource)
{
    struct Case {
        LPCWSTR driver;
        int feed, eject;
        bool waitShown, hookShown;
    } cases[] = {
        {L"Vornex T42G", 1, 0, true, false}, {L"Vornex T42G", 0, 1, true, false}, {L"Vornex T41W", 2, 1, false, false},
        {L"Vornex T41", 1, 0, true, false},  {L"Vornex T42", 0, 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " feed " << c.feed);
        Open(c.driver, [](PrivateDevMode& p) {
            p.byCardIn = 3; // every entry is a change
            p.byCardOut = 2;
            p.byFeedFlags = 2;
        });
        sheet->Select(IDC_FEED, c.feed);
        EXPECT_EQ(c.eject, ControlSelection(page, IDC_EJECT));
        EXPECT_EQ(c.waitShown, Shown(IDC_WAIT_FOR_REMOVAL));
        // Hook modes come back showing their bits.
        EXPECT_EQ(c.hookShown, Shown(IDC_HOOK_MODE) && ControlChecked(page, IDC_RETRY_BY_HOOK));
        expected.PrivByte(kCardIn, static_cast<BYTE>(c.feed)).PrivByte(kCardOut, static_cast<BYTE>(c.eject));
        expected.PrivByte(kFeedFlags, 2);
        EXPECT_EQ("", Differences());
        // The feed and the eject it chose, each marking the sheet changed.
        EXPECT_EQ(2, Changed());
    }
}

TEST_F(PrintOptionPage, ApplyReportsThePageAndTranslationsAreCut)
{
    // A K entry longer than a list entry holds; a "Black/White" of another
    // page's section.
    ScratchFolder scratch(L"print_option");
    const std::wstring path = scratch.File(L"Qelfrfr.lng");
    ASSERT_TRUE(ScratchFolder::Write(path, "[Tool]\r\nBlack/White=Wrong section\r\n[Print Option]\r\nK=" +
                                        std::string(300, 'k') + "\r\nBlack/White=Noir/Blanc\r\n"));
    Open(L"Vornex T42", [&](PrivateDevMode&) { sheet->Ui().Translater.SetLanguageFile(path.c_str()); });
    EXPECT_EQ(std::wstring(255, L'k'), ControlEntries(page, IDC_FRONT_PANEL).at(2));
    // Another page made its section current; the page's later lists still
    // come from its own.
    sheet->Ui().Translater.SetSection(L"Tool");
    sheet->Select(IDC_RIBBON, 1);
    EXPECT_EQ(L"Noir/Blanc", ControlEntries(page, IDC_BACK_KMODE).at(0));

    EXPECT_TRUE(sheet->Apply());
    std::vector<HostCall> results = sheet->Host().CallsOf(CPSFUNC_SET_RESULT);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(reinterpret_cast<LPARAM>(sheet->Ui().hPages[0]), results[0].lParam1);
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
    EXPECT_TRUE(sheet->Host().Violations().empty());
}

} // namespace
