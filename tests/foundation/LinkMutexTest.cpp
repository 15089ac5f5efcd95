#include "UsbLink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

const DWORD MARKER = 0x5EED1102;
// The shortened wait of the tests that run into it.
const DWORD SHORT_WAIT_MS = 200;
const ULONGLONG CLOCK_SLACK_MS = 20;
const DWORD CHILD_WAIT_MS = 10000;

// Exit codes of the second process.
enum ChildExit : DWORD { CHILD_DONE = 0, CHILD_BAD_ARGS = 10, CHILD_NO_EVENTS = 11, CHILD_NO_MUTEX = 12,
                         CHILD_NOT_TAKEN = 13, CHILD_NOT_TOLD = 14 };

ULONGLONG Now()
{
    return GetTickCount64();
}

// A device path of this process's own, so that test programs running at the
// same time never share a printer. upper: spelled as the search by printer
// name gives it; otherwise as the device enumeration gives it.
std::wstring DevicePath(bool upper, const char* instance = "1A2B")
{
    WCHAR path[256];
    swprintf(path, 256, upper ? L"\\\\?\\USB#VID_5D27&PID_0101#7&%hs%lX&0&1#{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}"
                              : L"\\\\?\\usb#vid_5d27&pid_0101#7&%hs%lx&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
             instance, GetCurrentProcessId());
    std::wstring text = path;
    if (!upper)
        for (WCHAR& c : text)
            c = (WCHAR)towlower(c);
    return text;
}

std::string MutexName(const char* instance = "1a2b")
{
    char name[256];
    snprintf(name, sizeof(name), "Global\\usb#vid_5d27&pid_0101#7&%s%lx&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
             instance, GetCurrentProcessId());
    return name;
}

BOOL MutexExists(const std::string& name)
{
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (!h)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

// The mutex of a link on a path of this process's own: pathFormat and
// nameFormat take the process id once.
void ExpectMutexOfPath(LPCWSTR pathFormat, const char* nameFormat)
{
    WCHAR path[128];
    swprintf(path, 128, pathFormat, GetCurrentProcessId());
    CUsbLink link;
    wcscpy(link.m_szSymbolicLink, path);
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    char expected[128];
    snprintf(expected, sizeof(expected), nameFormat, GetCurrentProcessId());
    EXPECT_TRUE(MutexExists(expected)) << expected;
}

void Address(CUsbLink& link, const std::wstring& path)
{
    wcscpy(link.m_szSymbolicLink, path.c_str());
}

// Takes the mutex on its own thread (a mutex belongs to a thread) and keeps
// it until told to leave.
class CHolderThread {
public:
    explicit CHolderThread(const std::wstring& path)
        : m_taken(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_leave(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread = std::thread([this, path] {
            CUsbLink link;
            Address(link, path);
            link.EnableMutex(TRUE);
            m_bEntered = link.EnterMutex();
            SetEvent(m_taken);
            WaitForSingleObject(m_leave, CHILD_WAIT_MS);
            if (!m_bAbandon)
                link.LeaveMutex();
        });
        WaitForSingleObject(m_taken, CHILD_WAIT_MS);
    }
    ~CHolderThread()
    {
        Leave();
        CloseHandle(m_taken);
        CloseHandle(m_leave);
    }
    BOOL Entered() const { return m_bEntered; }
    void Leave(bool abandon = false)
    {
        if (!m_thread.joinable())
            return;
        m_bAbandon = abandon;
        SetEvent(m_leave);
        m_thread.join();
    }

private:
    HANDLE m_taken, m_leave;
    BOOL m_bEntered = FALSE;
    bool m_bAbandon = false;
    std::thread m_thread;
};

// ---- The name ------------------------------------------------------------------

TEST(LinkMutexName, IsTheDevicePathLowerCasedWithoutItsPrefixAndBackslashes)
{
    CUsbLink link;
    Address(link, DevicePath(true));
    SetLastError(MARKER);
    EXPECT_EQ(0u, link.EnableMutex(TRUE));
    EXPECT_EQ(MARKER, GetLastError()) << "an existing mutex is no failure either";
    ASSERT_NE(nullptr, link.m_hMutexRW);
    EXPECT_EQ(1, link.m_bEnableMutex);
    EXPECT_TRUE(MutexExists(MutexName()));
    std::string upper = MutexName();
    for (char& c : upper)
        c = (char)toupper(c);
    upper.replace(0, 7, "Global\\");
    EXPECT_FALSE(MutexExists(upper)) << "names are case-sensitive: only the lower-case one is made";
}

TEST(LinkMutexName, LeavesOutEveryBackslashAfterThePrefix)
{
    ExpectMutexOfPath(L"\\\\?\\USB\\Vid_5D27\\Sub%lX\\", "Global\\usbvid_5d27sub%lx");
}

TEST(LinkMutexName, IsTheAddressTextForATcpLink)
{
    char address[32];
    snprintf(address, sizeof(address), "127.%lu.%lu.%lu", (GetCurrentProcessId() >> 16) & 0xFF,
             (GetCurrentProcessId() >> 8) & 0xFF, GetCurrentProcessId() & 0xFF);
    CUsbLink link;
    link.SetIPAddr(std::wstring(address, address + strlen(address)).c_str(), 9100);
    Address(link, DevicePath(true));
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    EXPECT_TRUE(MutexExists(std::string("Global\\") + address));
}

TEST(LinkMutexName, IsCutAtTheSamePlaceForEveryLink)
{
    // Two device paths that differ only beyond the longest name.
    std::wstring stem = DevicePath(true) + L"#" + std::wstring(200, L'Q');
    CUsbLink a, b;
    Address(a, stem + L"first");
    Address(b, stem + L"SECOND");
    ASSERT_EQ(0u, a.EnableMutex(TRUE));
    ASSERT_EQ(0u, b.EnableMutex(TRUE));

    std::string name = MutexName() + "#" + std::string(200, 'q');
    name.resize(MAX_PATH - 1);
    EXPECT_TRUE(MutexExists(name));
    EXPECT_FALSE(MutexExists(name.substr(0, name.size() - 1)));

    CHolderThread holder(stem + L"third");
    ASSERT_TRUE(holder.Entered());
    b.m_dwMutexWait = SHORT_WAIT_MS;
    EXPECT_FALSE(b.EnterMutex()) << "both links share the one mutex";
}

TEST(LinkMutexName, AnEmptyDevicePathMakesNoMutex)
{
    CUsbLink link;
    SetLastError(MARKER);
    EXPECT_EQ(0u, link.EnableMutex(TRUE));
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_hMutexRW);
    EXPECT_EQ(1, link.m_bEnableMutex);
    ULONGLONG start = Now();
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_TRUE(link.LeaveMutex());
    EXPECT_LT(Now() - start, 100u);
    EXPECT_EQ(MARKER, GetLastError());
}

TEST(LinkMutexName, AShortPathGivesTheBareNamespace)
{
    CUsbLink link;
    Address(link, L"\\\\?\\");
    DWORD result = link.EnableMutex(TRUE);
    // Whatever the platform thinks of that name, the link reports it as it is.
    if (result == 0) {
        EXPECT_NE(nullptr, link.m_hMutexRW);
        EXPECT_TRUE(MutexExists("Global\\"));
    } else {
        EXPECT_EQ(nullptr, link.m_hMutexRW);
        EXPECT_EQ(result, GetLastError());
    }
    ExpectMutexOfPath(L"\\\\?\\Z%lX", "Global\\z%lx");
}

// ---- Taking and leaving ----------------------------------------------------------

TEST(LinkMutexUse, EnablingTwiceKeepsTheMutexAndDisablingDropsIt)
{
    CUsbLink link;
    Address(link, DevicePath(true));
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    HANDLE first = link.m_hMutexRW;
    EXPECT_EQ(0u, link.EnableMutex(TRUE));
    EXPECT_EQ(first, link.m_hMutexRW);

    EXPECT_TRUE(link.EnterMutex());
    SetLastError(MARKER);
    EXPECT_EQ(0u, link.EnableMutex(FALSE));
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(nullptr, link.m_hMutexRW);
    EXPECT_EQ(0, link.m_bEnableMutex);
    EXPECT_FALSE(MutexExists(MutexName())) << "released and closed";
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_TRUE(link.LeaveMutex());
}

TEST(LinkMutexUse, ClosingTheLinkKeepsTheMutexEnabledForTheNextOpen)
{
    CUsbLink link;
    Address(link, DevicePath(true));
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    link.CloseUsb();
    EXPECT_EQ(nullptr, link.m_hMutexRW);
    EXPECT_EQ(1, link.m_bEnableMutex);
    EXPECT_FALSE(MutexExists(MutexName()));
}

TEST(LinkMutexUse, TheWaitForAnotherThreadsExchangeIsBounded)
{
    CHolderThread holder(DevicePath(false));
    ASSERT_TRUE(holder.Entered());

    CUsbLink link;
    Address(link, DevicePath(true));
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    link.m_dwMutexWait = SHORT_WAIT_MS;
    ULONGLONG start = Now();
    SetLastError(MARKER);
    EXPECT_FALSE(link.EnterMutex());
    ULONGLONG took = Now() - start;
    EXPECT_EQ((DWORD)ERROR_TIMEOUT, GetLastError());
    EXPECT_GE(took + CLOCK_SLACK_MS, SHORT_WAIT_MS);
    EXPECT_LT(took, SHORT_WAIT_MS + 1000);

    holder.Leave();
    SetLastError(MARKER);
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_TRUE(link.LeaveMutex());
    EXPECT_EQ(MARKER, GetLastError());
}

TEST(LinkMutexUse, AnAbandonedMutexCountsAsTaken)
{
    CHolderThread holder(DevicePath(true));
    ASSERT_TRUE(holder.Entered());
    holder.Leave(true);

    CUsbLink link;
    Address(link, DevicePath(false));
    ASSERT_EQ(0u, link.EnableMutex(TRUE));
    link.m_dwMutexWait = SHORT_WAIT_MS;
    SetLastError(MARKER);
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_TRUE(link.LeaveMutex());
}

TEST(LinkMutexUse, TheWaitIsThirtySecondsUnlessShortened)
{
    CUsbLink link;
    EXPECT_EQ(30000u, link.m_dwMutexWait);
    EXPECT_EQ(30000u, LINK_MUTEX_WAIT_MS);
}

// ---- Two processes ------------------------------------------------------------------

// The second process: this program started again with
//   --hold-mutex <lower|upper> <release|abandon> <ready event> <go event>
// It takes the mutex by the device path of the parent (spelled as asked),
// says so, waits to be told, then leaves or ends without leaving.
int HoldMutexChild(int argc, char** argv)
{
    if (argc != 6)
        return CHILD_BAD_ARGS;
    // The parent's process id is in the event names; the path must be the parent's.
    DWORD parent = 0;
    if (sscanf(argv[4], "QelLinkMutexReady_%lu", &parent) != 1)
        return CHILD_BAD_ARGS;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (!ready || !go)
        return CHILD_NO_EVENTS;

    WCHAR path[256];
    bool upper = strcmp(argv[2], "upper") == 0;
    swprintf(path, 256, upper ? L"\\\\?\\USB#VID_5D27&PID_0101#7&1A2B%lX&0&1#{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}"
                              : L"\\\\?\\usb#vid_5d27&pid_0101#7&1a2b%lx&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
             parent);
    CUsbLink link;
    wcscpy(link.m_szSymbolicLink, path);
    if (link.EnableMutex(TRUE) != 0 || !link.m_hMutexRW)
        return CHILD_NO_MUTEX;
    if (!link.EnterMutex())
        return CHILD_NOT_TAKEN;
    SetEvent(ready);
    if (WaitForSingleObject(go, CHILD_WAIT_MS) != WAIT_OBJECT_0)
        return CHILD_NOT_TOLD;
    if (strcmp(argv[3], "abandon") == 0)
        ExitProcess(CHILD_DONE);
    link.LeaveMutex();
    return CHILD_DONE;
}

class LinkMutexProcesses : public testing::Test {
protected:
    CUsbLink link;
    HANDLE ready = nullptr, go = nullptr;
    PROCESS_INFORMATION child = {};
    char readyName[64], goName[64];

    void SetUp() override
    {
        snprintf(readyName, sizeof(readyName), "QelLinkMutexReady_%lu", GetCurrentProcessId());
        snprintf(goName, sizeof(goName), "QelLinkMutexGo_%lu", GetCurrentProcessId());
        ready = CreateEventA(nullptr, TRUE, FALSE, readyName);
        go = CreateEventA(nullptr, TRUE, FALSE, goName);
        ASSERT_NE(nullptr, ready);
        ASSERT_NE(nullptr, go);
    }
    void TearDown() override
    {
        if (child.hProcess) {
            SetEvent(go);
            if (WaitForSingleObject(child.hProcess, CHILD_WAIT_MS) != WAIT_OBJECT_0)
                TerminateProcess(child.hProcess, 1);
            CloseHandle(child.hProcess);
            CloseHandle(child.hThread);
        }
        CloseHandle(ready);
        CloseHandle(go);
    }
    // Starts the second process, waits until it holds the mutex, and readies
    // this process's link with the other spelling and a short wait.
    void StartHolder(const char* spelling, const char* ending)
    {
        Address(link, DevicePath(strcmp(spelling, "upper") != 0));
        ASSERT_EQ(0u, link.EnableMutex(TRUE));
        link.m_dwMutexWait = SHORT_WAIT_MS;
        WCHAR exe[MAX_PATH];
        ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
        WCHAR command[1024];
        swprintf(command, 1024, L"\"%ls\" --hold-mutex %hs %hs %hs %hs", exe, spelling, ending, readyName, goName);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        ASSERT_TRUE(CreateProcessW(exe, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child));
        HANDLE waits[2] = {ready, child.hProcess};
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, CHILD_WAIT_MS)) << "the holder took the mutex";
    }
    DWORD FinishHolder()
    {
        SetEvent(go);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, CHILD_WAIT_MS));
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(child.hProcess, &code);
        return code;
    }
};

TEST_F(LinkMutexProcesses, AnotherProcessHoldingThePrinterBoundsTheWait)
{
    StartHolder("lower", "release");
    ULONGLONG start = Now();
    SetLastError(MARKER);
    EXPECT_FALSE(link.EnterMutex()) << "both spellings of the path name one mutex";
    EXPECT_EQ((DWORD)ERROR_TIMEOUT, GetLastError());
    EXPECT_GE(Now() - start + CLOCK_SLACK_MS, SHORT_WAIT_MS);

    EXPECT_EQ((DWORD)CHILD_DONE, FinishHolder());
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_TRUE(link.LeaveMutex());
}

TEST_F(LinkMutexProcesses, AProcessThatEndsWithoutLeavingFreesThePrinter)
{
    StartHolder("upper", "abandon");
    EXPECT_FALSE(link.EnterMutex());

    EXPECT_EQ((DWORD)CHILD_DONE, FinishHolder());
    link.m_dwMutexWait = CHILD_WAIT_MS;
    SetLastError(MARKER);
    EXPECT_TRUE(link.EnterMutex());
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_TRUE(link.LeaveMutex());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "--hold-mutex") == 0)
        return HoldMutexChild(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
