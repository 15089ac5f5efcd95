// The "Tool" page in the sheet host double: the printer's information from
// the emulated printer, the driver's version from its INF file, the
// language choice, the cleaning command, and the command lines of the tool
// programs it starts from the driver directory.
#include "PageSheet.h"
#include "Platform.h"
#include "ToolResource.h"

#include <gtest/gtest.h>

namespace {

const LPCWSTR kCleaningQuestion = L"Please take off ribbon and put clean card before cleanning.";

class ToolPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        CPrinterEmulator& emu = printer.Emu();
        emu.Reply("Dxh", "ITEM ONE");
        emu.Reply("Dgb", "V1.02.03");
        emu.Reply("Dxl;p", "SN0042");
        emu.Reply("Ds;1", "RC-7");
        emu.Reply("Ds;2", "YMCKO");
        emu.Reply("Ds;3", "150;200");
    }
    // The page of a model, shown; the printer's frames of the set-up are kept.
    HWND Open(LPCWSTR driver, const std::function<void(CPageSheet&)>& prepare = nullptr, LPCWSTR name = nullptr)
    {
        sheet.reset();
        sheet.reset(new CPageSheet(driver, name ? name : printer.Name().c_str()));
        if (prepare)
            prepare(*sheet);
        page = sheet->Show(IDD_TOOL);
        setUpFrames = printer.TakeFrames();
        return page;
    }
    std::vector<std::wstring> Information()
    {
        std::vector<std::wstring> shown;
        for (int id : {IDC_FIRMWARE, IDC_SERIAL, IDC_RIBBON_TYPE, IDC_REMAIN_COUNT, IDC_REGION_CODE})
            shown.push_back(ControlText(page, id));
        return shown;
    }

    CPagePrinterFixture printer;
    std::unique_ptr<CPageSheet> sheet;
    HWND page = nullptr;
    std::vector<std::string> setUpFrames;
};

TEST_F(ToolPage, ThePrinterInformationIsShownAsReported)
{
    const std::vector<std::string> all = Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2", "Ds;3"});
    const std::string longText(100, 'F');
    struct Case {
        const char* what;
        LPCWSTR driver;
        const char* firmware;
        const char* ribbon;
        std::vector<std::string> frames;
        std::vector<std::wstring> shown;
    } cases[] = {
        {"known ribbon", L"Vornex T42", "V1.02.03", "YMCKO", all,
         {L"V1.02.03", L"SN0042", L"YMCKO", L"150", L"RC-7"}},
        {"half-panel ribbon", L"Vornex T41", "V1.02.03", "YMCKO-F", all,
         {L"V1.02.03", L"SN0042", L"1/2 YMCKO", L"150", L"RC-7"}},
        // A text longer than the page's room is cut to 63 characters.
        {"unknown ribbon, long firmware", L"Vornex T42G", longText.c_str(), "RW",
         Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2"}),
         {std::wstring(63, L'F'), L"SN0042", L"", L"0", L"RC-7"}},
        {"rewrite model", L"Vornex T40W", "V1.02.03", "YMCKO", Frames({"Dxh", "Dgb", "Dxl;p"}),
         {L"V1.02.03", L"SN0042", L"", L"", L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        printer.Emu().Reply("Dgb", c.firmware);
        printer.Emu().Reply("Ds;2", c.ribbon);
        ASSERT_NE(nullptr, Open(c.driver));
        EXPECT_EQ(c.frames, setUpFrames);
        EXPECT_EQ(c.shown, Information());
        const bool rewrite = c.frames.size() == 3;
        EXPECT_EQ(!rewrite, ControlShown(page, IDC_MAGNETIC_STRIPE_TOOL));
        EXPECT_EQ(!rewrite, ControlShown(page, IDC_RIBBON_INFO_GROUP) && ControlShown(page, IDC_REGION_CODE));
        EXPECT_FALSE(ControlShown(page, IDC_PRINTER_INFORMATION) || ControlShown(page, IDC_PRINT_TEST_CARD));
    }
    // A printer that cannot be reached leaves the fields empty, silently.
    ASSERT_NE(nullptr, Open(L"Vornex T42", nullptr, L"No Such Card Printer"));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"", L"", L"", L""}), Information());
    EXPECT_TRUE(sheet->Host().MessageBoxes().empty());
}

TEST_F(ToolPage, TheLanguageChosenIsStoredWhenTheSheetApplies)
{
    const std::vector<std::wstring> entries = {L"System Default", L"English",
                                               L"\u7b80\u4f53\u4e2d\u6587 (Simplified Chinese)",
                                               L"\u7e41\u9ad4\u4e2d\u6587 (Traditional Chinese)"};
    struct Case {
        LPCWSTR driver;
        WORD stored;
        int shown, chosen;
        WORD applied;
        int row;
    } cases[] = {
        {L"Vornex T42", 0, 0, 2, 2, 5},
        {L"Vornex T40W", 3, 3, 1, 1, 3},
        // A number beyond the list shows no selection and stays as it was.
        {L"Vornex T42", 7, -1, -1, 7, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " " << c.stored);
        ASSERT_NE(nullptr, Open(c.driver, [&](CPageSheet& s) { s.Private().wLanguage = c.stored; }));
        EXPECT_EQ(entries, ControlEntries(page, IDC_LANGUAGE));
        EXPECT_EQ(c.shown, ControlSelection(page, IDC_LANGUAGE));
        if (c.chosen >= 0)
            sheet->Select(IDC_LANGUAGE, c.chosen);
        EXPECT_EQ(c.stored, sheet->Private().wLanguage);
        EXPECT_EQ(0, sheet->Host().ChangedCount());
        EXPECT_TRUE(sheet->Apply());
        EXPECT_EQ(c.applied, sheet->Private().wLanguage);
        std::vector<HostCall> results = sheet->Host().CallsOf(CPSFUNC_SET_RESULT);
        ASSERT_EQ(1u, results.size());
        EXPECT_EQ(reinterpret_cast<LPARAM>(sheet->PageHandle()), results[0].lParam1);
        EXPECT_EQ(CPSUI_OK, results[0].lParam2);
        EXPECT_EQ(sheet->PageHandle(), sheet->Ui().hPages[c.row]);
    }
}

TEST_F(ToolPage, CleaningAsksFirstAndSendsTheCommandOnOk)
{
    std::wstring path = TemporaryPath(L"Tool.lng");
    ASSERT_TRUE(WriteTextFile(path, "[Print Option]\r\nCleaning Tool=Wrong section\r\n"
                                    "[Tool]\r\nCleaning Tool=Nettoyage\r\n"));
    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        ASSERT_NE(nullptr, Open(L"Vornex T42", [&](CPageSheet& s) { s.Ui().Translater.SetLanguageFile(path.c_str()); }));
        EXPECT_EQ(L"Nettoyage", ControlText(page, IDC_CLEANING_TOOL));
        // Another page's lookups moved the sheet's translator on.
        sheet->Ui().Translater.SetSection(L"Print Option");
        sheet->Host().AnswerMessageBoxes(answer);
        sheet->Click(IDC_CLEANING_TOOL);
        ASSERT_EQ(1u, sheet->Host().MessageBoxes().size());
        const CaughtBox& box = sheet->Host().MessageBoxes()[0];
        EXPECT_EQ(L"Nettoyage", box.caption);
        EXPECT_EQ(kCleaningQuestion, box.text);
        EXPECT_EQ(IDI_INFORMATION, box.icon);
        EXPECT_FALSE(box.owned);
        EXPECT_EQ(answer == IDOK ? Frames({"DKcj;a"}) : Frames({}), printer.TakeFrames());
    }
    DeleteFileW(path.c_str());
}

// The tool programs of the driver directory: stand-ins that write down the
// command line they were started with.
class ToolPrograms : public ToolPage {
protected:
    void SetUp() override
    {
        ToolPage::SetUp();
        WCHAR folder[MAX_PATH];
        GetDriverDirectory(folder, TRUE);
        driverFolder = folder;
        CreateDirectoryW(driverFolder.c_str(), nullptr);
        std::wstring stub = ProgramFolder() + L"\\ToolProgramStub.exe";
        for (LPCWSTR name : {L"QelChart.exe", L"QelMag.exe"}) {
            std::wstring program = driverFolder + L"\\" + name;
            DeleteFileW((program + L".txt").c_str());
            ASSERT_TRUE(CopyFileW(stub.c_str(), program.c_str(), FALSE)) << GetLastError();
            installed.push_back(program);
        }
    }
    void TearDown() override
    {
        for (const std::wstring& program : installed) {
            DeleteFileW(program.c_str());
            DeleteFileW((program + L".txt").c_str());
        }
    }
    // The command line the program wrote, waited for.
    std::wstring CommandLine(LPCWSTR name)
    {
        std::wstring written = driverFolder + L"\\" + name + L".txt";
        for (int i = 0; i < 400; ++i) {
            DWORD size = 0;
            HANDLE file = CreateFileW(written.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                std::wstring line(GetFileSize(file, nullptr) / sizeof(WCHAR), L'\0');
                ReadFile(file, &line[0], static_cast<DWORD>(line.size() * sizeof(WCHAR)), &size, nullptr);
                CloseHandle(file);
                DeleteFileW(written.c_str());
                return line;
            }
            sheet->Pump();
            Sleep(50);
        }
        return L"(not started)";
    }

    std::wstring driverFolder;
    std::vector<std::wstring> installed;
};

TEST_F(ToolPrograms, StartFromTheDriverDirectoryWithThePrinterAndLanguage)
{
    struct Case {
        int button;
        LPCWSTR program;
        WORD language;
    } cases[] = {
        {IDC_POSITION_CALIBRATE, L"QelChart.exe", 2},
        {IDC_MAGNETIC_STRIPE_TOOL, L"QelMag.exe", 0},
        {IDC_POSITION_CALIBRATE, L"QelChart.exe", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        ASSERT_NE(nullptr, Open(L"Vornex T42", [&](CPageSheet& s) { s.Private().wLanguage = c.language; }));
        sheet->Click(c.button);
        std::wstring expected = L"\"" + driverFolder + L"\\" + c.program + L"\" -n\"" + printer.Name() + L"\"  -L" +
                                std::to_wstring(c.language);
        EXPECT_EQ(expected, CommandLine(c.program));
        EXPECT_TRUE(sheet->Host().MessageBoxes().empty());
        EXPECT_TRUE(printer.TakeFrames().empty());
    }
}

TEST_F(ToolPage, TheDriverVersionComesFromItsInfFile)
{
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring folder = std::wstring(windows) + L"\\inf";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring tag = std::to_wstring(GetCurrentProcessId());
    const std::wstring other = folder + L"\\oem" + tag + L"0.inf", driver = folder + L"\\oem" + tag + L"1.inf";
    // Another driver's INF file, which the search passes over.
    ASSERT_TRUE(WriteTextFile(other, "[Version]\r\nDriverVer=01/01/2001,9.9.9.9\r\n[Other_Driver]\r\nDataFile=x.dll\r\n"));
    struct Case {
        const char* version; // NULL: no DriverVer line; "": no INF file of the driver
        LPCWSTR date, shown;
    } cases[] = {
        {"DriverVer=08/01/2023,4.1.2.7\r\n", L"08/01/2023", L"4.1.2.7"},
        {nullptr, L"09/20/2004", L"3.2.0.22"},
        {"DriverVer=,5.0\r\n", L"", L"5.0"},
        {"DriverVer=2023\r\n", L"2023", L""},
        {"", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "(none)");
        DeleteFileW(driver.c_str());
        if (!c.version || c.version[0]) {
            ASSERT_TRUE(WriteTextFile(driver, std::string("[Version]\r\n") + (c.version ? c.version : "") +
                                                  "[Vornex_Tseries]\r\nDataFile=QelUI.dll\r\n"));
        }
        ASSERT_NE(nullptr, Open(L"Vornex T42"));
        EXPECT_EQ(c.date, ControlText(page, IDC_DRIVER_DATE));
        EXPECT_EQ(c.shown, ControlText(page, IDC_DRIVER_VERSION));
    }
    DeleteFileW(driver.c_str());
    DeleteFileW(other.c_str());
}

} // namespace
