// The printer emulator that the link, command and program tests talk to:
// driven here by raw socket and raw device-path clients, so that a fault of
// the double cannot hide behind a fault of the product.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PrinterEmulator.h"

namespace {

const DWORD MARKER = 0xE0E0BEEF;
// Long enough for the emulator's thread under a busy Wine, short enough to keep the suite quick.
const DWORD WAIT_MS = 5000;

std::string Frame(const std::string& request)
{
    return "\x1B" + request + "\x0D";
}

std::string Text(const std::string& text)
{
    return std::string(1, '\x01') + text + std::string(1, '\0');
}

class WinsockUser {
public:
    WinsockUser() { WSAStartup(MAKEWORD(2, 2), &m_data); }
    ~WinsockUser() { WSACleanup(); }

private:
    WSADATA m_data;
};

// The product's side of a TCP link, reduced to raw socket calls.
class TcpClient {
public:
    ~TcpClient() { Close(); }
    bool Connect(const char* address, WORD port)
    {
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        inet_pton(AF_INET, address, &to.sin_addr);
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        return m_socket != INVALID_SOCKET && connect(m_socket, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
    }
    bool Send(const std::string& bytes)
    {
        return send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
    }
    // One recv after waiting at most timeoutMs: the bytes, "" on time-out
    // (timedOut set) or on a closed connection (closed set).
    std::string Receive(DWORD timeoutMs, bool* timedOut = NULL, bool* closed = NULL)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval wait = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
        bool bTimedOut = select(0, &readable, NULL, NULL, &wait) == 0;
        bool bClosed = false;
        std::string bytes;
        if (!bTimedOut) {
            char buffer[1024];
            int got = recv(m_socket, buffer, sizeof(buffer), 0);
            bClosed = got <= 0;
            if (got > 0)
                bytes.assign(buffer, static_cast<size_t>(got));
        }
        if (timedOut)
            *timedOut = bTimedOut;
        if (closed)
            *closed = bClosed;
        return bytes;
    }
    std::string Exchange(const std::string& request)
    {
        return Send(Frame(request)) ? Receive(WAIT_MS) : std::string();
    }
    void Close()
    {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
};

// The product's side of a USB link: the device path opened the way the link
// opens it, with overlapped reads and writes.
class UsbClient {
public:
    ~UsbClient() { Close(); }
    bool Open(LPCWSTR path)
    {
        m_hDevice = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED, NULL);
        if (m_hDevice == INVALID_HANDLE_VALUE)
            return false;
        m_hEvent = CreateEventW(NULL, TRUE, TRUE, NULL);
        return m_hEvent != NULL;
    }
    bool Write(const std::string& bytes)
    {
        OVERLAPPED ov = {};
        ov.hEvent = m_hEvent;
        DWORD written = 0;
        if (!WriteFile(m_hDevice, bytes.data(), static_cast<DWORD>(bytes.size()), NULL, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING)
                return false;
            if (WaitForSingleObject(m_hEvent, WAIT_MS) != WAIT_OBJECT_0) {
                CancelIo(m_hDevice);
                WaitForSingleObject(m_hEvent, WAIT_MS);
            }
        }
        return GetOverlappedResult(m_hDevice, &ov, &written, FALSE) && written == bytes.size();
    }
    // One read of at most 512 bytes: the bytes; error gets 0 or the failure
    // (ERROR_IO_INCOMPLETE after the time-out).
    std::string Read(DWORD timeoutMs, DWORD* error)
    {
        OVERLAPPED ov = {};
        ov.hEvent = m_hEvent;
        char buffer[512];
        DWORD got = 0;
        *error = 0;
        if (!ReadFile(m_hDevice, buffer, sizeof(buffer), NULL, &ov) && GetLastError() != ERROR_IO_PENDING) {
            *error = GetLastError();
            return std::string();
        }
        WaitForSingleObject(m_hEvent, timeoutMs);
        if (!GetOverlappedResult(m_hDevice, &ov, &got, FALSE)) {
            *error = GetLastError();
            CancelIo(m_hDevice);
            WaitForSingleObject(m_hEvent, WAIT_MS);
            return std::string();
        }
        return std::string(buffer, got);
    }
    std::string Exchange(const std::string& request)
    {
        DWORD error = 0;
        return Write(Frame(request)) ? Read(WAIT_MS, &error) : std::string();
    }
    void Close()
    {
        if (m_hDevice != INVALID_HANDLE_VALUE)
            CloseHandle(m_hDevice);
        if (m_hEvent)
            CloseHandle(m_hEvent);
        m_hDevice = INVALID_HANDLE_VALUE;
        m_hEvent = NULL;
    }

private:
    HANDLE m_hDevice = INVALID_HANDLE_VALUE;
    HANDLE m_hEvent = NULL;
};

class EmuTcp : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(emu.StartTcp("127.0.0.1", 0)) << GetLastError(); }
    bool Connect() { return client.Connect(emu.GetAddress(), emu.GetPort()); }

    WinsockUser winsock;
    CPrinterEmulator emu;
    TcpClient client;
};

class EmuUsb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(emu.StartUsb(0x0101, NULL)) << GetLastError(); }

    CPrinterEmulator emu;
    UsbClient client;
};

// ---- Script and records over TCP --------------------------------------------

TEST_F(EmuTcp, ScriptedTextReplyIsOneExactWriteAndTheFrameIsRecorded)
{
    emu.Reply("Ds;2", "YMCKO");
    ASSERT_TRUE(Connect());
    ULONGLONG before = CPrinterEmulator::NowMs();

    EXPECT_EQ(Text("YMCKO"), client.Exchange("Ds;2"));

    ASSERT_TRUE(emu.WaitForIdle(WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_TRUE(frames[0].bFramed);
    EXPECT_EQ("Ds;2", frames[0].request);
    EXPECT_EQ(Frame("Ds;2"), frames[0].raw);
    EXPECT_EQ(EMU_REPLY, frames[0].action);
    EXPECT_EQ(Text("YMCKO"), frames[0].reply);
    EXPECT_EQ(1u, frames[0].connection);
    EXPECT_LE(before, frames[0].timeMs);
    EXPECT_LE(frames[0].timeMs, frames[0].replyMs);
    EXPECT_LE(frames[0].replyMs, CPrinterEmulator::NowMs());
    EXPECT_EQ(1u, emu.GetConnectionCount());
}

TEST_F(EmuTcp, UnscriptedFramesGetTheDefaultStep)
{
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Text("OK"), client.Exchange("Xyz;1"));

    emu.SetDefaultStep(EmuNotReady());
    EXPECT_EQ(std::string(1, '\0'), client.Exchange("Xyz;1"));

    emu.ClearScript();
    EXPECT_EQ(Text("OK"), client.Exchange("Xyz;1"));
}

TEST_F(EmuTcp, ExactRulesWinOverCommandWordsAndCommandWordsOverPrefixes)
{
    emu.SetStanding(EMU_MATCH_PREFIX, "Dw", EmuText("prefix Dw"));
    emu.SetStanding(EMU_MATCH_PREFIX, "Dwz;u", EmuText("prefix Dwz;u"));
    emu.SetStanding(EMU_MATCH_COMMAND, "Dwz", EmuText("command"));
    emu.Reply("Dwz;u;1", "exact");
    ASSERT_TRUE(Connect());

    EXPECT_EQ(Text("exact"), client.Exchange("Dwz;u;1"));
    EXPECT_EQ(Text("command"), client.Exchange("Dwz;u;2"));
    EXPECT_EQ(Text("command"), client.Exchange("Dwz"));
    // The command word is the whole text before ";": "Dwzz" is another command.
    EXPECT_EQ(Text("prefix Dw"), client.Exchange("Dwzz;u"));
    EXPECT_EQ(Text("prefix Dw"), client.Exchange("Dwx"));
    // Matching is case-sensitive, like the printer.
    EXPECT_EQ(Text("OK"), client.Exchange("dwz;u;1"));
}

TEST_F(EmuTcp, LongestPrefixAnswers)
{
    emu.SetStanding(EMU_MATCH_PREFIX, "Swz", EmuText("short"));
    emu.SetStanding(EMU_MATCH_PREFIX, "Swz;u;3", EmuText("long"));
    ASSERT_TRUE(Connect());

    EXPECT_EQ(Text("long"), client.Exchange("Swz;u;3;-4"));
    EXPECT_EQ(Text("short"), client.Exchange("Swz;u;2;5"));
}

TEST_F(EmuTcp, OneShotStepsGoInOrderThenTheStandingStepAnswers)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuText("first"));
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuText("second"));
    emu.SetStanding(EMU_MATCH_EXACT, "Dq", EmuText("always"));
    EXPECT_EQ(2u, emu.GetPendingSteps());
    ASSERT_TRUE(Connect());

    EXPECT_EQ(Text("first"), client.Exchange("Dq"));
    EXPECT_EQ(1u, emu.GetPendingSteps());
    EXPECT_EQ(Text("second"), client.Exchange("Dq"));
    EXPECT_EQ(Text("always"), client.Exchange("Dq"));
    EXPECT_EQ(Text("always"), client.Exchange("Dq"));
    EXPECT_EQ(0u, emu.GetPendingSteps());
}

TEST_F(EmuTcp, UsedUpRuleFallsThroughToTheNextKindOfRule)
{
    emu.AddStep(EMU_MATCH_EXACT, "Ds;1", EmuText("once"));
    emu.SetStanding(EMU_MATCH_COMMAND, "Ds", EmuText("any Ds"));
    ASSERT_TRUE(Connect());

    EXPECT_EQ(Text("once"), client.Exchange("Ds;1"));
    EXPECT_EQ(Text("any Ds"), client.Exchange("Ds;1"));
}

TEST_F(EmuTcp, NotReadyAndStatusBlocksGoOutByteForByte)
{
    const BYTE block[12] = {2, 0, 0, 0, 0, 7, 0x41, 0, 0, 1, 0, 1};
    emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuBytes(block, sizeof(block)));
    emu.AddStep(EMU_MATCH_EXACT, "Dzt", EmuNotReady());
    ASSERT_TRUE(Connect());

    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block), sizeof(block)), client.Exchange("Dzt"));
    EXPECT_EQ(std::string(1, '\0'), client.Exchange("Dzt"));
}

TEST_F(EmuTcp, DelayedReplyComesAfterTheDelayAndTheFrameIsSeenBeforeIt)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dgb", EmuText("V1.02.03", 400));
    ASSERT_TRUE(Connect());
    ULONGLONG sent = CPrinterEmulator::NowMs();
    ASSERT_TRUE(client.Send(Frame("Dgb")));

    ASSERT_TRUE(emu.WaitForFrames(1, WAIT_MS));
    EXPECT_EQ(0u, emu.GetFrames()[0].replyMs);
    EXPECT_EQ(Text("V1.02.03"), client.Receive(WAIT_MS));
    EXPECT_GE(CPrinterEmulator::NowMs() - sent, 400u);

    ASSERT_TRUE(emu.WaitForIdle(WAIT_MS));
    EmuFrame frame = emu.GetFrames()[0];
    EXPECT_GE(frame.replyMs - frame.timeMs, 400u);
}

TEST_F(EmuTcp, SilentStepSendsNothingAndTheNextFrameIsAnswered)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuSilent());
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send(Frame("Dq")));
    bool timedOut = false;

    EXPECT_EQ("", client.Receive(300, &timedOut));
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));

    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(EMU_SILENT, frames[0].action);
    EXPECT_EQ(0u, frames[0].replyMs);
    EXPECT_EQ("", frames[0].reply);
}

TEST_F(EmuTcp, CloseStepEndsTheConnectionAndTheNextOneIsServed)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dxh", EmuClose());
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send(Frame("Dxh")));
    bool closed = false;

    EXPECT_EQ("", client.Receive(WAIT_MS, NULL, &closed));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(emu.WaitForDisconnects(1, WAIT_MS));

    client.Close();
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Text("OK"), client.Exchange("Dxh"));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(EMU_CLOSE, frames[0].action);
    EXPECT_NE(0u, frames[0].replyMs);
    EXPECT_EQ(1u, frames[0].connection);
    EXPECT_EQ(2u, frames[1].connection);
    EXPECT_EQ(2u, emu.GetConnectionCount());
}

TEST_F(EmuTcp, ProductThatDisconnectsAndReconnectsIsServedEachTime)
{
    for (int round = 1; round <= 3; round++) {
        TcpClient again;
        ASSERT_TRUE(again.Connect(emu.GetAddress(), emu.GetPort()));
        EXPECT_EQ(Text("OK"), again.Exchange("Dq"));
        again.Close();
        ASSERT_TRUE(emu.WaitForDisconnects(static_cast<DWORD>(round), WAIT_MS));
    }
    EXPECT_EQ(3u, emu.GetConnectionCount());
    EXPECT_EQ(3u, emu.GetFrameCount());
}

TEST_F(EmuTcp, BulkBytesAfterTheReplyAreRecordedNotParsed)
{
    std::string data(1000, '\0');
    for (size_t i = 0; i < data.size(); i++)
        data[i] = static_cast<char>(i % 251);
    data[10] = '\x1B';
    data[11] = '\x0D';
    emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 1000));
    ASSERT_TRUE(Connect());

    EXPECT_EQ(Text("OK"), client.Exchange("Xcb;1000;a;rw2"));
    ASSERT_TRUE(client.Send(data.substr(0, 400)));
    ASSERT_TRUE(client.Send(data.substr(400)));
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));

    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(1000u, frames[0].bulkExpected);
    EXPECT_EQ(data, frames[0].bulk);
    EXPECT_EQ("Dq", frames[1].request);
}

TEST_F(EmuTcp, ShortBulkIsKeptWhenTheProductCloses)
{
    emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 1000));
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Text("OK"), client.Exchange("Xcb;1000"));
    ASSERT_TRUE(client.Send(std::string(300, 'b')));
    client.Close();

    ASSERT_TRUE(emu.WaitForDisconnects(1, WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(std::string(300, 'b'), frames[0].bulk);
}

TEST_F(EmuTcp, BulkTimeOutEndsTheWaitAndFramesGoOn)
{
    emu.SetBulkTimeout(200);
    emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 100));
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Text("OK"), client.Exchange("Xcb;100"));
    ASSERT_TRUE(client.Send(std::string(10, 'b')));

    ASSERT_TRUE(emu.WaitForIdle(WAIT_MS));
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(std::string(10, 'b'), frames[0].bulk);
    EXPECT_EQ("Dq", frames[1].request);
}

TEST_F(EmuTcp, FrameInPiecesIsOneFrameAndStrayBytesAreRecordedApart)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send("xy"));
    ASSERT_TRUE(client.Send("\x1B" "Ds"));
    Sleep(50);
    ASSERT_TRUE(client.Send(";3\x0D"));

    EXPECT_EQ(Text("OK"), client.Receive(WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_FALSE(frames[0].bFramed);
    EXPECT_EQ("xy", frames[0].raw);
    EXPECT_TRUE(frames[1].bFramed);
    EXPECT_EQ("Ds;3", frames[1].request);
    EXPECT_EQ(1u, emu.GetRequests().size());
}

TEST_F(EmuTcp, EscapeThatRestartsAFrameLeavesTheBrokenStartAsStrayBytes)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send("\x1B" "Dx\x1B" "Dq\x0D"));

    EXPECT_EQ(Text("OK"), client.Receive(WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_FALSE(frames[0].bFramed);
    EXPECT_EQ("\x1B" "Dx", frames[0].raw);
    EXPECT_EQ("Dq", frames[1].request);
}

TEST_F(EmuTcp, UnfinishedFrameIsRecordedWhenTheProductLeaves)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send("\x1B" "Dq"));
    client.Close();

    ASSERT_TRUE(emu.WaitForDisconnects(1, WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_FALSE(frames[0].bFramed);
    EXPECT_EQ("\x1B" "Dq", frames[0].raw);
}

TEST_F(EmuTcp, ClearFramesForgetsRecordsAndCountingGoesOn)
{
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
    emu.ClearFrames();
    EXPECT_EQ(0u, emu.GetFrameCount());

    EXPECT_EQ(Text("OK"), client.Exchange("Dgb"));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ("Dgb", frames[0].request);
}

TEST_F(EmuTcp, WaitsGiveUpAfterTheirBound)
{
    ULONGLONG start = CPrinterEmulator::NowMs();
    EXPECT_FALSE(emu.WaitForFrames(1, 100));
    EXPECT_FALSE(emu.WaitForConnections(1, 100));
    EXPECT_FALSE(emu.WaitForDisconnects(1, 100));
    EXPECT_TRUE(emu.WaitForIdle(0));
    EXPECT_GE(CPrinterEmulator::NowMs() - start, 300u);
}

TEST_F(EmuTcp, StopIsPromptDuringADelayWithTheProductConnected)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuText("late", 60000));
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(client.Send(Frame("Dq")));
    ASSERT_TRUE(emu.WaitForFrames(1, WAIT_MS));
    ULONGLONG start = CPrinterEmulator::NowMs();

    emu.Stop();

    EXPECT_LT(CPrinterEmulator::NowMs() - start, 1000u);
    EXPECT_FALSE(emu.IsRunning());
    EXPECT_STREQ("", emu.GetAddress());
    EXPECT_EQ(0u, emu.GetPort());
    // Records outlive the serving.
    EXPECT_EQ(1u, emu.GetFrameCount());
    emu.Stop();
}

TEST_F(EmuTcp, OverlongFrameWithoutCrIsStrayAndTheNextFrameIsAnswered)
{
    ASSERT_TRUE(Connect());
    const std::string overlong = "\x1B" + std::string(1100, 'a');
    ASSERT_TRUE(client.Send(overlong));
    ASSERT_TRUE(emu.WaitForFrames(1, WAIT_MS));

    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_FALSE(frames[0].bFramed);
    EXPECT_EQ(overlong, frames[0].raw);
    EXPECT_EQ("Dq", frames[1].request);
}

TEST_F(EmuTcp, StopClosesTheProductsConnection)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(emu.WaitForConnections(1, WAIT_MS));
    emu.Stop();
    bool closed = false;

    EXPECT_EQ("", client.Receive(WAIT_MS, NULL, &closed));
    EXPECT_TRUE(closed);
    EXPECT_EQ(1u, emu.GetDisconnectCount());
}

TEST_F(EmuTcp, SecondStartIsRefused)
{
    SetLastError(MARKER);
    EXPECT_FALSE(emu.StartTcp("127.0.0.1", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_INITIALIZED), GetLastError());
    SetLastError(MARKER);
    EXPECT_FALSE(emu.StartUsb(0x0101, NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_INITIALIZED), GetLastError());
    EXPECT_TRUE(emu.IsRunning());
}

struct ObservedFrames {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<EmuFrame> frames;
};

void Observe(const EmuFrame& frame, void* context)
{
    ObservedFrames* seen = static_cast<ObservedFrames*>(context);
    AcquireSRWLockExclusive(&seen->lock);
    seen->frames.push_back(frame);
    ReleaseSRWLockExclusive(&seen->lock);
}

TEST(EmuObserver, SeesEachRecordWhenItIsComplete)
{
    WinsockUser winsock;
    ObservedFrames seen;
    CPrinterEmulator emu;
    emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 4));
    emu.SetFrameObserver(Observe, &seen);
    ASSERT_TRUE(emu.StartTcp("127.0.0.1", 0));
    TcpClient client;
    ASSERT_TRUE(client.Connect(emu.GetAddress(), emu.GetPort()));

    ASSERT_TRUE(client.Send("z"));
    EXPECT_EQ(Text("OK"), client.Exchange("Xcb;4"));
    ASSERT_TRUE(client.Send("data"));
    ASSERT_TRUE(emu.WaitForIdle(WAIT_MS));
    emu.Stop();

    ASSERT_EQ(2u, seen.frames.size());
    EXPECT_FALSE(seen.frames[0].bFramed);
    EXPECT_EQ("Xcb;4", seen.frames[1].request);
    EXPECT_EQ("data", seen.frames[1].bulk);
}

// ---- TCP addresses and ports ---------------------------------------------------

TEST(EmuTcpStart, EphemeralPortIsReported)
{
    CPrinterEmulator emu;
    SetLastError(MARKER);
    ASSERT_TRUE(emu.StartTcp("127.0.0.1", 0));
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_STREQ("127.0.0.1", emu.GetAddress());
    EXPECT_STREQ(L"127.0.0.1", emu.GetAddressW());
    EXPECT_NE(0u, emu.GetPort());
    EXPECT_TRUE(emu.IsRunning());
}

TEST(EmuTcpStart, FixedPortOnPrivateAddressesMovesOnWhenTaken)
{
    WinsockUser winsock;
    CPrinterEmulator first;
    CPrinterEmulator second;
    ASSERT_TRUE(first.StartTcp(NULL, EMU_PRINTER_TCP_PORT)) << GetLastError();
    ASSERT_TRUE(second.StartTcp(NULL, EMU_PRINTER_TCP_PORT)) << GetLastError();

    EXPECT_EQ(EMU_PRINTER_TCP_PORT, first.GetPort());
    EXPECT_EQ(EMU_PRINTER_TCP_PORT, second.GetPort());
    EXPECT_STRNE(first.GetAddress(), second.GetAddress());
    EXPECT_EQ(0, strncmp(first.GetAddress(), "127.", 4));
    char own[16];
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(0, own, sizeof(own)));
    // Another engineer's program may hold index 0; then ours moved on.
    if (strcmp(own, first.GetAddress()) != 0)
        GTEST_LOG_(INFO) << own << " was taken; served on " << first.GetAddress();

    second.Reply("Dq", "second");
    TcpClient client;
    ASSERT_TRUE(client.Connect(second.GetAddress(), EMU_PRINTER_TCP_PORT));
    EXPECT_EQ(Text("second"), client.Exchange("Dq"));
    EXPECT_EQ(0u, first.GetFrameCount());
}

TEST(EmuTcpStart, SameAddressAgainAfterAnEmulatorClosedAConnection)
{
    WinsockUser winsock;
    char address[16];
    WORD port = 0;
    {
        CPrinterEmulator emu;
        emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuClose());
        ASSERT_TRUE(emu.StartTcp(NULL, EMU_PRINTER_TCP_PORT));
        strcpy(address, emu.GetAddress());
        port = emu.GetPort();
        TcpClient client;
        ASSERT_TRUE(client.Connect(address, port));
        ASSERT_TRUE(client.Send(Frame("Dq")));
        ASSERT_TRUE(emu.WaitForDisconnects(1, WAIT_MS));
    }
    CPrinterEmulator again;
    SetLastError(MARKER);
    EXPECT_TRUE(again.StartTcp(address, port)) << GetLastError();
}

TEST(EmuTcpStart, AddressOutsideLoopbackOrMalformedIsRefused)
{
    CPrinterEmulator emu;
    for (const char* address : {"10.0.0.1", "0.0.0.0", "127.0.0", "localhost", ""}) {
        SetLastError(MARKER);
        EXPECT_FALSE(emu.StartTcp(address, 0)) << address;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << address;
        EXPECT_FALSE(emu.IsRunning());
    }
}

TEST(EmuTcpStart, PortInUseIsReportedWithTheSocketError)
{
    CPrinterEmulator first;
    ASSERT_TRUE(first.StartTcp("127.0.0.1", 0));
    CPrinterEmulator second;
    SetLastError(MARKER);
    EXPECT_FALSE(second.StartTcp("127.0.0.1", first.GetPort()));
    EXPECT_EQ(static_cast<DWORD>(WSAEADDRINUSE), GetLastError());
    EXPECT_FALSE(second.IsRunning());
    EXPECT_EQ(0u, second.GetPort());
}

TEST(EmuLoopbackAddress, FillsExactSizeAndRefusesOneLess)
{
    char expected[16];
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(3, expected, sizeof(expected)));
    const DWORD cch = static_cast<DWORD>(strlen(expected)) + 1;
    EXPECT_EQ(0, strncmp(expected, "127.", 4));
    EXPECT_NE(0, strncmp(expected, "127.0.", 6));

    for (DWORD room : {cch - 1, cch, cch + 1}) {
        char buffer[24];
        memset(buffer, '#', sizeof(buffer));
        SetLastError(MARKER);
        BOOL ok = CPrinterEmulator::PrivateLoopbackAddress(3, buffer, room);
        if (room < cch) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
            EXPECT_EQ('#', buffer[0]);
        } else {
            EXPECT_TRUE(ok);
            EXPECT_EQ(MARKER, GetLastError());
            EXPECT_STREQ(expected, buffer);
        }
        for (DWORD i = room; i < sizeof(buffer); i++)
            EXPECT_EQ('#', buffer[i]) << "byte " << i << " with room " << room;
    }
}

TEST(EmuLoopbackAddress, IndexesGiveDistinctAddressesAndNullIsRefused)
{
    char a[16];
    char b[16];
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(0, a, sizeof(a)));
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(1, b, sizeof(b)));
    EXPECT_STRNE(a, b);
    SetLastError(MARKER);
    EXPECT_FALSE(CPrinterEmulator::PrivateLoopbackAddress(0, NULL, 16));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

// ---- USB stand-in --------------------------------------------------------------

TEST_F(EmuUsb, DevicePathHasTheUsbInterfaceForm)
{
    std::wstring path = emu.GetDevicePath();
    const std::wstring head = L"\\\\?\\USB#VID_5D27&PID_0101#";
    const std::wstring tail = L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    ASSERT_GT(path.size(), head.size() + tail.size());
    EXPECT_EQ(head, path.substr(0, head.size()));
    EXPECT_EQ(tail, path.substr(path.size() - tail.size()));
    EXPECT_EQ(0, wcsncmp(emu.GetPipePath(), L"\\\\.\\pipe\\", 9));
}

TEST_F(EmuUsb, ProductOpensTheDevicePathAndGetsScriptedReplies)
{
    emu.Reply("Dxl;p", "QX0012345");
    ASSERT_TRUE(client.Open(emu.GetDevicePath())) << GetLastError();

    EXPECT_EQ(Text("QX0012345"), client.Exchange("Dxl;p"));
    EXPECT_EQ(Text("OK"), client.Exchange("Swz;u;3;-4"));

    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ("Dxl;p", frames[0].request);
    EXPECT_EQ("Swz;u;3;-4", frames[1].request);
    EXPECT_EQ(1u, emu.GetConnectionCount());
}

TEST_F(EmuUsb, DevicePathOpensWhateverItsCase)
{
    std::wstring lower = emu.GetDevicePath();
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    ASSERT_TRUE(client.Open(lower.c_str())) << GetLastError();
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
}

TEST_F(EmuUsb, QuickReopenFindsAWaitingInstance)
{
    // Opened and closed at once, before the emulator can catch up.
    for (DWORD round = 1; round <= 3; round++) {
        UsbClient quick;
        ASSERT_TRUE(quick.Open(emu.GetDevicePath())) << "round " << round << ", error " << GetLastError();
    }
    UsbClient last;
    ASSERT_TRUE(last.Open(emu.GetDevicePath())) << GetLastError();
    EXPECT_EQ(Text("OK"), last.Exchange("Dq"));

    EXPECT_TRUE(emu.WaitForConnections(4, WAIT_MS));
    EXPECT_TRUE(emu.WaitForDisconnects(3, WAIT_MS));
    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    // Waiting instances are served in no fixed order.
    EXPECT_GE(frames[0].connection, 1u);
    EXPECT_LE(frames[0].connection, 4u);
}

TEST_F(EmuUsb, BulkPiecesAreTheProductsWrites)
{
    const DWORD sizes[3] = {262144, 262144, 75712};
    std::string data;
    for (DWORD size : sizes)
        data += std::string(size, static_cast<char>('a' + data.size() % 3));
    emu.AddStep(EMU_MATCH_COMMAND, "Xpd", EmuBulk("OK", static_cast<DWORD>(data.size())));
    ASSERT_TRUE(client.Open(emu.GetDevicePath()));

    EXPECT_EQ(Text("OK"), client.Exchange("Xpd;600000"));
    size_t at = 0;
    for (DWORD size : sizes) {
        ASSERT_TRUE(client.Write(data.substr(at, size)));
        at += size;
    }
    ASSERT_TRUE(emu.WaitForIdle(WAIT_MS));

    std::vector<EmuFrame> frames = emu.GetFrames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_TRUE(frames[0].bulk == data);
    ASSERT_EQ(3u, frames[0].bulkPieces.size());
    EXPECT_EQ(sizes[0], frames[0].bulkPieces[0]);
    EXPECT_EQ(sizes[1], frames[0].bulkPieces[1]);
    EXPECT_EQ(sizes[2], frames[0].bulkPieces[2]);
}

TEST_F(EmuUsb, CloseStepFailsTheProductsPendingRead)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuClose(100));
    ASSERT_TRUE(client.Open(emu.GetDevicePath()));
    ASSERT_TRUE(client.Write(Frame("Dq")));
    DWORD error = 0;

    EXPECT_EQ("", client.Read(WAIT_MS, &error));
    EXPECT_NE(0u, error);
    EXPECT_NE(static_cast<DWORD>(ERROR_IO_INCOMPLETE), error);
    EXPECT_TRUE(emu.WaitForDisconnects(1, WAIT_MS));
}

TEST_F(EmuUsb, SilentStepLetsTheProductsReadTimeOut)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuSilent());
    ASSERT_TRUE(client.Open(emu.GetDevicePath()));
    ASSERT_TRUE(client.Write(Frame("Dq")));
    DWORD error = 0;

    EXPECT_EQ("", client.Read(300, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_IO_INCOMPLETE), error);
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
}

TEST_F(EmuUsb, EmptyReplyCompletesTheProductsReadWithNothing)
{
    emu.AddStep(EMU_MATCH_EXACT, "Dq", EmuBytes(""));
    ASSERT_TRUE(client.Open(emu.GetDevicePath()));
    ASSERT_TRUE(client.Write(Frame("Dq")));
    DWORD error = MARKER;

    EXPECT_EQ("", client.Read(WAIT_MS, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));
}

TEST_F(EmuUsb, StopRemovesTheDevicePathPromptly)
{
    std::wstring path = emu.GetDevicePath();
    ASSERT_TRUE(client.Open(path.c_str()));
    ASSERT_TRUE(emu.WaitForConnections(1, WAIT_MS));
    ULONGLONG start = CPrinterEmulator::NowMs();

    emu.Stop();

    EXPECT_LT(CPrinterEmulator::NowMs() - start, 1000u);
    EXPECT_STREQ(L"", emu.GetDevicePath());
    EXPECT_STREQ(L"", emu.GetPipePath());
    UsbClient late;
    SetLastError(MARKER);
    EXPECT_FALSE(late.Open(path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(EmuUsbStart, TakenInstanceIsRefusedAndBadNamesToo)
{
    // Test programs running at once share the device namespace.
    WCHAR instance[64];
    swprintf(instance, 64, L"7&emutest%lx&0&1", GetCurrentProcessId());
    CPrinterEmulator first;
    ASSERT_TRUE(first.StartUsb(0x0102, instance));
    CPrinterEmulator second;
    SetLastError(MARKER);
    EXPECT_FALSE(second.StartUsb(0x0102, instance));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(second.IsRunning());
    EXPECT_STREQ(L"", second.GetPipePath());

    for (LPCWSTR bad : {L"", L"a\\b"}) {
        SetLastError(MARKER);
        EXPECT_FALSE(second.StartUsb(0x0102, bad));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    // Same instance under another product id is another device.
    SetLastError(MARKER);
    EXPECT_TRUE(second.StartUsb(0x0103, instance));
    EXPECT_EQ(MARKER, GetLastError());
}

TEST(EmuPipe, PipeAloneServesFramesAndRefusesATakenName)
{
    CPrinterEmulator emu;
    ASSERT_TRUE(emu.StartPipe(NULL));
    EXPECT_STREQ(L"", emu.GetDevicePath());
    UsbClient client;
    ASSERT_TRUE(client.Open(emu.GetPipePath()));
    EXPECT_EQ(Text("OK"), client.Exchange("Dq"));

    std::wstring name = std::wstring(emu.GetPipePath()).substr(9);
    CPrinterEmulator other;
    SetLastError(MARKER);
    EXPECT_FALSE(other.StartPipe(name.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

// ---- The standalone program ----------------------------------------------------

// QelPrinterEmu started as a child with its standard output on a pipe.
class EmuProgram : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_process.hProcess, 99);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        if (m_hOutput)
            CloseHandle(m_hOutput);
        if (!m_stopFile.empty())
            DeleteFileW(m_stopFile.c_str());
    }

    bool Start(const std::wstring& arguments)
    {
        WCHAR szPath[MAX_PATH];
        DWORD length = GetModuleFileNameW(NULL, szPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return false;
        wcscpy(wcsrchr(szPath, L'\\') + 1, L"QelPrinterEmu.exe");
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
        HANDLE hWrite = NULL;
        if (!CreatePipe(&m_hOutput, &hWrite, &inherit, 0))
            return false;
        SetHandleInformation(m_hOutput, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = hWrite;
        startup.hStdError = hWrite;
        std::wstring command = L"\"" + std::wstring(szPath) + L"\" " + arguments;
        BOOL ok = CreateProcessW(szPath, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &m_process);
        CloseHandle(hWrite);
        return ok != FALSE;
    }

    // Output read so far, after waiting at most timeoutMs for text to appear.
    std::string ReadUntil(const std::string& text, DWORD timeoutMs)
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (m_output.find(text) == std::string::npos && GetTickCount64() < deadline) {
            DWORD available = 0;
            if (!PeekNamedPipe(m_hOutput, NULL, 0, NULL, &available, NULL))
                break;
            if (!available) {
                Sleep(10);
                continue;
            }
            char buffer[512];
            DWORD got = 0;
            if (!ReadFile(m_hOutput, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got, NULL))
                break;
            m_output.append(buffer, got);
        }
        return m_output;
    }

    std::wstring MakeStopFileName()
    {
        WCHAR szDir[MAX_PATH];
        WCHAR szName[MAX_PATH];
        GetTempPathW(MAX_PATH, szDir);
        swprintf(szName, MAX_PATH, L"%lsQelEmuStop.%lu", szDir, GetCurrentProcessId());
        m_stopFile = szName;
        DeleteFileW(szName);
        return m_stopFile;
    }

    PROCESS_INFORMATION m_process = {};
    HANDLE m_hOutput = NULL;
    std::string m_output;
    std::wstring m_stopFile;
};

TEST_F(EmuProgram, ServesTheBuiltInScriptLogsFramesAndStopsOnTheStopFile)
{
    WinsockUser winsock;
    std::wstring stopFile = MakeStopFileName();
    ASSERT_TRUE(Start(L"--tcp 127.0.0.1:0 --idle 60 --stop-file \"" + stopFile + L"\""));
    std::string output = ReadUntil("\n", WAIT_MS);
    const std::string head = "QelPrinterEmu: serving TCP 127.0.0.1:";
    ASSERT_EQ(0u, output.find(head)) << output;
    WORD port = static_cast<WORD>(atoi(output.c_str() + head.size()));
    ASSERT_NE(0u, port);

    TcpClient client;
    ASSERT_TRUE(client.Connect("127.0.0.1", port));
    EXPECT_EQ(Text("Vornex T42D"), client.Exchange("Dxh"));
    EXPECT_EQ(Text("V1.02.03"), client.Exchange("Dgb"));
    EXPECT_EQ(Text("QX0012345"), client.Exchange("Dxl;p"));
    EXPECT_EQ(Text("YMCKO"), client.Exchange("Ds;2"));
    EXPECT_EQ(Text("180;250"), client.Exchange("Ds;3"));
    EXPECT_EQ(Text("-3"), client.Exchange("Dwz;u;2"));
    EXPECT_EQ(Text("OK"), client.Exchange("Swz;u;2;5"));
    // What was written is what the printer reads back.
    EXPECT_EQ(Text("5"), client.Exchange("Dwz;u;2"));
    client.Close();

    HANDLE hStop = CreateFileW(stopFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hStop);
    CloseHandle(hStop);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_process.hProcess, WAIT_MS));
    DWORD exitCode = MARKER;
    GetExitCodeProcess(m_process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    output = ReadUntil("stopped", WAIT_MS);
    EXPECT_NE(std::string::npos, output.find("frame: connection 1: Dxh -> text \"Vornex T42D\"")) << output;
    EXPECT_NE(std::string::npos, output.find("frame: connection 1: Dwz;u;2 -> text \"5\"")) << output;
    EXPECT_NE(std::string::npos, output.find("QelPrinterEmu: stopped (stop file) after 8 frames on 1 connections")) << output;
}

TEST_F(EmuProgram, StopsAfterTheIdleTime)
{
    ASSERT_TRUE(Start(L"--tcp 127.0.0.1:0 --idle 1"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_process.hProcess, WAIT_MS));
    DWORD exitCode = MARKER;
    GetExitCodeProcess(m_process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_NE(std::string::npos, ReadUntil("stopped", WAIT_MS).find("QelPrinterEmu: stopped (idle)"));
}

TEST_F(EmuProgram, BadCommandLineGivesUsageAndExitCode2)
{
    ASSERT_TRUE(Start(L"--tcp 127.0.0.1:99999"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_process.hProcess, WAIT_MS));
    DWORD exitCode = MARKER;
    GetExitCodeProcess(m_process.hProcess, &exitCode);
    EXPECT_EQ(2u, exitCode);
    EXPECT_NE(std::string::npos, ReadUntil("Usage", WAIT_MS).find("Usage: QelPrinterEmu"));
}

} // namespace
