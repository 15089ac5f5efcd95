// The "Heating Energy" page in the sheet host double: its row, what each
// model group shows and keeps, Reset, and entries that move only the
// trackbars until apply stores them at the energy column in use.
#include "SettingEntry.h"

#include "HeatingEnergyResource.h"

namespace {

const WCHAR kPrinter[] = L"Card Printer 1";
const int kFirstBar = IDC_ENERGY_FRONT_YMC_BAR, kFirstEdit = IDC_ENERGY_FRONT_YMC_EDIT, kErase = 8, kFrontResin = 6;
// The group of each trackbar from 6011 on: front YMC, K, O, back YMC, K, O,
// front resin K, back resin K, erase, write.
const size_t kGroups[10] = {320, 324, 328, 340, 344, 348, 332, 352, 404, 400};
const int kBackOnly[] = {6034, 6006, 6007, 6008, 6009, 6010, 6014, 6015, 6016, 6018, 6024, 6025, 6026, 6028};
const int kRewriteOnly[] = {6035, 6031, 6032, 6019, 6020, 6029, 6030};
const std::wstring kEnergyBox = L"Error: Enter from -127 ~ 127 . (error)\n";

// Each energy group holds its value at the column in use.
DevModeImage WithEnergies(const int (&values)[10], BYTE column = 2)
{
    DevModeImage image = DevModeImage::Defaults(kPrinter);
    image.PrivByte(512, column);
    for (int i = 0; i < 10; ++i)
        image.PrivByte(kGroups[i] + column, static_cast<BYTE>(values[i]));
    return image;
}

int Position(HWND page, int i)
{
    return static_cast<int>(SendDlgItemMessageW(page, kFirstBar + i, TBM_GETPOS, 0, 0));
}

TEST(HeatingEnergyPage, EachModelGroupShowsAndKeepsItsOwnEnergies)
{
    const struct {
        LPCWSTR driver;
        int row;
        bool back, rewrite;
    } models[] = {
        {L"Vornex T42", 4, true, false},  {L"Vornex T42D", 4, true, false}, {L"Vornex T42G", 4, true, false},
        {L"Vornex T41", 4, false, false}, {L"Vornex T41W", 4, false, false}, {L"Vornex T40", 4, false, false},
        {L"Vornex T40W", 2, false, true},
    };
    // An energy of -128 cannot be shown: the page keeps -127 instead, without
    // a word, but only for an energy its model uses.
    const int stored[10] = {11, -12, 13, 21, -22, 23, -128, 24, -128, 32};
    for (const auto& m : models) {
        SCOPED_TRACE(testing::Message() << m.driver);
        DevModeImage expected = WithEnergies(stored);
        expected.PrivByte(kGroups[kFrontResin] + 2, static_cast<BYTE>(-127));
        if (m.rewrite)
            expected.PrivByte(kGroups[kErase] + 2, static_cast<BYTE>(-127));
        CPageSheet sheet(m.driver, kPrinter);
        LoadWorking(sheet, WithEnergies(stored));
        HWND page = sheet.Show(IDD_HEATING_ENERGY);
        ASSERT_NE(nullptr, page);
        for (int i = 0; i < 10; ++i) {
            int shown = i >= kErase && !m.rewrite ? 0 : stored[i] == -128 ? -127 : stored[i];
            EXPECT_EQ(shown, Position(page, i)) << i;
            EXPECT_EQ(std::to_wstring(shown), ControlText(page, kFirstEdit + i)) << i;
        }
        for (int id : kBackOnly)
            EXPECT_EQ(m.back, ControlShown(page, id)) << id;
        for (int id : kRewriteOnly)
            EXPECT_EQ(m.rewrite, ControlShown(page, id)) << id;
        EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
        EXPECT_EQ(0, sheet.Host().ChangedCount());
        ASSERT_TRUE(sheet.Apply());
        EXPECT_TRUE(ReportedAt(sheet, m.row));
        EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));

        // Reset zeroes every energy the model keeps, the hidden back side of
        // a one-sided model too; the rewrite energies only on rewrite models.
        sheet.Click(IDC_ENERGY_RESET);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(0, Position(page, i)) << i;
        EXPECT_EQ(1, sheet.Host().ChangedCount());
        EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
        ASSERT_TRUE(sheet.Apply());
        for (int i = 0; i < 10; ++i)
            if (i < kErase || m.rewrite)
                expected.PrivByte(kGroups[i] + 2, 0);
        EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
        EXPECT_EQ(L"", Boxes(sheet.Host()));
    }
}

TEST(HeatingEnergyPage, EntriesMoveTheTrackbarsAndApplyStoresThemAtTheColumn)
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
    DevModeImage in = WithEnergies(zero, 1), expected = in;
    CPageSheet sheet(L"Vornex T42", kPrinter);
    LoadWorking(sheet, in);
    ASSERT_NE(nullptr, sheet.Show(IDD_HEATING_ENERGY));
    for (const SettingEntry& e : entries) {
        int changed = sheet.Host().ChangedCount();
        EnterSetting(sheet, kFirstBar, kFirstEdit, e);
        // Only the trackbar marks the sheet changed; the DEVMODE waits for apply.
        EXPECT_EQ(e.hand == BAR_KEY, sheet.Host().ChangedCount() > changed) << e.what;
        EXPECT_EQ("", ImageDifferences(in, &sheet.Ui().DevMode)) << e.what;
        expected.PrivByte(kGroups[e.index] + 1, static_cast<BYTE>(e.value));
    }
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ("", ImageDifferences(expected, &sheet.Ui().DevMode));
}

} // namespace
