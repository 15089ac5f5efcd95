// The "Magnetic Encoding" page in the sheet host double: what it shows of the
// stored choices and filters, and clicks and filter entries reaching the
// private part at once.
#include "SettingEntry.h"

#include "MagEncodingResource.h"
#include "ScratchFolder.h"

namespace {

const WCHAR kPrinter[] = L"Card Printer 1";

DevModeImage Stored(BYTE coercivity, BYTE textFlag, LPCWSTR prefix, LPCWSTR suffix)
{
    DevModeImage image = DevModeImage::Defaults(kPrinter);
    image.PrivByte(193, coercivity).PrivByte(197, textFlag);
    return image.Text(PUBLIC_SIZE + 200, prefix, 16).Text(PUBLIC_SIZE + 232, suffix, 16);
}

TEST(MagEncodingPage, ShowsTheStoredChoicesAndFilters)
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
        SCOPED_TRACE(testing::Message() << c.prefix);
        CPageSheet sheet(L"Vornex T42", kPrinter);
        LoadWorking(sheet, Stored(c.coercivity, c.textFlag, c.prefix, c.suffix));
        HWND page = sheet.Show(IDD_MAG_ENCODING);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(!c.high, ControlChecked(page, IDC_MAG_LOW_CO));
        EXPECT_EQ(c.high, ControlChecked(page, IDC_MAG_HIGH_CO));
        EXPECT_EQ(c.on, ControlChecked(page, IDC_MAG_TEXT_ENCODING));
        for (int id : {IDC_MAG_PREFIX, IDC_MAG_SUFFIX}) {
            EXPECT_EQ(c.on, ControlEnabled(page, id));
            EXPECT_EQ(8, SendDlgItemMessageW(page, id, EM_GETLIMITTEXT, 0, 0));
        }
        EXPECT_EQ(c.shownPrefix, ControlText(page, IDC_MAG_PREFIX));
        EXPECT_EQ(c.suffix, ControlText(page, IDC_MAG_SUFFIX));
        EXPECT_EQ("", ImageDifferences(Stored(c.coercivity, c.textFlag, c.shownPrefix, c.suffix),
                                       &sheet.Ui().DevMode));
        EXPECT_EQ(0, sheet.Host().ChangedCount());
    }
}

TEST(MagEncodingPage, ClicksAndFilterEntriesReachTheDevModeAtOnce)
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
        {"low coercivity", CLICK, IDC_MAG_LOW_CO, nullptr, 0, 2, L"~1", L"", true, true},
        {"high coercivity", CLICK, IDC_MAG_HIGH_CO, nullptr, 1, 2, L"~1", L"", true, true},
        // The stored value decides what a click on the box does.
        {"text encoding from 2", CLICK, IDC_MAG_TEXT_ENCODING, nullptr, 1, 1, L"~1", L"", true, true},
        {"text encoding off", CLICK, IDC_MAG_TEXT_ENCODING, nullptr, 1, 0, L"~1", L"", false, true},
        {"text encoding on", CLICK, IDC_MAG_TEXT_ENCODING, nullptr, 1, 1, L"~1", L"", true, true},
        {"a ninth character refused", TYPE, IDC_MAG_PREFIX, L"%A1234567Z", 1, 1, L"%A123456", L"", true, false},
        {"prefix emptied", TYPE, IDC_MAG_PREFIX, L"", 1, 1, L"", L"", true, false},
        {"suffix pasted past the limit", PASTE, IDC_MAG_SUFFIX, L"SUFFIX-TOO-LONG", 1, 1, L"", L"SUFFIX-T", true,
         false},
    };
    CPageSheet sheet(L"Vornex T42", kPrinter);
    LoadWorking(sheet, Stored(7, 2, L"~1", L""));
    HWND page = sheet.Show(IDD_MAG_ENCODING);
    ASSERT_NE(nullptr, page);
    for (const auto& s : steps) {
        int changed = sheet.Host().ChangedCount();
        Enter(sheet, s.hand, GetDlgItem(page, s.id), nullptr, s.text, 0);
        DevModeImage expected = Stored(s.coercivity, s.textFlag, s.prefix, s.suffix);
        EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode)) << s.what;
        EXPECT_EQ(s.coercivity != 0, ControlChecked(page, IDC_MAG_HIGH_CO) && !ControlChecked(page, IDC_MAG_LOW_CO))
            << s.what;
        EXPECT_EQ(s.on, ControlChecked(page, IDC_MAG_TEXT_ENCODING)) << s.what;
        EXPECT_EQ(s.on, ControlEnabled(page, IDC_MAG_SUFFIX)) << s.what;
        EXPECT_EQ(s.changes ? changed + 1 : changed, sheet.Host().ChangedCount()) << s.what;
    }
    ASSERT_TRUE(sheet.Apply());
    EXPECT_TRUE(ReportedAt(sheet, 3));
    EXPECT_EQ("", ImageDifferences(Stored(1, 1, L"", L"SUFFIX-T"), &sheet.Ui().DevMode));
    EXPECT_EQ(L"", Boxes(sheet.Host()));
}

// A stored filter is the user's text, never one to translate; the page's
// labels are translated in its own section.
TEST(MagEncodingPage, TranslatesItsLabelsButNotTheFilters)
{
    ScratchFolder scratch(L"magnetic");
    const std::wstring path = scratch.File(L"Qelruru.lng");
    ASSERT_TRUE(ScratchFolder::Write(path, "[Magnetic Encoding]\r\nLow Co=ME low\r\n~1=ME tilde\r\n"));
    CPageSheet sheet(L"Vornex T42", kPrinter);
    LoadWorking(sheet, Stored(0, 1, L"~1", L""));
    sheet.Ui().Translater.SetLanguageFile(path.c_str());
    HWND page = sheet.Show(IDD_MAG_ENCODING);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(L"ME low", ControlText(page, IDC_MAG_LOW_CO));
    EXPECT_EQ(L"~1", ControlText(page, IDC_MAG_PREFIX));
}

} // namespace
