// The Print Area page in the sheet host double, for installed printers: its
// start from the user's areas and choices, the number boxes' rule, the
// rectangle, name and unit commands, the name dialog and the delete question
// (answered through hooks), the mask picture, the synchronisation with the
// DEVMODE and Apply. The page runs from the library's code, its templates
// from QelUI.dll.
#include "AreaImage.h"
#include "DevModeImage.h"
#include "DialogDriver.h"
#include "DriverModule.h"
#include "InstalledPrinter.h"
#include "LanguageFile.h"
#include "MaskBitmap.h"
#include "PrintAreaPage.h"
#include "PrintAreaResource.h"
#include "SheetHost.h"
#include "../foundation/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

static bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}
static std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

using Texts = std::vector<std::wstring>;

// One printing-preferences sheet showing the Print Area page.
class AreaSheet {
public:
    AreaSheet(CInstalledPrinter& printer, WORD orientation = 1, BYTE ribbon = 0, WORD language = 0)
        : m_in(DevModeImage::Defaults(printer.Name().c_str()))
    {
        m_in.Word(offsetof(DEVMODEW, dmOrientation), orientation).PrivByte(64, ribbon).PrivWord(16, language);
        m_header = {sizeof(m_header), 0, printer.Handle(), printer.NameText(), m_in.DevMode(), nullptr, 0, DM_IN_BUFFER};
        host.reset(new CSheetHost(DrvDocumentPropertySheets, reinterpret_cast<LPARAM>(&m_header)));
        if (host->Init() != 1)
            return;
        ui = reinterpret_cast<UiData*>(host->Info().UserData);
        row = ui->bRewrite ? 1 : 2;
        if (host->CreateSheet())
            page = host->ShowPage(row);
    }
    std::wstring Text(int id) const
    {
        WCHAR text[512] = L"";
        GetDlgItemTextW(page, id, text, 512);
        return text;
    }
    void Type(int id, LPCWSTR text)
    {
        SetDlgItemTextW(page, id, text);
        host->Pump();
    }
    void Send(int id, WORD notification)
    {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
        host->Pump();
    }
    void Press(int id) { Send(id, BN_CLICKED); }
    void Choose(int id, int index)
    {
        SendDlgItemMessageW(page, id, CB_SETCURSEL, index, 0);
        Send(id, CBN_SELENDOK);
    }
    // A choice the user makes once the thread's next message loop turns,
    // whichever loop that is.
    void ChooseLater(int id, int index)
    {
        PostMessageW(GetDlgItem(page, id), CB_SETCURSEL, index, 0);
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    Texts Items(int id) const
    {
        Texts items;
        for (LRESULT i = 0; i < SendDlgItemMessageW(page, id, CB_GETCOUNT, 0, 0); ++i) {
            WCHAR text[512] = L"";
            SendDlgItemMessageW(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    int Selection(int id) const { return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
    bool Visible(int id) const { return (GetWindowLongW(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Checked(int id) const { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    Texts Boxes() const { return {Text(IDC_AREA_W), Text(IDC_AREA_H), Text(IDC_AREA_X), Text(IDC_AREA_Y)}; }
    PrintAreaRecord& Entry() const { return *ui->pCurPrintArea; }
    bool Reported() const
    {
        for (const HostCall& call : host->CallsOf(CPSFUNC_SET_RESULT))
            if (call.lParam1 == reinterpret_cast<LPARAM>(ui->hPages[row]) && call.lParam2 == CPSUI_OK)
                return true;
        return false;
    }

    std::unique_ptr<CSheetHost> host;
    UiData* ui = nullptr;
    HWND page = nullptr;
    int row = 0;

private:
    DevModeImage m_in;
    DOCUMENTPROPERTYHEADER m_header;
};

class AreaPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = new QelUiModule();
        g_hModule = module->module;
        printer = new CInstalledPrinter(L"T42");
    }
    static void TearDownTestSuite()
    {
        delete printer;
        delete module;
    }
    void SetUp() override { ASSERT_TRUE(module->ok() && printer->ok()); }
    static QelUiModule* module;
    static CInstalledPrinter* printer;
    std::unique_ptr<UserAreaKeys> keys{new UserAreaKeys(printer ? printer->Name() : L"none")};
};
QelUiModule* AreaPage::module = nullptr;
CInstalledPrinter* AreaPage::printer = nullptr;

bool SameRecord(const PrintAreaRecord& record, const std::vector<BYTE>& bytes)
{
    return bytes.size() == sizeof(record) && memcmp(&record, bytes.data(), sizeof(record)) == 0;
}

// A 300-dot square at (30, 60), shown in 0.01 inch.
AreaImage Logo()
{
    return AreaImage(L"Logo").Byte(2, 2).Rects({{30, 60, 330, 360}});
}

TEST_F(AreaPage, StartsFromTheUsersChoices)
{
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Logo", Logo()));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Landscape", AreaImage(L"Landscape", 2, 0)));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Black", AreaImage(L"Black", 1, 1)));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Far", AreaImage(L"Far", 1, 1).Byte(2, 1).Rects({{5000, 0, 5100, 50}})));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_P", L"Logo"));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_K_P", L"Gone"));
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    EXPECT_EQ((Texts{L"YMCO", L"K"}), sheet.Items(IDC_AREA_PANEL));
    EXPECT_EQ((Texts{L"Front Side", L"Back Side"}), sheet.Items(IDC_AREA_SIDE));
    EXPECT_EQ((Texts{L"Full Card", L"Logo"}), sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ(1, sheet.Selection(IDC_AREA_NAMES));
    EXPECT_EQ(Texts{L"1"}, sheet.Items(IDC_AREA_RECTS));
    EXPECT_EQ((Texts{L"100", L"100", L"10", L"20"}), sheet.Boxes());
    EXPECT_TRUE(sheet.Checked(IDC_AREA_UNIT_HUNDREDTH_INCH));
    EXPECT_TRUE(sheet.Enabled(IDC_AREA_DELETE) && sheet.Enabled(IDC_AREA_SAVE) && sheet.Enabled(IDC_AREA_ADD));
    EXPECT_TRUE(sheet.Visible(IDC_AREA_ORIGIN_PORTRAIT) && !sheet.Visible(IDC_AREA_ORIGIN_LANDSCAPE));
    EXPECT_TRUE(SameRecord(sheet.ui->PrintAreas[0], Logo().bytes()));
    // A choice naming a deleted area, and no choice, leave "Full Card".
    for (int entry : {1, 4, 5})
        EXPECT_TRUE(SameRecord(sheet.ui->PrintAreas[entry], AreaImage(L"Full Card", 1, entry % 4).bytes())) << entry;

    // The K panel lists its own areas; shown in dots, it turns to 0.1 mm
    // once the posted command arrives.
    sheet.Choose(IDC_AREA_PANEL, 1);
    EXPECT_EQ(&sheet.ui->PrintAreas[1], sheet.ui->pCurPrintArea);
    EXPECT_EQ((Texts{L"Full Card", L"Black", L"Far"}), sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ(0, sheet.Selection(IDC_AREA_NAMES));
    EXPECT_EQ(AREA_UNIT_TENTH_MM, sheet.Entry().byUnit);
    EXPECT_TRUE(sheet.Checked(IDC_AREA_UNIT_TENTH_MM));
    EXPECT_FALSE(sheet.Enabled(IDC_AREA_DELETE) || sheet.Enabled(IDC_AREA_SAVE) || sheet.Enabled(IDC_AREA_W));
    // A rectangle off the card, with no room left for it, is pulled onto it.
    sheet.Choose(IDC_AREA_NAMES, 2);
    EXPECT_EQ((Texts{L"0", L"42", L"549", L"0"}), sheet.Boxes());
    EXPECT_EQ((RECT{648, 0, 648, 50}), sheet.Entry().rcAreas[0]);
    EXPECT_TRUE(sheet.host->Violations().empty());
}

TEST_F(AreaPage, ModelsAndRibbonsPickThePanelAndApplyTheirEntries)
{
    CInstalledPrinter oneSided(L"T41"), rewrite(L"T40W");
    ASSERT_TRUE(oneSided.ok() && rewrite.ok());
    const Texts front = {L"PrintArea_Front_K_P", L"PrintArea_Front_YMCO_P"};
    struct {
        CInstalledPrinter* printer;
        BYTE ribbon;
        size_t panels;
        int panel;
        bool panelShown, sideShown, sideEnabled;
        Texts choices; // written by Apply
    } cases[] = {
        {printer, 0, 2, 0, true, true, true,
         {L"PrintArea_Back_K_P", L"PrintArea_Back_YMCO_P", L"PrintArea_Front_K_P", L"PrintArea_Front_YMCO_P"}},
        {printer, 1, 2, 1, true, true, true, {}},
        {printer, 4, 2, 1, true, true, true, {}},
        {printer, 255, 2, 0, true, true, true, {}},
        {&oneSided, 0, 2, 0, true, false, true, front},
        // The Print Option page sets a rewrite printer's ribbon to none.
        {&rewrite, 0, 3, 2, false, false, false, {L"PrintArea_Front_E_P", front[0], front[1]}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.printer->DriverName().c_str() << " ribbon " << int(c.ribbon));
        UserAreaKeys choices(c.printer->Name());
        AreaSheet sheet(*c.printer, 1, c.ribbon);
        ASSERT_NE(nullptr, sheet.page);
        EXPECT_EQ(c.panels, sheet.Items(IDC_AREA_PANEL).size());
        EXPECT_EQ(c.panel, sheet.Selection(IDC_AREA_PANEL));
        EXPECT_EQ(c.panel, sheet.ui->byAreaPanel);
        EXPECT_EQ(c.panelShown, sheet.Visible(IDC_AREA_PANEL) && sheet.Enabled(IDC_AREA_PANEL));
        EXPECT_EQ(c.sideShown, sheet.Visible(IDC_AREA_SIDE));
        EXPECT_EQ(c.sideEnabled, sheet.Enabled(IDC_AREA_SIDE));
        if (c.choices.empty())
            continue;
        ASSERT_TRUE(sheet.host->Apply());
        EXPECT_EQ(c.choices, ValueNames(choices.choices));
        for (const std::wstring& name : c.choices)
            EXPECT_TRUE(IsStoredText(ReadValue(choices.choices, name), L"Full Card"));
        EXPECT_TRUE(sheet.Reported());
    }
}

TEST_F(AreaPage, EveryChangeOfABoxIsClampedToTheCardAndRoundedToTheUnit)
{
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    ASSERT_TRUE(sheet.Checked(IDC_AREA_UNIT_TENTH_MM));
    const int changed = sheet.host->ChangedCount();
    sheet.Press(IDC_AREA_ADD);
    EXPECT_EQ((Texts{L"50", L"50", L"0", L"0"}), sheet.Boxes());
    EXPECT_EQ((RECT{0, 0, 59, 59}), sheet.Entry().rcAreas[0]);
    EXPECT_GT(sheet.host->ChangedCount(), changed);
    struct {
        int box;
        LPCWSTR typed, shown;
        RECT dots;
    } steps[] = {
        {IDC_AREA_W, L"9999", L"549", {0, 0, 648, 59}},     {IDC_AREA_X, L"10", L"0", {0, 0, 648, 59}},
        {IDC_AREA_W, L"100", L"100", {0, 0, 118, 59}},      {IDC_AREA_X, L"600", L"449", {530, 0, 648, 59}},
        {IDC_AREA_Y, L"-5", L"0", {530, 0, 648, 59}},       {IDC_AREA_H, L"12ab", L"0", {530, 0, 648, 0}},
        {IDC_AREA_H, L"", L"", {530, 0, 648, 0}},           {IDC_AREA_H, L"857", L"857", {530, 0, 648, 1012}},
    };
    for (const auto& s : steps) {
        sheet.Type(s.box, s.typed);
        EXPECT_EQ(s.shown, sheet.Text(s.box)) << s.box;
        EXPECT_EQ(s.dots, sheet.Entry().rcAreas[0]) << s.box;
    }
    // In hundredths of an inch the rectangle comes back in steps of 3 dots.
    sheet.Press(IDC_AREA_UNIT_HUNDREDTH_INCH);
    EXPECT_EQ((Texts{L"39", L"337", L"177", L"0"}), sheet.Boxes());
    EXPECT_EQ((RECT{531, 0, 648, 1011}), sheet.Entry().rcAreas[0]);
    LONG low = -1, high = -1;
    SendDlgItemMessageW(sheet.page, IDC_AREA_W_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(216, low * 1000 + high);
    // The second rectangle, selected, is the one shown in the new unit.
    sheet.Press(IDC_AREA_UNIT_TENTH_MM);
    sheet.Press(IDC_AREA_ADD);
    sheet.Choose(IDC_AREA_RECTS, 0);
    sheet.Choose(IDC_AREA_RECTS, 1);
    sheet.Press(IDC_AREA_UNIT_HUNDREDTH_INCH);
    EXPECT_EQ((Texts{L"20", L"20", L"0", L"0"}), sheet.Boxes());
    EXPECT_EQ((RECT{0, 0, 60, 60}), sheet.Entry().rcAreas[1]);
    EXPECT_EQ((RECT{531, 0, 648, 1011}), sheet.Entry().rcAreas[0]);
}

TEST_F(AreaPage, RectanglesAreAddedUpToTenAndRemoved)
{
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    for (int i = 0; i < 11; ++i)
        sheet.Press(IDC_AREA_ADD);
    EXPECT_EQ(10u, sheet.Entry().dwRectCount);
    EXPECT_EQ(L"10", sheet.Items(IDC_AREA_RECTS).at(9));
    EXPECT_FALSE(sheet.Enabled(IDC_AREA_ADD));
    for (LONG i = 0; i < 10; ++i)
        SetRect(&sheet.Entry().rcAreas[i], i, i, i + 100, i + 200);
    sheet.Choose(IDC_AREA_RECTS, 2);
    sheet.Press(IDC_AREA_REMOVE);
    EXPECT_EQ(9u, sheet.Items(IDC_AREA_RECTS).size());
    EXPECT_EQ(0, sheet.Selection(IDC_AREA_RECTS));
    EXPECT_EQ((RECT{3, 3, 103, 203}), sheet.Entry().rcAreas[2]);
    EXPECT_EQ((RECT{9, 9, 109, 209}), sheet.Entry().rcAreas[8]);
    EXPECT_TRUE(sheet.Enabled(IDC_AREA_ADD));
    for (int i = 0; i < 10; ++i)
        sheet.Press(IDC_AREA_REMOVE);
    EXPECT_EQ(0u, sheet.Entry().dwRectCount);
    EXPECT_TRUE(sheet.Items(IDC_AREA_RECTS).empty());
    EXPECT_EQ((Texts{L"0", L"0", L"0", L"0"}), sheet.Boxes());
    EXPECT_FALSE(sheet.Enabled(IDC_AREA_W) || sheet.Enabled(IDC_AREA_Y));
}

TEST_F(AreaPage, SaveAsAsksForAUsableName)
{
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    sheet.Press(IDC_AREA_ADD);
    const std::wstring longName(70, L'n'), cut = longName.substr(0, 63);
    std::vector<bool> shown;
    {
        CDialogDriver driver(CDialogDriver::TypeNames({L"", L"Full Card", L"Badge"}, &shown));
        sheet.Press(IDC_AREA_SAVE_AS);
        EXPECT_EQ(Texts{L"Save print area:"}, driver.Captions());
    }
    EXPECT_EQ((std::vector<bool>{true, true, false}), shown);
    EXPECT_STREQ(L"Badge", sheet.Entry().szName);
    EXPECT_EQ((Texts{L"Full Card", L"Badge"}), sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ(1, sheet.Selection(IDC_AREA_NAMES));
    EXPECT_TRUE(sheet.Enabled(IDC_AREA_DELETE) && sheet.Enabled(IDC_AREA_SAVE));
    EXPECT_TRUE(SameRecord(sheet.Entry(), ReadValue(keys->areas, L"Badge").bytes));
    // Past the box's limit a name is cut to the record's 63 characters.
    {
        CDialogDriver driver(CDialogDriver::TypeNames({longName}, nullptr));
        sheet.Press(IDC_AREA_SAVE_AS);
    }
    EXPECT_EQ(cut, sheet.Entry().szName);
    {
        CDialogDriver driver(CDialogDriver::Cancel());
        sheet.Press(IDC_AREA_SAVE_AS);
        EXPECT_EQ(1u, driver.Captions().size());
    }
    EXPECT_EQ((Texts{L"Full Card", L"Badge", cut}), sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ((Texts{L"Badge", cut}), ValueNames(keys->areas));
}

TEST_F(AreaPage, SaveAndDeleteTheSelectedArea)
{
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Logo", Logo()));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_P", L"Logo"));
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    // A removed rectangle stays removed, though its slot keeps its values.
    sheet.Press(IDC_AREA_REMOVE);
    sheet.Press(IDC_AREA_SAVE);
    EXPECT_EQ(AreaImage(Logo()).Dword(164, 0).bytes(), ReadValue(keys->areas, L"Logo").bytes);

    sheet.host->AnswerMessageBoxes(IDCANCEL);
    sheet.Press(IDC_AREA_DELETE);
    ASSERT_EQ(1u, sheet.host->MessageBoxes().size());
    const CaughtBox box = sheet.host->MessageBoxes()[0];
    EXPECT_EQ(L"Warning", box.caption);
    EXPECT_EQ(L"Are you sure to delete this print area setting?\n\nLogo", box.text);
    EXPECT_EQ(IDI_WARNING, box.icon);
    EXPECT_FALSE(box.owned);
    EXPECT_EQ(2u, sheet.Items(IDC_AREA_NAMES).size());
    sheet.host->AnswerMessageBoxes(IDOK);
    sheet.Press(IDC_AREA_DELETE);
    EXPECT_EQ(static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND), ReadValue(keys->areas, L"Logo").status);
    EXPECT_EQ(Texts{L"Full Card"}, sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ(0, sheet.Selection(IDC_AREA_NAMES));
    EXPECT_STREQ(L"Full Card", sheet.Entry().szName);
    EXPECT_FALSE(sheet.Enabled(IDC_AREA_DELETE) || sheet.Enabled(IDC_AREA_SAVE));
    EXPECT_TRUE(IsStoredText(ReadValue(keys->choices, L"PrintArea_Front_YMCO_P"), L"Logo"));

    // "Full Card" is neither stored nor deleted, and lists without a
    // selection change nothing, whatever the buttons' states.
    sheet.Press(IDC_AREA_ADD);
    const PrintAreaRecord before = sheet.Entry();
    sheet.Press(IDC_AREA_SAVE);
    sheet.Press(IDC_AREA_DELETE);
    for (int list : {IDC_AREA_NAMES, IDC_AREA_PANEL, IDC_AREA_SIDE, IDC_AREA_RECTS})
        sheet.Choose(list, -1);
    sheet.Press(IDC_AREA_SAVE);
    sheet.Press(IDC_AREA_REMOVE);
    EXPECT_EQ(&sheet.ui->PrintAreas[0], sheet.ui->pCurPrintArea);
    EXPECT_EQ(0, memcmp(&before, &sheet.Entry(), sizeof(before)));
    EXPECT_EQ(2u, sheet.host->MessageBoxes().size());
    EXPECT_TRUE(ValueNames(keys->areas).empty());
}

TEST_F(AreaPage, ApplyNamesRectanglesDrawnOnFullCard)
{
    for (bool named : {true, false}) {
        SCOPED_TRACE(named ? "named" : "cancelled");
        keys.reset();
        keys.reset(new UserAreaKeys(printer->Name()));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Kart", AreaImage(L"Kart", 1, 1).Byte(2, 1).Rects({{0, 0, 59, 59}})));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_P", L"Old"));
        AreaSheet sheet(*printer);
        ASSERT_NE(nullptr, sheet.page);
        sheet.Press(IDC_AREA_ADD);
        sheet.Choose(IDC_AREA_PANEL, 1);
        sheet.Choose(IDC_AREA_NAMES, 1);
        sheet.Type(IDC_AREA_W, L"100");
        sheet.Choose(IDC_AREA_SIDE, 1);
        ASSERT_TRUE(CreateBlankBitmap(&g_MaskBitmap, 2, 2, 8, 0x40));
        {
            CDialogDriver driver(named ? CDialogDriver::TypeNames({L"Front Art"}, nullptr) : CDialogDriver::Cancel());
            ASSERT_TRUE(sheet.host->Apply());
            EXPECT_EQ(Texts{L"Save print area:"}, driver.Captions());
        }
        EXPECT_EQ(nullptr, g_MaskBitmap.pBits);
        EXPECT_EQ((RECT{0, 0, 118, 59}), sheet.ui->PrintAreas[1].rcAreas[0]);
        EXPECT_TRUE(SameRecord(sheet.ui->PrintAreas[1], ReadValue(keys->areas, L"Kart").bytes));
        const std::wstring frontYmco = named ? L"Front Art" : L"Old";
        const std::pair<LPCWSTR, std::wstring> choices[] = {{L"PrintArea_Front_YMCO_P", frontYmco},
                                                            {L"PrintArea_Front_K_P", L"Kart"},
                                                            {L"PrintArea_Back_YMCO_P", L"Full Card"},
                                                            {L"PrintArea_Back_K_P", L"Full Card"}};
        for (const auto& choice : choices)
            EXPECT_TRUE(IsStoredText(ReadValue(keys->choices, choice.first), choice.second)) << choice.first;
        if (named) {
            EXPECT_TRUE(SameRecord(sheet.ui->PrintAreas[0], ReadValue(keys->areas, L"Front Art").bytes));
        }
        EXPECT_EQ(named ? 2u : 1u, ValueNames(keys->areas).size());
        EXPECT_TRUE(sheet.Reported());
    }
}

// Each side holds its own copy of an area both chose; the copy left
// untouched must not take back the other's edit, saved or not.
TEST_F(AreaPage, ApplyKeepsTheEditOfAnAreaBothSidesChose)
{
    struct {
        int side; // whose copy gets W 50 (150 dots)
        bool saved; // "Save" pressed before Apply
    } cases[] = {{0, false}, {0, true}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << (c.saved ? " saved" : ""));
        keys.reset();
        keys.reset(new UserAreaKeys(printer->Name()));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Logo", Logo()));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_P", L"Logo"));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Back_YMCO_P", L"Logo"));
        AreaSheet sheet(*printer);
        ASSERT_NE(nullptr, sheet.page);
        sheet.Choose(IDC_AREA_SIDE, c.side);
        sheet.Type(IDC_AREA_W, L"50");
        if (c.saved)
            sheet.Press(IDC_AREA_SAVE);
        ASSERT_TRUE(sheet.host->Apply());
        EXPECT_EQ(Logo().Rects({{30, 60, 180, 360}}).bytes(), ReadValue(keys->areas, L"Logo").bytes);
    }
}

// Fresh keys in which Back YMCO has chosen "Logo" and Front K "Black".
bool ChooseForOtherEntries(std::unique_ptr<UserAreaKeys>& keys, const std::wstring& printer)
{
    keys.reset();
    keys.reset(new UserAreaKeys(printer));
    return keys->PutArea(L"Logo", Logo()) == ERROR_SUCCESS &&
           keys->PutArea(L"Black", AreaImage(L"Black", 1, 1).Byte(2, 1).Rects({{0, 0, 59, 59}})) == ERROR_SUCCESS &&
           keys->PutChoice(L"PrintArea_Back_YMCO_P", L"Logo") == ERROR_SUCCESS &&
           keys->PutChoice(L"PrintArea_Front_K_P", L"Black") == ERROR_SUCCESS;
}

TEST_F(AreaPage, ApplyListsANewNameOnlyForTheEntryShown)
{
    struct {
        int list; // moved to its second entry before Apply; 0 for none
        Texts names;
        int selection;
    } cases[] = {{0, {L"Full Card", L"Logo", L"Art"}, 2},
                 {IDC_AREA_SIDE, {L"Full Card", L"Logo"}, 1},
                 {IDC_AREA_PANEL, {L"Full Card", L"Black"}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        ASSERT_TRUE(ChooseForOtherEntries(keys, printer->Name()));
        AreaSheet sheet(*printer);
        ASSERT_NE(nullptr, sheet.page);
        // Rectangles on Front YMCO's "Full Card".
        sheet.Press(IDC_AREA_ADD);
        if (c.list)
            sheet.Choose(c.list, 1);
        {
            CDialogDriver driver(CDialogDriver::TypeNames({L"Art"}, nullptr));
            ASSERT_TRUE(sheet.host->Apply());
        }
        EXPECT_STREQ(L"Art", sheet.ui->PrintAreas[0].szName);
        EXPECT_EQ(c.names, sheet.Items(IDC_AREA_NAMES));
        EXPECT_EQ(c.selection, sheet.Selection(IDC_AREA_NAMES));
        EXPECT_TRUE(sheet.Enabled(IDC_AREA_DELETE) && sheet.Enabled(IDC_AREA_SAVE));
    }
}

TEST_F(AreaPage, TheDeleteQuestionActsOnlyOnWhatItAsked)
{
    for (int list : {IDC_AREA_SIDE, IDC_AREA_PANEL}) {
        SCOPED_TRACE(list);
        ASSERT_TRUE(ChooseForOtherEntries(keys, printer->Name()));
        ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_P", L"Logo"));
        AreaSheet sheet(*printer);
        ASSERT_NE(nullptr, sheet.page);
        PrintAreaRecord entries[8];
        memcpy(entries, sheet.ui->PrintAreas, sizeof(entries));
        // The question has no owner: the page takes the user's choice while
        // it is open, and OK comes after.
        sheet.ChooseLater(list, 1);
        sheet.Press(IDC_AREA_DELETE);
        EXPECT_EQ(1u, sheet.host->MessageBoxes().size());
        EXPECT_EQ(&sheet.ui->PrintAreas[list == IDC_AREA_SIDE ? 4 : 1], sheet.ui->pCurPrintArea);
        EXPECT_EQ(2u, sheet.Items(IDC_AREA_NAMES).size());
        EXPECT_EQ(1, sheet.Selection(IDC_AREA_NAMES));
        EXPECT_EQ(0, memcmp(entries, sheet.ui->PrintAreas, sizeof(entries)));
        EXPECT_EQ((Texts{L"Black", L"Logo"}), ValueNames(keys->areas));
    }
}

// A 2 x 2 8-bit bitmap file with a grey palette; a foreign signature makes
// it no bitmap.
std::string GreyBitmapFile(WORD signature)
{
    std::string file(14 + 40 + 1024 + 8, '\x80');
    BITMAPFILEHEADER fh = {signature, static_cast<DWORD>(file.size()), 0, 0, 14 + 40 + 1024};
    BITMAPINFOHEADER ih = {40, 2, 2, 1, 8, BI_RGB, 8, 0, 0, 256, 0};
    memcpy(&file[0], &fh, 14);
    memcpy(&file[14], &ih, 40);
    for (int i = 0; i < 256; ++i)
        memset(&file[54 + 4 * i], i, 4);
    return file;
}

TEST_F(AreaPage, TheMaskIsChosenInTheOpenDialogAndGoesWithThePage)
{
    ScratchFolder folder(L"area_mask");
    const std::wstring good = folder.File(L"grey.bmp"), bad = folder.File(L"bad.bmp");
    ASSERT_TRUE(ScratchFolder::Write(good, GreyBitmapFile(0x4D42)) && ScratchFolder::Write(bad, GreyBitmapFile(0x4D41)));
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    sheet.Press(IDC_AREA_ADD);
    struct {
        CDialogDriver::Answer answer;
        bool loaded;
    } steps[] = {{CDialogDriver::ChooseFile(good), true},
                 {CDialogDriver::Cancel(), true},
                 {CDialogDriver::ChooseFile(bad), false},
                 {CDialogDriver::ChooseFile(good), true}};
    for (const auto& s : steps) {
        CDialogDriver driver(s.answer);
        sheet.Press(IDC_AREA_LOAD_BMP);
        EXPECT_EQ(1u, driver.Captions().size());
        EXPECT_EQ(s.loaded, g_MaskBitmap.pBits != nullptr);
    }
    EXPECT_EQ(2 * 1000 + 8, g_MaskBitmap.lWidth * 1000 + g_MaskBitmap.wBitCount);
    EXPECT_EQ(0x80, g_MaskBitmap.pBits[0]);
    EXPECT_TRUE(sheet.host->PressCancel());
    EXPECT_EQ(nullptr, g_MaskBitmap.pBits);
    EXPECT_EQ(nullptr, g_pPrintAreaUiData);
}

TEST_F(AreaPage, AnotherOrientationOrRibbonRebuildsTheEntries)
{
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Wide", AreaImage(L"Wide", 2, 0).Byte(2, 1).Rects({{0, 0, 1012, 50}})));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutChoice(L"PrintArea_Front_YMCO_L", L"Wide"));
    AreaSheet sheet(*printer);
    ASSERT_NE(nullptr, sheet.page);
    sheet.Press(IDC_AREA_ADD);
    // Back and forth without a change keeps the unsaved rectangle.
    sheet.host->ShowPage(0);
    sheet.host->ShowPage(sheet.row);
    EXPECT_EQ(1u, sheet.Entry().dwRectCount);

    sheet.host->ShowPage(0);
    sheet.ui->DevMode.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
    sheet.host->ShowPage(sheet.row);
    EXPECT_STREQ(L"Wide", sheet.Entry().szName);
    EXPECT_EQ((Texts{L"Full Card", L"Wide"}), sheet.Items(IDC_AREA_NAMES));
    EXPECT_EQ(1, sheet.Selection(IDC_AREA_NAMES));
    EXPECT_TRUE(sheet.Visible(IDC_AREA_ORIGIN_LANDSCAPE) && !sheet.Visible(IDC_AREA_ORIGIN_PORTRAIT));
    EXPECT_EQ((Texts{L"857", L"42", L"0", L"0"}), sheet.Boxes());
    sheet.Type(IDC_AREA_H, L"9999");
    EXPECT_EQ(L"549", sheet.Text(IDC_AREA_H));

    sheet.host->ShowPage(0);
    sheet.ui->DevMode.dmPrivate.byRibbon = RIBBON_KO;
    sheet.host->ShowPage(sheet.row);
    EXPECT_EQ(1, sheet.Selection(IDC_AREA_PANEL));
    EXPECT_EQ(&sheet.ui->PrintAreas[1], sheet.ui->pCurPrintArea);
    EXPECT_STREQ(L"Full Card", sheet.Entry().szName);
    EXPECT_EQ(DMORIENT_LANDSCAPE, sheet.Entry().byOrientation);
}

TEST_F(AreaPage, ATranslatedFullCardStaysFullCard)
{
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(GetLanguageFilePath(LANGNO_ARABIC, path));
    const std::wstring text = L"\xFEFF[Print Area]\r\nFull Card=Carte\r\nWarning=Attention\r\n"
                              L"Are you sure to delete this print area setting?=Supprimer ?\r\nSave print area:=Nom\r\n"
                              L"[Tool]\r\nWarning=Outil\r\nFull Card=Outil\r\n";
    ASSERT_TRUE(ScratchFolder::Write(path, std::string(reinterpret_cast<const char*>(text.c_str()), 2 * text.size())));
    ASSERT_EQ(ERROR_SUCCESS, keys->PutArea(L"Logo", Logo()));
    {
        AreaSheet sheet(*printer, 1, 0, LANGNO_ARABIC);
        ASSERT_NE(nullptr, sheet.page);
        EXPECT_EQ((Texts{L"Carte", L"Logo"}), sheet.Items(IDC_AREA_NAMES));
        sheet.Choose(IDC_AREA_NAMES, 1);
        sheet.Choose(IDC_AREA_NAMES, 0);
        EXPECT_STREQ(L"Full Card", sheet.Entry().szName);
        EXPECT_EQ(0u, sheet.Entry().dwRectCount);
        EXPECT_FALSE(sheet.Enabled(IDC_AREA_DELETE) || sheet.Enabled(IDC_AREA_SAVE));
        // Whatever section another page left current, the page uses its own.
        sheet.ui->Translater.SetSection(L"Tool");
        sheet.Choose(IDC_AREA_PANEL, 1);
        EXPECT_EQ(Texts{L"Carte"}, sheet.Items(IDC_AREA_NAMES));
        sheet.Choose(IDC_AREA_PANEL, 0);
        sheet.Choose(IDC_AREA_NAMES, 1);
        sheet.ui->Translater.SetSection(L"Tool");
        sheet.host->AnswerMessageBoxes(IDCANCEL);
        sheet.Press(IDC_AREA_DELETE);
        ASSERT_EQ(1u, sheet.host->MessageBoxes().size());
        EXPECT_EQ(L"Attention", sheet.host->MessageBoxes()[0].caption);
        EXPECT_EQ(L"Supprimer ?\n\nLogo", sheet.host->MessageBoxes()[0].text);
        sheet.ui->Translater.SetSection(L"Tool");
        CDialogDriver driver(CDialogDriver::Cancel());
        sheet.Press(IDC_AREA_SAVE_AS);
        EXPECT_EQ(Texts{L"Nom"}, driver.Captions());
        sheet.Choose(IDC_AREA_NAMES, 0);
        ASSERT_TRUE(sheet.host->Apply());
        EXPECT_TRUE(IsStoredText(ReadValue(keys->choices, L"PrintArea_Front_YMCO_P"), L"Full Card"));
    }
    DeleteFileW(path);
}

} // namespace
