// Wine's own spooler client, which no one here wrote, loading QelUI for an
// installed printer: DocumentPropertiesW reaches DrvDocumentPropertySheets
// without a sheet, DeviceCapabilitiesW reaches DrvDeviceCapabilities.
#include "DevModeImage.h"
#include "InstalledPrinter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class WinspoolRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        stored = DevModeImage::Defaults(printer.Name().c_str());
        stored.Word(offsetof(DEVMODEW, dmCopies), 3).PrivByte(64, 4);
        ASSERT_TRUE(printer.StoreDevMode(stored.DevMode()));
    }
    // An output buffer as a client prepares it after asking the size: Wine
    // gives the driver the buffer's own dmSize as its room.
    static void Prepare(GuardedBuffer& out, LONG size) { out.DevMode()->dmSize = static_cast<WORD>(size); }

    CInstalledPrinter printer{L"T42"};
    DevModeImage stored;
};

TEST_F(WinspoolRoad, DocumentPropertiesGivesTheSizeAndThePrintersDevMode)
{
    LPWSTR name = printer.NameText();
    LONG size = DocumentPropertiesW(nullptr, printer.Handle(), name, nullptr, nullptr, 0);
    ASSERT_EQ(1244, size);
    GuardedBuffer out(static_cast<size_t>(size));
    Prepare(out, size);
    EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, printer.Handle(), name, out.DevMode(), nullptr, DM_OUT_BUFFER));
    EXPECT_EQ("", ImageDifferences(stored, out.data()));
    EXPECT_TRUE(out.GuardsIntact());

    DevModeImage in = DevModeImage::Defaults(L"Application");
    in.Word(offsetof(DEVMODEW, dmOrientation), 2).Word(offsetof(DEVMODEW, dmCopies), 150).PrivByte(64, 9);
    GuardedBuffer merged(static_cast<size_t>(size));
    Prepare(merged, size);
    EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, printer.Handle(), name, merged.DevMode(), in.DevMode(),
                                        DM_IN_BUFFER | DM_OUT_BUFFER));
    DevModeImage expected = in;
    expected.Word(offsetof(DEVMODEW, dmCopies), 1).PrivByte(64, 0);
    EXPECT_EQ("", ImageDifferences(expected, merged.data()));
    EXPECT_TRUE(merged.GuardsIntact());
}

TEST_F(WinspoolRoad, DeviceCapabilitiesAnswersForThePrinter)
{
    LPCWSTR name = printer.Name().c_str();
    GuardedBuffer bins(sizeof(WORD)), names(64 * sizeof(WCHAR));
    EXPECT_EQ(1, DeviceCapabilitiesW(name, L"FILE:", DC_BINS, bins.As<WCHAR>(), nullptr));
    EXPECT_EQ(7, *bins.As<WORD>());
    EXPECT_TRUE(bins.GuardsIntact());
    EXPECT_EQ(1, DeviceCapabilitiesW(name, L"FILE:", DC_PAPERNAMES, names.As<WCHAR>(), nullptr));
    EXPECT_STREQ(L"CR-80", names.As<WCHAR>());
    EXPECT_TRUE(names.GuardsIntact());
    EXPECT_EQ(99, DeviceCapabilitiesW(name, L"FILE:", DC_COPIES, nullptr, nullptr));
    EXPECT_EQ(220, DeviceCapabilitiesW(name, L"FILE:", DC_SIZE, nullptr, nullptr));
    EXPECT_EQ(1024, DeviceCapabilitiesW(name, L"FILE:", DC_EXTRA, nullptr, nullptr));
    EXPECT_EQ(-1, DeviceCapabilitiesW(name, L"FILE:", DC_NUP, nullptr, nullptr));
}

} // namespace
