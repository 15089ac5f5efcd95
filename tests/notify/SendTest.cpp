// The sending side, QelAsyncServer.dll, against the fake notification router
// beside this program: what it hands the channel, how it waits by its poll
// plans, how it reads each kind of answer, what it refuses to send, and the
// whole alert road through QelAsyncClient and the alert program.
#include "AsyncMessage.h"
#include "AsyncNotify.h"
#include "Base64Coder.h"
#include "FakeSpoolss.h"
#include "ModuleExport.h"
#include "NotifyPrograms.h"
#include "StateInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>

namespace {

typedef int(WINAPI* PFN_Send)(LPCWSTR, LPCWSTR, HWND, UINT, WPARAM, LPARAM);

HMODULE g_fake;
PFN_Send g_send;
PFN_FakeSpoolssSetScript g_setScript;
PFN_FakeSpoolssGetRecord g_getRecord;
PFN_FakeSpoolssNote g_note;

const DWORD REPLY_WAIT_MS = 60000;
// The tick count moves in steps of 10 to 16 ms: a sleep may measure shorter.
const ULONGLONG TICK_SLACK_MS = 20;
HWND const JUNK_WINDOW = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x5A5A));
const WCHAR PRINTER[] = L"Card Printer";

// The sender's import of FreeLibrary, so that its call shows among the
// channel's events.
BOOL WINAPI RecordingFreeLibrary(HMODULE module)
{
    if (module == g_fake)
        g_note("FreeLibrary");
    return FreeLibrary(module);
}

bool PatchImport(HMODULE module, const char* name, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                strcmp(reinterpret_cast<const char*>(
                           reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name),
                       name) != 0)
                continue;
            DWORD was = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &was))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), was, &was);
            return true;
        }
    }
    return false;
}

// The fake router and then the sender, with their exports; the sender's
// library, or NULL.
HMODULE LoadSender()
{
    // Loaded first, so that the sender's load by name gets this copy.
    g_fake = LoadLibraryW((TestProgramFolder() + L"SpoolSS.dll").c_str());
    HMODULE server = LoadLibraryW((TestProgramFolder() + L"QelAsyncServer.dll").c_str());
    if (!g_fake || !server)
        return nullptr;
    g_send = ModuleExport<PFN_Send>(server, "SendMessageToCustomAsyncUI");
    g_setScript = ModuleExport<PFN_FakeSpoolssSetScript>(g_fake, "FakeSpoolssSetScript");
    g_getRecord = ModuleExport<PFN_FakeSpoolssGetRecord>(g_fake, "FakeSpoolssGetRecord");
    g_note = ModuleExport<PFN_FakeSpoolssNote>(g_fake, "FakeSpoolssNote");
    return g_send && g_setScript && g_getRecord && g_note ? server : nullptr;
}

// A spooler-side caller loads the sender for one message and frees it. These
// run in a process of their own, where they alone load the sender, and in
// this order: a library kept once stays.
TEST(SendLibraryLifetime, RecordRefusedBeforeAnyChannelLeavesTheLibraryFreeable)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"QelAsyncServer.dll"));
    HMODULE server = LoadSender();
    ASSERT_TRUE(server);
    EXPECT_EQ(0, g_send(PRINTER, L"Vornex T42", nullptr, WM_COPYDATA, 0, 0));
    EXPECT_TRUE(FreeLibrary(server));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"QelAsyncServer.dll"));
}

// The reply comes after the poll plan, the platform's last releases after it.
TEST(SendLibraryLifetime, LateReplyReachesTheCallbackAfterTheCallerFreedTheLibrary)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"QelAsyncServer.dll"));
    HMODULE server = LoadSender();
    ASSERT_TRUE(server);
    FakeChannelScript script = {FAKE_REPLY_LATE, 0, L"<ReturnValue>5</ReturnValue>"};
    g_setScript(&script);
    EXPECT_EQ(0, g_send(PRINTER, L"Vornex T42", nullptr, WM_MY_PRINTER, NTY_SET_JOB_ID, 0));
    EXPECT_TRUE(FreeLibrary(server));
    g_note("FreeLibrary");

    FakeChannelRecord record;
    EXPECT_TRUE(g_getRecord(&record, REPLY_WAIT_MS));
    EXPECT_STREQ("router,send,channel-release,FreeLibrary,reply", record.events);
    EXPECT_EQ(S_OK, record.replyResult);
    EXPECT_EQ(0, record.callbackRefs);
    EXPECT_NE(nullptr, GetModuleHandleW(L"QelAsyncServer.dll"));
}

class SendTest : public testing::Test {
public:
    static void SetUpTestSuite()
    {
        HMODULE server = LoadSender();
        ASSERT_TRUE(server);
        ASSERT_TRUE(PatchImport(server, "FreeLibrary", reinterpret_cast<void*>(RecordingFreeLibrary)));
    }

protected:
    // Sends one message on a channel that answers by the script.
    int Send(FakeReplyWay way, LPCWSTR reply, HWND target, UINT message, WPARAM wParam, LPARAM lParam,
             ULONGLONG* elapsedMs = nullptr)
    {
        FakeChannelScript script = {way, 0, L""};
        wcsncpy(script.reply, reply, FAKE_REPLY_ROOM - 1);
        g_setScript(&script);
        ULONGLONG start = GetTickCount64();
        int result = g_send(PRINTER, L"Vornex T42", target, message, wParam, lParam);
        if (elapsedMs)
            *elapsedMs = GetTickCount64() - start;
        EXPECT_TRUE(g_getRecord(&m_record, REPLY_WAIT_MS));
        return result;
    }

    FakeChannelRecord m_record;
};

// The blob the request's "<lParam>" carries.
std::string CarriedBlob(const FakeChannelRecord& record)
{
    std::wstring request = record.request;
    size_t open = request.find(L"<lParam>"), close = request.find(L"</lParam>");
    if (open == std::wstring::npos || close == std::wstring::npos)
        return std::string();
    std::string text(request.begin() + open + 8, request.begin() + close);
    Base64Coder coder;
    coder.Decode(text.c_str());
    return std::string(reinterpret_cast<const char*>(coder.DecodedMessage()), coder.DecodedLength());
}

StateInfo MakeState(LPCWSTR printer, LPCWSTR port, LPCWSTR extra, DWORD jobId)
{
    StateInfo state;
    ZeroMemory(&state, sizeof(state));
    state.dwJobId = jobId;
    state.dwErrCode = 0x10046;
    wcsncpy(state.szPrinterName, printer, STATE_PRINTER_ROOM - 1);
    wcsncpy(state.szPortName, port, STATE_PORT_ROOM - 1);
    wcsncpy(state.szExtParam, extra, STATE_EXT_ROOM - 1);
    return state;
}

TEST_F(SendTest, PlainMessageTravelsOnABidirectionalChannel)
{
    ULONGLONG elapsed = 0;
    EXPECT_EQ(-7, Send(FAKE_REPLY_CLOSED, L"<![CDATA[<ReturnValue>-7</ReturnValue>]]>", reinterpret_cast<HWND>(0x1234),
                       WM_MY_PRINTER, NTY_SET_JOB_ID, static_cast<LPARAM>(0xFFFFFFFFu), &elapsed));
    EXPECT_LT(elapsed, 1500u);
    EXPECT_EQ(1, m_record.routerCalls);
    EXPECT_STREQ(PRINTER, m_record.printer);
    EXPECT_TRUE(IsEqualGUID(AsyncUINotificationType, m_record.channelType));
    EXPECT_EQ(kAllUsers, m_record.userFilter);
    EXPECT_EQ(kBiDirectional, m_record.conversationStyle);
    EXPECT_TRUE(m_record.callbackInterface);
    EXPECT_EQ(1, m_record.sends);
    std::wstring expected =
        L"<?xml version=\"1.0\"?><asyncPrintUIRequest "
        L"xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\"><v1><requestOpen>"
        L"<customUI dll=\"QelAsyncClient.dll\" entrypoint=\"SendMessageToClient\" bidi=\"true\"><![CDATA["
        L"<hwndTarget>4660</hwndTarget><uMsg>33128</uMsg><wParam>1</wParam><lParam>-1</lParam>"
        L"]]></customUI></requestOpen></v1></asyncPrintUIRequest>";
    EXPECT_EQ(expected, std::wstring(m_record.request));
    EXPECT_EQ((expected.size() + 1) * sizeof(WCHAR), m_record.requestBytes);
    EXPECT_TRUE(IsEqualGUID(AsyncUINotificationType, m_record.requestType));
    // The router's library goes only after the channel it made.
    EXPECT_STREQ("router,send,reply,channel-release,FreeLibrary", m_record.events);
    EXPECT_EQ(0, m_record.channelRefs);
}

TEST_F(SendTest, PollPlanFollowsTheMessage)
{
    COPYDATASTRUCT devmn = {CDS_DEVMN_DATA, 0, nullptr};
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        ULONGLONG minMs, maxMs;
    } cases[] = {
        {WM_MY_PRINTER, NTY_SET_JOB_ID, 0, 50, 1500},
        {WM_USER + 1, NTY_SHOW_ERROR_DLG, 0, 50, 1500},
        {WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&devmn), 300, 1900},
        {WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0, 2000, 3900},
        {WM_MY_PRINTER, NTY_MSG_1004, 0, 2000, 3900},
        {WM_MY_PRINTER, NTY_MSG_1100, 0, 2000, 3900},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " " << c.wParam);
        ULONGLONG elapsed = 0;
        EXPECT_EQ(3, Send(FAKE_REPLY_CLOSED, L"<ReturnValue>3</ReturnValue>", nullptr, c.message, c.wParam, c.lParam,
                          &elapsed));
        // The first look follows the first sleep of the plan.
        EXPECT_GE(elapsed + TICK_SLACK_MS, c.minMs);
        EXPECT_LT(elapsed, c.maxMs);
    }
}

TEST_F(SendTest, EachWayOfAnswering)
{
    // The tag lies behind the 1,024 units of a reply that are read.
    const std::wstring late = std::wstring(ASYNC_REPLY_READ_ROOM - 5, L' ') + L"<ReturnValue>9</ReturnValue>";
    const struct {
        FakeReplyWay way;
        LPCWSTR reply;
        int result;
        LONG sends;
        ULONGLONG maxMs;
    } cases[] = {
        {FAKE_REPLY_CLOSED, L"<![CDATA[]]>", 0, 1, 3900},
        {FAKE_REPLY_CLOSED, late.c_str(), 0, 1, 3900},
        {FAKE_REPLY_CLOSED, L"<ReturnValue>99999999999</ReturnValue>", INT_MAX, 1, 3900},
        // An event ends the wait but carries no value that is read.
        {FAKE_REPLY_EVENT, L"<ReturnValue>5</ReturnValue>", 0, 1, 3900},
        // A channel that closes without a reply, or with one that cannot be
        // read, ends the wait at the next look.
        {FAKE_CLOSED_NO_DATA, L"", 0, 1, 3900},
        {FAKE_CLOSED_BAD_DATA, L"", 0, 1, 3900},
        // Nothing to wait for: no sleep at all.
        {FAKE_SEND_FAILS, L"", 0, 1, 1000},
        {FAKE_NO_CHANNEL, L"", 0, 0, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.way << " " << testing::PrintToString(std::wstring(c.reply).substr(0, 40)));
        ULONGLONG elapsed = 0;
        // The dialog plan: its 2-second sleeps show whether the sender waited.
        EXPECT_EQ(c.result, Send(c.way, c.reply, nullptr, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0, &elapsed));
        EXPECT_LT(elapsed, c.maxMs);
        EXPECT_EQ(1, m_record.routerCalls);
        EXPECT_EQ(c.sends, m_record.sends);
        EXPECT_EQ(0, m_record.channelRefs);
    }
}

TEST_F(SendTest, StateRecordTravelsAsItsBlobAndFillsTheHandleSlot)
{
    StateInfo state = MakeState(L"P", L"USB001", L"7", 42);
    COPYDATASTRUCT cds = {CDS_STATE_INFO, sizeof(state), &state};
    HWND slot = JUNK_WINDOW;
    EXPECT_EQ(4, Send(FAKE_REPLY_CLOSED, L"<![CDATA[<ReturnValue>4</ReturnValue><StatusDialogHwnd>-2</StatusDialogHwnd>]]>",
                      nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&slot), reinterpret_cast<LPARAM>(&cds)));
    EXPECT_EQ(static_cast<LONG_PTR>(-2), reinterpret_cast<LONG_PTR>(slot));
    std::string blob = CarriedBlob(m_record);
    std::string expected(reinterpret_cast<const char*>(&cds), sizeof(cds));
    expected.append(reinterpret_cast<const char*>(&state), sizeof(state));
    // Padding zeros behind the last Base64 group.
    expected.resize((expected.size() + 2) / 3 * 3, '\0');
    EXPECT_EQ(expected, blob);
    EXPECT_NE(std::wstring::npos, std::wstring(m_record.request).find(L"<wParam>0</wParam>"));

    // Without a slot the value still comes back.
    EXPECT_EQ(4, Send(FAKE_REPLY_CLOSED, L"<ReturnValue>4</ReturnValue><StatusDialogHwnd>9</StatusDialogHwnd>",
                      nullptr, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
    // A device-monitor record has no slot: wParam is not written.
    COPYDATASTRUCT devmn = {CDS_DEVMN_DATA, 0, nullptr};
    slot = JUNK_WINDOW;
    EXPECT_EQ(6, Send(FAKE_REPLY_CLOSED, L"<ReturnValue>6</ReturnValue><StatusDialogHwnd>9</StatusDialogHwnd>",
                      nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&slot), reinterpret_cast<LPARAM>(&devmn)));
    EXPECT_EQ(JUNK_WINDOW, slot);
}

TEST_F(SendTest, StateRecordWithoutReplyGivesZeroAfterItsPlan)
{
    StateInfo state = MakeState(L"P", L"USB001", L"", 1);
    COPYDATASTRUCT cds = {CDS_STATE_INFO, sizeof(state), &state};
    HWND slot = JUNK_WINDOW;
    ULONGLONG elapsed = 0;
    EXPECT_EQ(0, Send(FAKE_REPLY_NEVER, L"", nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&slot),
                      reinterpret_cast<LPARAM>(&cds), &elapsed));
    EXPECT_EQ(nullptr, slot);
    EXPECT_GE(elapsed + TICK_SLACK_MS, 15000u);
    EXPECT_LT(elapsed, 25000u);
    EXPECT_EQ(1, m_record.sends);
    EXPECT_EQ(0, m_record.channelRefs);
}

TEST_F(SendTest, RecordsThatCannotTravelAreNotSent)
{
    // The largest payload whose request fits its 8,192 units, zero included.
    WCHAR fixed[ASYNC_REQUEST_ROOM];
    ASSERT_TRUE(FormatAsyncMessageRequest(fixed, ASYNC_REQUEST_ROOM, nullptr, WM_COPYDATA, 0, 0, L""));
    DWORD largest = 0;
    while (wcslen(fixed) + Base64TextLength(COPYDATA_BLOB_HEADER + largest + 1) < ASYNC_REQUEST_ROOM)
        ++largest;
    static BYTE payload[COPYDATA_BLOB_ROOM];
    COPYDATASTRUCT fits = {7, largest, payload}, over = {7, largest + 1, payload}, noData = {7, 4, nullptr};
    const struct {
        const COPYDATASTRUCT* cds;
        LONG routerCalls;
    } cases[] = {{&fits, 1}, {&over, 0}, {&noData, 0}, {nullptr, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cds ? c.cds->cbData : 0);
        int expected = c.routerCalls ? 8 : 0;
        EXPECT_EQ(expected, Send(FAKE_REPLY_CLOSED, L"<ReturnValue>8</ReturnValue>", nullptr, WM_COPYDATA, 0,
                                 reinterpret_cast<LPARAM>(c.cds)));
        EXPECT_EQ(c.routerCalls, m_record.routerCalls);
        if (c.routerCalls) {
            EXPECT_EQ(wcslen(fixed) + Base64TextLength(COPYDATA_BLOB_HEADER + largest), wcslen(m_record.request));
        }
    }
}

// The whole road: the fake host calls QelAsyncClient, which starts the alert
// program from the driver directory; the state record finds its window, and
// the alert it then shows is answered with "Continue Printing".
TEST_F(SendTest, AlertRoadFromTheSenderToTheAlertProgramAndBack)
{
    CDriverPrograms programs;
#ifdef QEL_REAL_ALERT
    ASSERT_TRUE(programs.Install(L"QelAlert.exe", L"QelAlert.exe"));
#else
    ASSERT_TRUE(programs.Install(L"QelAlertDouble.exe", L"QelAlert.exe"));
#endif
    std::wstring printer = UniqueName(L"Road Printer");
    StateInfo state = MakeState(printer.c_str(), L"USB001", L"0", 77);
    COPYDATASTRUCT cds = {CDS_STATE_INFO, sizeof(state), &state};
    HWND alert = JUNK_WINDOW;
    EXPECT_EQ(0, Send(FAKE_HOST, L"", nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&alert),
                      reinterpret_cast<LPARAM>(&cds)));
    ASSERT_TRUE(IsWindow(alert));
    EXPECT_EQ(printer + L" @ USB001", WindowText(alert));

    std::thread user([alert] {
        HWND dialog = WaitForProcessDialog(alert, REPLY_WAIT_MS);
        if (dialog)
            ClickButton(dialog, IDOK);
    });
    int result = Send(FAKE_HOST, L"", alert, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0x10046);
    user.join();
    EXPECT_EQ(1, result);
#ifndef QEL_REAL_ALERT
    std::string stored = programs.TakeBytes(L"QelAlert.exe.state");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&state), sizeof(state)), stored);
#endif
}

#ifdef QEL_REAL_ALERT
// The alert program's hidden OK button ends it; the spooler's side presses it
// through the channel.
TEST_F(SendTest, CommandThroughTheChannelEndsTheAlertProgram)
{
    CDriverPrograms programs;
    ASSERT_TRUE(programs.Install(L"QelAlert.exe", L"QelAlert.exe"));
    StateInfo state = MakeState(UniqueName(L"Ended Printer").c_str(), L"USB001", L"0", 78);
    COPYDATASTRUCT cds = {CDS_STATE_INFO, sizeof(state), &state};
    HWND alert = nullptr;
    Send(FAKE_HOST, L"", nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&alert), reinterpret_cast<LPARAM>(&cds));
    DWORD processId = 0;
    ASSERT_TRUE(GetWindowThreadProcessId(alert, &processId));
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    ASSERT_TRUE(process);

    EXPECT_EQ(0, Send(FAKE_HOST, L"", alert, WM_COMMAND, IDOK, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(process, &exitCode));
    EXPECT_EQ(0u, exitCode);
    CloseHandle(process);
}
#endif

} // namespace
