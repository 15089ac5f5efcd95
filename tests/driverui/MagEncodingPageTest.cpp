// The "Magnetic Encoding" page in the sheet host double: what it shows of the
// stored choices and filters, and clicks and filter entries reaching the
// private part at once.
#include "PageSheet.h"

namespace {

const WORD kPage = 503;
const int kLow = 5001, kHigh = 5002, kTextEncoding = 5003, kPrefix = 5004, kSuffix = 5005;

class MagEncodingPage : public PageSuite {
protected:
    static DevModeImage Stored(BYTE coercivity, BYTE textFlag, LPCWSTR prefix, LPCWSTR suffix)
    {
        DevModeImage image = DevModeImage::Defaults(printer->Name().c_str());
        image.PrivByte(193, coercivity).PrivByte(197, textFlag);
        return image.Text(PUBLIC_SIZE + 200, prefix, 16).Text(PUBLIC_SIZE + 232, suffix, 16);
    }
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
};

TEST_F(MagEncodingPage, ShowsTheStoredChoicesAndFilters)
{
    // A filter that fills its room without a terminator is shown and kept
    // within the room.
    const struct {
        BYTE coercivity, textFlag;
        LPCWSTR prefix, suffix, shownPrefix;
        bool high, on;
    } cases[] = {
        {0, 0, L"~1", L"|", L"~1", false, false},
        {7, 2, L"ABCDEFGHIJKLMNOP", L"12345678", L"ABCDEFGHIJKLMNO", true, true},
    };
    for (const auto& c : cases) {
        CPageSheet sheet(*ui, *printer, Stored(c.coercivity, c.textFlag, c.prefix, c.suffix));
        HWND page = sheet.Show(kPage);
        ASSERT_TRUE(sheet.ok() && page);
        EXPECT_EQ(!c.high, Checked(page, kLow)) << c.prefix;
        EXPECT_EQ(c.high, Checked(page, kHigh)) << c.prefix;
        EXPECT_EQ(c.on, Checked(page, kTextEncoding)) << c.prefix;
        for (int id : {kPrefix, kSuffix}) {
            EXPECT_EQ(c.on, IsWindowEnabled(GetDlgItem(page, id)) != FALSE) << c.prefix;
            EXPECT_EQ(8, SendDlgItemMessageW(page, id, EM_GETLIMITTEXT, 0, 0)) << c.prefix;
        }
        EXPECT_EQ(c.shownPrefix, TextOf(GetDlgItem(page, kPrefix)));
        EXPECT_EQ(c.suffix, TextOf(GetDlgItem(page, kSuffix)));
        DevModeImage expected = Stored(c.coercivity, c.textFlag, c.shownPrefix, c.suffix);
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << c.prefix;
        EXPECT_EQ(0, sheet.Host().ChangedCount()) << c.prefix;
    }
}

TEST_F(MagEncodingPage, ClicksAndFilterEntriesReachTheDevModeAtOnce)
{
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
    HWND page = sheet.Show(kPage);
    ASSERT_TRUE(sheet.ok() && page);
    for (const auto& s : steps) {
        int changed = sheet.Host().ChangedCount();
        Enter(sheet.Host(), s.hand, GetDlgItem(page, s.id), nullptr, s.text, 0);
        DevModeImage expected = Stored(s.coercivity, s.textFlag, s.prefix, s.suffix);
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << s.what;
        EXPECT_EQ(s.coercivity != 0, Checked(page, kHigh) && !Checked(page, kLow)) << s.what;
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
