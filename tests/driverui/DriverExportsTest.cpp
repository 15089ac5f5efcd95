// The exports of QelUI.dll that serve the spooler without a sheet:
// conversion, the job check, the capability answers and the events.
#include "DevModeImage.h"
#include "InstalledPrinter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const DWORD kMarker = 0xC0FFEE;
const DWORD kFailed = static_cast<DWORD>(-1);

class DriverExports : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui = new QelUiModule(); }
    static void TearDownTestSuite() { delete ui; }
    void SetUp() override { ASSERT_TRUE(ui->ok()); }
    static QelUiModule* ui;
};
QelUiModule* DriverExports::ui = nullptr;

TEST_F(DriverExports, ConvertDevModeChecksTheRoomAndTheMode)
{
    DevModeImage in = DevModeImage::Defaults(L"Card In");
    in.Word(offsetof(DEVMODEW, dmScale), 50).PrivByte(64, 3);
    const DevModeImage defaults = DevModeImage::Defaults(L"Printer 7");
    const DevModeImage shape = DevModeImage::Defaults(L"Output");
    struct Case {
        const char* what;
        DWORD mode;
        bool withIn, withOut;
        size_t room; // buffer size; *pcbNeeded on entry
        BOOL ok;
        DWORD error;
        LONG needed; // *pcbNeeded after
        const DevModeImage* written;
    } cases[] = {
        {"defaults, exact", CDM_DRIVER_DEFAULT, false, true, 1244, TRUE, kMarker, 1244, &defaults},
        {"defaults, one more", CDM_DRIVER_DEFAULT, false, true, 1245, TRUE, kMarker, 1244, &defaults},
        {"defaults, one less", CDM_DRIVER_DEFAULT, false, true, 1243, FALSE, ERROR_INSUFFICIENT_BUFFER, 1244, nullptr},
        {"defaults, 1000", CDM_DRIVER_DEFAULT, false, true, 1000, FALSE, ERROR_INSUFFICIENT_BUFFER, 1244, nullptr},
        {"defaults, no output", CDM_DRIVER_DEFAULT, false, false, 1244, FALSE, ERROR_INSUFFICIENT_BUFFER, 1244, nullptr},
        {"convert, exact", CDM_CONVERT, true, true, 1244, TRUE, kMarker, 1244, &in},
        {"convert, one more", CDM_CONVERT, true, true, 1245, TRUE, kMarker, 1244, &in},
        {"convert, one less", CDM_CONVERT, true, true, 1243, FALSE, ERROR_INSUFFICIENT_BUFFER, 1244, nullptr},
        {"convert, no input", CDM_CONVERT, false, true, 1244, FALSE, ERROR_INVALID_PARAMETER, 1244, nullptr},
        {"convert, no output", CDM_CONVERT, true, false, 1244, FALSE, ERROR_INVALID_PARAMETER, 1244, nullptr},
        {"convert 3.51", CDM_CONVERT351, true, true, 1244, FALSE, ERROR_INVALID_PARAMETER, 1244, nullptr},
        {"no mode", 0, true, true, 1244, FALSE, ERROR_INVALID_PARAMETER, 1244, nullptr},
    };
    WCHAR printer[] = L"Printer 7";
    for (const Case& c : cases) {
        GuardedBuffer out(c.room);
        // A conversion writes into the output's own shape.
        if (c.mode == CDM_CONVERT)
            out.Fill(shape, c.room);
        GuardedBuffer before = out;
        LONG needed = static_cast<LONG>(c.room);
        SetLastError(kMarker);
        EXPECT_EQ(c.ok, ui->convertDevMode(printer, c.withIn ? in.DevMode() : nullptr,
                                           c.withOut ? out.DevMode() : nullptr, &needed, c.mode))
            << c.what;
        EXPECT_EQ(c.error, GetLastError()) << c.what;
        EXPECT_EQ(c.needed, needed) << c.what;
        EXPECT_TRUE(out.GuardsIntact()) << c.what;
        if (c.written) {
            EXPECT_EQ("", ImageDifferences(*c.written, out.data())) << c.what;
        } else {
            EXPECT_EQ(0, memcmp(before.data(), out.data(), c.room)) << c.what;
        }
    }
    SetLastError(kMarker);
    EXPECT_FALSE(ui->convertDevMode(printer, in.DevMode(), in.DevMode(), nullptr, CDM_CONVERT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(DriverExports, QueryPrintTakesEveryDevModeThatMerges)
{
    DevModeImage odd = DevModeImage::Defaults(L"Odd");
    odd.Word(offsetof(DEVMODEW, dmCopies), 500).Word(offsetof(DEVMODEW, dmOrientation), 9).PrivByte(64, 99);
    DevModeImage empty = DevModeImage::Defaults(L"Empty");
    empty.Word(offsetof(DEVMODEW, dmSize), 0).Word(offsetof(DEVMODEW, dmDriverExtra), 0);
    for (DevModeImage* image : {&odd, &empty}) {
        WCHAR text[8] = L"keep";
        DEVQUERYPRINT_INFO info = {sizeof(info), 1, nullptr, image->DevMode(), text, 8, 77};
        SetLastError(kMarker);
        EXPECT_EQ(image == &odd, ui->queryPrint(&info) != FALSE);
        // No reason is written either way.
        EXPECT_STREQ(L"keep", text);
        EXPECT_EQ(77u, info.cchNeeded);
    }
    SetLastError(kMarker);
    EXPECT_FALSE(ui->queryPrint(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(DriverExports, QueryPrintWithoutDevModeExplainsWithinTheRoom)
{
    WCHAR system[1024] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_INVALID_PARAMETER,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, 1024, nullptr);
    std::wstring reason = system;
    if (reason.size() >= 2 && reason.compare(reason.size() - 2, 2, L"\r\n") == 0)
        reason.resize(reason.size() - 2);
    ASSERT_GT(reason.size(), 2u);
    const DWORD full = static_cast<DWORD>(reason.size() + 1);
    const DWORD rooms[] = {0, 1, full - 1, full, full + 1};
    for (DWORD room : rooms) {
        GuardedBuffer text((room + 1) * sizeof(WCHAR));
        DEVQUERYPRINT_INFO info = {sizeof(info), 1, nullptr, nullptr, text.As<WCHAR>(), room, 0};
        SetLastError(kMarker);
        EXPECT_FALSE(ui->queryPrint(&info)) << room;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << room;
        EXPECT_EQ(full, info.cchNeeded) << room;
        if (room == 0) {
            EXPECT_TRUE(text.Untouched());
            continue;
        }
        EXPECT_EQ(reason.substr(0, room - 1), std::wstring(text.As<WCHAR>())) << room;
        // Nothing behind the terminator within the room's last character.
        EXPECT_EQ(GuardedBuffer::FILL, text.data()[room * sizeof(WCHAR)]) << room;
    }
    DEVQUERYPRINT_INFO noBuffer = {sizeof(noBuffer), 1, nullptr, nullptr, nullptr, 100, 0};
    EXPECT_FALSE(ui->queryPrint(&noBuffer));
    EXPECT_EQ(full, noBuffer.cchNeeded);
}

TEST_F(DriverExports, CapabilitiesAnswerByTheTable)
{
    POINT paperSize = {549, 857};
    WORD paper = 600, bin = 7, none = 0;
    LONG resolutions[2] = {300, 300};
    WCHAR binName[24] = L"Auto Feed", paperName[64] = L"CR-80";
    struct Case {
        WORD capability;
        DWORD answer;
        const void* output;
        size_t bytes;
    } cases[] = {
        {DC_FIELDS, 0x0581FF1F, nullptr, 0},
        {DC_PAPERS, 1, &paper, sizeof(paper)},
        {DC_PAPERSIZE, 1, &paperSize, sizeof(paperSize)},
        {DC_MINEXTENT, MAKELONG(549, 857), nullptr, 0},
        {DC_MAXEXTENT, MAKELONG(549, 857), nullptr, 0},
        {DC_BINS, 1, &bin, sizeof(bin)},
        {DC_SIZE, 220, nullptr, 0},
        {DC_EXTRA, 1024, nullptr, 0},
        {DC_VERSION, 0x0401, nullptr, 0},
        {DC_DRIVER, 0x0500, nullptr, 0},
        {DC_BINNAMES, 1, binName, sizeof(binName)},
        {DC_ENUMRESOLUTIONS, 1, resolutions, sizeof(resolutions)},
        {DC_FILEDEPENDENCIES, 0, &none, sizeof(none)},
        {DC_TRUETYPE, 1, nullptr, 0},
        {DC_PAPERNAMES, 1, paperName, sizeof(paperName)},
        {DC_ORIENTATION, 90, nullptr, 0},
        {DC_COPIES, 99, nullptr, 0},
        {DC_BINADJUST, kFailed, nullptr, 0},
        {DC_MANUFACTURER, kFailed, nullptr, 0},
        {DC_COLLATE, 0, nullptr, 0},
        {DC_MEDIAREADY, 1, paperName, sizeof(paperName)},
        {DC_STAPLE, 0, nullptr, 0},
        {DC_PRINTRATEPPM, kFailed, nullptr, 0},
        {DC_COLORDEVICE, 1, nullptr, 0},
        {DC_NUP, kFailed, nullptr, 0},
        {0, kFailed, nullptr, 0},
    };
    WCHAR device[] = L"Card Printer";
    for (const Case& c : cases) {
        GuardedBuffer output(c.bytes);
        SetLastError(kMarker);
        EXPECT_EQ(c.answer, ui->deviceCapabilities(nullptr, device, c.capability, output.data(), nullptr))
            << c.capability;
        EXPECT_EQ(c.answer == kFailed ? static_cast<DWORD>(ERROR_NOT_SUPPORTED) : kMarker, GetLastError())
            << c.capability;
        EXPECT_TRUE(output.GuardsIntact()) << c.capability;
        if (c.bytes) {
            EXPECT_EQ(0, memcmp(c.output, output.data(), c.bytes)) << c.capability;
        }
        EXPECT_EQ(c.answer, ui->deviceCapabilities(nullptr, device, c.capability, nullptr, nullptr)) << c.capability;
    }
    // The answers come from the defaults merged with the caller's DEVMODE.
    DevModeImage media = DevModeImage::Defaults(L"Card Printer");
    media.Dword(offsetof(DEVMODEW, dmFields), 0x0581FF1F | DM_MEDIATYPE);
    EXPECT_EQ(0x0581FF1Fu | DM_MEDIATYPE, ui->deviceCapabilities(nullptr, device, DC_FIELDS, nullptr, media.DevMode()));
}

TEST_F(DriverExports, DuplexFollowsTheDriverName)
{
    struct {
        LPCWSTR model;
        DWORD duplex;
    } cases[] = {{L"T42", 1}, {L"T42D", 1}, {L"T41W", 0}, {L"T40", 0}};
    for (const auto& c : cases) {
        CInstalledPrinter printer(c.model);
        ASSERT_TRUE(printer.ok()) << c.model;
        SetLastError(kMarker);
        EXPECT_EQ(c.duplex, ui->deviceCapabilities(printer.Handle(), printer.NameText(), DC_DUPLEX, nullptr, nullptr))
            << c.model;
        EXPECT_EQ(kMarker, GetLastError()) << c.model;
        // Wine's spooler client names the printer and passes no handle.
        EXPECT_EQ(static_cast<int>(c.duplex),
                  DeviceCapabilitiesW(printer.Name().c_str(), L"FILE:", DC_DUPLEX, nullptr, nullptr))
            << c.model;
    }
    // No printer to ask: no duplex.
    EXPECT_EQ(0u, ui->deviceCapabilities(nullptr, nullptr, DC_DUPLEX, nullptr, nullptr));
}

TEST_F(DriverExports, EventsAndTheEntryPointSucceed)
{
    WCHAR printer[] = L"Card Printer";
    for (INT event : {PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE, 99})
        EXPECT_TRUE(ui->printerEvent(printer, event, PRINTER_EVENT_FLAG_NO_UI, 0)) << event;
    for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH})
        EXPECT_TRUE(ui->dllMain(ui->module, reason, nullptr)) << reason;
}

} // namespace
