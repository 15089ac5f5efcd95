// The "Print Option" page in the sheet host double: its set-up per model,
// the ribbon, side, panel, feed and eject rules as a user works the
// controls, the ribbon detection against the emulated printer, and the
// working DEVMODE byte for byte.
#include "PageSheet.h"
#include "DevModeImage.h"
#include "PrintOptionResource.h"

#include <gtest/gtest.h>

namespace {

// Offsets of the private part.
const size_t kRibbon = 64, kSides = 66, kColor = 67, kFrontK = 68, kBackK = 69, kRotate = 70, kFrontPanel = 71,
             kBackPanel = 72, kCardIn = 73, kFeedFlags = 74, kCardOut = 75, kEjectFlags = 76, kReject = 77;

const std::vector<std::wstring> kRibbons = {L"YMCKO", L"K", L"1/2 YMCKO", L"YMCKOK", L"KO"};

class PrintOptionPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.ok()); }
    // The page of a model, shown; the printer's frames of the set-up are kept.
    std::unique_ptr<CPageSheet> Open(LPCWSTR driver, const std::function<void(CPageSheet&)>& prepare = nullptr)
    {
        std::unique_ptr<CPageSheet> sheet(new CPageSheet(driver, printer.Name().c_str()));
        if (prepare)
            prepare(*sheet);
        expected = DevModeImage::Defaults(printer.Name().c_str());
        page = sheet->Show(IDD_PRINT_OPTION);
        setUpFrames = printer.TakeFrames();
        return sheet;
    }
    std::string Differences(CPageSheet& sheet) { return ImageDifferences(expected, &sheet.Ui().DevMode); }

    CPagePrinterFixture printer;
    DevModeImage expected;
    HWND page = nullptr;
    std::vector<std::string> setUpFrames;
};

TEST_F(PrintOptionPage, SetUpFollowsTheModel)
{
    const std::vector<std::wstring> none;
    struct Case {
        LPCWSTR driver;
        size_t ribbonRows;
        bool ribbonEnabled, backShown, hookShown, eraseShown, asked;
        std::vector<std::wstring> feed, eject, reject;
    } cases[] = {
        {L"Vornex T42", 5, true, true, true, false, true, {L"Card feeder", L"Back end manual feed slot"},
         {L"Output hopper", L"Reject tray", L"Do not eject card"}, {L"Default", L"Output hopper", L"Reject tray"}},
        {L"Vornex T42G", 5, true, true, false, false, true,
         {L"Front end manual feed slot", L"Back end manual feed slot"},
         {L"Back end manual feed slot", L"Front end manual feed slot", L"Do not eject card"},
         {L"Default", L"Back end manual feed slot", L"Front end manual feed slot"}},
        {L"Vornex T41", 5, true, false, false, false, true,
         {L"Card feeder", L"Back end manual feed slot", L"Front end manual feed slot"},
         {L"Output hopper", L"Front end manual feed slot", L"Reject tray", L"Do not eject card"},
         {L"Default", L"Output hopper", L"Front end manual feed slot", L"Reject tray"}},
        // Rewrite: the rewrite row chosen and fixed, no ribbon asked.
        {L"Vornex T40W", 6, false, false, false, true, false,
         {L"Front end manual feed slot", L"Back end manual feed slot"},
         {L"Back end manual feed slot", L"Front end manual feed slot", L"Do not eject card"},
         {L"Default", L"Back end manual feed slot", L"Front end manual feed slot"}},
        {L"Other printer", 5, true, true, true, false, true, none, none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver);
        std::unique_ptr<CPageSheet> sheet = Open(c.driver);
        ASSERT_NE(nullptr, page);
        std::vector<std::wstring> ribbons = kRibbons;
        if (c.ribbonRows == 6)
            ribbons.push_back(L"None (Rewrite card)");
        EXPECT_EQ(ribbons, ControlEntries(page, IDC_RIBBON));
        EXPECT_EQ(c.ribbonRows == 6 ? 5 : 0, ControlSelection(page, IDC_RIBBON));
        EXPECT_EQ(c.ribbonEnabled, ControlEnabled(page, IDC_RIBBON));
        EXPECT_EQ(c.ribbonEnabled, ControlEnabled(page, IDC_FRONT_PRINT));
        EXPECT_EQ(c.backShown, ControlShown(page, IDC_BACK_PRINT));
        EXPECT_EQ(c.hookShown, ControlShown(page, IDC_HOOK_MODE) && ControlShown(page, IDC_RETRY_BY_HOOK));
        EXPECT_EQ(c.eraseShown, ControlShown(page, IDC_ERASE_FIRST));
        EXPECT_EQ(!c.eraseShown, ControlShown(page, IDC_FRONT_PANEL));
        EXPECT_EQ(c.eraseShown, ControlShown(page, IDC_FRONT_KMODE));
        EXPECT_FALSE(ControlShown(page, IDC_FEED_BY_COMMAND) || ControlShown(page, IDC_FRONT_COLOR));
        EXPECT_EQ(c.feed, ControlEntries(page, IDC_FEED));
        EXPECT_EQ(c.eject, ControlEntries(page, IDC_EJECT));
        EXPECT_EQ(c.reject, ControlEntries(page, IDC_REJECT));
        EXPECT_EQ((std::vector<std::wstring>{L"YMCKO", L"YMCO", L"K"}), ControlEntries(page, IDC_BACK_PANEL));
        EXPECT_EQ((std::vector<std::wstring>{L"Black/White", L"Resin Dither"}), ControlEntries(page, IDC_FRONT_KMODE));
        EXPECT_TRUE(ControlChecked(page, IDC_PORTRAIT) && ControlChecked(page, IDC_FRONT_PRINT));
        EXPECT_EQ(L"1", ControlText(page, IDC_COPIES));
        // The printer's "OK" names no ribbon: nothing changed.
        EXPECT_EQ(c.asked ? Frames({"Ds;2"}) : Frames({}), setUpFrames);
        if (c.ribbonRows == 6)
            expected.PrivByte(kRibbon, 255);
        EXPECT_EQ("", Differences(*sheet));
        // Setting up marks nothing changed, although the copies box reports its text.
        EXPECT_EQ(0, sheet->Host().ChangedCount());
    }
}

TEST_F(PrintOptionPage, SetUpShowsTheStoredChoices)
{
    std::unique_ptr<CPageSheet> sheet = Open(L"Vornex T42", [](CPageSheet& s) {
        s.Ui().DevMode.dmPublic.dmOrientation = 0;
        s.Ui().DevMode.dmPublic.dmCopies = 12;
        PrivateDevMode& p = s.Private();
        p.byRibbon = 7; // no row of the table
        p.bySides = 0x10;
        p.byFrontPanel = 2;
        p.byBackPanel = 1;
        p.byBackKMode = 1;
        p.byRotate180 = 0x10;
        p.byCardIn = 1;
        p.byCardOut = 2;
        p.byEjectFlags = 1;
        p.byReject = 1;
    });
    EXPECT_TRUE(ControlChecked(page, IDC_LANDSCAPE) && !ControlChecked(page, IDC_PORTRAIT));
    EXPECT_EQ(L"12", ControlText(page, IDC_COPIES));
    EXPECT_EQ(0, ControlSelection(page, IDC_RIBBON));
    EXPECT_FALSE(ControlChecked(page, IDC_FRONT_PRINT));
    EXPECT_FALSE(ControlEnabled(page, IDC_FRONT_ROTATE) || ControlEnabled(page, IDC_FRONT_KMODE));
    EXPECT_TRUE(ControlShown(page, IDC_FRONT_KMODE));
    EXPECT_TRUE(ControlChecked(page, IDC_BACK_PRINT) && ControlChecked(page, IDC_BACK_ROTATE));
    EXPECT_EQ(1, ControlSelection(page, IDC_BACK_PANEL));
    EXPECT_FALSE(ControlShown(page, IDC_BACK_KMODE));
    EXPECT_EQ(1, ControlSelection(page, IDC_BACK_KMODE));
    EXPECT_EQ(1, ControlSelection(page, IDC_FEED));
    EXPECT_FALSE(ControlShown(page, IDC_HOOK_MODE));
    EXPECT_EQ(2, ControlSelection(page, IDC_EJECT));
    EXPECT_FALSE(ControlShown(page, IDC_WAIT_FOR_REMOVAL));
    EXPECT_TRUE(ControlChecked(page, IDC_WAIT_FOR_REMOVAL));
    EXPECT_EQ(1, ControlSelection(page, IDC_REJECT));
    // Only the orientation was rewritten; the unknown ribbon keeps its value.
    expected.Word(offsetof(DEVMODEW, dmOrientation), 2).Word(offsetof(DEVMODEW, dmCopies), 12);
    expected.PrivByte(kRibbon, 7).PrivByte(kSides, 0x10).PrivByte(kFrontPanel, 2).PrivByte(kBackPanel, 1);
    expected.PrivByte(kBackK, 1).PrivByte(kRotate, 0x10).PrivByte(kCardIn, 1).PrivByte(kCardOut, 2);
    expected.PrivByte(kEjectFlags, 1).PrivByte(kReject, 1);
    EXPECT_EQ("", Differences(*sheet));
}

TEST_F(PrintOptionPage, ARibbonChoiceSetsTheSidesAndPanels)
{
    struct Case {
        LPCWSTR driver;
        int row;
        BYTE sides, color, backPanel, backK;
        bool frontPanelShown, frontKShown, backShown, backKShown;
        int backKEntry;
    } cases[] = {
        // The back prints the second black panel dithered, and the list says so.
        {L"Vornex T42", 3, 0x11, 0x01, 2, 1, true, false, true, true, 1},
        {L"Vornex T41", 3, 0x01, 0x01, 0, 0, true, false, false, false, 0},
        {L"Vornex T42", 2, 0x01, 0x01, 0, 0, true, false, true, false, 0},
        {L"Vornex T42", 1, 0x01, 0x00, 0, 0, false, true, true, true, 0},
        {L"Vornex T42D", 4, 0x01, 0x00, 0, 0, false, true, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " row " << c.row);
        std::unique_ptr<CPageSheet> sheet = Open(c.driver, [](CPageSheet& s) {
            s.Private().byRotate180 = 0x11;
            s.Private().byFrontKMode = 1;
            s.Private().byFrontPanel = 1;
        });
        sheet->Select(IDC_RIBBON, c.row);
        expected.PrivByte(kRibbon, static_cast<BYTE>(c.row)).PrivByte(kSides, c.sides).PrivByte(kColor, c.color);
        expected.PrivByte(kBackPanel, c.backPanel).PrivByte(kBackK, c.backK);
        EXPECT_EQ("", Differences(*sheet));
        EXPECT_EQ(1, sheet->Host().ChangedCount());
        EXPECT_EQ(c.frontPanelShown, ControlShown(page, IDC_FRONT_PANEL));
        EXPECT_EQ(c.frontKShown, ControlShown(page, IDC_FRONT_KMODE));
        EXPECT_EQ(c.backShown, ControlShown(page, IDC_BACK_PRINT));
        EXPECT_EQ(c.backShown && c.sides == 0x11, ControlChecked(page, IDC_BACK_PRINT));
        EXPECT_EQ(c.backShown && c.sides == 0x11, ControlEnabled(page, IDC_BACK_KMODE));
        EXPECT_EQ(c.backKShown, ControlShown(page, IDC_BACK_KMODE));
        EXPECT_EQ(c.backKEntry, ControlSelection(page, IDC_BACK_KMODE));
        EXPECT_EQ(0, ControlSelection(page, IDC_FRONT_KMODE));
        EXPECT_FALSE(ControlChecked(page, IDC_FRONT_ROTATE) || ControlChecked(page, IDC_BACK_ROTATE));
        // The ribbon shown is the one stored: choosing it again changes nothing.
        sheet->Select(IDC_RIBBON, c.row);
        EXPECT_EQ(1, sheet->Host().ChangedCount());
    }
}

TEST_F(PrintOptionPage, TheDetectedRibbonIsChosenAsAUserWould)
{
    struct Case {
        const char* reported;
        std::vector<std::string> frames;
        int row; // -1: nothing changes
    } cases[] = {
        {"YMCKOK", Frames({"Ds;2", "Ds;3"}), 3},
        {"YMCKO-F", Frames({"Ds;2", "Ds;3"}), 2},
        {"KO", Frames({"Ds;2", "Ds;3"}), 4},
        {"YMCKO", Frames({"Ds;2", "Ds;3"}), -1}, // the row shown already
        {"RW", Frames({"Ds;2"}), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        printer.Emu().ClearScript();
        printer.Emu().Reply("Ds;2", c.reported);
        printer.Emu().Reply("Ds;3", "180;200");
        std::unique_ptr<CPageSheet> sheet = Open(L"Vornex T42");
        EXPECT_EQ(c.frames, setUpFrames);
        EXPECT_EQ(c.row < 0 ? 0 : c.row, ControlSelection(page, IDC_RIBBON));
        EXPECT_EQ(c.row < 0 ? 0 : 1, sheet->Host().ChangedCount());
        if (c.row == 3)
            expected.PrivByte(kSides, 0x11).PrivByte(kBackPanel, 2).PrivByte(kBackK, 1);
        if (c.row == 4)
            expected.PrivByte(kColor, 0);
        if (c.row >= 0)
            expected.PrivByte(kRibbon, static_cast<BYTE>(c.row));
        EXPECT_EQ("", Differences(*sheet));
    }
    // A printer that cannot be reached changes nothing and shows nothing.
    CPageSheet sheet(L"Vornex T42", L"No Such Card Printer");
    HWND lonely = sheet.Show(IDD_PRINT_OPTION);
    ASSERT_NE(nullptr, lonely);
    EXPECT_EQ(0, ControlSelection(lonely, IDC_RIBBON));
    EXPECT_EQ(0, sheet.Host().ChangedCount());
    EXPECT_TRUE(sheet.Host().MessageBoxes().empty());
}

TEST_F(PrintOptionPage, ControlsStoreTheirChoices)
{
    std::unique_ptr<CPageSheet> sheet = Open(L"Vornex T42");
    // Check boxes store their bits without marking the sheet changed.
    sheet->Click(IDC_FRONT_ROTATE);
    sheet->Click(IDC_BACK_PRINT);
    sheet->Click(IDC_BACK_ROTATE);
    sheet->Click(IDC_HOOK_MODE);
    sheet->Click(IDC_RETRY_BY_HOOK);
    sheet->Click(IDC_WAIT_FOR_REMOVAL);
    expected.PrivByte(kRotate, 0x11).PrivByte(kSides, 0x11).PrivByte(kFeedFlags, 3).PrivByte(kEjectFlags, 1);
    EXPECT_EQ("", Differences(*sheet));
    EXPECT_EQ(0, sheet->Host().ChangedCount());
    EXPECT_TRUE(ControlEnabled(page, IDC_BACK_KMODE));

    // Switching a side off clears its bits and K mode.
    sheet->Select(IDC_BACK_PANEL, 2);
    EXPECT_TRUE(ControlShown(page, IDC_BACK_KMODE));
    sheet->Select(IDC_BACK_KMODE, 1);
    sheet->Click(IDC_BACK_PRINT);
    EXPECT_FALSE(ControlChecked(page, IDC_BACK_ROTATE) || ControlEnabled(page, IDC_BACK_KMODE));
    EXPECT_EQ(0, ControlSelection(page, IDC_BACK_KMODE));
    expected.PrivByte(kRotate, 0x01).PrivByte(kSides, 0x01).PrivByte(kBackPanel, 2);
    EXPECT_EQ("", Differences(*sheet));
    EXPECT_EQ(2, sheet->Host().ChangedCount());

    // Lists, orientation and copies mark the sheet changed when they store.
    sheet->Select(IDC_FRONT_PANEL, 1);
    sheet->Select(IDC_FRONT_KMODE, 1);
    sheet->Select(IDC_REJECT, 2);
    sheet->Select(IDC_REJECT, 2);
    sheet->Click(IDC_LANDSCAPE);
    sheet->Type(IDC_COPIES, L"7");
    expected.PrivByte(kFrontPanel, 1).PrivByte(kFrontK, 1).PrivByte(kReject, 2);
    expected.Word(offsetof(DEVMODEW, dmOrientation), 2).Word(offsetof(DEVMODEW, dmCopies), 7);
    EXPECT_EQ("", Differences(*sheet));
    EXPECT_EQ(7, sheet->Host().ChangedCount());
    sheet->Type(IDC_COPIES, L"");
    EXPECT_EQ(0, sheet->Ui().DevMode.dmPublic.dmCopies);
    EXPECT_EQ(8, sheet->Host().ChangedCount());
}

TEST_F(PrintOptionPage, TheEjectChoiceFollowsTheFeedSource)
{
    struct Case {
        LPCWSTR driver;
        int feed, eject;
        bool waitShown, hookShown;
    } cases[] = {
        {L"Vornex T42G", 1, 0, true, false},
        {L"Vornex T42G", 0, 1, true, false},
        {L"Vornex T41W", 2, 1, false, false},
        {L"Vornex T41", 1, 0, true, false},
        {L"Vornex T42", 1, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " feed " << c.feed);
        std::unique_ptr<CPageSheet> sheet = Open(c.driver, [](CPageSheet& s) {
            s.Private().byCardIn = 3; // so that every entry is a change
            s.Private().byCardOut = 2;
        });
        sheet->Select(IDC_FEED, c.feed);
        EXPECT_EQ(c.eject, ControlSelection(page, IDC_EJECT));
        EXPECT_EQ(c.waitShown, ControlShown(page, IDC_WAIT_FOR_REMOVAL));
        EXPECT_EQ(c.hookShown, ControlShown(page, IDC_HOOK_MODE));
        expected.PrivByte(kCardIn, static_cast<BYTE>(c.feed)).PrivByte(kCardOut, static_cast<BYTE>(c.eject));
        EXPECT_EQ("", Differences(*sheet));
        // The feed and the eject it chose, each marking the sheet changed.
        EXPECT_EQ(2, sheet->Host().ChangedCount());
    }
    // Back to the card feeder of a T42: the hook modes come back with their bits.
    std::unique_ptr<CPageSheet> sheet = Open(L"Vornex T42", [](CPageSheet& s) {
        s.Private().byCardIn = 1;
        s.Private().byFeedFlags = 2;
    });
    EXPECT_FALSE(ControlShown(page, IDC_HOOK_MODE));
    sheet->Select(IDC_FEED, 0);
    EXPECT_TRUE(ControlShown(page, IDC_HOOK_MODE) && ControlChecked(page, IDC_RETRY_BY_HOOK));
    EXPECT_FALSE(ControlChecked(page, IDC_HOOK_MODE));
}

TEST_F(PrintOptionPage, ApplyReportsThePageAndTranslationsAreCut)
{
    // A language file whose K entry is longer than a list entry holds, and a
    // "Black/White" of another page's section.
    std::wstring path = TemporaryPath(L"PrintOption.lng");
    ASSERT_TRUE(WriteTextFile(path, "[Tool]\r\nBlack/White=Wrong section\r\n[Print Option]\r\nK=" +
                                        std::string(300, 'k') +
                                        "\r\nBlack/White=Noir/Blanc\r\nPrint front side=Recto\r\n"));
    std::unique_ptr<CPageSheet> sheet =
        Open(L"Vornex T42", [&](CPageSheet& s) { s.Ui().Translater.SetLanguageFile(path.c_str()); });
    std::vector<std::wstring> panels = ControlEntries(page, IDC_FRONT_PANEL);
    ASSERT_EQ(3u, panels.size());
    EXPECT_EQ(std::wstring(255, L'k'), panels[2]);
    EXPECT_EQ(L"Recto", ControlText(page, IDC_FRONT_PRINT));
    // Another page made its section current: the page's later lists still
    // come from its own.
    sheet->Ui().Translater.SetSection(L"Tool");
    sheet->Select(IDC_RIBBON, 1);
    EXPECT_EQ(L"Noir/Blanc", ControlEntries(page, IDC_BACK_KMODE)[0]);

    EXPECT_TRUE(sheet->Apply());
    std::vector<HostCall> results = sheet->Host().CallsOf(CPSFUNC_SET_RESULT);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(reinterpret_cast<LPARAM>(sheet->PageHandle()), results[0].lParam1);
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
    EXPECT_EQ(sheet->PageHandle(), sheet->Ui().hPages[0]);
    EXPECT_TRUE(sheet->Host().Violations().empty());
    DeleteFileW(path.c_str());
}

} // namespace
