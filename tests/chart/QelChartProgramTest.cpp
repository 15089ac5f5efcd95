// Black-box runs of the real QelChart.exe against the emulated printer: the
// program is started the way the Tool page starts it, and its dialog and
// message boxes are worked from outside.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "ChartProcess.h"
#include "DeviceRegistryFixture.h"
#include "Platform.h"
#include "PrinterEmulator.h"

namespace {

const DWORD START_TIMEOUT_MS = 30000;
const DWORD STEP_TIMEOUT_MS = 10000;
const WORD TOOL_PAGE_ENGLISH = 1;

const int ID_EDIT_L = 1000, ID_SPIN_L = 1001, ID_EDIT_T = 1002, ID_EDIT_S = 1004, ID_APPLY = 1006;

struct LanguageTexts {
    LPCWSTR toolName;
    LPCWSTR apply;
    LPCWSTR cancel;
    LPCWSTR applyOk;
};
const LanguageTexts ENGLISH = {L"Vornex Print Position Calibrate Tool", L"Apply", L"Cancel", L"Apply OK."};
const LanguageTexts SIMPLIFIED = {L"维诺克打印位置校正工具", L"应用", L"取消", L"应用完成。"};
const LanguageTexts TRADITIONAL = {L"維諾克列印位置校正工具", L"套用", L"取消", L"套用完成。"};

std::wstring Title(const LanguageTexts& texts)
{
    WCHAR version[32];
    swprintf(version, 32, L"%d.%d", QEL_VERSION_MAJOR, QEL_VERSION_MINOR);
    return std::wstring(texts.toolName) + L"    v" + version;
}

// The command line the Tool page gives the program.
std::wstring ToolPageArguments(const std::wstring& printer, int language)
{
    WCHAR text[1024];
    swprintf(text, 1024, L"-n\"%ls\"  -L%d", printer.c_str(), language);
    return text;
}

std::wstring SystemText(DWORD code)
{
    WCHAR text[1024] = L"";
    GetSystemErrorText(code, text, 1024);
    return text;
}

std::wstring Frame(const char* request)
{
    std::string raw = std::string("\x1B") + request + "\r";
    return std::wstring(raw.begin(), raw.end());
}

std::vector<std::wstring> Requests(const CPrinterEmulator& emu)
{
    std::vector<std::wstring> raw;
    for (const EmuFrame& f : emu.GetRequests())
        raw.push_back(std::wstring(f.raw.begin(), f.raw.end()));
    return raw;
}

std::string StatusBlock(BYTE value)
{
    std::string block(8, '\0');
    block[0] = 2;
    block[5] = static_cast<char>(value);
    return block;
}

void ExpectValues(CChartProcess& run, LPCWSTR l, LPCWSTR t, LPCWSTR s)
{
    EXPECT_EQ(l, run.ItemText(ID_EDIT_L));
    EXPECT_EQ(t, run.ItemText(ID_EDIT_T));
    EXPECT_EQ(s, run.ItemText(ID_EDIT_S));
}

// One arrow-key step of a value and the values shown after it.
struct StepCase {
    int editId;
    bool up;
    LPCWSTR l, t, s;
};

// After a failure only Cancel is left enabled.
void ExpectOnlyCancelEnabled(HWND dialog)
{
    for (int id = ID_EDIT_L; id <= ID_APPLY; ++id) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id)));
    }
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
}

void ExpectAllEnabled(HWND dialog)
{
    for (int id = ID_EDIT_L; id <= ID_APPLY; ++id) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id)));
    }
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
}

// A printer on a Standard TCP/IP port whose address and port number lead to
// the emulator, which answers the reads with L = 3, T = 14 (a text reply) and
// S = -10 (a status block).
class QelChartRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_emu.StartTcp(nullptr, 0));
        m_printer = m_reg.Unique(L"Card Printer 1");
        std::wstring port = m_reg.Unique(L"IP_Chart");
        ASSERT_TRUE(m_reg.AddTcpipPort(port.c_str(), m_emu.GetAddressW(), nullptr, m_emu.GetPort()));
        ASSERT_TRUE(m_reg.AddPrinter(m_printer.c_str(), L"Vornex T42", port.c_str(), nullptr));
        m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("3"));
        m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("14"));
        m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuBytes(StatusBlock(0xF6)));
    }

    // Starts the program, finds its dialog and waits for the read to end.
    HWND StartAndRead(const std::wstring& arguments, const LanguageTexts& texts)
    {
        if (!m_run.Start(arguments))
            return nullptr;
        HWND dialog = m_run.WaitForDialog(Title(texts), START_TIMEOUT_MS);
        if (!dialog || !m_emu.WaitForFrames(3, START_TIMEOUT_MS) || !m_run.Sync())
            return nullptr;
        return dialog;
    }

    void StepAndExpect(std::initializer_list<StepCase> steps)
    {
        for (const StepCase& step : steps) {
            SCOPED_TRACE(testing::Message() << "step of " << step.editId << (step.up ? " up" : " down"));
            ASSERT_TRUE(m_run.Step(step.editId, step.up));
            ExpectValues(m_run, step.l, step.t, step.s);
        }
    }

    // Presses Apply and reads the message box it shows.
    void Apply(std::wstring* text, std::wstring* caption)
    {
        ASSERT_TRUE(m_run.Click(ID_APPLY));
        HWND box = m_run.WaitForMessageBox(START_TIMEOUT_MS);
        ASSERT_NE(nullptr, box);
        ASSERT_TRUE(ReadAndCloseMessageBox(box, text, caption));
        ASSERT_TRUE(m_run.Sync());
    }

    // Starts the program, expects a failure box with this text and caption,
    // closes it, and expects only Cancel to be left enabled.
    void StartAndExpectFailure(const std::wstring& arguments, const std::wstring& expectedText,
                               const std::wstring& expectedCaption)
    {
        ASSERT_TRUE(m_run.Start(arguments));
        HWND dialog = m_run.WaitForDialog(Title(ENGLISH), START_TIMEOUT_MS);
        ASSERT_NE(nullptr, dialog);
        HWND box = m_run.WaitForMessageBox(START_TIMEOUT_MS);
        ASSERT_NE(nullptr, box);
        std::wstring text, caption;
        ASSERT_TRUE(ReadAndCloseMessageBox(box, &text, &caption));
        EXPECT_EQ(expectedText, text);
        EXPECT_EQ(expectedCaption, caption);
        ASSERT_TRUE(m_run.Sync());
        ExpectOnlyCancelEnabled(dialog);
    }

    void CancelAndExpectExit()
    {
        ASSERT_TRUE(m_run.Click(IDCANCEL));
        DWORD code = 1;
        ASSERT_TRUE(m_run.WaitForExit(START_TIMEOUT_MS, &code));
        EXPECT_EQ(0u, code);
    }

    CDeviceRegistryFixture m_reg;
    CPrinterEmulator m_emu;
    CChartProcess m_run;
    std::wstring m_printer;
};

TEST_F(QelChartRun, ToolPageStartReadsStepsAndAppliesAllThreeValues)
{
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(m_run.HasMessageBox());
    EXPECT_EQ((std::vector<std::wstring>{Frame("Dwz;u;1"), Frame("Dwz;u;2"), Frame("Dwz;u;3")}), Requests(m_emu));
    ExpectValues(m_run, L"3", L"14", L"-10");
    ExpectAllEnabled(dialog);

    // T follows L and stops at 15; T and S move alone.
    StepAndExpect({{ID_EDIT_L, true, L"4", L"15", L"-10"},
                   {ID_EDIT_L, true, L"5", L"15", L"-10"},
                   {ID_EDIT_L, false, L"4", L"14", L"-10"},
                   {ID_EDIT_T, false, L"4", L"13", L"-10"},
                   {ID_EDIT_S, true, L"4", L"13", L"-9"}});

    std::wstring text, caption = L"unset";
    Apply(&text, &caption);
    EXPECT_EQ(L"Apply OK.", text);
    EXPECT_EQ(L"", caption);
    ASSERT_TRUE(m_emu.WaitForFrames(6, STEP_TIMEOUT_MS));
    // Each press sends all three values again.
    Apply(&text, &caption);
    EXPECT_EQ(L"Apply OK.", text);
    ASSERT_TRUE(m_emu.WaitForFrames(9, STEP_TIMEOUT_MS));
    std::vector<std::wstring> writes = {Frame("Swz;u;1;4"), Frame("Swz;u;2;13"), Frame("Swz;u;3;-9")};
    std::vector<std::wstring> frames = Requests(m_emu);
    ASSERT_EQ(9u, frames.size());
    EXPECT_EQ(writes, std::vector<std::wstring>(frames.begin() + 3, frames.begin() + 6));
    EXPECT_EQ(writes, std::vector<std::wstring>(frames.begin() + 6, frames.end()));

    CancelAndExpectExit();
    EXPECT_TRUE(m_emu.WaitForDisconnects(1, STEP_TIMEOUT_MS));
    EXPECT_EQ(1u, m_emu.GetConnectionCount());
}

TEST_F(QelChartRun, TheUpDownStepsFromTheValueShownAtTheRangeEnds)
{
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("15"));
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("-15"));
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    ExpectValues(m_run, L"15", L"-15", L"-10");
    StepAndExpect({{ID_EDIT_L, true, L"15", L"-15", L"-10"},
                   {ID_EDIT_L, false, L"14", L"-15", L"-10"},
                   {ID_EDIT_T, true, L"14", L"-14", L"-10"}});
    EXPECT_EQ(14, static_cast<int>(SendMessageW(GetDlgItem(dialog, ID_SPIN_L), UDM_GETPOS32, 0, 0)));
    CancelAndExpectExit();
}

struct LanguageCase {
    int number;
    const LanguageTexts* texts;
};

class QelChartLanguage : public QelChartRun, public testing::WithParamInterface<LanguageCase> {};

TEST_P(QelChartLanguage, TitleButtonsAndMessageAreTranslated)
{
    const LanguageTexts& texts = *GetParam().texts;
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, GetParam().number), texts);
    ASSERT_NE(nullptr, dialog) << "no dialog titled as expected";
    EXPECT_EQ(Title(texts), WindowText(dialog));
    EXPECT_EQ(texts.apply, m_run.ItemText(ID_APPLY));
    EXPECT_EQ(texts.cancel, m_run.ItemText(IDCANCEL));
    std::wstring text, caption;
    Apply(&text, &caption);
    EXPECT_EQ(texts.applyOk, text);
    CancelAndExpectExit();
}

INSTANTIATE_TEST_SUITE_P(LanguagesOneToThree, QelChartLanguage,
                         testing::Values(LanguageCase{1, &ENGLISH}, LanguageCase{2, &SIMPLIFIED},
                                         LanguageCase{3, &TRADITIONAL}));

// A number outside 1 to 9 falls back to the user's UI language, which
// follows the locale the runner gives the program.
TEST_F(QelChartRun, UnknownLanguageNumberFollowsTheUiLanguage)
{
    const char* locale = getenv("LC_ALL");
    std::string lc = locale ? locale : "";
    const LanguageTexts& texts = lc.rfind("zh_CN", 0) == 0 ? SIMPLIFIED : lc.rfind("zh_TW", 0) == 0 ? TRADITIONAL
                                                                                                      : ENGLISH;
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, 12), texts);
    ASSERT_NE(nullptr, dialog) << "no dialog titled as expected for LC_ALL " << lc;
    EXPECT_EQ(texts.apply, m_run.ItemText(ID_APPLY));
    CancelAndExpectExit();
}

TEST_F(QelChartRun, FailedReadLeavesOnlyCancelAndApplyNeverWrites)
{
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("PARA ERR"));
    StartAndExpectFailure(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), SystemText(ERROR_INVALID_DATA), m_printer);
    if (HasFatalFailure())
        return;
    EXPECT_EQ((std::vector<std::wstring>{Frame("Dwz;u;1"), Frame("Dwz;u;2")}), Requests(m_emu));

    // Even a command that reaches the dialog past the disabled button writes nothing.
    ASSERT_TRUE(m_run.Click(ID_APPLY));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_FALSE(m_run.HasMessageBox());
    EXPECT_EQ(2u, Requests(m_emu).size());
    CancelAndExpectExit();
}

TEST_F(QelChartRun, RejectedWriteStopsAndShowsTheErrorCode)
{
    m_emu.SetStanding(EMU_MATCH_PREFIX, "Swz;u;2;", EmuText("PARA ERR"));
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    std::wstring text, caption;
    Apply(&text, &caption);
    EXPECT_EQ(L"Error code = 0x000100A2", text);
    EXPECT_EQ(m_printer, caption);
    ASSERT_TRUE(m_emu.WaitForFrames(5, STEP_TIMEOUT_MS));
    std::vector<std::wstring> frames = Requests(m_emu);
    EXPECT_EQ((std::vector<std::wstring>{Frame("Swz;u;1;3"), Frame("Swz;u;2;14")}),
              std::vector<std::wstring>(frames.begin() + 3, frames.end()));
    // The values stay for another try.
    ExpectAllEnabled(dialog);
    CancelAndExpectExit();
}

TEST_F(QelChartRun, ValuesOutsideTheRangeAreShownAndApplyWaitsUntilTheyAreSteppedIn)
{
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("20"));
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("5"));
    m_emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuBytes(StatusBlock(0xF0)));
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(m_run.HasMessageBox());
    ExpectValues(m_run, L"20", L"5", L"-16");
    ExpectAllEnabled(dialog);

    // Apply refuses until every value is in the range. A step leaves the
    // range's end, and T follows L by that one step.
    for (const StepCase& step : {StepCase{ID_EDIT_L, false, L"14", L"4", L"-16"},
                                 StepCase{ID_EDIT_S, true, L"14", L"4", L"-14"}}) {
        std::wstring text, caption;
        Apply(&text, &caption);
        EXPECT_EQ(L"Please enter an integer between -15 and 15.", text);
        EXPECT_EQ(3u, Requests(m_emu).size());
        StepAndExpect({step});
    }
    std::wstring text, caption;
    Apply(&text, &caption);
    EXPECT_EQ(L"Apply OK.", text);
    ASSERT_TRUE(m_emu.WaitForFrames(6, STEP_TIMEOUT_MS));
    std::vector<std::wstring> frames = Requests(m_emu);
    EXPECT_EQ((std::vector<std::wstring>{Frame("Swz;u;1;14"), Frame("Swz;u;2;4"), Frame("Swz;u;3;-14")}),
              std::vector<std::wstring>(frames.begin() + 3, frames.end()));
    CancelAndExpectExit();
}

TEST_F(QelChartRun, AboutBoxOpensFromTheSystemMenu)
{
    HWND dialog = StartAndRead(ToolPageArguments(m_printer, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0));
    HWND box = m_run.WaitForMessageBox(START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"About QelChart", WindowText(box));
    ASSERT_TRUE(ReadAndCloseMessageBox(box, nullptr, nullptr));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_FALSE(m_run.HasMessageBox());
    CancelAndExpectExit();
}

// Every failure to open shows the system's text for a device that is not
// connected, with the command line's printer name as caption.
class QelChartOpenFailure : public QelChartRun {
protected:
    void ExpectOpenFailure(const std::wstring& arguments, const std::wstring& expectedCaption)
    {
        StartAndExpectFailure(arguments, SystemText(ERROR_DEVICE_NOT_CONNECTED), expectedCaption);
        if (!HasFatalFailure())
            CancelAndExpectExit();
    }
};

// A connected USB printer of row 1 is present, and must not be tried.
TEST_F(QelChartOpenFailure, UnknownPrinterIsReportedAndNoModelRowIsTried)
{
    CPrinterEmulator usb;
    FixtureInterface row1;
    row1.deviceId = L"VID_5D27&PID_0101";
    row1.instance = m_reg.Unique(L"7&chart&0&1");
    ASSERT_TRUE(m_reg.AddUsbDevice(row1.deviceId.c_str(), row1.instance.c_str(), nullptr));
    ASSERT_TRUE(m_reg.AddInterface(row1));
    ASSERT_TRUE(usb.StartUsb(0x0101, row1.instance.c_str()));
    std::wstring name = m_reg.Unique(L"No Such Printer");
    ExpectOpenFailure(ToolPageArguments(name, TOOL_PAGE_ENGLISH), name);
    EXPECT_EQ(0u, usb.GetConnectionCount());
    EXPECT_EQ(0u, m_emu.GetConnectionCount());
}

TEST_F(QelChartOpenFailure, NameOfMoreThan255CharactersIsNeverCutAndOpened)
{
    // The first 255 characters name a printer that would open.
    std::wstring suffix = m_reg.Unique(L"");
    std::wstring name255 = std::wstring(255 - suffix.size(), L'x') + suffix;
    ASSERT_EQ(255u, name255.size());
    std::wstring port = m_reg.Unique(L"IP_Long");
    ASSERT_TRUE(m_reg.AddTcpipPort(port.c_str(), m_emu.GetAddressW(), nullptr, m_emu.GetPort()));
    ASSERT_TRUE(m_reg.AddPrinter(name255.c_str(), L"Vornex T42", port.c_str(), nullptr));
    ExpectOpenFailure(ToolPageArguments(name255 + L"y", TOOL_PAGE_ENGLISH), name255 + L"y");
    EXPECT_EQ(0u, m_emu.GetConnectionCount());
}

TEST_F(QelChartRun, NameOfExactly255CharactersOpens)
{
    std::wstring suffix = m_reg.Unique(L"");
    std::wstring name255 = std::wstring(255 - suffix.size(), L'x') + suffix;
    std::wstring port = m_reg.Unique(L"IP_Long");
    ASSERT_TRUE(m_reg.AddTcpipPort(port.c_str(), m_emu.GetAddressW(), nullptr, m_emu.GetPort()));
    ASSERT_TRUE(m_reg.AddPrinter(name255.c_str(), L"Vornex T42", port.c_str(), nullptr));
    HWND dialog = StartAndRead(ToolPageArguments(name255, TOOL_PAGE_ENGLISH), ENGLISH);
    ASSERT_NE(nullptr, dialog);
    ExpectValues(m_run, L"3", L"14", L"-10");
    CancelAndExpectExit();
}

// Without a printer name the first present printer of the model rows 1 to 6
// is opened; the emulated USB printers stand behind their device paths.
class QelChartModelRows : public QelChartRun {
protected:
    bool AddUsbPrinter(CPrinterEmulator& emu, WORD productId, LPCWSTR instance)
    {
        WCHAR deviceId[32];
        swprintf(deviceId, 32, L"VID_5D27&PID_%04X", productId);
        FixtureInterface device;
        device.deviceId = deviceId;
        device.instance = m_reg.Unique(instance);
        emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("1"));
        emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("2"));
        emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuText("3"));
        return m_reg.AddUsbDevice(device.deviceId.c_str(), device.instance.c_str(), nullptr) &&
               m_reg.AddInterface(device) && emu.StartUsb(productId, device.instance.c_str());
    }
};

TEST_F(QelChartModelRows, WithoutANameTheFirstPresentRowOpens)
{
    CPrinterEmulator row2, row5;
    ASSERT_TRUE(AddUsbPrinter(row5, 0x0003, L"7&row5&0&1"));
    ASSERT_TRUE(AddUsbPrinter(row2, 0x0001, L"7&row2&0&1"));
    ASSERT_TRUE(m_run.Start(L""));
    HWND dialog = m_run.WaitForDialog(Title(ENGLISH), START_TIMEOUT_MS);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(row2.WaitForFrames(3, START_TIMEOUT_MS));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_FALSE(m_run.HasMessageBox());
    EXPECT_EQ((std::vector<std::wstring>{Frame("Dwz;u;1"), Frame("Dwz;u;2"), Frame("Dwz;u;3")}), Requests(row2));
    ExpectValues(m_run, L"1", L"2", L"3");
    EXPECT_EQ(0u, row5.GetConnectionCount());
    CancelAndExpectExit();
}

TEST_F(QelChartOpenFailure, WithoutANameAndNoPrinterTheCaptionIsEmpty)
{
    ExpectOpenFailure(L"", L"");
    EXPECT_EQ(0u, m_emu.GetConnectionCount());
}

} // namespace
