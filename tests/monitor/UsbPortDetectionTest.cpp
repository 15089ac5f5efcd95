// The model and device path QelMon finds behind a USB port when a job
// starts, from the interfaces of the USB printer class in the registry. The
// program runs under Windows 7 (the registry's values) and Windows 10 (the
// device path from the interface's key name).
#include "DeviceRegistryFixture.h"
#include "MonitorTestSupport.h"
#include "Platform.h"

#include <functional>

namespace {

const WCHAR kPrinter[] = L"Card Printer";

// What the record shows after the job's start.
struct Expected {
    std::wstring vidPid;
    std::wstring path;
    DWORD linked;
};

// An interface with "Device Parameters": port number and description, and a
// "SymbolicLink" unlike its key name, so that the two sources differ.
FixtureInterface Interface(const CDeviceRegistryFixture& reg, LPCWSTR deviceId, LPCWSTR name, DWORD port,
                           LPCWSTR description, DWORD linked = 0)
{
    FixtureInterface iface;
    iface.deviceId = deviceId;
    iface.instance = reg.Unique(name);
    iface.writeParameters = true;
    iface.portNumber = port;
    iface.portDescription = description;
    iface.linked = linked;
    iface.symbolicLink = L"\\\\?\\registered#" + iface.instance;
    return iface;
}

// The path and flag the monitor takes from an interface on this Windows
// version; a key name of its own is shorter than any device path.
Expected Found(LPCWSTR vidPid, const FixtureInterface& iface, bool keyNamePath)
{
    if (keyNamePath) {
        std::wstring path = iface.keyName.empty()
                                ? CDeviceRegistryFixture::DevicePath(iface.deviceId, iface.instance)
                                : iface.keyName;
        return {vidPid, path, 1};
    }
    return {vidPid, iface.symbolicLink, iface.linked};
}

struct DetectionCase {
    const char* name;
    DWORD port;
    // Writes the registry and says what the record must show.
    std::function<bool(CDeviceRegistryFixture&, bool keyNamePath, Expected*)> arrange;
};

class UsbPortDetectionTest : public MonitorTest {
protected:
    // Starts a job on USB<port> and reads what the record shows.
    Expected StartJob(DWORD port)
    {
        WCHAR name[16];
        swprintf(name, 16, L"USB%03lu", static_cast<unsigned long>(port));
        HANDLE record = Open(name, kPrinter);
        EXPECT_TRUE(spooler.StartDoc(record, kPrinter, 1, L"job")) << GetLastError();
        EXPECT_TRUE(spooler.Table()->pfnEndDocPort(record));
        return {RecordString(RecordOf(record), RecordOffset::VidPid),
                RecordString(RecordOf(record), RecordOffset::SymbolicLink), Dword(RecordOf(record), RecordOffset::Linked)};
    }

    static bool KeyNamePath() { return GetOSVersionCode() >= OSV_WIN8; }
};

} // namespace

TEST_F(UsbPortDetectionTest, FindsTheModelAndDevicePathBehindThePort)
{
    const std::wstring long300(300, L'x');
    const DetectionCase cases[] = {
        {"a T42 by its port description, after the first row failed", 41,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t42 = Interface(reg, L"VID_5D27&PID_0001", L"t42", 41, L"VORNEXt42");
             *e = Found(L"VID_5D27&PID_0001", t42, keyName);
             return reg.AddInterface(t42);
         }},
        {"no description: the USB ids of the key name, in any case", 42,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t40 = Interface(reg, L"Vid_5d27&Pid_0003", L"t40", 42, L"", 1);
             *e = Found(L"VID_5D27&PID_0003", t40, keyName);
             return reg.AddInterface(t40);
         }},
        {"two printers of one model told apart by their ports", 44,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface first = Interface(reg, L"VID_5D27&PID_0201", L"a", 43, L"VornexT40W");
             FixtureInterface second = Interface(reg, L"VID_5D27&PID_0201", L"b", 44, L"VornexT40W");
             *e = Found(L"VID_5D27&PID_0201", second, keyName);
             return reg.AddInterface(first) && reg.AddInterface(second);
         }},
        {"an interface without SymbolicLink", 45,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t41 = Interface(reg, L"VID_5D27&PID_0002", L"t41", 45, L"VornexT41", 1);
             t41.writeSymbolicLink = false;
             *e = Found(L"VID_5D27&PID_0002", t41, keyName);
             if (!keyName)
                 e->path.clear();
             return reg.AddInterface(t41);
         }},
        {"a Port Number of another type counts as 0", 46,
         [](CDeviceRegistryFixture& reg, bool, Expected* e) {
             FixtureInterface t42 = Interface(reg, L"VID_5D27&PID_0001", L"qword", 0, L"VornexT42");
             ULONGLONG wide = 46;
             *e = {L"VID_5D27&PID_0101", L"", 0};
             return reg.AddInterface(t42) &&
                    reg.SetRawValue(CDeviceRegistryFixture::InterfaceKey(t42) + L"\\#\\Device Parameters",
                                    L"Port Number", REG_QWORD, &wide, sizeof(wide));
         }},
        {"a SymbolicLink that is not a plain string", 47,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t42g = Interface(reg, L"VID_5D27&PID_0102", L"expand", 47, L"VornexT42G", 1);
             *e = Found(L"VID_5D27&PID_0102", t42g, keyName);
             if (!keyName)
                 e->path.clear();
             return reg.AddInterface(t42g) &&
                    reg.SetRawValue(CDeviceRegistryFixture::InterfaceKey(t42g) + L"\\#", L"SymbolicLink",
                                    REG_EXPAND_SZ, t42g.symbolicLink.c_str(),
                                    DWORD((t42g.symbolicLink.size() + 1) * sizeof(WCHAR)));
         }},
        {"a Port Description of 520 bytes without terminator names no model", 48,
         [](CDeviceRegistryFixture& reg, bool, Expected* e) {
             FixtureInterface t40 = Interface(reg, L"VID_5D27&PID_0003", L"unended", 48, L"");
             const std::wstring text(260, L'A');
             *e = {L"VID_5D27&PID_0101", L"", 0};
             return reg.AddInterface(t40) &&
                    reg.SetRawValue(CDeviceRegistryFixture::InterfaceKey(t40) + L"\\#\\Device Parameters",
                                    L"Port Description", REG_SZ, text.c_str(), 520);
         }},
        {"a short key name", 49,
         [](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t41 = Interface(reg, L"VID_5D27&PID_0002", L"short", 49, L"VornexT41", 1);
             // Too short for a device path: nothing in it is replaced.
             t41.keyName = L"ab";
             *e = Found(L"VID_5D27&PID_0002", t41, keyName);
             return reg.AddInterface(t41);
         }},
        {"a SymbolicLink longer than the record's room is cut", 50,
         [&](CDeviceRegistryFixture& reg, bool keyName, Expected* e) {
             FixtureInterface t42 = Interface(reg, L"VID_5D27&PID_0001", L"long", 50, L"VornexT42", 1);
             t42.symbolicLink = long300;
             *e = Found(L"VID_5D27&PID_0001", t42, keyName);
             if (!keyName)
                 e->path = long300.substr(0, 255);
             return reg.AddInterface(t42);
         }},
    };
    const bool keyName = KeyNamePath();
    for (const DetectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceRegistryFixture reg;
        Expected expected;
        ASSERT_TRUE(c.arrange(reg, keyName, &expected));
        Expected shown = StartJob(c.port);
        EXPECT_EQ(expected.vidPid, shown.vidPid);
        EXPECT_EQ(expected.path, shown.path);
        EXPECT_EQ(expected.linked, shown.linked);
        // The helper read the same from the record.
        const HelperSeen start = Seen(HELPER_START).back();
        const BYTE* seen = start.bytes;
        EXPECT_EQ(expected.vidPid, RecordString(seen, RecordOffset::VidPid));
        EXPECT_EQ(expected.path, RecordString(seen, RecordOffset::SymbolicLink));
    }
}

TEST_F(UsbPortDetectionTest, NoInterfaceForThePortKeepsThePreviousPath)
{
    Expected first;
    {
        CDeviceRegistryFixture reg;
        FixtureInterface t42 = Interface(reg, L"VID_5D27&PID_0001", L"gone", 51, L"VornexT42", 1);
        ASSERT_TRUE(reg.AddInterface(t42));
        first = StartJob(51);
        ASSERT_EQ(Found(L"VID_5D27&PID_0001", t42, KeyNamePath()).path, first.path);
    }
    Expected second = StartJob(51);
    EXPECT_EQ(L"VID_5D27&PID_0101", second.vidPid);
    EXPECT_EQ(first.path, second.path);
    EXPECT_EQ(first.linked, second.linked);
}

TEST_F(UsbPortDetectionTest, ANetworkPortTakesTheFirstModelRowAndNoPath)
{
    CDeviceRegistryFixture reg;
    const std::wstring port = reg.Unique(L"IP_10.1.1.9");
    ASSERT_TRUE(reg.AddTcpipPort(port.c_str(), L"10.1.1.9", nullptr, 9100));
    // An interface on port 0 would match a network port's number.
    ASSERT_TRUE(reg.AddInterface(Interface(reg, L"VID_5D27&PID_0001", L"zero", 0, L"VornexT42", 1)));
    HANDLE record = Open(port.c_str(), kPrinter);
    ASSERT_TRUE(spooler.StartDoc(record, kPrinter, 1, L"job"));
    EXPECT_EQ(L"VID_5D27&PID_0101", RecordString(RecordOf(record), RecordOffset::VidPid));
    EXPECT_EQ(L"", RecordString(RecordOf(record), RecordOffset::SymbolicLink));
    EXPECT_EQ(0u, Dword(RecordOf(record), RecordOffset::Linked));
}
