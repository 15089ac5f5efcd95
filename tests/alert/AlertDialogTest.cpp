// The alert program's windows in the test's own process, on a thread of
// their own, with a spooler that records which job each dialog clears.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "AlertCommandLine.h"
#include "AlertDialog.h"
#include "AlertResource.h"
#include "AlertState.h"
#include "JobStatus.h"
#include "ProcessWindows.h"
#include "ProgramRun.h"
#include "StateInfo.h"

namespace {

const DWORD STEP_TIMEOUT_MS = 10000;
HANDLE const kPrinterHandle = reinterpret_cast<HANDLE>(0x1234);

// Which printer each clear opened and which job it rewrote, in order.
std::vector<std::wstring> g_cleared;

BOOL WINAPI FakeOpenPrinter(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW)
{
    g_cleared.push_back(name);
    *printer = kPrinterHandle;
    return TRUE;
}
BOOL WINAPI FakeSetPrinter(HANDLE, DWORD, LPBYTE, DWORD)
{
    return TRUE;
}
BOOL WINAPI FakeGetJob(HANDLE, DWORD jobId, DWORD, LPBYTE, DWORD, LPDWORD needed)
{
    g_cleared.push_back(L"job " + std::to_wstring(jobId));
    *needed = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
BOOL WINAPI FakeSetJob(HANDLE, DWORD, DWORD, LPBYTE, DWORD)
{
    return TRUE;
}
BOOL WINAPI FakeClosePrinter(HANDLE)
{
    return TRUE;
}

// The hidden main window and its message loop, as the program runs them.
class AlertWindowThread {
public:
    AlertWindowThread()
    {
        m_thread = std::thread([this] {
            g_hInstance = GetModuleHandleW(nullptr);
            AlertCommandLine args{};
            HWND main = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_ALERT_MAIN), nullptr,
                                           QelAlertDialogProc, reinterpret_cast<LPARAM>(&args));
            // As the notification client starts the program: hidden.
            if (main)
                ShowWindow(main, SW_HIDE);
            m_main.set_value(main);
            MSG msg;
            while (main && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (main)
                DestroyWindow(main);
        });
        m_window = m_main.get_future().get();
    }
    ~AlertWindowThread()
    {
        if (m_window)
            PostMessageW(m_window, WM_COMMAND, IDOK, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window; }

private:
    std::promise<HWND> m_main;
    std::thread m_thread;
    HWND m_window = nullptr;
};

void SendRecord(HWND main, LPCWSTR printer, DWORD jobId)
{
    StateInfo info{};
    info.dwJobId = jobId;
    wcscpy(info.szPrinterName, printer);
    wcscpy(info.szPortName, L"USB001");
    COPYDATASTRUCT record = {CDS_STATE_INFO, sizeof(info), &info};
    SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

std::future<LRESULT> ShowAlert(HWND main)
{
    return std::async(std::launch::async,
                      [main] { return SendMessageW(main, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0x10046); });
}

HWND WaitForDialog(HWND exclude)
{
    return WaitForProcessDialog(GetCurrentProcessId(), exclude, STEP_TIMEOUT_MS);
}

TEST(AlertDialog, EachOfTwoOpenAlertsClearsTheJobItShowed)
{
    const SpoolerCalls saved = g_SpoolerCalls;
    g_SpoolerCalls = {FakeOpenPrinter, FakeSetPrinter, FakeGetJob, FakeSetJob, FakeClosePrinter};
    g_cleared.clear();
    {
        AlertWindowThread alert;
        ASSERT_NE(nullptr, alert.Window());
        SendRecord(alert.Window(), L"Printer A", 11);
        std::future<LRESULT> outer = ShowAlert(alert.Window());
        HWND outerDialog = WaitForDialog(nullptr);
        ASSERT_NE(nullptr, outerDialog);
        // A second alert arrives while the first is open and opens on top.
        SendRecord(alert.Window(), L"Printer B", 22);
        std::future<LRESULT> inner = ShowAlert(alert.Window());
        HWND innerDialog = WaitForDialog(outerDialog);
        ASSERT_NE(nullptr, innerDialog);

        ASSERT_TRUE(ClickButton(innerDialog, IDC_BTN_CANCEL_PRINT));
        ASSERT_EQ(std::future_status::ready, inner.wait_for(std::chrono::milliseconds(STEP_TIMEOUT_MS)));
        EXPECT_EQ(0, inner.get());
        ASSERT_TRUE(ClickButton(outerDialog, IDOK));
        ASSERT_EQ(std::future_status::ready, outer.wait_for(std::chrono::milliseconds(STEP_TIMEOUT_MS)));
        EXPECT_EQ(1, outer.get());
    }
    g_SpoolerCalls = saved;
    EXPECT_EQ((std::vector<std::wstring>{L"Printer B", L"job 22", L"Printer A", L"job 11"}), g_cleared);
}

} // namespace
