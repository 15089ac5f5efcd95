// The "Tool" page in the sheet host double: the printer's information from
// the emulated printer, the driver's version from its INF file, the
// language choice, the cleaning command, and the command lines of the tool
// programs it starts from the driver directory.
#include "PageSheet.h"
#include "Platform.h"
#include "ScratchFolder.h"
#include "ToolResource.h"
#include "Utilities.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<std::wstring> Texts;

class ToolPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok());
        const char* replies[][2] = {{"Dxh", "ITEM ONE"}, {"Dgb", "V1.02.03"}, {"Dxl;p", "SN0042"},
                                    {"Ds;1", "RC-7"},    {"Ds;2", "YMCKO"},   {"Ds;3", "150;200"}};
        for (const auto& reply : replies)
            printer.Emu().Reply(reply[0], reply[1]);
    }
    // The page of a model, shown, with the printer's frames of its set-up.
    void Open(LPCWSTR driver, const std::function<void(CPageSheet&)>& prepare = nullptr, LPCWSTR name = nullptr)
    {
        sheet.reset();
        sheet.reset(new CPageSheet(driver, name ? name : printer.Name().c_str()));
        if (prepare)
            prepare(*sheet);
        page = sheet->Show(IDD_TOOL);
        ASSERT_NE(nullptr, page);
        setUpFrames = printer.TakeFrames();
    }
    Texts Shown(std::initializer_list<int> ids)
    {
        Texts shown;
        for (int id : ids)
            shown.push_back(ControlText(page, id));
        return shown;
    }
    Texts Information() { return Shown({IDC_FIRMWARE, IDC_SERIAL, IDC_RIBBON_TYPE, IDC_REMAIN_COUNT, IDC_REGION_CODE}); }

    CPagePrinterFixture printer;
    std::unique_ptr<CPageSheet> sheet;
    HWND page = nullptr;
    std::vector<std::string> setUpFrames;
};

TEST_F(ToolPage, ThePrinterInformationIsShownAsReported)
{
    const std::string longText(100, 'F');
    struct Case {
        LPCWSTR driver;
        const char *firmware, *ribbon;
        std::vector<std::string> frames;
        Texts shown;
    } cases[] = {
        {L"Vornex T42", "V1.02.03", "YMCKO", Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2", "Ds;3"}),
         {L"V1.02.03", L"SN0042", L"YMCKO", L"150", L"RC-7"}},
        {L"Vornex T41", "V1.02.03", "YMCKO-F", Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2", "Ds;3"}),
         {L"V1.02.03", L"SN0042", L"1/2 YMCKO", L"150", L"RC-7"}},
        // A longer text is cut to the page's 63 characters; an unknown ribbon
        // shows no type and no count.
        {L"Vornex T42G", longText.c_str(), "RW", Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2"}),
         {std::wstring(63, L'F'), L"SN0042", L"", L"0", L"RC-7"}},
        {L"Vornex T40W", "V1.02.03", "YMCKO", Frames({"Dxh", "Dgb", "Dxl;p"}), {L"V1.02.03", L"SN0042", L"", L"", L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver);
        printer.Emu().Reply("Dgb", c.firmware);
        printer.Emu().Reply("Ds;2", c.ribbon);
        Open(c.driver);
        EXPECT_EQ(c.frames, setUpFrames);
        EXPECT_EQ(c.shown, Information());
        // The rewrite model has no magnetic stripe and no ribbon.
        const bool rewrite = c.frames.size() == 3;
        EXPECT_EQ(!rewrite, ControlShown(page, IDC_MAGNETIC_STRIPE_TOOL) && ControlShown(page, IDC_RIBBON_INFO_GROUP));
        EXPECT_FALSE(ControlShown(page, IDC_PRINTER_INFORMATION) || ControlShown(page, IDC_PRINT_TEST_CARD));
    }
    // A printer that cannot be reached leaves the fields empty, silently.
    Open(L"Vornex T42", nullptr, L"No Such Card Printer");
    EXPECT_EQ((Texts{L"", L"", L"", L"", L""}), Information());
    EXPECT_TRUE(sheet->Host().MessageBoxes().empty());
}

TEST_F(ToolPage, AFailedExchangeEndsTheQuestionsAndWhatWasNotReadStaysEmpty)
{
    const std::vector<std::string> all = Frames({"Dxh", "Dgb", "Dxl;p", "Ds;1", "Ds;2", "Ds;3"});
    const Texts shown = {L"V1.02.03", L"SN0042", L"YMCKO", L"150", L"RC-7"};
    struct Case {
        const char* what;
        const char* request;
        EmuStep step;
        size_t asked;
        Texts shown;
    } cases[] = {
        // A printer that went silent costs one time-out, not one per question.
        {"silent printer", "Dxh", EmuSilent(), 1, {L"", L"", L"", L"", L""}},
        {"closed at the ribbon's name", "Ds;1", EmuClose(), 4, {L"V1.02.03", L"SN0042", L"", L"", L""}},
        // A count not read is no empty ribbon.
        {"closed at the counts", "Ds;3", EmuClose(), 6, {L"V1.02.03", L"SN0042", L"YMCKO", L"", L"RC-7"}},
        // A rejection is the printer's answer: the questions go on.
        {"rejection", "Dxh", EmuText("CMD ERR"), 6, shown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        printer.Emu().AddStep(EMU_MATCH_EXACT, c.request, c.step);
        Open(L"Vornex T42");
        EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + c.asked), setUpFrames);
        EXPECT_EQ(c.shown, Information());
        EXPECT_TRUE(sheet->Host().MessageBoxes().empty());
    }
}

TEST_F(ToolPage, TheLanguageChosenIsStoredWhenTheSheetApplies)
{
    struct Case {
        LPCWSTR driver;
        WORD stored;
        int chosen; // -1: none shown, none chosen
        int row;
    } cases[] = {{L"Vornex T42", 0, 2, 5}, {L"Vornex T40W", 3, 1, 3}, {L"Vornex T42", 7, -1, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driver << " " << c.stored);
        Open(c.driver, [&](CPageSheet& s) { s.Private().wLanguage = c.stored; });
        EXPECT_EQ((Texts{L"System Default", L"English", L"\u7b80\u4f53\u4e2d\u6587 (Simplified Chinese)",
                         L"\u7e41\u9ad4\u4e2d\u6587 (Traditional Chinese)"}),
                  ControlEntries(page, IDC_LANGUAGE));
        EXPECT_EQ(c.chosen < 0 ? -1 : c.stored, ControlSelection(page, IDC_LANGUAGE));
        if (c.chosen >= 0)
            sheet->Select(IDC_LANGUAGE, c.chosen);
        // The choice waits for the sheet's Apply.
        EXPECT_EQ(c.stored, sheet->Private().wLanguage);
        EXPECT_TRUE(sheet->Apply());
        EXPECT_EQ(c.chosen < 0 ? c.stored : c.chosen, sheet->Private().wLanguage);
        std::vector<HostCall> results = sheet->Host().CallsOf(CPSFUNC_SET_RESULT);
        ASSERT_EQ(1u, results.size());
        EXPECT_EQ(reinterpret_cast<LPARAM>(sheet->Ui().hPages[c.row]), results[0].lParam1);
        EXPECT_EQ(CPSUI_OK, results[0].lParam2);
        EXPECT_TRUE(sheet->Host().Violations().empty());
    }
}

TEST_F(ToolPage, CleaningAsksFirstAndSendsTheCommandOnOk)
{
    ScratchFolder scratch(L"tool");
    const std::wstring path = scratch.File(L"Qelfrfr.lng");
    ASSERT_TRUE(ScratchFolder::Write(path, "[Print Option]\r\nCleaning Tool=Wrong section\r\n[Tool]\r\nCleaning Tool=Nettoyage\r\n"));
    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        Open(L"Vornex T42", [&](CPageSheet& s) { s.Ui().Translater.SetLanguageFile(path.c_str()); });
        EXPECT_EQ(L"Nettoyage", ControlText(page, IDC_CLEANING_TOOL));
        // Another page's lookups moved the sheet's translator on.
        sheet->Ui().Translater.SetSection(L"Print Option");
        sheet->Host().AnswerMessageBoxes(answer);
        sheet->Click(IDC_CLEANING_TOOL);
        ASSERT_EQ(1u, sheet->Host().MessageBoxes().size());
        const CaughtBox& box = sheet->Host().MessageBoxes()[0];
        EXPECT_EQ(L"Nettoyage", box.caption);
        EXPECT_EQ(L"Please take off ribbon and put clean card before cleanning.", box.text);
        EXPECT_EQ(IDI_INFORMATION, box.icon);
        EXPECT_FALSE(box.owned);
        EXPECT_EQ(answer == IDOK ? Frames({"DKcj;a"}) : Frames({}), printer.TakeFrames());
    }
}

TEST_F(ToolPage, TheToolProgramsStartFromTheDriverDirectory)
{
    // Stand-ins that write down the command line they were started with.
    WCHAR folder[MAX_PATH];
    GetDriverDirectory(folder, TRUE);
    CreateDirectoryW(folder, nullptr);
    for (LPCWSTR name : {L"QelChart.exe", L"QelMag.exe"})
        ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"ToolProgramStub.exe").c_str(),
                              (std::wstring(folder) + L"\\" + name).c_str(), FALSE));
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
        Open(L"Vornex T42", [&](CPageSheet& s) { s.Private().wLanguage = c.language; });
        const std::wstring program = std::wstring(folder) + L"\\" + c.program, written = program + L".txt";
        DeleteFileW(written.c_str());
        sheet->Click(c.button);
        BYTE* line = nullptr;
        DWORD size = 0;
        for (int i = 0; i < 400 && !ReadBinFile(written.c_str(), &line, &size); ++i)
            Sleep(50);
        ASSERT_NE(nullptr, line);
        EXPECT_EQ(L"\"" + program + L"\" -n\"" + printer.Name() + L"\"  -L" + std::to_wstring(c.language),
                  std::wstring(reinterpret_cast<LPCWSTR>(line), size / sizeof(WCHAR)));
        delete[] line;
        DeleteFileW(written.c_str());
        EXPECT_TRUE(sheet->Host().MessageBoxes().empty() && printer.TakeFrames().empty());
    }
    for (LPCWSTR name : {L"QelChart.exe", L"QelMag.exe"})
        DeleteFileW((std::wstring(folder) + L"\\" + name).c_str());
}

TEST_F(ToolPage, TheDriverVersionComesFromItsInfFile)
{
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring inf = std::wstring(windows) + L"\\inf\\oem" + std::to_wstring(GetCurrentProcessId());
    const std::wstring other = inf + L"0.inf", driver = inf + L"1.inf";
    // Another driver's INF file, which the search passes over.
    ASSERT_TRUE(ScratchFolder::Write(other, "[Version]\r\nDriverVer=01/01/2001,9.9\r\n[Other_Driver]\r\nDataFile=x.dll\r\n"));
    struct Case {
        const char* version; // NULL: no INF file of the driver
        LPCWSTR date, shown;
    } cases[] = {
        {"DriverVer=08/01/2023,4.1.2.7\r\n", L"08/01/2023", L"4.1.2.7"},
        {"", L"09/20/2004", L"3.2.0.22"},
        {"DriverVer=,5.0\r\n", L"", L"5.0"},
        {"DriverVer=2023\r\n", L"2023", L""},
        {nullptr, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "(none)");
        DeleteFileW(driver.c_str());
        if (c.version) {
            ASSERT_TRUE(ScratchFolder::Write(driver, std::string("[Version]\r\n") + c.version +
                                                  "[Vornex_Tseries]\r\nDataFile=QelUI.dll\r\n"));
        }
        Open(L"Vornex T42");
        EXPECT_EQ((Texts{c.date, c.shown}), Shown({IDC_DRIVER_DATE, IDC_DRIVER_VERSION}));
    }
    DeleteFileW(driver.c_str());
    DeleteFileW(other.c_str());
}

} // namespace
