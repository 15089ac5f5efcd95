// The "Image Color" page in the sheet host double: what it shows of a stored
// DEVMODE, how every kind of entry reaches the private part at once, the
// range messages, Reset and apply; the number parsers of the pages' edits;
// and the language-file section of each of the three colour, magnetic and
// energy pages.
#include "PageSheet.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "LanguageFile.h"
#include "NumberText.h"

namespace {

const WORD kPage = 501;
const int kFirstBar = 3010, kFirstEdit = 3019, kBlackSumText = 3009, kReset = 3028;
const size_t kFirstField = 128, kLanguage = 16;
const int kGamma = 7;
const std::wstring kPercentBox = L"Error: Enter from -100 ~ 100 . (error)\n";

size_t Field(int k)
{
    return kFirstField + 2 * static_cast<size_t>(k);
}

class ImageColorPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui = new QelUiModule();
        printer = new CInstalledPrinter(L"T42");
    }
    static void TearDownTestSuite()
    {
        delete printer;
        delete ui;
    }
    void SetUp() override { ASSERT_TRUE(ui->ok() && printer->ok()); }
    static DevModeImage Stored() { return DevModeImage::Defaults(printer->Name().c_str()); }
    static QelUiModule* ui;
    static CInstalledPrinter* printer;
};
QelUiModule* ImageColorPage::ui = nullptr;
CInstalledPrinter* ImageColorPage::printer = nullptr;

TEST(EditNumbers, AreReadWithSaturationAndWithoutStrayCharacters)
{
    const struct {
        LPCWSTR text;
        int integer, hundredths;
    } cases[] = {
        {L"", 0, 0},           {L"42", 42, 4200},         {L" -5 ", -5, -500},       {L"+7", 7, 0},
        {L"12x", 0, 0},        {L"-", 0, 0},              {L"1.00", 0, 100},         {L".5", 0, 50},
        {L"12.", 0, 1200},     {L"0.1", 0, 10},           {L"-1.5", 0, -150},        {L"1.239", 0, 123},
        {L"1.2.3", 0, 0},      {L"99999999999", INT_MAX, INT_MAX}, {L"-99999999999", INT_MIN, INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.integer, ParseEditInteger(c.text)) << c.text;
        EXPECT_EQ(c.hundredths, ParseHundredths(c.text)) << c.text;
    }
    EXPECT_EQ(0, ParseEditInteger(nullptr));
    EXPECT_EQ(0, ParseHundredths(nullptr));
    WCHAR text[NUMBER_TEXT_ROOM];
    for (auto shown : {std::make_pair(10, L"0.10"), std::make_pair(100, L"1.00"), std::make_pair(999, L"9.99")}) {
        FormatHundredths(shown.first, text, NUMBER_TEXT_ROOM);
        EXPECT_STREQ(shown.second, text);
    }
}

TEST_F(ImageColorPage, ShowsTheStoredValuesAndTakesStrayOnesIntoRangeSilently)
{
    const struct {
        int stored, shown;
        LPCWSTR text;
        int low, high;
        size_t limit;
    } settings[] = {
        {150, 100, L"100", -100, 100, 4}, {-42, -42, L"-42", -100, 100, 4}, {-5, 0, L"0", 0, 100, 3},
        {7, 7, L"7", -100, 100, 4},       {-101, -100, L"-100", -100, 100, 4}, {100, 100, L"100", -100, 100, 4},
        {0, 0, L"0", -100, 100, 4},       {0, 10, L"0.10", 10, 999, 4},     {101, 100, L"100", 0, 100, 3},
    };
    DevModeImage in = Stored(), expected = Stored();
    for (int k = 0; k < 9; ++k) {
        PrivShort(in, Field(k), settings[k].stored);
        PrivShort(expected, Field(k), settings[k].shown);
    }
    CPageSheet sheet(*ui, *printer, in);
    ASSERT_TRUE(sheet.ok());
    HWND page = sheet.Show(kPage);
    ASSERT_NE(nullptr, page);
    for (int k = 0; k < 9; ++k) {
        HWND bar = GetDlgItem(page, kFirstBar + k), edit = GetDlgItem(page, kFirstEdit + k);
        EXPECT_EQ(settings[k].text, TextOf(edit)) << k;
        EXPECT_EQ(settings[k].limit, static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0))) << k;
        EXPECT_EQ(settings[k].shown, SendMessageW(bar, TBM_GETPOS, 0, 0)) << k;
        EXPECT_EQ(settings[k].low, SendMessageW(bar, TBM_GETRANGEMIN, 0, 0)) << k;
        EXPECT_EQ(settings[k].high, SendMessageW(bar, TBM_GETRANGEMAX, 0, 0)) << k;
        EXPECT_EQ(10, SendMessageW(bar, TBM_GETPAGESIZE, 0, 0)) << k;
    }
    EXPECT_EQ(L"Black pixel RGB sum for printing by K of YMCKO:", TextOf(GetDlgItem(page, kBlackSumText)));
    EXPECT_EQ("", ImageDifferences(expected, sheet.Working()));
    EXPECT_EQ(L"", sheet.Boxes());
    EXPECT_EQ(0, sheet.Host().ChangedCount());
}

TEST_F(ImageColorPage, EveryEntryReachesItsFieldAtOnce)
{
    enum Hand { TYPE, PASTE, EDIT_KEY, BAR_KEY };
    const struct {
        const char* what;
        int k;
        Hand hand;
        LPCWSTR text;
        WPARAM key;
        int stored;
        LPCWSTR shown;
        std::wstring box;
    } entries[] = {
        {"typed above the range", 0, TYPE, L"150", 0, 100, L"100", kPercentBox},
        {"typed below zero", 1, TYPE, L"-42", 0, -42, L"-42", L""},
        {"letters and points refused", 3, TYPE, L"1a.2", 0, 12, L"12", L""},
        {"no sign for sharpness", 2, TYPE, L"-5", 0, 5, L"5", L""},
        {"gamma typed with its point", kGamma, TYPE, L"2.5", 0, 250, L"2.5", L""},
        {"gamma pasted below the range", kGamma, PASTE, L"0.05", 0, 10, L"0.10",
         L"Error: Enter from 0.10 ~ 9.99 . (error)\n"},
        {"pasted past the limit", 6, PASTE, L"-99999", 0, -100, L"-100", kPercentBox},
        {"pasted text that is no number", 4, PASTE, L"12x", 0, 0, L"12x", L""},
        {"sharpness pasted at the top", 2, PASTE, L"100", 0, 100, L"100", L""},
        {"up arrow at the top", 2, EDIT_KEY, nullptr, VK_UP, 100, L"100", L""},
        {"down arrow", 0, EDIT_KEY, nullptr, VK_DOWN, 99, L"99", L""},
        {"gamma down arrow at the bottom", kGamma, EDIT_KEY, nullptr, VK_DOWN, 10, L"0.10", L""},
        {"gamma up arrow", kGamma, EDIT_KEY, nullptr, VK_UP, 11, L"0.11", L""},
        {"trackbar page", 5, BAR_KEY, nullptr, VK_NEXT, 10, L"10", L""},
        {"gamma trackbar to its end", kGamma, BAR_KEY, nullptr, VK_END, 999, L"9.99", L""},
        {"black sum trackbar step", 8, BAR_KEY, nullptr, VK_RIGHT, 1, L"1", L""},
    };
    DevModeImage expected = Stored();
    CPageSheet sheet(*ui, *printer, expected);
    ASSERT_TRUE(sheet.ok());
    HWND page = sheet.Show(kPage);
    ASSERT_NE(nullptr, page);
    for (const auto& e : entries) {
        HWND bar = GetDlgItem(page, kFirstBar + e.k), edit = GetDlgItem(page, kFirstEdit + e.k);
        size_t boxes = sheet.Host().MessageBoxes().size();
        int changed = sheet.Host().ChangedCount();
        if (e.hand == TYPE)
            TypeInto(edit, e.text);
        else if (e.hand == PASTE)
            PasteInto(edit, e.text);
        else
            PressKey(e.hand == EDIT_KEY ? edit : bar, e.key);
        sheet.Host().Pump();
        PrivShort(expected, Field(e.k), e.stored);
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << e.what;
        EXPECT_EQ(e.shown, TextOf(edit)) << e.what;
        EXPECT_EQ(e.stored, SendMessageW(bar, TBM_GETPOS, 0, 0)) << e.what;
        EXPECT_EQ(e.box, sheet.Boxes(boxes)) << e.what;
        EXPECT_GT(sheet.Host().ChangedCount(), changed) << e.what;
        if (!e.box.empty()) {
            DWORD start = 1, end = 0;
            SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(0u, start) << e.what;
            EXPECT_EQ(wcslen(e.shown), end) << e.what;
        }
    }
}

TEST_F(ImageColorPage, ResetGivesTheDefaultsAndApplyReportsTheOwnPage)
{
    DevModeImage in = Stored();
    for (int k = 0; k < 9; ++k)
        PrivShort(in, Field(k), 30 + k);
    CPageSheet sheet(*ui, *printer, in);
    ASSERT_TRUE(sheet.ok());
    HWND page = sheet.Show(kPage);
    ASSERT_NE(nullptr, page);
    Click(GetDlgItem(page, kReset));
    DevModeImage expected = Stored();
    EXPECT_EQ("", ImageDifferences(expected, sheet.Working()));
    for (int k = 0; k < 9; ++k) {
        int value = k == 2 ? 100 : k == kGamma ? 100 : 0;
        EXPECT_EQ(value, SendMessageW(GetDlgItem(page, kFirstBar + k), TBM_GETPOS, 0, 0)) << k;
        EXPECT_EQ(k == kGamma ? L"1.00" : std::to_wstring(value), TextOf(GetDlgItem(page, kFirstEdit + k))) << k;
    }
    EXPECT_EQ(1, sheet.Host().ChangedCount());
    EXPECT_TRUE(sheet.Out().Untouched());

    ASSERT_TRUE(sheet.Host().Apply());
    // The sheet created its first page too.
    EXPECT_EQ((std::vector<int>{0, 1}), sheet.ReportedRows());
    EXPECT_EQ("", ImageDifferences(expected, sheet.Out().data()));
    EXPECT_TRUE(sheet.Host().Violations().empty());
}

// The sheet's one translator moves to each page's section as that page is
// created; a page that looks up a text later sets its own section again.
TEST_F(ImageColorPage, EachPageLooksUpItsTextsInItsOwnSection)
{
    const WORD kRussian = 7;
    WCHAR path[MAX_PATH] = L"";
    ASSERT_TRUE(GetLanguageFilePath(kRussian, path, MAX_PATH));
    const char16_t texts[] = u"\xFEFF[Image Color]\r\nError=IC error\r\nEnter from=IC from\r\n"
                             u"Black pixel RGB sum for printing by K of YMCKO:=IC black\r\n"
                             u"[Heating Energy]\r\nError=HE error\r\nEnter from=HE from\r\nYMC:=HE ymc\r\n"
                             u"[Magnetic Encoding]\r\nLow Co=ME low\r\n";
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(texts), sizeof(texts) - sizeof(char16_t));
    }
    DevModeImage in = Stored();
    in.PrivWord(kLanguage, kRussian);
    {
        CPageSheet sheet(*ui, *printer, in);
        ASSERT_TRUE(sheet.ok());
        HWND color = sheet.Show(501), energy = sheet.Show(504), magnetic = sheet.Show(503);
        EXPECT_EQ(L"IC black", TextOf(GetDlgItem(color, kBlackSumText)));
        EXPECT_EQ(L"HE ymc", TextOf(GetDlgItem(energy, 6002)));
        EXPECT_EQ(L"ME low", TextOf(GetDlgItem(magnetic, 5001)));
        sheet.Show(501);
        TypeInto(GetDlgItem(color, kFirstEdit), L"150");
        sheet.Show(504);
        TypeInto(GetDlgItem(energy, 6021), L"200");
        EXPECT_EQ(L"IC error: IC from -100 ~ 100 . (error)\nHE error: HE from -127 ~ 127 . (error)\n", sheet.Boxes());
    }
    DeleteFileW(path);
}

} // namespace
