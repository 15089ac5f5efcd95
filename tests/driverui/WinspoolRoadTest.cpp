// Wine's own spooler client, which no one here wrote, loading QelUI for an
// installed printer: DocumentPropertiesW reaches DrvDocumentPropertySheets
// without a sheet, DeviceCapabilitiesW reaches DrvDeviceCapabilities.
#include "DevModeImage.h"
#include "InstalledPrinter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const DWORD kMarker = 0xC0FFEE;
const size_t kOrientation = offsetof(DEVMODEW, dmOrientation), kCopies = offsetof(DEVMODEW, dmCopies),
             kRibbon = 64;

class WinspoolRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        stored = DevModeImage::Defaults(printer.Name().c_str());
        stored.Word(kCopies, 3).PrivByte(kRibbon, 4);
        ASSERT_TRUE(printer.StoreDevMode(stored.DevMode()));
        name = printer.NameText();
    }
    // An application's call: Wine hands the driver the output buffer's own
    // dmSize as cbOut, whatever the buffer holds.
    LONG Call(DEVMODEW* out, DEVMODEW* in, DWORD mode)
    {
        return DocumentPropertiesW(nullptr, printer.Handle(), name, out, in, mode);
    }

    CInstalledPrinter printer{L"T42"};
    DevModeImage stored;
    LPWSTR name = nullptr;
};

// A print dialog asks the size, allocates that many bytes and leaves them as
// the allocator gave them.
TEST_F(WinspoolRoad, DocumentPropertiesFillsTheBufferTheSizeQueryAskedFor)
{
    const LONG size = Call(nullptr, nullptr, 0);
    ASSERT_EQ(1244, size);
    DevModeImage application = DevModeImage::Defaults(L"Application");
    application.Word(kOrientation, 2).Word(kCopies, 150).PrivByte(kRibbon, 9);
    DevModeImage merged = application;
    merged.Word(kCopies, 1).PrivByte(kRibbon, 0);
    struct {
        const char* what;
        BYTE fill;
        DevModeImage* in;
        const DevModeImage* expected;
    } cases[] = {
        {"zeroed, the printer's", 0x00, nullptr, &stored},
        {"fresh, the printer's", 0xCC, nullptr, &stored},
        {"zeroed, an application's merged", 0x00, &application, &merged},
    };
    for (const auto& c : cases) {
        GuardedBuffer out(static_cast<size_t>(size), c.fill);
        SetLastError(kMarker);
        EXPECT_EQ(IDOK, Call(out.DevMode(), c.in ? c.in->DevMode() : nullptr,
                             DM_OUT_BUFFER | (c.in ? DM_IN_BUFFER : 0)))
            << c.what;
        EXPECT_EQ(kMarker, GetLastError()) << c.what;
        EXPECT_EQ("", ImageDifferences(*c.expected, out.data())) << c.what;
        EXPECT_TRUE(out.GuardsIntact()) << c.what;
    }
}

// The same buffer out, changed by the application, and in and out again.
TEST_F(WinspoolRoad, DocumentPropertiesTakesBackTheBufferItFilled)
{
    const LONG size = Call(nullptr, nullptr, 0);
    ASSERT_EQ(1244, size);
    GuardedBuffer buffer(static_cast<size_t>(size), 0x00);
    ASSERT_EQ(IDOK, Call(buffer.DevMode(), nullptr, DM_OUT_BUFFER));
    buffer.DevMode()->dmOrientation = DMORIENT_LANDSCAPE;
    buffer.data()[PUBLIC_SIZE + kRibbon] = 1;
    SetLastError(kMarker);
    EXPECT_EQ(IDOK, Call(buffer.DevMode(), buffer.DevMode(), DM_IN_BUFFER | DM_OUT_BUFFER));
    EXPECT_EQ(kMarker, GetLastError());
    DevModeImage expected = stored;
    expected.Word(kOrientation, DMORIENT_LANDSCAPE).PrivByte(kRibbon, 1);
    EXPECT_EQ("", ImageDifferences(expected, buffer.data()));
    EXPECT_TRUE(buffer.GuardsIntact());
}

// Wine's AddPrinterW asks the driver for its DEVMODE by the printer's name,
// without a handle, and keeps it as the printer's.
TEST(WinspoolInstall, AddPrinterKeepsTheDriversDevMode)
{
    CInstalledPrinter printer(L"T42");
    ASSERT_TRUE(printer.ok());
    DWORD needed = 0;
    GetPrinterW(printer.Handle(), 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    ASSERT_TRUE(needed && GetPrinterW(printer.Handle(), 2, info.data(), needed, &needed));
    const DEVMODEW* devMode = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
    ASSERT_NE(nullptr, devMode);
    ASSERT_EQ(PUBLIC_SIZE, devMode->dmSize);
    ASSERT_EQ(IMAGE_SIZE - PUBLIC_SIZE, devMode->dmDriverExtra);
    // Wine's spooler gives the record back with bytes of its own behind the
    // texts' terminators: the texts are compared as texts.
    DevModeImage kept;
    kept.Put(0, devMode, IMAGE_SIZE)
        .Text(offsetof(DEVMODEW, dmDeviceName), devMode->dmDeviceName, CCHDEVICENAME)
        .Text(offsetof(DEVMODEW, dmFormName), devMode->dmFormName, CCHFORMNAME);
    EXPECT_EQ("", ImageDifferences(DevModeImage::Defaults(printer.Name().c_str()), kept.data()));
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
