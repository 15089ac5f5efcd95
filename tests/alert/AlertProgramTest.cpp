// Black-box runs of the real QelAlert.exe: started as the notification client
// starts it, found by its title, sent state records and alerts from another
// thread as the client sends them, and its alert worked from outside.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <future>
#include <string>

#include "AlertResource.h"
#include "AlertTestSupport.h"
#include "LanguageFile.h"
#include "Platform.h"
#include "ProgramRun.h"
#include "ScratchFolder.h"
#include "StateInfo.h"

namespace {

const DWORD START_TIMEOUT_MS = 30000;
const DWORD STEP_TIMEOUT_MS = 10000;
// An alert waits for the user: its sender waits as long as a test may.
const UINT ALERT_SEND_TIMEOUT_MS = 120000;

const WCHAR kPrinter[] = L"Card Printer 1";
const WCHAR kPort[] = L"USB001";

std::wstring SystemText(DWORD code)
{
    WCHAR text[512] = L"";
    GetSystemErrorText(code, text, 512);
    return text;
}

std::wstring Item(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

StateInfo Record(LPCWSTR printer, LPCWSTR port, DWORD jobId)
{
    StateInfo info{};
    info.dwJobId = jobId;
    wcscpy(info.szPrinterName, printer);
    wcscpy(info.szPortName, port);
    return info;
}

// The texts of one language the alert shows.
struct AlertTexts {
    LPCWSTR caption, continuePrinting, cancelPrinting, ribbonOut, errorCode;
};
const AlertTexts ENGLISH = {L"Printer Warning:", L"Continue Printing", L"Cancel Printing", L"Ribbon out",
                            L"Error code"};
const AlertTexts PORTUGUESE = {L"Aviso da impressora:", L"Continuar a imprimir", L"Cancelar a impressão",
                               L"Fita esgotada", L"Código de erro"};

// An alert for a code: the message it shows, whether "Continue Printing" is
// offered, the button pressed and the result the sender gets.
struct AlertCase {
    DWORD code;
    std::wstring message;
    bool continueOffered;
    int press;
    LRESULT result;
};

// The message for a code without a row of the error table.
std::wstring Unknown(DWORD code, const AlertTexts& texts)
{
    std::wstring system = SystemText(code);
    if (!system.empty())
        return system;
    WCHAR text[128];
    swprintf(text, 128, L"%ls = 0x%08X", texts.errorCode, static_cast<unsigned>(code));
    return text;
}

// One class of each row of the error table, and both kinds of choice.
std::vector<AlertCase> RowClassCases(const AlertTexts& texts)
{
    return {
        {0x10046, texts.ribbonOut, true, IDOK, 1},
        {0x10005, L"", true, IDC_BTN_CANCEL_PRINT, 0},
        {0x100A6, Unknown(0x100A6, texts), true, IDOK, 1},
        {ERROR_INVALID_PARAMETER, SystemText(ERROR_INVALID_PARAMETER), false, IDC_BTN_CANCEL_PRINT, 0},
    };
}

class AlertRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_run.Start(L"-n \"" + std::wstring(kPrinter) + L"\" -p \"" + kPort + L"\" -e \"x1\""));
        m_main = m_run.WaitForDialog(std::wstring(kPrinter) + L" @ " + kPort, START_TIMEOUT_MS);
        ASSERT_NE(nullptr, m_main);
    }

    // Every run ends as the program is meant to end.
    void TearDown() override
    {
        if (!m_main)
            return;
        ASSERT_TRUE(m_run.Click(IDOK));
        DWORD code = 1;
        ASSERT_TRUE(m_run.WaitForExit(START_TIMEOUT_MS, &code));
        EXPECT_EQ(0u, code);
    }

    LRESULT SendRecord(const StateInfo& info, DWORD size)
    {
        COPYDATASTRUCT record = {CDS_STATE_INFO, size, const_cast<StateInfo*>(&info)};
        DWORD_PTR result = 0xBAD;
        EXPECT_NE(0, SendMessageTimeoutW(m_main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_NORMAL,
                                         STEP_TIMEOUT_MS, &result));
        return static_cast<LRESULT>(result);
    }

    // Sends WM_MY_PRINTER from a thread of its own, as the notification
    // client's send blocks until the user has chosen.
    std::future<LRESULT> SendMyPrinter(WPARAM code, LPARAM lParam)
    {
        HWND main = m_main;
        return std::async(std::launch::async, [main, code, lParam]() {
            DWORD_PTR result = 0xBAD;
            if (!SendMessageTimeoutW(main, WM_MY_PRINTER, code, lParam, SMTO_NORMAL, ALERT_SEND_TIMEOUT_MS, &result))
                return static_cast<LRESULT>(0xDEAD);
            return static_cast<LRESULT>(result);
        });
    }

    LRESULT SendAndWait(WPARAM code, LPARAM lParam)
    {
        std::future<LRESULT> reply = SendMyPrinter(code, lParam);
        return reply.wait_for(std::chrono::milliseconds(STEP_TIMEOUT_MS)) == std::future_status::ready ? reply.get()
                                                                                                        : 0xDEAD;
    }

    // Raises the alert for c.code and checks what it shows and answers.
    void RunAlert(const AlertCase& c, const AlertTexts& texts, const std::wstring& title)
    {
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code);
        std::future<LRESULT> reply = SendMyPrinter(NTY_SHOW_ERROR_DLG, c.code);
        HWND alert = m_run.WaitForMessageBox(START_TIMEOUT_MS);
        ASSERT_NE(nullptr, alert);
        EXPECT_EQ(texts.caption, WindowText(alert));
        EXPECT_EQ(title, Item(alert, IDC_TXT_TITLE));
        EXPECT_EQ(c.message, Item(alert, IDC_TXT_MESSAGE));
        EXPECT_EQ(texts.continuePrinting, Item(alert, IDOK));
        EXPECT_EQ(texts.cancelPrinting, Item(alert, IDC_BTN_CANCEL_PRINT));
        EXPECT_EQ(c.continueOffered, Visible(alert, IDOK));
        EXPECT_TRUE(Visible(alert, IDC_BTN_CANCEL_PRINT));
        EXPECT_FALSE(Visible(alert, IDCANCEL));
        EXPECT_TRUE(GetWindowLongPtrW(alert, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(IsWindowVisible(m_main));
        RECT desktop, own;
        ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop) && GetWindowRect(alert, &own));
        EXPECT_EQ(((desktop.right - desktop.left) - (own.right - own.left)) / 2, own.left);
        EXPECT_EQ(((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2, own.top);

        // Escape, the close box and a hidden "Continue Printing" decide nothing.
        ASSERT_TRUE(ClickButton(alert, IDCANCEL));
        ASSERT_TRUE(PostMessageW(alert, WM_CLOSE, 0, 0));
        if (!c.continueOffered) {
            ASSERT_TRUE(ClickButton(alert, IDOK));
        }
        ASSERT_TRUE(SyncWindow(alert));
        EXPECT_TRUE(IsWindow(alert));
        EXPECT_EQ(std::future_status::timeout, reply.wait_for(std::chrono::milliseconds(0)));

        ASSERT_TRUE(ClickButton(alert, c.press));
        ASSERT_EQ(std::future_status::ready, reply.wait_for(std::chrono::milliseconds(STEP_TIMEOUT_MS)));
        EXPECT_EQ(c.result, reply.get());
    }

    CProgramRun m_run{L"QelAlert.exe"};
    HWND m_main = nullptr;
};

TEST_F(AlertRun, AlertShowsEachRowClassAndGivesTheUsersChoice)
{
    // The main window stays through its close box and answers a record with 0.
    EXPECT_EQ(std::wstring(kPrinter) + L" @ " + kPort, WindowText(m_main));
    ASSERT_TRUE(PostMessageW(m_main, WM_CLOSE, 0, 0));
    ASSERT_EQ(0, SendRecord(Record(L"Vornex T42", L"USB003", 9), sizeof(StateInfo)));
    for (const AlertCase& c : RowClassCases(ENGLISH)) {
        RunAlert(c, ENGLISH, L"Vornex T42 @ USB003");
        // Codes without a dialog answer 0, not what the last dialog gave.
        for (WPARAM code : {NTY_SET_JOB_ID, NTY_MSG_1004, NTY_MSG_1100, WPARAM(5)}) {
            EXPECT_EQ(0, SendAndWait(code, 1)) << code;
        }
    }
}

TEST_F(AlertRun, AShortRecordChangesOnlyItsOwnBytes)
{
    const std::wstring oldName(40, L'A'), newName(34, L'B');
    ASSERT_EQ(0, SendRecord(Record(oldName.c_str(), L"USB003", 9), sizeof(StateInfo)));
    // 100 bytes reach 34 units into the printer name, which begins at byte 32.
    StateInfo shorter = Record(L"", L"", 0);
    newName.copy(shorter.szPrinterName, newName.size());
    ASSERT_EQ(0, SendRecord(shorter, 100));
    RunAlert({0x10046, ENGLISH.ribbonOut, true, IDC_BTN_CANCEL_PRINT, 0}, ENGLISH,
             newName + oldName.substr(34) + L" @ USB003");
}

// The same in Portuguese: the texts come from the language file of the
// user's UI language in the driver directory.
class AlertTranslated : public AlertRun {
protected:
    void SetUp() override
    {
        WCHAR path[MAX_PATH];
        ASSERT_TRUE(GetLanguageFilePath(LANGNO_USER, path, MAX_PATH));
        m_file = path;
        ASSERT_NE(std::wstring::npos, m_file.find(L"Qelptpt.lng")) << "run with LC_ALL=pt_PT.UTF-8";
        SHCreateDirectoryExW(nullptr, m_file.substr(0, m_file.rfind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(ScratchFolder::Write(m_file, LanguageFileBytes(L"[QEL_ALERT_DIALOG]\n"
                                                                   L"Printer Warning:=Aviso da impressora:\n"
                                                                   L"Continue Printing=Continuar a imprimir\n"
                                                                   L"Cancel Printing=Cancelar a impressão\n"
                                                                   L"Ribbon out=Fita esgotada\n"
                                                                   L"Error code=Código de erro\n")));
        AlertRun::SetUp();
    }
    void TearDown() override
    {
        AlertRun::TearDown();
        DeleteFileW(m_file.c_str());
    }

    std::wstring m_file;
};

TEST_F(AlertTranslated, AlertShowsEachRowClassInTheUsersLanguage)
{
    ASSERT_EQ(0, SendRecord(Record(L"Vornex T42", L"USB003", 9), sizeof(StateInfo)));
    for (const AlertCase& c : RowClassCases(PORTUGUESE))
        RunAlert(c, PORTUGUESE, L"Vornex T42 @ USB003");
}

} // namespace
