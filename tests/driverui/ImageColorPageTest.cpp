// The "Image Color" page in the sheet host double: what it shows of a stored
// DEVMODE, every kind of entry reaching the private part at once, the range
// messages, Reset and apply; the number parsers of the pages' edits; and the
// page's own language-file section.
#include "SettingEntry.h"

#include "DialogInteger.h"
#include "ImageColorResource.h"
#include "NumberText.h"
#include "ScratchFolder.h"

#include <climits>

namespace {

const WCHAR kPrinter[] = L"Card Printer 1";
const int kFirstBar = IDC_COLOR_BRIGHTNESS_BAR, kFirstEdit = IDC_COLOR_BRIGHTNESS_EDIT, kGamma = 7;
// How far a thumb may stand from its place, in parts of the channel: the
// thumb's own width keeps it off the channel's ends.
const double kThumbTolerance = 0.1;
const std::wstring kPercentBox = L"Error: Enter from -100 ~ 100 . (error)\n";

// The image with a signed 16-bit value in setting k's field.
DevModeImage& Setting(DevModeImage& image, int k, int value)
{
    return image.PrivWord(128 + 2 * static_cast<size_t>(k), static_cast<WORD>(static_cast<SHORT>(value)));
}

// The page of a T42 opened on a stored DEVMODE.
struct ColorPage {
    explicit ColorPage(const DevModeImage& stored) : sheet(L"Vornex T42", kPrinter)
    {
        LoadWorking(sheet, stored);
        page = sheet.Show(IDD_IMAGE_COLOR);
    }
    CPageSheet sheet;
    HWND page;
};

TEST(EditNumbers, AreReadWithSaturationAndWithoutStrayCharacters)
{
    const struct {
        LPCWSTR text;
        int integer, hundredths;
    } cases[] = {
        {L"", 0, 0},        {L"42", 42, 4200},   {L" -5 ", -5, -500}, {L"+7", 7, 0},     {L"12x", 0, 0},
        {L"-", 0, 0},       {L"1.00", 0, 100},   {L".5", 0, 50},      {L"12.", 0, 1200}, {L"0.1", 0, 10},
        {L"-1.5", 0, -150}, {L"1.239", 0, 123},  {L"1.2.3", 0, 0},    {L"99999999999", INT_MAX, INT_MAX},
        {L"-99999999999", INT_MIN, INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.integer, ReadDialogInteger(c.text)) << c.text;
        EXPECT_EQ(c.hundredths, ParseHundredths(c.text)) << c.text;
    }
    EXPECT_EQ(0, ReadDialogInteger(nullptr) + ParseHundredths(nullptr));
}

TEST(ImageColorPage, ShowsTheStoredValuesAndTakesStrayOnesIntoRangeSilently)
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
    DevModeImage in = DevModeImage::Defaults(kPrinter), expected = in;
    for (int k = 0; k < 9; ++k) {
        Setting(in, k, settings[k].stored);
        Setting(expected, k, settings[k].shown);
    }
    ColorPage color(in);
    ASSERT_NE(nullptr, color.page);
    for (int k = 0; k < 9; ++k) {
        HWND bar = GetDlgItem(color.page, kFirstBar + k), edit = GetDlgItem(color.page, kFirstEdit + k);
        EXPECT_EQ(settings[k].text, ControlText(color.page, kFirstEdit + k)) << k;
        EXPECT_EQ(settings[k].limit, static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0))) << k;
        EXPECT_EQ(settings[k].shown, SendMessageW(bar, TBM_GETPOS, 0, 0)) << k;
        EXPECT_EQ(settings[k].low, SendMessageW(bar, TBM_GETRANGEMIN, 0, 0)) << k;
        EXPECT_EQ(settings[k].high, SendMessageW(bar, TBM_GETRANGEMAX, 0, 0)) << k;
        EXPECT_EQ(10, SendMessageW(bar, TBM_GETPAGESIZE, 0, 0)) << k;
        // The thumb stands for the position in the page's range, not in the
        // range the trackbar was created with.
        RECT thumb, channel;
        SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        double at = double((thumb.left + thumb.right) / 2 - channel.left) / (channel.right - channel.left);
        EXPECT_NEAR(double(settings[k].shown - settings[k].low) / (settings[k].high - settings[k].low), at,
                    kThumbTolerance) << k;
    }
    EXPECT_EQ(L"Black pixel RGB sum for printing by K of YMCKO:", ControlText(color.page, IDC_COLOR_BLACK_SUM_TEXT));
    EXPECT_EQ("", ImageDifferences(expected, &color.sheet.Ui().DevMode));
    EXPECT_EQ(L"", Boxes(color.sheet.Host()));
    EXPECT_EQ(0, color.sheet.Host().ChangedCount());
}

TEST(ImageColorPage, EveryEntryReachesItsFieldAtOnceAndResetGivesTheDefaults)
{
    const SettingEntry entries[] = {
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
    DevModeImage expected = DevModeImage::Defaults(kPrinter);
    ColorPage color(expected);
    CPageSheet& sheet = color.sheet;
    ASSERT_NE(nullptr, color.page);
    for (const SettingEntry& e : entries) {
        int changed = sheet.Host().ChangedCount();
        EnterSetting(sheet, kFirstBar, kFirstEdit, e);
        EXPECT_EQ("", ImageDifferences(Setting(expected, e.index, e.value), &sheet.Ui().DevMode)) << e.what;
        EXPECT_GT(sheet.Host().ChangedCount(), changed) << e.what;
    }
    int changed = sheet.Host().ChangedCount();
    sheet.Click(IDC_COLOR_RESET);
    expected = DevModeImage::Defaults(kPrinter);
    EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
    for (int k = 0; k < 9; ++k) {
        int value = k == 2 || k == kGamma ? 100 : 0;
        EXPECT_EQ(value, SendDlgItemMessageW(color.page, kFirstBar + k, TBM_GETPOS, 0, 0)) << k;
        EXPECT_EQ(k == kGamma ? L"1.00" : std::to_wstring(value), ControlText(color.page, kFirstEdit + k)) << k;
    }
    EXPECT_EQ(changed + 1, sheet.Host().ChangedCount());
    ASSERT_TRUE(sheet.Apply());
    EXPECT_TRUE(ReportedAt(sheet, 1));
    EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
}

// The sheet's one translator moves to each page's section as that page is
// created; a page that looks up a text later sets its own section again.
TEST(ImageColorPage, LooksUpItsTextsInItsOwnSection)
{
    ScratchFolder scratch(L"color");
    const std::wstring path = scratch.File(L"Qelruru.lng");
    ASSERT_TRUE(ScratchFolder::Write(path, "[Image Color]\r\nError=IC error\r\nEnter from=IC from\r\n"
                                           "Black pixel RGB sum for printing by K of YMCKO:=IC black\r\n"
                                           "[Heating Energy]\r\nError=HE error\r\nEnter from=HE from\r\n"));
    CPageSheet sheet(L"Vornex T42", kPrinter);
    sheet.Ui().Translater.SetLanguageFile(path.c_str());
    ASSERT_NE(nullptr, sheet.Show(IDD_IMAGE_COLOR));
    EXPECT_EQ(L"IC black", ControlText(sheet.Page(), IDC_COLOR_BLACK_SUM_TEXT));
    sheet.Ui().Translater.SetSection(L"Heating Energy");
    sheet.Type(kFirstEdit, L"150");
    EXPECT_EQ(L"IC error: IC from -100 ~ 100 . (error)\n", Boxes(sheet.Host()));
}

} // namespace
