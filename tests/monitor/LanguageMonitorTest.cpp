// QelMon driven the way the spooler drives it: the table, the opens above a
// port monitor, each job's hand-over to the helper library, and the shutdown.
#include "DeviceRegistryFixture.h"
#include "ImportPatch.h"
#include "MonitorTestSupport.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace {

const DWORD kJobId = 42;
const WCHAR kPrinter[] = L"Card Printer";
const WCHAR kFirstVidPid[] = L"VID_5D27&PID_0101";

LPVOID WINAPI FailingHeapAlloc(HANDLE, DWORD, SIZE_T)
{
    return nullptr;
}

HANDLE HandleAt(ULONG_PTR value)
{
    return reinterpret_cast<HANDLE>(value);
}

ULONGLONG SlotOf(HANDLE record, size_t offset)
{
    return RecordField<ULONGLONG>(RecordOf(record), offset);
}

ULONGLONG ValueOf(const void* pointer)
{
    return reinterpret_cast<ULONG_PTR>(pointer);
}

} // namespace

// ---- Table and monitor handle ---------------------------------------------------------

TEST_F(MonitorTest, TableHoldsTheLanguageMonitorEntriesOnly)
{
    const Monitor2Table* table = spooler.Table();
    EXPECT_EQ(sizeof(Monitor2Table), table->cbSize);
    // Entries by place: OpenPortEx, StartDocPort, WritePort, ReadPort,
    // EndDocPort, ClosePort, GetPrinterDataFromPort and Shutdown.
    const std::vector<size_t> set = {2, 3, 4, 5, 6, 7, 12, 17};
    PVOID entries[22];
    memcpy(entries, &table->pfnEnumPorts, sizeof(entries));
    for (size_t i = 0; i < 22; ++i)
        EXPECT_EQ(std::count(set.begin(), set.end(), i) == 1, entries[i] != nullptr) << "entry " << i;

    // The monitor handle: the record's size and the spooler's MONITORINIT.
    const BYTE* monitor = static_cast<const BYTE*>(spooler.Monitor());
    EXPECT_EQ(2 * sizeof(PVOID), RecordField<DWORD>(monitor, 0));
    EXPECT_EQ(spooler.Init(), RecordField<MONITORINIT*>(monitor, sizeof(PVOID)));

    // A second initialisation gives the same table and handle and clears the last error.
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

// ---- Opening ports ----------------------------------------------------------------------

TEST_F(MonitorTest, OpenFindsWhatIsBehindThePort)
{
    CDeviceRegistryFixture reg;
    const std::wstring ip = reg.Unique(L"IP_192.168.1.20"), host = reg.Unique(L"IP_host");
    const std::wstring longIp = reg.Unique(L"IP_long");
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
        SCOPED_TRACE(std::string(c.port.begin(), c.port.end()));
        below.ClearCalls();
        HANDLE record = Open(c.port.c_str(), kPrinter);
        ASSERT_NE(nullptr, record);
        EXPECT_EQ(kPrinter, RecordTextOf(record, RecordOffset::PrinterName));
        EXPECT_EQ(c.port, RecordTextOf(record, RecordOffset::PortName, RECORD_PORT_ROOM));
        EXPECT_EQ(c.notUsb, RecordOf(record)[RecordOffset::NotUsb]);
        EXPECT_EQ(c.tcpIp, RecordOf(record)[RecordOffset::TcpIp]);
        EXPECT_EQ(c.portNumber, RecordField<DWORD>(RecordOf(record), RecordOffset::PortNumber));
        EXPECT_EQ(c.address, RecordTextOf(record, RecordOffset::IPAddress, RECORD_ADDRESS_ROOM));
        EXPECT_EQ(c.tcpPort, RecordField<DWORD>(RecordOf(record), RecordOffset::TcpPort));
        EXPECT_EQ(CFakePortMonitor::MONITOR_HANDLE, SlotOf(record, RecordOffset::MonitorPort));
        EXPECT_EQ(ValueOf(below.Table()), SlotOf(record, RecordOffset::Monitor2));
        const std::string port = HandleText(HandleAt(SlotOf(record, RecordOffset::Port)));
        std::string name(c.port.begin(), c.port.end());
        EXPECT_EQ((std::vector<std::string>{"OpenPort(0x4d00, " + name + ") -> " + port,
                                            "SetPortTimeOuts(" + port + ", 0/0/10000/0/10000, 0)"}),
                  below.Calls());
    }
}

TEST_F(MonitorTest, OpenKeepsOneRecordPerPrinterAndPort)
{
    HANDLE first = Open(L"USB001", kPrinter);
    HANDLE again = Open(L"USB001", kPrinter);
    HANDLE second = Open(L"USB002", kPrinter);
    HANDLE other = Open(L"USB001", L"card printer");
    EXPECT_EQ(first, again);
    EXPECT_NE(first, second);
    EXPECT_NE(first, other);
    // Appended at the tail, each with its own port of the monitor below.
    EXPECT_EQ(ValueOf(second), SlotOf(first, RecordOffset::Next));
    EXPECT_EQ(ValueOf(other), SlotOf(second, RecordOffset::Next));
    EXPECT_EQ(0u, SlotOf(other, RecordOffset::Next));
    EXPECT_EQ(CFakePortMonitor::FIRST_PORT_HANDLE + 1, SlotOf(first, RecordOffset::Port));
    EXPECT_EQ(CFakePortMonitor::FIRST_PORT_HANDLE + 2, SlotOf(second, RecordOffset::Port));
    // Records live on the process heap, one block of the record's size each.
    EXPECT_EQ(RecordOffset::Size, HeapSize(GetProcessHeap(), 0, first));
}

TEST_F(MonitorTest, ReopenForgetsATcpipPortThatIsGone)
{
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
    EXPECT_EQ(1, RecordOf(record)[RecordOffset::NotUsb]);
    EXPECT_EQ(0, RecordOf(record)[RecordOffset::TcpIp]);
    EXPECT_EQ(L"", RecordTextOf(record, RecordOffset::IPAddress, RECORD_ADDRESS_ROOM));
    EXPECT_EQ(0u, RecordField<DWORD>(RecordOf(record), RecordOffset::TcpPort));
}

TEST_F(MonitorTest, OpenFailuresSetTheirLastError)
{
    const std::wstring printer255(255, L'p'), port575(575, L'u');
    auto open = [&](LPCWSTR port, LPCWSTR printer, HANDLE* out, Monitor2Table* table) {
        std::wstring portText = port ? port : L"", printerText = printer ? printer : L"";
        return spooler.Table()->pfnOpenPortEx(spooler.Monitor(), below.MonitorHandle(),
                                              port ? &portText[0] : nullptr, printer ? &printerText[0] : nullptr,
                                              out, table);
    };
    struct Case {
        const char* name;
        std::function<void()> arrange;
        LPCWSTR port;
        std::wstring printer;
        bool noTable;
        DWORD error; // 0: the open succeeds
        bool handleSet;
    } cases[] = {
        {"no port name", [] {}, nullptr, kPrinter, false, ERROR_INVALID_PARAMETER, false},
        {"printer name of 255", [] {}, L"USB001", printer255, false, 0, true},
        {"printer name of 256", [] {}, L"USB001", printer255 + L"p", false, ERROR_INVALID_PARAMETER, false},
        {"port name of 575", [] {}, port575.c_str(), kPrinter, false, 0, true},
        {"no port monitor table", [] {}, L"USB004", kPrinter, true, ERROR_INVALID_PRINT_MONITOR, true},
        {"no OpenPort", [&] { below.Omit(offsetof(Monitor2Table, pfnOpenPort)); }, L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no StartDocPort", [&] { below.Omit(offsetof(Monitor2Table, pfnStartDocPort)); }, L"USB004", kPrinter,
         false, ERROR_INVALID_PRINT_MONITOR, true},
        {"no WritePort", [&] { below.Omit(offsetof(Monitor2Table, pfnWritePort)); }, L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no ReadPort", [&] { below.Omit(offsetof(Monitor2Table, pfnReadPort)); }, L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"no ClosePort", [&] { below.Omit(offsetof(Monitor2Table, pfnClosePort)); }, L"USB004", kPrinter, false,
         ERROR_INVALID_PRINT_MONITOR, true},
        {"the port monitor's open fails", [&] { below.FailOpen(ERROR_ACCESS_DENIED); }, L"USB005", kPrinter, false,
         ERROR_ACCESS_DENIED, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        below.Reset();
        c.arrange();
        HANDLE handle = HandleAt(0xBAD);
        SetLastError(kMonitorMarker);
        BOOL opened = open(c.port, c.printer.c_str(), &handle, c.noTable ? nullptr : below.Table());
        EXPECT_EQ(c.error == 0, opened != FALSE);
        if (c.error) {
            EXPECT_EQ(c.error, GetLastError());
        }
        EXPECT_EQ(c.handleSet, handle != HandleAt(0xBAD));
    }
    // The record of a failed open stays for the next one.
    below.Reset();
    HANDLE first = nullptr, second = nullptr;
    EXPECT_TRUE(spooler.Open(below, L"USB005", kPrinter, &first));
    EXPECT_TRUE(spooler.Open(below, L"USB005", kPrinter, &second));
    EXPECT_EQ(first, second);
    // Without an out handle there is nothing to give back.
    SetLastError(kMonitorMarker);
    EXPECT_FALSE(open(L"USB001", kPrinter, nullptr, below.Table()));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    // A port monitor without time-outs is opened all the same.
    below.ClearCalls();
    below.Omit(offsetof(Monitor2Table, pfnSetPortTimeOuts));
    ASSERT_NE(nullptr, Open(L"USB006", kPrinter));
    EXPECT_EQ(1u, below.Calls().size());
}

TEST_F(MonitorTest, FailedRecordAllocationReportsNoMemory)
{
    CImportPatch patch;
    ASSERT_TRUE(patch.Patch(spooler.Module(), "kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(FailingHeapAlloc)));
    HANDLE handle = HandleAt(0xBAD);
    SetLastError(kMonitorMarker);
    EXPECT_FALSE(spooler.Open(below, L"USB001", kPrinter, &handle));
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(HandleAt(0xBAD), handle);
    EXPECT_TRUE(below.Calls().empty());
    patch.Restore();
    EXPECT_NE(nullptr, Open(L"USB001", kPrinter));
}

// ---- Jobs ------------------------------------------------------------------------------------

TEST_F(MonitorTest, JobWalksThroughTheHelperLibrary)
{
    HANDLE record = Open(L"USB007", kPrinter);
    const ULONGLONG port = SlotOf(record, RecordOffset::Port);
    memcpy(Control().readData, "OK", 3);
    Control().readLength = 3;

    SetLastError(kMonitorMarker);
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"Card job"));
    ASSERT_TRUE(CMonitorSpooler::IsHelperLoaded());
    const HMODULE helper = GetModuleHandleW(CMonitorSpooler::HelperPath().c_str());
    EXPECT_EQ(ValueOf(helper), SlotOf(record, RecordOffset::Dll));
    const char* names[] = {"LM_StartDocPort", "LM_EndDocPort", "LM_WritPort", "LM_ReadPort"};
    ULONGLONG entries[4];
    for (int i = 0; i < 4; ++i)
        entries[i] = ValueOf(reinterpret_cast<void*>(GetProcAddress(helper, names[i])));

    BYTE data[] = "ABCDE";
    DWORD count = 0;
    EXPECT_TRUE(spooler.Table()->pfnWritePort(record, data, 5, &count));
    EXPECT_EQ(5u, count);
    EXPECT_TRUE(spooler.Table()->pfnWritePort(record, data, 2, &count));
    EXPECT_EQ(2u, count);
    BYTE reply[8] = {};
    EXPECT_TRUE(spooler.Table()->pfnReadPort(record, reply, sizeof(reply), &count));
    EXPECT_EQ(3u, count);
    EXPECT_STREQ("OK", reinterpret_cast<char*>(reply));
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_FALSE(CMonitorSpooler::IsHelperLoaded());
    EXPECT_TRUE(spooler.Table()->pfnClosePort(record));
    EXPECT_TRUE(spooler.Table()->pfnClosePort(record));

    EXPECT_EQ((std::vector<HelperCallKind>{HELPER_LOADED, HELPER_START, HELPER_WRITE, HELPER_WRITE, HELPER_READ,
                                           HELPER_END, HELPER_UNLOADED}),
              Kinds());
    // What the helper read by offset when the job started.
    const HelperSeen start = Seen(HELPER_START).at(0);
    EXPECT_EQ(record, start.record);
    EXPECT_STREQ(kPrinter, start.printer);
    EXPECT_STREQ(L"USB007", start.port);
    EXPECT_STREQ(kFirstVidPid, start.vidPid);
    EXPECT_STREQ(L"Card job", start.docName);
    EXPECT_EQ(kJobId, start.jobId);
    EXPECT_EQ(7u, start.portNumber);
    EXPECT_EQ(0, start.notUsb);
    EXPECT_EQ(ValueOf(helper), start.dll);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(0u, entries[i]);
        EXPECT_EQ(entries[i], start.entries[i]) << names[i];
    }
    EXPECT_EQ(CFakePortMonitor::MONITOR_HANDLE, start.monitorPort);
    EXPECT_EQ(port, start.port_);
    EXPECT_EQ(ValueOf(below.Table()), start.monitor2);
    EXPECT_EQ(5u, Seen(HELPER_WRITE).at(0).count);
    EXPECT_EQ(8u, Seen(HELPER_READ).at(0).count);

    // Unloaded: no handle and no entry points are left; the port is closed
    // once; the bytes that belong to the helper were never written.
    for (size_t offset : {RecordOffset::Dll, RecordOffset::StartDocPort, RecordOffset::EndDocPort,
                          RecordOffset::WritPort, RecordOffset::ReadPort, RecordOffset::Port, RecordOffset::CpUsb})
        EXPECT_EQ(0u, SlotOf(record, offset)) << std::hex << offset;
    EXPECT_EQ(0u, RecordField<DWORD>(RecordOf(record), RecordOffset::PortIndex));
    const BYTE* bytes = RecordOf(record);
    for (size_t offset : {0xA8C, 0xA8D, 0xA8E, 0xA8F, 0xA98, 0xAA1, 0xBA2, 0xBA3, 0xBEC, 0xBEF})
        EXPECT_EQ(0, bytes[offset]) << std::hex << offset;
    const std::string h = HandleText(HandleAt(port));
    EXPECT_EQ((std::vector<std::string>{"OpenPort(0x4d00, USB007) -> " + h,
                                        "SetPortTimeOuts(" + h + ", 0/0/10000/0/10000, 0)", "ClosePort(" + h + ")"}),
              below.Calls());
}

TEST_F(MonitorTest, HelperFailuresBecomeTheLastError)
{
    HANDLE record = Open(L"USB008", kPrinter);
    BYTE buffer[4] = {};
    DWORD count = 0;
    struct Case {
        const char* name;
        DWORD* result;
        std::function<BOOL()> call;
    } cases[] = {
        {"start", &Control().startResult, [&] { return spooler.StartDoc(record, kPrinter, kJobId, L"job"); }},
        {"write", &Control().writeResult, [&] { return spooler.Table()->pfnWritePort(record, buffer, 4, &count); }},
        {"read", &Control().readResult,
         [&] {
             count = 0xCCCC;
             return spooler.Table()->pfnReadPort(record, buffer, 4, &count);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.result != &Control().startResult) {
            ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"job"));
        }
        *c.result = ERROR_DEVICE_NOT_CONNECTED;
        SetLastError(kMonitorMarker);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), GetLastError());
        *c.result = 0;
        EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    }
    // A failed read delivers nothing.
    EXPECT_EQ(0u, count);
}

TEST_F(MonitorTest, EndDocPortKeepsOrUnloadsTheHelper)
{
    HANDLE record = Open(L"USB009", kPrinter);
    Control().endResult = 1;
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, 1, L"first"));
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_TRUE(CMonitorSpooler::IsHelperLoaded());
    EXPECT_NE(0u, SlotOf(record, RecordOffset::Dll));
    Control().endResult = 0;
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, 2, L"second"));
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_FALSE(CMonitorSpooler::IsHelperLoaded());
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, 3, L"third"));
    EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
    EXPECT_EQ((std::vector<HelperCallKind>{HELPER_LOADED, HELPER_START, HELPER_END, HELPER_START, HELPER_END,
                                           HELPER_UNLOADED, HELPER_LOADED, HELPER_START, HELPER_END, HELPER_UNLOADED}),
              Kinds());
    EXPECT_EQ(2u, Seen(HELPER_START).at(1).jobId);
    EXPECT_STREQ(L"third", Seen(HELPER_START).at(2).docName);
}

TEST_F(MonitorTest, JobTextsAreBoundedToTheRecord)
{
    HANDLE record = Open(L"USB012", kPrinter);
    const std::wstring doc127(127, L'd'), printer255(255, L'p');
    struct Case {
        const char* name;
        std::wstring printer;
        bool docInfo;
        bool nullDocName;
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
        if (c.error) {
            EXPECT_EQ(c.error, GetLastError());
            EXPECT_TRUE(Seen(HELPER_START).empty());
            continue;
        }
        EXPECT_EQ(c.docSeen, Seen(HELPER_START).at(0).docName);
        EXPECT_EQ(c.printer, Seen(HELPER_START).at(0).printer);
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
    struct Case {
        const char* name;
        std::function<BOOL()> call;
    } cases[] = {
        {"start without a port", [&] { return t->pfnStartDocPort(nullptr, printer, 1, 1, nullptr); }},
        {"start without a printer", [&] { return t->pfnStartDocPort(record, nullptr, 1, 1, nullptr); }},
        {"write without a port", [&] { return t->pfnWritePort(nullptr, buffer, 4, &count); }},
        {"write without a count", [&] { return t->pfnWritePort(record, buffer, 4, nullptr); }},
        {"write without a buffer", [&] { return t->pfnWritePort(record, nullptr, 4, &count); }},
        {"read without a port", [&] { return t->pfnReadPort(nullptr, buffer, 4, &count); }},
        {"read without a count", [&] { return t->pfnReadPort(record, buffer, 4, nullptr); }},
        {"end without a port", [&] { return t->pfnEndDocPort(nullptr); }},
        {"close without a port", [&] { return t->pfnClosePort(nullptr); }},
        {"printer data", [&] { return t->pfnGetPrinterDataFromPort(record, 0, nullptr, nullptr, 0, nullptr, 0, &count); }},
    };
    for (const Case& c : cases) {
        SetLastError(kMonitorMarker);
        EXPECT_FALSE(c.call()) << c.name;
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << c.name;
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
    // The job's start has left the lock: another spooler thread opens a port.
    HANDLE other = nullptr;
    BOOL opened = FALSE;
    std::thread thread([&] { opened = spooler.Open(below, L"USB015", kPrinter, &other); });
    thread.join();
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

// ---- Shutdown and threads ---------------------------------------------------------------------

TEST_F(MonitorTest, ShutdownFreesRecordsAndHelperBuffers)
{
    Control().allocateBuffers = TRUE;
    std::vector<HANDLE> records;
    for (LPCWSTR port : {L"USB021", L"USB022", L"LPT1:"}) {
        HANDLE record = Open(port, kPrinter);
        ASSERT_TRUE(spooler.StartDoc(record, kPrinter, kJobId, L"job"));
        ASSERT_TRUE(spooler.Table()->pfnEndDocPort(record));
        EXPECT_EQ(HELPER_BUFFER1_BYTES, RecordField<DWORD>(RecordOf(record), RecordOffset::BufferLength));
        records.push_back(record);
    }
    const HANDLE heap = GetProcessHeap();
    std::vector<const void*> blocks(records.begin(), records.end());
    blocks.insert(blocks.end(), Control().buffers, Control().buffers + Control().bufferCount);
    ASSERT_EQ(9u, blocks.size());
    for (const void* block : blocks)
        ASSERT_TRUE(HeapValidate(heap, 0, block));
    spooler.Shutdown();
    for (const void* block : blocks)
        EXPECT_FALSE(HeapValidate(heap, 0, block)) << block;
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
            bool ok = spooler.Open(below, port, printer, &record) &&
                      spooler.Open(below, L"USB039", kPrinter, &shared[i]) &&
                      spooler.StartDoc(record, printer, 100 + i, printer);
            for (int w = 0; ok && w < 3; ++w)
                ok = spooler.Table()->pfnWritePort(record, data, 8, &count) && count == 8;
            ok = ok && spooler.Table()->pfnReadPort(record, data, 16, &count) &&
                 spooler.Table()->pfnEndDocPort(record) && spooler.Table()->pfnClosePort(record);
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
        EXPECT_EQ(DWORD(100 + i), start.jobId);
        EXPECT_EQ(DWORD(30 + i), start.portNumber);
        EXPECT_EQ(std::wstring(start.printer), start.docName);
    }
    EXPECT_FALSE(CMonitorSpooler::IsHelperLoaded());
}
