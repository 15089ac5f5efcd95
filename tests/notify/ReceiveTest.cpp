// The receiving side, QelAsyncClient.dll's entry point, called directly with
// request texts: messages to test windows, records forwarded, the state
// record's road to the alert program and the device-monitor record's road to
// the device-monitor program, both started from the driver directory.
#include "AlertWindowTitle.h"
#include "AsyncMessage.h"
#include "Base64Coder.h"
#include "DevMnData.h"
#include "ModuleExport.h"
#include "NotifyPrograms.h"
#include "StateInfo.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef LPWSTR(WINAPI* PFN_Receive)(LPCWSTR);
PFN_Receive g_receive;

const LRESULT WINDOW_RESULT = -5;
const std::wstring REPLY_OF_WINDOW = L"<![CDATA[<ReturnValue>-5</ReturnValue>]]>";
const std::wstring REPLY_OF_NOTHING = L"<![CDATA[<ReturnValue>0</ReturnValue>]]>";
// Longer than any program start under Wine, shorter than the 40 polls of
// 300 ms the receiver would wait for a window that never comes.
const ULONGLONG NO_WAIT_MS = 2000;

class ReceiveTest : public testing::Test {
public:
    static void SetUpTestSuite()
    {
        HMODULE client = LoadLibraryW((TestProgramFolder() + L"QelAsyncClient.dll").c_str());
        ASSERT_TRUE(client);
        g_receive = ModuleExport<PFN_Receive>(client, "SendMessageToClient");
        ASSERT_TRUE(g_receive);
    }

protected:
    std::wstring Receive(const std::wstring& request) { return g_receive(request.c_str()); }

    CTestWindows m_windows;
};

std::wstring Request(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    WCHAR out[ASYNC_REQUEST_ROOM];
    FormatAsyncMessageRequest(out, ASYNC_REQUEST_ROOM, target, message, wParam, lParam, nullptr);
    return out;
}

// A WM_COPYDATA request whose blob head says kind and declaredSize, and whose
// payload is what follows it.
std::wstring CopyDataRequest(HWND target, ULONG_PTR kind, DWORD declaredSize, const void* payload, DWORD size)
{
    CopyDataBlob head = {kind, declaredSize, nullptr};
    std::string blob(reinterpret_cast<const char*>(&head), sizeof(head));
    blob.append(static_cast<const char*>(payload), size);
    Base64Coder coder;
    coder.Encode(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()));
    std::wstring text(coder.EncodedMessage(), coder.EncodedMessage() + coder.EncodedLength());
    WCHAR out[ASYNC_REQUEST_ROOM];
    FormatAsyncMessageRequest(out, ASYNC_REQUEST_ROOM, target, WM_COPYDATA, 0, 0, text.c_str());
    return out;
}

std::wstring StatusReply(LRESULT value, HWND window)
{
    WCHAR out[ASYNC_REPLY_ROOM];
    FormatAsyncStatusReply(out, value, window);
    return out;
}

StateInfo MakeState(const std::wstring& printer, const std::wstring& port, const std::wstring& extra, DWORD jobId)
{
    StateInfo state;
    ZeroMemory(&state, sizeof(state));
    state.dwJobId = jobId;
    wcsncpy(state.szPrinterName, printer.c_str(), STATE_PRINTER_ROOM - 1);
    wcsncpy(state.szPortName, port.c_str(), STATE_PORT_ROOM - 1);
    wcsncpy(state.szExtParam, extra.c_str(), STATE_EXT_ROOM - 1);
    return state;
}

std::string Bytes(const void* data, size_t size)
{
    return std::string(static_cast<const char*>(data), size);
}

TEST_F(ReceiveTest, AnyMessageReachesOneExistingWindow)
{
    HWND window = m_windows.Create(UniqueName(L"Target"), WINDOW_RESULT);
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(DestroyWindow(gone));
    const struct {
        HWND target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool delivered;
    } cases[] = {
        {window, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0x10046, true},
        // Numbers come back widened with their sign.
        {window, WM_USER, static_cast<WPARAM>(-1), -1, true},
        // The system's messages travel too.
        {window, WM_COMMAND, IDOK, 0, true},
        {window, WM_CLOSE, 0, 0, true},
        {HWND_BROADCAST, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0, false},
        {gone, WM_COMMAND, IDOK, 0, false},
        {nullptr, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.target << " " << c.message);
        size_t before = m_windows.Received(window).size();
        EXPECT_EQ(c.delivered ? REPLY_OF_WINDOW : REPLY_OF_NOTHING,
                  Receive(Request(c.target, c.message, c.wParam, c.lParam)));
        std::vector<ReceivedMessage> got = m_windows.Received(window);
        ASSERT_EQ(before + (c.delivered ? 1 : 0), got.size());
        if (c.delivered) {
            EXPECT_EQ(c.message, got.back().message);
            EXPECT_EQ(c.wParam, got.back().wParam);
            EXPECT_EQ(c.lParam, got.back().lParam);
        }
    }
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(ReceiveTest, NumbersAreReadAnywhereWithinTheCopiedRequest)
{
    HWND window = m_windows.Create(UniqueName(L"Target"), WINDOW_RESULT);
    std::wstring bare = L"<uMsg>33128</uMsg><lParam>3</lParam><hwndTarget>" +
                        std::to_wstring(ToWireNumber(reinterpret_cast<ULONG_PTR>(window))) + L"</hwndTarget>";
    EXPECT_EQ(REPLY_OF_WINDOW, Receive(bare));
    // Behind the receiver's 8,192 units the tags are not seen.
    EXPECT_EQ(REPLY_OF_NOTHING, Receive(std::wstring(ASYNC_REQUEST_ROOM, L' ') + bare));
    EXPECT_EQ(REPLY_OF_NOTHING, Receive(L""));
    std::vector<ReceivedMessage> got = m_windows.Received(window);
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(0u, got[0].wParam);
    EXPECT_EQ(3, got[0].lParam);
}

TEST_F(ReceiveTest, OtherRecordsAreForwardedWithinWhatCame)
{
    HWND window = m_windows.Create(UniqueName(L"Target"), WINDOW_RESULT);
    const char hello[] = "hello";
    const struct {
        std::wstring request;
        std::wstring reply;
        DWORD size;
        std::string bytes;
    } cases[] = {
        {CopyDataRequest(window, 7, 5, hello, 5), REPLY_OF_WINDOW, 5, "hello"},
        // A size beyond the decoded payload (its Base64 padding included) is cut to it.
        {CopyDataRequest(window, 7, 1000, hello, 5), REPLY_OF_WINDOW, 6, Bytes("hello", 6)},
        {CopyDataRequest(HWND_BROADCAST, 7, 5, hello, 5), REPLY_OF_NOTHING, 0, ""},
        // Less than a whole blob head carries no record.
        {L"<hwndTarget>1</hwndTarget><uMsg>74</uMsg><lParam>AAAAAAAAAAAA</lParam>", REPLY_OF_NOTHING, 0, ""},
        // Without its lParam text the request gets an empty reply.
        {L"<uMsg>74</uMsg><lParam>AAAA", L"", 0, ""},
        {L"<uMsg>74</uMsg>AAAA</lParam>", L"", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.request.substr(0, 80)));
        size_t before = m_windows.Received(window).size();
        EXPECT_EQ(c.reply, Receive(c.request));
        std::vector<ReceivedMessage> got = m_windows.Received(window);
        ASSERT_EQ(before + (c.reply == REPLY_OF_WINDOW ? 1 : 0), got.size());
        if (c.reply == REPLY_OF_WINDOW) {
            EXPECT_EQ(static_cast<UINT>(WM_COPYDATA), got.back().message);
            EXPECT_EQ(7u, got.back().kind);
            EXPECT_EQ(c.size, got.back().size);
            EXPECT_EQ(c.bytes, got.back().bytes);
        }
    }
}

TEST_F(ReceiveTest, StateRecordGoesToTheGivenOrTheTitledWindow)
{
    std::wstring printer = UniqueName(L"Alert Printer");
    HWND given = m_windows.Create(UniqueName(L"Given"), WINDOW_RESULT);
    HWND titled = m_windows.Create(printer + L" @ USB001", 3);
    // Names that fill their rooms without a terminator: the title is cut to 255 units.
    std::wstring fullName = UniqueName(L"Full");
    fullName.resize(STATE_PRINTER_ROOM, L'Q');
    StateInfo full = MakeState(L"", L"", L"", 9);
    wmemcpy(full.szPrinterName, fullName.c_str(), STATE_PRINTER_ROOM);
    wmemset(full.szPortName, L'R', STATE_PORT_ROOM);
    HWND cut = m_windows.Create(fullName.substr(0, ALERT_TITLE_MAX), 4);
    StateInfo state = MakeState(printer, L"USB001", L"0", 42);
    const struct {
        HWND target;
        const StateInfo* record;
        DWORD declaredSize;
        HWND receiver;
        LRESULT result;
    } cases[] = {
        {given, &state, sizeof(state), given, WINDOW_RESULT},
        {nullptr, &state, sizeof(state), titled, 3},
        // The size from the head never exceeds the record.
        {nullptr, &state, 5000, titled, 3},
        {nullptr, &full, sizeof(full), cut, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.target << " " << c.declaredSize);
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(StatusReply(c.result, c.receiver),
                  Receive(CopyDataRequest(c.target, CDS_STATE_INFO, c.declaredSize, c.record, sizeof(StateInfo))));
        EXPECT_LT(GetTickCount64() - start, NO_WAIT_MS);
        std::vector<ReceivedMessage> got = m_windows.Received(c.receiver);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(CDS_STATE_INFO, got.back().kind);
        EXPECT_EQ(Bytes(c.record, sizeof(StateInfo)), got.back().bytes);
    }
}

TEST_F(ReceiveTest, StateRecordStartsTheAlertProgramOnce)
{
    CDriverPrograms programs;
    ASSERT_TRUE(programs.Install(L"QelAlertDouble.exe", L"QelAlert.exe"));
    std::wstring printer = UniqueName(L"Started Printer");
    // Quotation marks and backslashes reach the program unchanged.
    StateInfo state = MakeState(printer, L"USB001", L"say \"hi\" \\", 42);
    std::wstring reply = Receive(CopyDataRequest(nullptr, CDS_STATE_INFO, sizeof(state), &state, sizeof(state)));
    HWND alert = FindWindowW(nullptr, (printer + L" @ USB001").c_str());
    ASSERT_TRUE(alert);
    EXPECT_EQ(StatusReply(0, alert), reply);
    std::wstring args = programs.TakeText(L"QelAlert.exe.args");
    EXPECT_EQ(L" -n \"" + printer + L"\" -p \"USB001\" -e \"say \\\"hi\\\" \\\\\"\n\n-n\n" + printer +
                  L"\n-p\nUSB001\n-e\nsay \"hi\" \\",
              args);
    EXPECT_EQ(Bytes(&state, sizeof(state)), programs.TakeBytes(L"QelAlert.exe.state"));

    // The next record finds the running program.
    state.dwJobId = 43;
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(StatusReply(0, alert),
              Receive(CopyDataRequest(nullptr, CDS_STATE_INFO, sizeof(state), &state, sizeof(state))));
    EXPECT_LT(GetTickCount64() - start, NO_WAIT_MS);
    EXPECT_EQ(Bytes(&state, sizeof(state)), programs.TakeBytes(L"QelAlert.exe.state"));
    EXPECT_EQ(L"", programs.TakeText(L"QelAlert.exe.args"));
}

TEST_F(ReceiveTest, StateRecordWithoutAnAlertProgramGivesZero)
{
    StateInfo state = MakeState(UniqueName(L"Missing Printer"), L"USB001", L"", 1);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(StatusReply(0, nullptr),
              Receive(CopyDataRequest(nullptr, CDS_STATE_INFO, sizeof(state), &state, sizeof(state))));
    // Its 40 polls of 300 ms; the tick count moves in steps of 10 to 16 ms.
    EXPECT_GE(GetTickCount64() - start + 20, 40u * 300u);
}

TEST_F(ReceiveTest, DeviceMonitorRecordStartsItsProgramOnce)
{
    CDriverPrograms programs;
    ASSERT_TRUE(programs.Install(L"QelDevMonDouble.exe", L"DevMon.exe"));
    DevMnData record;
    ZeroMemory(&record, sizeof(record));
    wcscpy(record.szPrinterName, L"Card Printer");
    wcscpy(record.szExeName, L"DevMon.exe");
    std::wstring title = UniqueName(L"Device \"Monitor\" \\");
    wcsncpy(record.szWndName, title.c_str(), DEVMN_WINDOW_ROOM - 1);
    WCHAR expected[ASYNC_REPLY_ROOM];
    for (LRESULT count : {1, 2}) {
        FormatAsyncMessageReply(expected, (count << 16) | sizeof(record));
        EXPECT_EQ(expected, Receive(CopyDataRequest(nullptr, CDS_DEVMN_DATA, 3000, &record, sizeof(record))));
    }
    EXPECT_TRUE(FindWindowW(nullptr, title.c_str()));

    // Only a plain file name of the driver directory is opened, and only for
    // a title that names one window.
    const struct {
        LPCWSTR exe;
        bool titled;
    } refused[] = {{L"..\\DevMon.exe", true}, {L"C:DevMon.exe", true}, {L"x/DevMon.exe", true},
                   {L"..DevMon.exe", true},   {L"", true},             {L"DevMon.exe", false}};
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(r.exe)));
        DevMnData bad = record;
        wcscpy(bad.szExeName, r.exe);
        wcscpy(bad.szWndName, r.titled ? UniqueName(L"Refused").c_str() : L"");
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(REPLY_OF_NOTHING, Receive(CopyDataRequest(nullptr, CDS_DEVMN_DATA, sizeof(bad), &bad, sizeof(bad))));
        EXPECT_LT(GetTickCount64() - start, NO_WAIT_MS);
    }
}

// The host reads a reply after the call: calls on other threads, at the same
// time or after it, leave it as it was.
TEST_F(ReceiveTest, EachReplyOutlivesTheCallsAroundIt)
{
    const int calls = 8;
    std::vector<HWND> windows;
    for (int i = 0; i < calls; ++i)
        windows.push_back(m_windows.Create(UniqueName(L"Caller"), i));
    std::vector<LPWSTR> replies(calls);
    std::vector<std::thread> threads;
    for (int i = 0; i < calls; ++i)
        threads.emplace_back([&, i] { replies[i] = g_receive(Request(windows[i], WM_USER, 0, 0).c_str()); });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < calls; ++i) {
        WCHAR expected[ASYNC_REPLY_ROOM];
        FormatAsyncMessageReply(expected, i);
        EXPECT_EQ(std::wstring(expected), std::wstring(replies[i]));
    }
}

} // namespace
