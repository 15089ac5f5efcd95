// The "Heating Energy" page in the sheet host double: the rows of the colour,
// magnetic and energy pages for each model group, what each group shows and
// keeps, Reset, and entries that move only the trackbars until apply stores
// them at the energy column in use.
#include "PageSheet.h"

namespace {

const WORD kPage = 504;
const int kFirstBar = 6011, kFirstEdit = 6021, kReset = 3028, kErase = 8, kFrontResin = 6;
// The group of each trackbar from 6011 on: front YMC, K, O, back YMC, K, O,
// front resin K, back resin K, erase, write.
const size_t kGroups[10] = {320, 324, 328, 340, 344, 348, 332, 352, 404, 400};
const int kBackOnly[] = {6034, 6006, 6007, 6008, 6009, 6010, 6014, 6015, 6016, 6018, 6024, 6025, 6026, 6028};
const int kRewriteOnly[] = {6035, 6031, 6032, 6019, 6020, 6029, 6030};
const std::wstring kEnergyBox = L"Error: Enter from -127 ~ 127 . (error)\n";

class HeatingEnergyPage : public PageSuite {
protected:
    // Each energy group holds its value at the column in use.
    static DevModeImage WithEnergies(const CInstalledPrinter& model, const int (&values)[10], BYTE column = 2)
    {
        DevModeImage image = DevModeImage::Defaults(model.Name().c_str());
        image.PrivByte(512, column);
        for (int i = 0; i < 10; ++i)
            image.PrivByte(kGroups[i] + column, static_cast<BYTE>(values[i]));
        return image;
    }
    static int Position(HWND page, int i)
    {
        return static_cast<int>(SendMessageW(GetDlgItem(page, kFirstBar + i), TBM_GETPOS, 0, 0));
    }
};

TEST_F(HeatingEnergyPage, EachModelGroupShowsItsPagesAndKeepsWhatItHides)
{
    const struct {
        LPCWSTR model;
        int colorRow, magneticRow, energyRow;
        bool back, rewrite;
    } models[] = {
        {L"T42", 1, 3, 4, true, false},  {L"T42D", 1, 3, 4, true, false}, {L"T42G", 1, 3, 4, true, false},
        {L"T41", 1, 3, 4, false, false}, {L"T41W", 1, 3, 4, false, false}, {L"T40", 1, 3, 4, false, false},
        {L"T40W", -1, -1, 2, false, true},
    };
    // An energy of -128 cannot be shown: the page keeps -127 instead, without
    // a word, but only for an energy its model uses.
    const int stored[10] = {11, -12, 13, 21, -22, 23, -128, 24, -128, 32};
    for (const auto& m : models) {
        CInstalledPrinter model(m.model);
        DevModeImage in = WithEnergies(model, stored), expected = in;
        expected.PrivByte(kGroups[kFrontResin] + 2, static_cast<BYTE>(-127));
        if (m.rewrite)
            expected.PrivByte(kGroups[kErase] + 2, static_cast<BYTE>(-127));
        CPageSheet sheet(*ui, model, in);
        ASSERT_TRUE(model.ok() && sheet.ok()) << m.model;
        EXPECT_EQ(m.colorRow, sheet.RowOf(501)) << m.model;
        EXPECT_EQ(m.magneticRow, sheet.RowOf(503)) << m.model;
        ASSERT_EQ(m.energyRow, sheet.RowOf(kPage)) << m.model;
        std::vector<int> rows = {0};
        for (int row : {m.colorRow, m.magneticRow, m.energyRow})
            if (row > 0 && sheet.Host().ShowPage(row))
                rows.push_back(row);
        HWND page = sheet.Show(kPage);
        for (int i = 0; i < 10; ++i) {
            int shown = i >= kErase && !m.rewrite ? 0 : stored[i] == -128 ? -127 : stored[i];
            EXPECT_EQ(shown, Position(page, i)) << m.model << " " << i;
            EXPECT_EQ(std::to_wstring(shown), TextOf(GetDlgItem(page, kFirstEdit + i))) << m.model << " " << i;
        }
        for (int id : kBackOnly)
            EXPECT_EQ(m.back, IsWindowVisible(GetDlgItem(page, id)) != FALSE) << m.model << " " << id;
        for (int id : kRewriteOnly)
            EXPECT_EQ(m.rewrite, IsWindowVisible(GetDlgItem(page, id)) != FALSE) << m.model << " " << id;
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << m.model;
        EXPECT_EQ(0, sheet.Host().ChangedCount()) << m.model;
        ASSERT_TRUE(sheet.Host().Apply());
        EXPECT_EQ(rows, sheet.ReportedRows()) << m.model;
        EXPECT_EQ("", ImageDifferences(expected, sheet.Out().data())) << m.model;

        // Reset zeroes every energy the model keeps, the hidden back side of
        // a one-sided model too; the rewrite energies only on rewrite models.
        Enter(sheet.Host(), CLICK, GetDlgItem(page, kReset), nullptr, nullptr, 0);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(0, Position(page, i)) << m.model << " " << i;
        EXPECT_EQ(1, sheet.Host().ChangedCount()) << m.model;
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << m.model;
        ASSERT_TRUE(sheet.Host().Apply());
        for (int i = 0; i < 10; ++i)
            if (i < kErase || m.rewrite)
                expected.PrivByte(kGroups[i] + 2, 0);
        EXPECT_EQ("", ImageDifferences(expected, sheet.Working())) << m.model;
        EXPECT_EQ(L"", sheet.Boxes()) << m.model;
    }
}

TEST_F(HeatingEnergyPage, EntriesMoveTheTrackbarsAndApplyStoresThemAtTheColumn)
{
    const SettingEntry entries[] = {
        {"typed above the range", 0, TYPE, L"200", 0, 127, L"127", kEnergyBox},
        {"typed below zero", 1, TYPE, L"-5", 0, -5, L"-5", L""},
        {"pasted far below the range", 5, PASTE, L"-99999999999", 0, -127, L"-127", kEnergyBox},
        {"points and letters refused", 2, TYPE, L"4.2x", 0, 42, L"42", L""},
        {"up arrow at the top", 0, EDIT_KEY, nullptr, VK_UP, 127, L"127", L""},
        {"down arrow", 3, EDIT_KEY, nullptr, VK_DOWN, -1, L"-1", L""},
        {"trackbar page", kFrontResin, BAR_KEY, nullptr, VK_PRIOR, -10, L"-10", L""},
    };
    const int zero[10] = {};
    DevModeImage in = WithEnergies(*printer, zero, 1), expected = in;
    CPageSheet sheet(*ui, *printer, in);
    HWND page = sheet.Show(kPage);
    ASSERT_TRUE(sheet.ok() && page);
    for (const SettingEntry& e : entries) {
        int changed = sheet.Host().ChangedCount();
        EnterSetting(sheet, page, kFirstBar, kFirstEdit, e);
        // Only the trackbar marks the sheet changed; the DEVMODE waits for apply.
        EXPECT_EQ(e.hand == BAR_KEY, sheet.Host().ChangedCount() > changed) << e.what;
        EXPECT_EQ("", ImageDifferences(in, sheet.Working())) << e.what;
        expected.PrivByte(kGroups[e.index] + 1, static_cast<BYTE>(e.value));
    }
    ASSERT_TRUE(sheet.Host().Apply());
    EXPECT_EQ("", ImageDifferences(expected, sheet.Working()));
    EXPECT_EQ((std::vector<int>{0, 4}), sheet.ReportedRows());
}

} // namespace
