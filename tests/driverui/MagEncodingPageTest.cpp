// The "Magnetic Encoding" page in the sheet host double: what it shows of the
// stored choices and filters, and how clicks and filter entries reach the
// private part at once.
#include "PageSheet.h"

#include <gtest/gtest.h>

namespace {

const WORD kPage = 503;
const int kLow = 5001, kHigh = 5002, kTextEncoding = 5003, kPrefix = 5004, kSuffix = 5005;
const size_t kCoercivity = 193, kTextFlag = 197, kPrefixField = 200, kSuffixField = 232, kRoom = 16;

class MagEncodingPage : public ::testing::Test {
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
    static DevModeImage Stored(BYTE coercivity, BYTE textFlag, LPCWSTR prefix, LPCWSTR suffix)
    {
        DevModeImage image = DevModeImage::Defaults(printer->Name().c_str());
        image.PrivByte(kCoercivity, coercivity).PrivByte(kTextFlag, textFlag);
        image.Text(PUBLIC_SIZE + kPrefixField, prefix, kRoom).Text(PUBLIC_SIZE + kSuffixField, suffix, kRoom);
        return image;
    }
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static QelUiModule* ui;
    static CInstalledPrinter* printer;
};
QelUiModule* MagEncodingPage::ui = nullptr;
CInstalledPrinter* MagEncodingPage::printer = nullptr;

TEST_F(MagEncodingPage, ShowsTheStoredChoicesAndFilters)
{
    // A filter that fills its room without a terminator is shown and kept
    // within its room.
    const struct {
        BYTE coercivity, textFlag;
        LPCWSTR prefix, suffix, shownPrefix;
        bool high, on;
    } cases[] = {
        {0, 0, L"~1", L"|", L"~1", false, false},
        {7, 2, L"ABCDEFGHIJKLMNOP", L"12345678", L"ABCDEFGHIJKLMNO", true, true},
        {1, 1, L"", L"", L"", true, true},
    };
    for (const auto& c : cases) {
        DevModeImage in = Stored(c.coercivity, c.textFlag, c.prefix, c.suffix);
        DevModeImage expected = Stored(c.coercivity, c.textFlag, c.shownPrefix, c.suffix);
        CPageSheet sheet(*ui, *printer, in);
        ASSERT_TRUE(sheet.ok());
        HWND page = sheet.Show(kPage);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(!c.high, Checked(page, kLow)) << c.prefix;
        EXPECT_EQ(c.high, Checked(page, kHigh)) << c.prefix;
        EXPECT_EQ(c.on, Checked(page, kTextEncoding)) << c.prefix;
        for (int id : {kPrefix, kSuffix}) {
            EXPECT_EQ(c.on, IsWindowEnabled(GetDlgItem(page, id)) != FALSE) << c.prefix;
            EXPECT_EQ(8, SendDlgItemMessageW(page, id, EM_GETLIMITTEXT, 0, 0)) << c.prefix;
        }
        EXPECT_EQ(c.shownPrefix, TextOf(GetDlgItem(page, kPrefix)));
        EXPECT_EQ(c.suffix, TextOf(GetDlgItem(page, kSuffix)));
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << c.prefix;
        EXPECT_EQ(0, sheet.Host().ChangedCount()) << c.prefix;
    }
}

TEST_F(MagEncodingPage, ClicksAndFilterEntriesReachTheDevModeAtOnce)
{
    enum Hand { CLICK, TYPE, PASTE };
    const struct {
        const char* what;
        Hand hand;
        int id;
        LPCWSTR text;
        BYTE coercivity, textFlag;
        LPCWSTR prefix, suffix;
        bool on, changes;
    } steps[] = {
        {"low coercivity", CLICK, kLow, nullptr, 0, 2, L"~1", L"", true, true},
        {"high coercivity", CLICK, kHigh, nullptr, 1, 2, L"~1", L"", true, true},
        // The stored value decides what a click on the box does.
        {"text encoding from 2", CLICK, kTextEncoding, nullptr, 1, 1, L"~1", L"", true, true},
        {"text encoding off", CLICK, kTextEncoding, nullptr, 1, 0, L"~1", L"", false, true},
        {"text encoding on", CLICK, kTextEncoding, nullptr, 1, 1, L"~1", L"", true, true},
        {"a ninth character refused", TYPE, kPrefix, L"%A1234567Z", 1, 1, L"%A123456", L"", true, false},
        {"prefix emptied", TYPE, kPrefix, L"\b", 1, 1, L"", L"", true, false},
        {"suffix pasted past the limit", PASTE, kSuffix, L"SUFFIX-TOO-LONG", 1, 1, L"", L"SUFFIX-T", true, false},
    };
    CPageSheet sheet(*ui, *printer, Stored(7, 2, L"~1", L""));
    ASSERT_TRUE(sheet.ok());
    HWND page = sheet.Show(kPage);
    ASSERT_NE(nullptr, page);
    for (const auto& s : steps) {
        int changed = sheet.Host().ChangedCount();
        if (s.hand == CLICK)
            Click(GetDlgItem(page, s.id));
        else if (s.hand == TYPE)
            TypeInto(GetDlgItem(page, s.id), s.text);
        else
            PasteInto(GetDlgItem(page, s.id), s.text);
        sheet.Host().Pump();
        EXPECT_EQ("", ImageDifferences(Stored(s.coercivity, s.textFlag, s.prefix, s.suffix), sheet.Working()))
            << s.what;
        EXPECT_EQ(s.coercivity != 0, Checked(page, kHigh)) << s.what;
        EXPECT_EQ(s.coercivity == 0, Checked(page, kLow)) << s.what;
        EXPECT_EQ(s.on, Checked(page, kTextEncoding)) << s.what;
        EXPECT_EQ(s.on, IsWindowEnabled(GetDlgItem(page, kSuffix)) != FALSE) << s.what;
        EXPECT_EQ(s.changes ? changed + 1 : changed, sheet.Host().ChangedCount()) << s.what;
    }
    ASSERT_TRUE(sheet.Host().Apply());
    EXPECT_EQ((std::vector<int>{0, 3}), sheet.ReportedRows());
    EXPECT_EQ("", ImageDifferences(Stored(1, 1, L"", L"SUFFIX-T"), sheet.Out().data()));
    EXPECT_EQ(L"", sheet.Boxes());
}

} // namespace
