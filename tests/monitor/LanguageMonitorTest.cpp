// QelMon driven the way the spooler drives it: the table, the opens above a
// port monitor, each job's hand-over to the helper library, and the shutdown.
#include "DeviceRegistryFixture.h"
#include "ImportPatch.h"
#include "MonitorTestSupport.h"
#include "PrintableText.h"

#include <algorithm>
#include <functional>
#include <thread>

namespace {

const DWORD kJobId = 42;
const WCHAR kPrinter[] = L"Card Printer";
const HANDLE kUntouched = reinterpret_cast<HANDLE>(0xBAD);

LPVOID WINAPI FailingHeapAlloc(HANDLE, DWORD, SIZE_T)
{
    return nullptr;
}

std::string PortText(ULONGLONG handle)
{
    return HandleText(reinterpret_cast<void*>(static_cast<ULONG_PTR>(handle)));
}

// What the monitor asks of the port monitor below at an open.
std::vector<std::string> OpenCalls(const std::string& port, ULONGLONG handle)
{
    return {"OpenPort(0x4d00, " + port + ") -> " + PortText(handle),
            "SetPortTimeOuts(" + PortText(handle) + ", 0/0/10000/0/10000, 0)"};
}

} // namespace

TEST_F(MonitorTest, TableHoldsTheLanguageMonitorEntriesOnly)
{
    const Monitor2Table* table = spooler.Table();
    EXPECT_EQ(sizeof(Monitor2Table), table->cbSize);
    // By place: OpenPortEx, StartDocPort, WritePort, ReadPort, EndDocPort,
    // ClosePort, GetPrinterDataFromPort and Shutdown.
    const std::vector<size_t> set = {2, 3, 4, 5, 6, 7, 12, 17};
    PVOID entries[22];
    memcpy(entries, &table->pfnEnumPorts, sizeof(entries));
    for (size_t i = 0; i < 22; ++i)
        EXPECT_EQ(std::count(set.begin(), set.end(), i) == 1, entries[i] != nullptr) << "entry " << i;
    // The monitor handle: the record's size and the spooler's MONITORINIT.
    const BYTE* monitor = static_cast<const BYTE*>(spooler.Monitor());
    EXPECT_EQ(2 * sizeof(PVOID), Dword(monitor, 0));
    EXPECT_EQ(spooler.Init(), RecordField<MONITORINIT*>(monitor, sizeof(PVOID)));

    // Called again, it keeps its state and clears the last error.
    typedef Monitor2Table*(WINAPI * InitializeFn)(MONITORINIT*, PHANDLE);
    auto initialize = reinterpret_cast<InitializeFn>(
        reinterpret_cast<void*>(GetProcAddress(spooler.Module(), "InitializePrintMonitor2")));
    HANDLE again = nullptr;
    SetLastError(kMonitorMarker);
    EXPECT_EQ(table, initialize(spooler.Init(), &again));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(spooler.Monitor(), again);
    SetLastError(kMonitorMarker);
    EXPECT_EQ(nullptr, initialize(spooler.Init(), nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(MonitorTest, OpenFindsWhatIsBehindThePort)
{
    CDeviceRegistryFixture reg;
    const std::wstring ip = reg.Unique(L"IP_1"), host = reg.Unique(L"IP_host"), longIp = reg.Unique(L"IP_long");
    ASSERT_TRUE(reg.AddTcpipPort(ip.c_str(), L"192.168.1.20", nullptr, 9101));
    ASSERT_TRUE(reg.AddTcpipPort(host.c_str(), L"", L"192.168.1.50", 0));
    ASSERT_TRUE(reg.AddTcpipPort(longIp.c_str(), L"123456789012345678901234567890", nullptr, 9100));
    struct Case {
        std::wstring port;
        BYTE notUsb, tcpIp;
        DWORD portNumber;
        std::wstring address;
        DWORD tcpPort;
    } cases[] = {
        {L"USB003", 0, 0, 3, L"", 0},
        {L"usb010", 0, 0, 10, L"", 0},
        {ip, 1, 1, 0, L"192.168.1.20", 9101},
        {host, 1, 1, 0, L"192.168.1.50", 0},
        {longIp, 1, 1, 0, L"123456789012345678901234", 9100},
        {L"LPT1:", 1, 0, 0, L"", 0},
        {L"FILE:", 1, 0, 0, L"", 0},
    };
    for (const Case& c : cases) {
        const std::string name = Utf8Text(c.port);
        SCOPED_TRACE(name);
        below.Reset();
        const BYTE* record = RecordOf(Open(c.port.c_str(), kPrinter));
        ASSERT_NE(nullptr, record);
        EXPECT_EQ(kPrinter, RecordString(record, RecordOffset::PrinterName));
        EXPECT_EQ(c.port, RecordString(record, RecordOffset::PortName, RECORD_PORT_ROOM));
        EXPECT_EQ(c.notUsb, record[RecordOffset::NotUsb]);
        EXPECT_EQ(c.tcpIp, record[RecordOffset::TcpIp]);
        EXPECT_EQ(c.portNumber, Dword(record, RecordOffset::PortNumber));
        EXPECT_EQ(c.address, RecordString(record, RecordOffset::IPAddress, RECORD_ADDRESS_ROOM));
        EXPECT_EQ(c.tcpPort, Dword(record, RecordOffset::TcpPort));
        EXPECT_EQ(CFakePortMonitor::MONITOR_HANDLE, Slot(record, RecordOffset::MonitorPort));
        EXPECT_EQ(ValueOf(below.Table()), Slot(record, RecordOffset::Monitor2));
        EXPECT_EQ(OpenCalls(name, Slot(record, RecordOffset::Port)), below.Calls());
    }
}

TEST_F(MonitorTest, OpenKeepsOneRecordPerPrinterAndPort)
{
    HANDLE first = Open(L"USB001", kPrinter);
    EXPECT_EQ(first, Open(L"USB001", kPrinter));
    HANDLE second = Open(L"USB002", kPrinter);
    HANDLE other = Open(L"USB001", L"card printer");
    // Appended at the tail, each with its own port of the monitor below.
    EXPECT_EQ(ValueOf(second), Slot(RecordOf(first), RecordOffset::Next));
    EXPECT_EQ(ValueOf(other), Slot(RecordOf(second), RecordOffset::Next));
    EXPECT_EQ(0u, Slot(RecordOf(other), RecordOffset::Next));
    EXPECT_EQ(CFakePortMonitor::FIRST_PORT_HANDLE + 1, Slot(RecordOf(first), RecordOffset::Port));
    EXPECT_EQ(CFakePortMonitor::FIRST_PORT_HANDLE + 2, Slot(RecordOf(second), RecordOffset::Port));
    // One block of the process heap per record.
    EXPECT_EQ(RecordOffset::Size, HeapSize(GetProcessHeap(), 0, first));

    // A port no longer a Standard TCP/IP port loses its address at the next open.
    std::wstring port;
    HANDLE record = nullptr;
    {
        CDeviceRegistryFixture reg;
        port = reg.Unique(L"IP_gone");
        ASSERT_TRUE(reg.AddTcpipPort(port.c_str(), L"10.0.0.7", nullptr, 9100));
        record = Open(port.c_str(), kPrinter);
        ASSERT_EQ(1, RecordOf(record)[RecordOffset::TcpIp]);
    }
    EXPECT_EQ(record, Open(port.c_str(), kPrinter));
    EXPECT_EQ(0, RecordOf(record)[RecordOffset::TcpIp]);
    EXPECT_EQ(L"", RecordString(RecordOf(record), RecordOffset::IPAddress, RECORD_ADDRESS_ROOM));
    EXPECT_EQ(0u, Dword(RecordOf(record), RecordOffset::TcpPort));
}

TEST_F(MonitorTest, OpenFailuresSetTheirLastError)
{
    const std::wstring printer255(255, L'p'), port575(575, L'u'), port576 = port575 + L"u";
    auto omit = [&](size_t entry) { return [this, entry] { below.Omit(entry); }; };
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const WCHAR* port;
        std::wstring printer;
        bool noTable;
        DWORD error; // 0: the open succeeds
        bool handleSet;
    } cases[] = {
        {"no port name", [] {}, nullptr, kPrinter, false, ERROR_INVALID_PARAMETER, false},
        {"printer name of 255", [] {}, L"USB001", printer255, false, 0, true},
        {"printer name of 256", [] {}, L"USB001", printer255 + L"p", false, ERROR_INVALID_PARAMETER, false},
        {"port name of 575", [] {}, port575.c_str(), kPrinter, false, 0, true},
        {"port name of 576", [] {}, port576.c_str(), kPrinter, false, ERROR_INVALID_PARAMETER, false},
        {"no port monitor table", [] {}, L"USB004", kPrinter, true, ERROR_INVALID_PRINT_MONITOR, true},
        {"no OpenPort", omit(offsetof(Monitor2Table, pfnOpenPort)), L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no StartDocPort", omit(offsetof(Monitor2Table, pfnStartDocPort)), L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no WritePort", omit(offsetof(Monitor2Table, pfnWritePort)), L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no ReadPort", omit(offsetof(Monitor2Table, pfnReadPort)), L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no ClosePort", omit(offsetof(Monitor2Table, pfnClosePort)), L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"the port monitor's open fails", [this] { below.FailOpen(ERROR_ACCESS_DENIED); }, L"USB005", kPrinter,
         false, ERROR_ACCESS_DENIED, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        below.Reset();
        c.arrange();
        std::wstring port = c.port ? c.port : L"", printer = c.printer;
        HANDLE handle = kUntouched;
        SetLastError(kMonitorMarker);
        BOOL opened = spooler.Table()->pfnOpenPortEx(spooler.Monitor(), below.MonitorHandle(),
                                                     c.port ? &port[0] : nullptr, &printer[0], &handle,
                                                     c.noTable ? nullptr : below.Table());
        EXPECT_EQ(c.error == 0, opened != FALSE);
        if (c.error) {
            EXPECT_EQ(c.error, GetLastError());
        }
        EXPECT_EQ(c.handleSet, handle != kUntouched);
    }
    // The record of a failed open keeps no port to close and serves the next open.
    below.Reset();
    below.FailOpen(ERROR_ACCESS_DENIED);
    HANDLE failed = nullptr;
    EXPECT_FALSE(spooler.Open(below, L"USB005", kPrinter, &failed));
    EXPECT_TRUE(spooler.Table()->pfnClosePort(failed));
    EXPECT_EQ(1u, below.Calls().size());
    below.Reset();
    EXPECT_EQ(failed, Open(L"USB005", kPrinter));
    SetLastError(kMonitorMarker);
    EXPECT_FALSE(spooler.Open(below, L"USB001", kPrinter, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    // A port monitor without time-outs is opened all the same.
    below.Reset();
    below.Omit(offsetof(Monitor2Table, pfnSetPortTimeOuts));
    ASSERT_NE(nullptr, Open(L"USB006", kPrinter));
    EXPECT_EQ(1u, below.Calls().size());
}

TEST_F(MonitorTest, FailedRecordAllocationReportsNoMemory)
{
    CImportPatch patch;
    ASSERT_TRUE(patch.Patch(spooler.Module(), "kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(FailingHeapAlloc)));
    HANDLE handle = kUntouched;
    SetLastError(kMonitorMarker);
    EXPECT_FALSE(spooler.Open(below, L"USB001", kPrinter, &handle));
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(kUntouched, handle);
    EXPECT_TRUE(below.Calls().empty());
    patch.Restore();
    EXPECT_NE(nullptr, Open(L"USB001", kPrinter));
}

TEST_F(MonitorTest, JobWalksThroughTheHelperLibrary)
{
    HANDLE record = Open(L"USB007", kPrinter);
    const ULONGLONG port = Slot(RecordOf(record), RecordOffset::Port);
    memcpy(Control().readData, "OK", 3);
    Control().readLength = 3;
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"Card job"));
    const HMODULE helper = GetModuleHandleW(CMonitorSpooler::HelperPath().c_str());
    ASSERT_NE(nullptr, helper);
    const char* names[] = {"LM_StartDocPort", "LM_EndDocPort", "LM_WritPort", "LM_ReadPort"};
    std::vector<ULONGLONG> entries;
    for (const char* name : names)
        entries.push_back(ValueOf(reinterpret_cast<void*>(GetProcAddress(helper, name))));

    BYTE data[] = "ABCDE", reply[8] = {};
    DWORD written = 0, read = 0;
    EXPECT_TRUE(spooler.Table()->pfnWritePort(record, data, 5, &written));
    EXPECT_EQ(5u, written);
    EXPECT_TRUE(spooler.Table()->pfnReadPort(record, reply, sizeof(reply), &read));
    EXPECT_EQ(3u, read);
    EXPECT_STREQ("OK", reinterpret_cast<char*>(reply));
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_FALSE(CMonitorSpooler::IsHelperLoaded());
    EXPECT_TRUE(spooler.Table()->pfnClosePort(record));
    EXPECT_TRUE(spooler.Table()->pfnClosePort(record));

    EXPECT_EQ((std::vector<HelperCallKind>{HELPER_LOADED, HELPER_START, HELPER_WRITE, HELPER_READ, HELPER_END,
                                           HELPER_UNLOADED}),
              Kinds());
    // The helper is offered the bytes with the full count already set.
    EXPECT_EQ(5u, Seen(HELPER_WRITE).at(0).count);
    EXPECT_EQ(5u, Seen(HELPER_WRITE).at(0).preset);
    EXPECT_EQ(8u, Seen(HELPER_READ).at(0).count);
    EXPECT_EQ(8u, Seen(HELPER_READ).at(0).preset);
    // What the helper found in the record when the job started.
    const HelperSeen start = Seen(HELPER_START).at(0);
    const BYTE* seen = start.bytes;
    EXPECT_EQ(record, start.record);
    EXPECT_EQ(kPrinter, RecordString(seen, RecordOffset::PrinterName));
    EXPECT_EQ(L"USB007", RecordString(seen, RecordOffset::PortName, RECORD_PORT_ROOM));
    EXPECT_EQ(L"VID_5D27&PID_0101", RecordString(seen, RecordOffset::VidPid));
    EXPECT_EQ(L"Card job", RecordString(seen, RecordOffset::DocName, RECORD_DOC_ROOM));
    EXPECT_EQ(kJobId, Dword(seen, RecordOffset::JobId));
    EXPECT_EQ(7u, Dword(seen, RecordOffset::PortNumber));
    EXPECT_EQ(ValueOf(helper), Slot(seen, RecordOffset::Dll));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(0u, entries[i]);
        EXPECT_EQ(entries[i], Slot(seen, RecordOffset::StartDocPort + 8 * i)) << names[i];
    }
    EXPECT_EQ(CFakePortMonitor::MONITOR_HANDLE, Slot(seen, RecordOffset::MonitorPort));
    EXPECT_EQ(port, Slot(seen, RecordOffset::Port));
    EXPECT_EQ(ValueOf(below.Table()), Slot(seen, RecordOffset::Monitor2));

    // Unloaded: no handle and no entry points left; the port closed once; the
    // helper's own bytes never written by the monitor.
    const BYTE* bytes = RecordOf(record);
    for (size_t offset = RecordOffset::Dll; offset <= RecordOffset::Port; offset += 8) {
        if (offset != RecordOffset::MonitorPort) {
            EXPECT_EQ(0u, Slot(bytes, offset)) << std::hex << offset;
        }
    }
    for (size_t offset : {0xA80, 0xA83, 0xA8C, 0xA8F, 0xA90, 0xA97, 0xA98, 0xAA1, 0xBA2, 0xBA3, 0xBEC, 0xBEF})
        EXPECT_EQ(0, bytes[offset]) << std::hex << offset;
    std::vector<std::string> calls = OpenCalls("USB007", port);
    calls.push_back("ClosePort(" + PortText(port) + ")");
    EXPECT_EQ(calls, below.Calls());
}

TEST_F(MonitorTest, HelperFailuresBecomeTheLastError)
{
    HANDLE record = Open(L"USB008", kPrinter);
    BYTE buffer[4] = {};
    DWORD count = 0;
    const Monitor2Table* t = spooler.Table();
    struct Case {
        DWORD* result;
        std::function<BOOL()> call;
        DWORD countAfter;
    } cases[] = {
        {&Control().startResult, [&] { return spooler.StartDoc(record, kPrinter, kJobId, L"job"); }, 0xCCCC},
        {&Control().writeResult, [&] { return t->pfnWritePort(record, buffer, 4, &count); }, 0},
        // A failing helper that leaves the count keeps the one it was handed.
        {&Control().readResult, [&] { return t->pfnReadPort(record, buffer, 4, &count); }, 4},
    };
    for (const Case& c : cases) {
        if (c.result != &Control().startResult) {
            ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"job"));
        }
        *c.result = ERROR_DEVICE_NOT_CONNECTED;
        count = 0xCCCC;
        SetLastError(kMonitorMarker);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), GetLastError());
        EXPECT_EQ(c.countAfter, count);
        *c.result = 0;
        EXPECT_TRUE(t->pfnEndDocPort(record));
    }
}

TEST_F(MonitorTest, EndDocPortKeepsOrUnloadsTheHelper)
{
    HANDLE record = Open(L"USB009", kPrinter);
    for (DWORD endResult : {1, 0, 0}) {
        Control().endResult = endResult;
        ASSERT_TRUE(spooler.StartDoc(record, kPrinter, endResult, L"job"));
        EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
        EXPECT_EQ(endResult != 0, CMonitorSpooler::IsHelperLoaded());
        EXPECT_EQ(endResult != 0, Slot(RecordOf(record), RecordOffset::Dll) != 0);
    }
    EXPECT_EQ((std::vector<HelperCallKind>{HELPER_LOADED, HELPER_START, HELPER_END, HELPER_START, HELPER_END,
                                           HELPER_UNLOADED, HELPER_LOADED, HELPER_START, HELPER_END, HELPER_UNLOADED}),
              Kinds());
}

TEST_F(MonitorTest, JobTextsAreBoundedToTheRecord)
{
    HANDLE record = Open(L"USB012", kPrinter);
    const std::wstring doc127(127, L'd'), printer255(255, L'p');
    struct Case {
        const char* name;
        std::wstring printer;
        bool docInfo, nullDocName;
        std::wstring doc;
        DWORD error;
        std::wstring docSeen;
    } cases[] = {
        {"no DOC_INFO", kPrinter, false, false, L"", 0, L""},
        {"no document name", kPrinter, true, true, L"", 0, L""},
        {"document name of 127", kPrinter, true, false, doc127, 0, doc127},
        {"document name of 128 is cut", kPrinter, true, false, doc127 + L"X", 0, doc127},
        {"printer name of 255", printer255, true, false, L"job", 0, L"job"},
        {"printer name of 256", printer255 + L"p", true, false, L"job", ERROR_INVALID_PARAMETER, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control().callCount = 0;
        std::wstring printer = c.printer, doc = c.doc;
        DOC_INFO_1W info = {c.nullDocName ? nullptr : &doc[0], nullptr, nullptr};
        SetLastError(kMonitorMarker);
        BOOL started = spooler.Table()->pfnStartDocPort(record, &printer[0], kJobId, 1,
                                                        c.docInfo ? reinterpret_cast<LPBYTE>(&info) : nullptr);
        EXPECT_EQ(c.error == 0, started != FALSE);
        if (!started) {
            EXPECT_EQ(c.error, GetLastError());
            EXPECT_TRUE(Seen(HELPER_START).empty());
            continue;
        }
        const HelperSeen start = Seen(HELPER_START).at(0);
        const BYTE* seen = start.bytes;
        EXPECT_EQ(c.docSeen, RecordString(seen, RecordOffset::DocName, RECORD_DOC_ROOM));
        EXPECT_EQ(c.printer, RecordString(seen, RecordOffset::PrinterName));
        EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    }
}

TEST_F(MonitorTest, EntriesRefuseMissingHandlesAndCounts)
{
    HANDLE record = Open(L"USB013", kPrinter);
    BYTE buffer[4] = {};
    DWORD count = 0;
    WCHAR printer[] = L"Card Printer";
    const Monitor2Table* t = spooler.Table();
    const std::function<BOOL()> calls[] = {
        [&] { return t->pfnStartDocPort(nullptr, printer, 1, 1, nullptr); },
        [&] { return t->pfnStartDocPort(record, nullptr, 1, 1, nullptr); },
        [&] { return t->pfnWritePort(nullptr, buffer, 4, &count); },
        [&] { return t->pfnWritePort(record, buffer, 4, nullptr); },
        [&] { return t->pfnWritePort(record, nullptr, 4, &count); },
        [&] { return t->pfnReadPort(nullptr, buffer, 4, &count); },
        [&] { return t->pfnReadPort(record, buffer, 4, nullptr); },
        [&] { return t->pfnEndDocPort(nullptr); },
        [&] { return t->pfnClosePort(nullptr); },
        [&] { return t->pfnGetPrinterDataFromPort(record, 0, nullptr, nullptr, 0, nullptr, 0, &count); },
    };
    for (size_t i = 0; i < sizeof(calls) / sizeof(calls[0]); ++i) {
        SetLastError(kMonitorMarker);
        EXPECT_FALSE(calls[i]()) << i;
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << i;
    }
    EXPECT_TRUE(Kinds().empty());
}

TEST_F(MonitorTest, WithoutTheHelperTheStartFailsAndTheJobPassesOver)
{
    ASSERT_TRUE(CMonitorSpooler::RemoveHelper());
    HANDLE record = Open(L"USB014", kPrinter);
    SetLastError(kMonitorMarker);
    EXPECT_FALSE(spooler.StartDoc(record, kPrinter, kJobId, L"job"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
    // The failed start has left the lock: another spooler thread opens a port.
    BOOL opened = FALSE;
    std::thread([&] {
        HANDLE other = nullptr;
        opened = spooler.Open(below, L"USB015", kPrinter, &other);
    }).join();
    EXPECT_TRUE(opened);

    BYTE buffer[4] = {1, 2, 3, 4};
    DWORD count = 0;
    EXPECT_TRUE(spooler.Table()->pfnWritePort(record, buffer, 4, &count));
    EXPECT_EQ(4u, count);
    count = 0xCCCC;
    EXPECT_TRUE(spooler.Table()->pfnReadPort(record, buffer, 4, &count));
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_TRUE(spooler.Table()->pfnClosePort(record));
    EXPECT_TRUE(Kinds().empty());
}

TEST_F(MonitorTest, ShutdownFreesRecordsAndHelperBuffers)
{
    Control().allocateBuffers = TRUE;
    std::vector<const void*> blocks;
    for (LPCWSTR port : {L"USB021", L"USB022", L"LPT1:"}) {
        HANDLE record = Open(port, kPrinter);
        ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"job"));
        ASSERT_TRUE(spooler.Table()->pfnEndDocPort(record));
        EXPECT_EQ(HELPER_BUFFER1_BYTES, Dword(RecordOf(record), RecordOffset::BufferLength));
        blocks.push_back(record);
    }
    blocks.insert(blocks.end(), Control().buffers, Control().buffers + Control().bufferCount);
    ASSERT_EQ(9u, blocks.size());
    for (const void* block : blocks)
        ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, block));
    spooler.Shutdown();
    for (const void* block : blocks)
        EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, block)) << block;
}

TEST_F(MonitorTest, SpoolerThreadsRunJobsAtOnce)
{
    const int kThreads = 4;
    HANDLE records[kThreads] = {}, shared[kThreads] = {};
    DWORD threadIds[kThreads] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            threadIds[i] = GetCurrentThreadId();
            WCHAR port[16], printer[32];
            swprintf(port, 16, L"USB03%d", i);
            swprintf(printer, 32, L"Printer %d", i);
            HANDLE record = nullptr;
            BYTE data[16] = "job data";
            DWORD count = 0;
            const Monitor2Table* t = spooler.Table();
            bool ok = spooler.Open(below, port, printer, &record) &&
                      spooler.Open(below, L"USB039", kPrinter, &shared[i]) &&
                      spooler.StartDoc(record, printer, 100 + i, printer);
            for (int w = 0; ok && w < 3; ++w)
                ok = t->pfnWritePort(record, data, 8, &count) && count == 8;
            ok = ok && t->pfnReadPort(record, data, 16, &count) && t->pfnEndDocPort(record) && t->pfnClosePort(record);
            records[i] = ok ? record : nullptr;
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, records[i]);
        EXPECT_EQ(shared[0], shared[i]);
        EXPECT_EQ((std::vector<HelperCallKind>{HELPER_START, HELPER_WRITE, HELPER_WRITE, HELPER_WRITE, HELPER_READ,
                                               HELPER_END}),
                  Kinds(records[i]));
        const HelperSeen start = Seen(HELPER_START, records[i]).at(0);
        EXPECT_EQ(threadIds[i], start.threadId);
        EXPECT_EQ(DWORD(100 + i), Dword(start.bytes, RecordOffset::JobId));
        EXPECT_EQ(DWORD(30 + i), Dword(start.bytes, RecordOffset::PortNumber));
        EXPECT_EQ(RecordString(start.bytes, RecordOffset::PrinterName),
                  RecordString(start.bytes, RecordOffset::DocName, RECORD_DOC_ROOM));
    }
    EXPECT_FALSE(CMonitorSpooler::IsHelperLoaded());
}
