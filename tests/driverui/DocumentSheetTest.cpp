// The printing-preferences sheet and its road without a sheet, and the
// printer-properties sheet, driven through QelUI.dll's exports by the sheet
// host double for installed printers.
#include "DevModeImage.h"
#include "InstalledPrinter.h"
#include "SheetHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const DWORD kMarker = 0xC0FFEE;
const LONG kFail = ERR_CPSUI_GETLASTERROR;
const size_t kRibbon = 64, kLanguage = 16;

class Sheets : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui = new QelUiModule();
        printer = new CInstalledPrinter(L"T42");
        // The printer's own DEVMODE carries choices of its own.
        stored = DevModeImage::Defaults(printer->Name().c_str());
        stored.Word(offsetof(DEVMODEW, dmScale), 80).PrivByte(kRibbon, 3);
        storedOk = printer->StoreDevMode(stored.DevMode());
    }
    static void TearDownTestSuite()
    {
        delete printer;
        delete ui;
    }
    void SetUp() override
    {
        ASSERT_TRUE(ui->ok());
        ASSERT_TRUE(printer->ok() && storedOk);
    }
    // The header as Wine's DocumentPropertiesW fills it: cbOut is the output
    // buffer's own dmSize, whatever the buffer holds.
    static DOCUMENTPROPERTYHEADER Header(CInstalledPrinter& p, DEVMODEW* in, GuardedBuffer* out, DWORD mode)
    {
        return {sizeof(DOCUMENTPROPERTYHEADER), 0, p.Handle(), p.NameText(), in, out ? out->DevMode() : nullptr,
                out ? out->DevMode()->dmSize : 0u, mode};
    }
    static QelUiModule* ui;
    static CInstalledPrinter* printer;
    static DevModeImage stored;
    static bool storedOk;
};
QelUiModule* Sheets::ui = nullptr;
CInstalledPrinter* Sheets::printer = nullptr;
DevModeImage Sheets::stored;
bool Sheets::storedOk = false;

std::vector<std::wstring> Titles(const CSheetHost& host)
{
    std::vector<std::wstring> titles;
    for (const HostPage& page : host.Pages())
        titles.push_back(page.title);
    return titles;
}

TEST_F(Sheets, WithoutASheetTheSizeComesFirst)
{
    for (bool withOut : {true, false}) {
        GuardedBuffer out(IMAGE_SIZE);
        DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, withOut ? &out : nullptr, withOut ? 0 : DM_OUT_BUFFER);
        header.cbOut = 0;
        EXPECT_EQ(1244, ui->documentSheets(nullptr, reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(1244u, header.cbOut);
        EXPECT_TRUE(out.Untouched());
    }
    SetLastError(kMarker);
    EXPECT_EQ(kFail, ui->documentSheets(nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(Sheets, WithoutASheetTheMergedDevModeComesBack)
{
    DevModeImage in = DevModeImage::Defaults(L"Caller");
    in.Word(offsetof(DEVMODEW, dmCopies), 5).PrivByte(kRibbon, 7);
    DevModeImage merged = in;
    merged.Word(offsetof(DEVMODEW, dmScale), 100).PrivByte(kRibbon, 0);
    // A header cut short with private bytes behind it has no shape to give.
    DevModeImage cut = in;
    cut.Word(offsetof(DEVMODEW, dmSize), 60);
    struct Case {
        const char* what;
        bool withHandle;
        DevModeImage* in;
        LONG answer;
        DWORD error;
        const DevModeImage* expected;
    } cases[] = {
        {"the printer's own", true, nullptr, 1, kMarker, &stored},
        // As Wine's AddPrinterW asks: the printer's name and no handle.
        {"the printer's own, by its name", false, nullptr, 1, kMarker, &stored},
        {"merged with the caller's", true, &in, 1, kMarker, &merged},
        {"a caller's header cut short", true, &cut, kFail, ERROR_INVALID_PARAMETER, nullptr},
    };
    for (const Case& c : cases) {
        // A buffer of the size asked for, zeroed by the application: cbOut is 0.
        GuardedBuffer out(IMAGE_SIZE, 0x00);
        DOCUMENTPROPERTYHEADER header =
            Header(*printer, c.in ? c.in->DevMode() : nullptr, &out, DM_OUT_BUFFER | (c.in ? DM_IN_BUFFER : 0));
        if (!c.withHandle)
            header.hPrinter = nullptr;
        SetLastError(kMarker);
        EXPECT_EQ(c.answer, ui->documentSheets(nullptr, reinterpret_cast<LPARAM>(&header))) << c.what;
        EXPECT_EQ(c.error, GetLastError()) << c.what;
        EXPECT_EQ(1244u, header.cbOut) << c.what;
        EXPECT_TRUE(out.GuardsIntact()) << c.what;
        if (c.expected) {
            EXPECT_EQ("", ImageDifferences(*c.expected, out.data())) << c.what;
        } else {
            EXPECT_TRUE(out.Untouched()) << c.what;
        }
    }
    // Without a printer handle or name there is no printer to read.
    GuardedBuffer out(IMAGE_SIZE);
    DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, &out, DM_OUT_BUFFER);
    header.hPrinter = nullptr;
    header.pszPrinterName = nullptr;
    SetLastError(kMarker);
    EXPECT_EQ(kFail, ui->documentSheets(nullptr, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_TRUE(out.Untouched());
}

TEST_F(Sheets, ACallerAskingForTheDriversDevModeKeepsItsOwnSizes)
{
    // A DEVMODE of driver version 0 and no private part: the working copy's
    // public part fills it, but it still says 220 and 0 bytes.
    GuardedBuffer in(PUBLIC_SIZE);
    DevModeImage shape = DevModeImage::Defaults(L"Caller");
    shape.Word(offsetof(DEVMODEW, dmDriverVersion), 0).Word(offsetof(DEVMODEW, dmDriverExtra), 0);
    in.Fill(shape, PUBLIC_SIZE);
    DOCUMENTPROPERTYHEADER header = Header(*printer, in.DevMode(), nullptr, DM_IN_BUFFER);
    GuardedBuffer out(IMAGE_SIZE);
    header.pdmOut = out.DevMode();
    EXPECT_EQ(1, ui->documentSheets(nullptr, reinterpret_cast<LPARAM>(&header)));
    DevModeImage expected = stored;
    expected.Text(0, L"Caller", CCHDEVICENAME).Word(offsetof(DEVMODEW, dmScale), 100).Word(offsetof(DEVMODEW, dmDriverExtra), 0);
    EXPECT_EQ("", ImageDifferences(expected, in.data(), PUBLIC_SIZE));
    EXPECT_TRUE(in.GuardsIntact());
}

TEST_F(Sheets, InitAddsTheTranslatedPagesOfTheModel)
{
    const std::vector<std::wstring> full = {L"Print Option", L"Image Color", L"Print Area", L"Magnetic Encoding",
                                            L"Heating Energy", L"Tool"};
    struct {
        LPCWSTR model;
        std::vector<std::wstring> titles;
        std::vector<WORD> templates;
    } cases[] = {
        {L"T42", full, {500, 501, 502, 503, 504, 505}},
        {L"T41W", full, {500, 501, 502, 503, 504, 505}},
        {L"T40W", {L"Print Option", L"Print Area", L"Heating Energy", L"Tool"}, {500, 502, 504, 505}},
    };
    // A Chinese language number without a language file shows English.
    DevModeImage chinese = DevModeImage::Defaults(L"Caller");
    chinese.PrivWord(kLanguage, 2);
    for (const auto& c : cases) {
        CInstalledPrinter model(c.model);
        ASSERT_TRUE(model.ok());
        DOCUMENTPROPERTYHEADER header = Header(model, chinese.DevMode(), nullptr, DM_IN_BUFFER);
        CSheetHost host(ui->documentSheets, reinterpret_cast<LPARAM>(&header));
        host.Info().Result = 77;
        SetLastError(kMarker);
        EXPECT_EQ(1, host.Init()) << c.model;
        EXPECT_EQ(kMarker, GetLastError());
        EXPECT_EQ(0u, host.Info().Result);
        EXPECT_NE(0u, host.Info().UserData);
        EXPECT_EQ(c.titles, Titles(host)) << c.model;
        ASSERT_EQ(c.templates.size(), host.Pages().size());
        for (size_t i = 0; i < c.templates.size(); ++i) {
            const PROPSHEETPAGEW_V4& page = host.Pages()[i].page;
            EXPECT_EQ(sizeof(PROPSHEETPAGEW_V4), page.dwSize);
            EXPECT_EQ(static_cast<DWORD>(PSP_USETITLE), page.dwFlags);
            EXPECT_EQ(ui->module, page.hInstance);
            EXPECT_EQ(MAKEINTRESOURCEW(c.templates[i]), page.pszTemplate);
            EXPECT_NE(nullptr, page.pfnDlgProc);
            EXPECT_EQ(static_cast<LPARAM>(host.Info().UserData), page.lParam);
        }
        EXPECT_EQ(1, host.GetInfoHeader());
        EXPECT_EQ(PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE, host.InfoHeader().Flags);
        EXPECT_EQ(header.pszPrinterName, host.InfoHeader().pTitle);
        EXPECT_EQ(ui->module, host.InfoHeader().hInst);
        EXPECT_EQ(64062u, host.InfoHeader().IconID);
        EXPECT_EQ(1, host.Destroy());
        EXPECT_TRUE(host.Violations().empty());
    }
}

TEST_F(Sheets, TheResultOfAPageHandsTheDevModeBackOnlyWhenConfirmed)
{
    for (LRESULT result : {CPSUI_OK, CPSUI_CANCEL}) {
        // Zeroed by the application: cbOut is 0.
        GuardedBuffer out(IMAGE_SIZE, 0x00);
        DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, &out, DM_OUT_BUFFER);
        CSheetHost host(ui->documentSheets, reinterpret_cast<LPARAM>(&header));
        ASSERT_EQ(1, host.Init());
        EXPECT_EQ(1, host.ReportResult(host.Pages()[2].handle, result));
        EXPECT_EQ(static_cast<ULONG_PTR>(result), host.Info().Result);
        if (result == CPSUI_OK) {
            EXPECT_EQ("", ImageDifferences(stored, out.data()));
        } else {
            EXPECT_TRUE(out.Untouched());
        }
        EXPECT_TRUE(out.GuardsIntact());
    }
}

TEST_F(Sheets, AFailedInitTakesBackItsPagesAndFreesOnce)
{
    DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, nullptr, 0);
    CSheetHost host(ui->documentSheets, reinterpret_cast<LPARAM>(&header));
    host.FailPageAdd(3, ERROR_NO_SYSTEM_RESOURCES);
    SetLastError(kMarker);
    EXPECT_EQ(kFail, host.Init());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES), GetLastError());
    EXPECT_EQ(0u, host.Info().UserData);
    EXPECT_TRUE(host.Pages().empty());
    std::vector<HostCall> deletes = host.CallsOf(CPSFUNC_DELETE_HCOMPROPSHEET);
    ASSERT_EQ(2u, deletes.size());
    EXPECT_EQ(host.CallsOf(CPSFUNC_ADD_PROPSHEETPAGEW)[1].answer, deletes[0].lParam1);
    EXPECT_EQ(host.CallsOf(CPSFUNC_ADD_PROPSHEETPAGEW)[0].answer, deletes[1].lParam1);
    // Nothing is left to destroy.
    EXPECT_EQ(kFail, host.Destroy());
    EXPECT_TRUE(host.Violations().empty());
}

TEST_F(Sheets, OneBlockPerSheetAndOneDestroy)
{
    DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, nullptr, 0);
    CSheetHost host(ui->documentSheets, reinterpret_cast<LPARAM>(&header));
    ASSERT_EQ(1, host.Init());
    ULONG_PTR block = host.Info().UserData;
    SetLastError(kMarker);
    EXPECT_EQ(kFail, host.Init());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_INITIALIZED), GetLastError());
    EXPECT_EQ(block, host.Info().UserData);
    EXPECT_EQ(6u, host.Pages().size());
    host.Info().Reason = PROPSHEETUI_REASON_GET_ICON;
    EXPECT_EQ(kFail, ui->documentSheets(&host.Info(), 0));
    EXPECT_EQ(1, host.Destroy());
    EXPECT_EQ(kFail, host.Destroy());
}

TEST_F(Sheets, TheModelessSheetAppliesEveryPageIntoTheCallersDevMode)
{
    GuardedBuffer out(IMAGE_SIZE);
    DOCUMENTPROPERTYHEADER header = Header(*printer, nullptr, &out, DM_OUT_BUFFER);
    CSheetHost host(ui->documentSheets, reinterpret_cast<LPARAM>(&header));
    ASSERT_EQ(1, host.Init());
    ASSERT_TRUE(host.CreateSheet());
    for (int i = 0; i < 6; ++i) {
        HWND page = host.ShowPage(i);
        ASSERT_NE(nullptr, page) << i;
        EXPECT_EQ(static_cast<LONG_PTR>(host.Info().UserData), GetWindowLongPtrW(page, DWLP_USER)) << i;
    }
    PropSheet_Changed(host.Sheet(), host.ShowPage(0));
    EXPECT_EQ(1, host.ChangedCount());
    EXPECT_TRUE(out.Untouched());
    host.Apply();
    std::vector<HostCall> results = host.CallsOf(CPSFUNC_SET_RESULT);
    ASSERT_EQ(6u, results.size());
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(reinterpret_cast<LPARAM>(host.Pages()[i].handle), results[i].lParam1) << i;
    EXPECT_EQ("", ImageDifferences(stored, out.data()));
    EXPECT_TRUE(host.PressOk());
    EXPECT_EQ(0u, host.Info().UserData);
    EXPECT_TRUE(host.Violations().empty());
    // The double catches what a page would show.
    EXPECT_EQ(IDOK, MessageBoxW(nullptr, L"Enter from -127 ~ 127 .", L"Error", MB_OK | MB_ICONERROR));
    ASSERT_EQ(1u, host.MessageBoxes().size());
    EXPECT_EQ(L"Error", host.MessageBoxes()[0].caption);
    EXPECT_EQ(L"Enter from -127 ~ 127 .", host.MessageBoxes()[0].text);
    EXPECT_EQ(IDI_ERROR, host.MessageBoxes()[0].icon);
}

TEST_F(Sheets, ThePrinterPropertiesSheetAddsOneBarePage)
{
    DEVICEPROPERTYHEADER header = {sizeof(header), 0, printer->Handle(), printer->NameText()};
    CSheetHost host(ui->deviceSheets, reinterpret_cast<LPARAM>(&header));
    host.Info().Result = 77;
    SetLastError(kMarker);
    EXPECT_EQ(1, host.Init());
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_EQ(0u, host.Info().Result);
    ASSERT_EQ(1u, host.Pages().size());
    const PROPSHEETPAGEW_V4& page = host.Pages()[0].page;
    EXPECT_EQ(sizeof(PROPSHEETPAGEW_V4), page.dwSize);
    EXPECT_EQ(0u, page.dwFlags);
    EXPECT_EQ(ui->module, page.hInstance);
    EXPECT_EQ(nullptr, page.pszTemplate);
    EXPECT_EQ(nullptr, page.pfnDlgProc);
    EXPECT_EQ(0, page.lParam);
    EXPECT_EQ(1, host.GetInfoHeader());
    EXPECT_EQ(header.pszPrinterName, host.InfoHeader().pTitle);
    EXPECT_EQ(PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE, host.InfoHeader().Flags);
    EXPECT_EQ(1, host.ReportResult(host.Pages()[0].handle, CPSUI_RESTARTWINDOWS));
    EXPECT_EQ(static_cast<ULONG_PTR>(CPSUI_RESTARTWINDOWS), host.Info().Result);
    host.Info().Reason = PROPSHEETUI_REASON_GET_ICON;
    EXPECT_EQ(kFail, ui->deviceSheets(&host.Info(), 0));
    EXPECT_EQ(1, host.Destroy());
    EXPECT_TRUE(host.Violations().empty());

    CSheetHost refusing(ui->deviceSheets, reinterpret_cast<LPARAM>(&header));
    refusing.FailPageAdd(1, ERROR_NO_SYSTEM_RESOURCES);
    EXPECT_EQ(kFail, refusing.Init());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES), GetLastError());
    SetLastError(kMarker);
    EXPECT_EQ(kFail, ui->deviceSheets(nullptr, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    CSheetHost headerless(ui->deviceSheets, 0);
    EXPECT_EQ(kFail, headerless.Init());
}

} // namespace
