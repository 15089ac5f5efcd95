// Opening a link by model row through the device-setup list of the USB
// printer interface class, and the counts and choices behind it.
#include "DiscoveryTestSupport.h"
#include "ModelTable.h"
#include "Platform.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// Present devices, chosen by the model row's USB ids: the calibration program's mode.
const DWORD kPresentByIds = 0x102;
const DWORD kAllByIds = 0x100;
const DWORD kPresentByPort = 0x202;
// The T40W's row: no test but those that add one has a T40W.
const int kT40W = 4;
const DWORD kT40WUsbId = 0x5D270201;

class InterfaceDiscoveryTest : public ::testing::Test {
protected:
    // An emulated printer whose device and interface the registry lists.
    EmulatedUsbPrinter AddPresent(WORD productId, LPCWSTR name, DWORD linked = 1)
    {
        EmulatedUsbPrinter printer = StartUsbPrinter(reg, productId, name);
        printer.iface.linked = linked;
        EXPECT_TRUE(reg.AddUsbDevice(printer.iface.deviceId.c_str(), printer.iface.instance.c_str(), nullptr));
        EXPECT_TRUE(reg.AddInterface(printer.iface));
        return printer;
    }

    static std::set<std::wstring> LowerPaths(std::initializer_list<const EmulatedUsbPrinter*> printers)
    {
        std::set<std::wstring> paths;
        for (const EmulatedUsbPrinter* p : printers)
            paths.insert(Lower(p->path));
        return paths;
    }

    CDeviceRegistryFixture reg;
};

// ---- Opening by model row -----------------------------------------------------------

TEST_F(InterfaceDiscoveryTest, ModelOutsideTheRowsGivesPrinterNotFoundAtOnce)
{
    for (int model : {0, 7, -1, 0x7FFFFFFF}) {
        CUsbLink link;
        SetLastError(kDiscoveryMarker);
        EXPECT_EQ(3012u, link.OpenByModelSN(model, 1, kPresentByIds, 3)) << model;
        EXPECT_EQ(3012u, GetLastError());
        EXPECT_EQ(0u, link.m_dwModelSN);
        EXPECT_EQ(0u, link.m_dwInstIndex);
        EXPECT_EQ(0u, link.m_dwEnumMode);
        EXPECT_STREQ(L"", link.m_szVIDPID);
    }
}

TEST_F(InterfaceDiscoveryTest, PresentPrinterOfTheRowOpensWithItsMutex)
{
    EmulatedUsbPrinter printer = AddPresent(0x0201, L"row");

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    EXPECT_EQ(4u, link.m_dwModelSN);
    EXPECT_EQ(1u, link.m_dwInstIndex);
    EXPECT_EQ(kPresentByIds, link.m_dwEnumMode);
    EXPECT_STREQ(L"VID_5D27&PID_0201", link.m_szVIDPID);
    EXPECT_TRUE(EqualIgnoringAsciiCase(printer.path.c_str(), link.m_szSymbolicLink)) << link.m_szSymbolicLink;
    EXPECT_EQ(1u, link.m_dwLinked);
    EXPECT_NE(nullptr, link.m_hMutexRW);
    EXPECT_TRUE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
}

TEST_F(InterfaceDiscoveryTest, SecondPrinterOfARowWithOnlyOnePresentIsNotConnected)
{
    EmulatedUsbPrinter printer = AddPresent(0x0201, L"only");

    CUsbLink link;
    ASSERT_EQ(0u, link.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    ASSERT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));

    // The failed choice must not leave the first printer's path to be opened.
    EXPECT_RESULT(1167u, link.OpenByModelSN(kT40W, 2, kPresentByIds, 3));
    EXPECT_STREQ(L"", link.m_szSymbolicLink);
    EXPECT_EQ(0u, link.m_dwLinked);
    EXPECT_EQ(2u, link.m_dwInstIndex);
    EXPECT_EQ(nullptr, link.m_hPipe);

    CUsbLink fresh;
    EXPECT_EQ(1167u, fresh.OpenByModelSN(kT40W, 2, kPresentByIds, 3));
    EXPECT_EQ(1167u, fresh.OpenByModelSN(kT40W, 0, kPresentByIds, 3));
    EXPECT_EQ(1u, printer.emu->GetConnectionCount());
}

TEST_F(InterfaceDiscoveryTest, RowWithNothingPresentGivesPrinterNotFound)
{
    CUsbLink link;
    EXPECT_RESULT(3012u, link.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    // The row's fields are set before the count.
    EXPECT_EQ(4u, link.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0201", link.m_szVIDPID);
    EXPECT_EQ(nullptr, link.m_hPipe);
}

TEST_F(InterfaceDiscoveryTest, InactiveInterfaceIsNotPresentAndNotConnected)
{
    EmulatedUsbPrinter printer = AddPresent(0x0201, L"inactive", 0);

    CUsbLink present;
    EXPECT_EQ(3012u, present.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    CUsbLink all;
    EXPECT_RESULT(1167u, all.OpenByModelSN(kT40W, 1, kAllByIds, 3));
    EXPECT_TRUE(EqualIgnoringAsciiCase(printer.path.c_str(), all.m_szSymbolicLink));
    EXPECT_EQ(0u, all.m_dwLinked);
    EXPECT_EQ(0u, printer.emu->GetConnectionCount());
}

TEST_F(InterfaceDiscoveryTest, RowsInTurnOpenTheFirstModelPresent)
{
    EmulatedUsbPrinter t41 = AddPresent(0x0002, L"t41");
    EmulatedUsbPrinter t42g = AddPresent(0x0102, L"t42g");

    CUsbLink link;
    int opened = 0;
    for (int row = 1; row <= 6 && !opened; ++row) {
        if (link.OpenByModelSN(row, 1, kPresentByIds, 3) == 0)
            opened = row;
    }
    EXPECT_EQ(3, opened);
    EXPECT_EQ(3u, link.m_dwModelSN);
    EXPECT_TRUE(t41.emu->WaitForConnections(1, kConnectWaitMs));
    EXPECT_EQ(0u, t42g.emu->GetConnectionCount());
}

TEST_F(InterfaceDiscoveryTest, IoChannelOpensTheLinksOwnChoiceWithoutMutex)
{
    EmulatedUsbPrinter printer = AddPresent(0x0201, L"channel");

    CUsbLink link;
    link.m_dwModelSN = 4;
    link.m_dwInstIndex = 1;
    link.m_dwEnumMode = kPresentByIds;
    EXPECT_RESULT(0u, link.OpenIOChannel());
    EXPECT_NE(nullptr, link.m_hPipe);
    EXPECT_EQ(nullptr, link.m_hMutexRW);
    EXPECT_FALSE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));

    link.m_dwInstIndex = 2;
    link.CloseUsb();
    EXPECT_EQ(1167u, link.OpenIOChannel());
    link.m_dwModelSN = 5;
    link.m_dwInstIndex = 1;
    wcscpy(link.m_szSymbolicLink, L"untouched");
    EXPECT_EQ(3012u, link.OpenIOChannel());
    EXPECT_STREQ(L"untouched", link.m_szSymbolicLink);
}

TEST_F(InterfaceDiscoveryTest, PortNumberChoosesTheInterface)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0201, L"port");
    printer.iface.writeParameters = true;
    // A port number no other interface of the machine has.
    printer.iface.portNumber = 77;
    ASSERT_TRUE(reg.AddUsbDevice(printer.iface.deviceId.c_str(), printer.iface.instance.c_str(), nullptr));
    ASSERT_TRUE(reg.AddInterface(printer.iface));

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByModelSN(kT40W, 77, kPresentByPort, 3));
    EXPECT_TRUE(EqualIgnoringAsciiCase(printer.path.c_str(), link.m_szSymbolicLink));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));

    CUsbLink other;
    EXPECT_EQ(1167u, other.OpenByModelSN(kT40W, 78, kPresentByPort, 3));
    EXPECT_STREQ(L"", other.m_szSymbolicLink);
}

TEST_F(InterfaceDiscoveryTest, ReusedLinkFollowsTheTransportOfEachOpen)
{
    EmulatedUsbPrinter usb = AddPresent(0x0201, L"reuse");
    CPrinterEmulator tcp;
    ASSERT_TRUE(tcp.StartTcp(nullptr, EMU_PRINTER_TCP_PORT));
    const std::wstring address = tcp.GetAddressW();
    const BYTE frame[] = {0x1B, 'D', 's', 0x0D};
    DWORD written = 0;

    CUsbLink link;
    ASSERT_EQ(0u, link.OpenByName(address.c_str()));
    ASSERT_TRUE(tcp.WaitForConnections(1, kConnectWaitMs));

    // By model row the link becomes a USB link under the device's mutex.
    EXPECT_RESULT(0u, link.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    EXPECT_EQ(0, link.m_bUseTcpip);
    EXPECT_EQ(0u, link.m_socket_fd);
    EXPECT_TRUE(tcp.WaitForDisconnects(1, kConnectWaitMs));
    EXPECT_FALSE(MutexExists(L"Global\\" + address));
    EXPECT_TRUE(MutexExists(MutexNameOf(usb.path)));
    EXPECT_EQ(0u, link.WriteData(frame, sizeof(frame), &written));
    EXPECT_TRUE(usb.emu->WaitForFrames(1, kConnectWaitMs));

    // And by address text a TCP/IP link again, without the device.
    EXPECT_RESULT(0u, link.OpenByName(address.c_str()));
    EXPECT_EQ(nullptr, link.m_hPipe);
    EXPECT_TRUE(usb.emu->WaitForDisconnects(1, kConnectWaitMs));
    EXPECT_FALSE(MutexExists(MutexNameOf(usb.path)));
    EXPECT_EQ(0u, link.WriteData(frame, sizeof(frame), &written));
    EXPECT_TRUE(tcp.WaitForFrames(1, kConnectWaitMs));

    // A device path, too, leaves the network printer.
    EXPECT_RESULT(0u, link.OpenByDevicePath(usb.path.c_str()));
    EXPECT_EQ(0, link.m_bUseTcpip);
    EXPECT_TRUE(tcp.WaitForDisconnects(2, kConnectWaitMs));
    EXPECT_EQ(0u, link.WriteData(frame, sizeof(frame), &written));
    EXPECT_TRUE(usb.emu->WaitForFrames(2, kConnectWaitMs));
}

// ---- Counting -----------------------------------------------------------------------

TEST_F(InterfaceDiscoveryTest, CountsPresentOrAllInterfacesOfTheModel)
{
    EmulatedUsbPrinter a = AddPresent(0x0201, L"ca");
    EmulatedUsbPrinter b = AddPresent(0x0201, L"cb");
    EmulatedUsbPrinter c = AddPresent(0x0201, L"cc", 0);
    EmulatedUsbPrinter other = AddPresent(0x0002, L"cother");

    CUsbLink link;
    SetLastError(kDiscoveryMarker);
    EXPECT_EQ(2u, link.CountModelDevices(kT40W, kPresentByIds, nullptr, 0));
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(3u, link.CountModelDevices(kT40W, kAllByIds, nullptr, 0));
    EXPECT_EQ(2u, link.CountDevices(GUID_USB_PRINTER_INTERFACE, kPresentByIds, kT40WUsbId, nullptr, 0));
    // Without the ids bit every present interface counts.
    EXPECT_LE(3u, link.CountModelDevices(kT40W, 0x002, nullptr, 0));
    // With it but without ids nothing does.
    EXPECT_EQ(0u, link.CountDevices(GUID_USB_PRINTER_INTERFACE, kPresentByIds, 0, nullptr, 0));
    EXPECT_EQ(0u, link.CountModelDevices(0, kPresentByIds, nullptr, 0));
    // Another vendor's device with the same product id.
    EXPECT_EQ(0u, link.CountDevices(GUID_USB_PRINTER_INTERFACE, kPresentByIds, 0x12340201, nullptr, 0));
}

TEST_F(InterfaceDiscoveryTest, PathListGetsNoMoreThanItsSlots)
{
    EmulatedUsbPrinter a = AddPresent(0x0201, L"la");
    EmulatedUsbPrinter b = AddPresent(0x0201, L"lb");
    EmulatedUsbPrinter c = AddPresent(0x0201, L"lc");
    const std::set<std::wstring> expected = LowerPaths({&a, &b, &c});

    CUsbLink link;
    for (DWORD slots : {0u, 1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(slots);
        WCHAR list[5][256];
        for (auto& slot : list)
            wmemset(slot, L'#', 256);
        EXPECT_EQ(3u, link.CountModelDevices(kT40W, kPresentByIds, list, slots));
        std::set<std::wstring> written;
        for (DWORD i = 0; i < slots && i < 3; ++i)
            written.insert(Lower(list[i]));
        EXPECT_EQ(std::min<size_t>(slots, 3), written.size());
        for (const std::wstring& path : written)
            EXPECT_EQ(1u, expected.count(path)) << path.c_str();
        for (DWORD i = std::min<DWORD>(slots, 3); i < 5; ++i)
            EXPECT_EQ(L'#', list[i][0]) << i;
    }
}

// ---- Choosing one interface ------------------------------------------------------------

TEST_F(InterfaceDiscoveryTest, InterfacesOfTheModelAreNumberedInListOrder)
{
    EmulatedUsbPrinter a = AddPresent(0x0201, L"na");
    EmulatedUsbPrinter b = AddPresent(0x0201, L"nb");

    CUsbLink link;
    std::set<std::wstring> chosen;
    for (DWORD index = 0; index < 2; ++index) {
        WCHAR path[MAX_PATH] = L"";
        DWORD linked = 7;
        EXPECT_RESULT(0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, index, path, MAX_PATH, &linked,
                                                  kPresentByIds, kT40WUsbId));
        EXPECT_EQ(1u, linked);
        chosen.insert(Lower(path));
    }
    EXPECT_EQ(LowerPaths({&a, &b}), chosen);
    // The chosen device's ids name the model.
    EXPECT_EQ(4u, link.m_dwModelSN);
}

TEST_F(InterfaceDiscoveryTest, FailedChoiceClearsPathAndActiveFlag)
{
    EmulatedUsbPrinter a = AddPresent(0x0201, L"fa");
    CUsbLink link;
    link.m_dwModelSN = 1;
    WCHAR path[MAX_PATH] = L"\\\\?\\usb#earlier";
    DWORD linked = 1;
    EXPECT_RESULT(ERROR_NO_MORE_ITEMS, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 1, path, MAX_PATH, &linked,
                                                               kPresentByIds, kT40WUsbId));
    EXPECT_STREQ(L"", path);
    EXPECT_EQ(0u, linked);
    EXPECT_EQ(1u, link.m_dwModelSN);

    EXPECT_RESULT(87u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, nullptr, MAX_PATH, &linked, kPresentByIds,
                                               kT40WUsbId));
    EXPECT_EQ(87u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, MAX_PATH, nullptr, kPresentByIds,
                                           kT40WUsbId));
    EXPECT_EQ(87u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, 0, &linked, kPresentByIds, kT40WUsbId));
}

TEST_F(InterfaceDiscoveryTest, ChosenPathFitsItsRoomExactly)
{
    EmulatedUsbPrinter a = AddPresent(0x0201, L"room");
    const std::wstring expected = Lower(a.path);
    const DWORD exact = static_cast<DWORD>(expected.size() + 1);
    CUsbLink link;

    for (DWORD room : {exact + 1, exact}) {
        WCHAR path[MAX_PATH];
        wmemset(path, L'#', MAX_PATH);
        DWORD linked = 0;
        EXPECT_EQ(
            0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, room, &linked, kPresentByIds, kT40WUsbId));
        EXPECT_TRUE(EqualIgnoringAsciiCase(expected.c_str(), path));
        EXPECT_EQ(L'#', path[exact]);
        EXPECT_EQ(1u, linked);
    }
    WCHAR path[MAX_PATH];
    wmemset(path, L'#', MAX_PATH);
    DWORD linked = 1;
    EXPECT_RESULT(ERROR_INSUFFICIENT_BUFFER, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, exact - 1,
                                                                     &linked, kPresentByIds, kT40WUsbId));
    EXPECT_EQ(L'\0', path[0]);
    EXPECT_EQ(L'#', path[exact - 1]);
    EXPECT_EQ(0u, linked);
}

TEST_F(InterfaceDiscoveryTest, ModelFollowsTheChosenDevicesIdsOnlyWhenARowHasThem)
{
    EmulatedUsbPrinter known = AddPresent(0x0201, L"mk");
    EmulatedUsbPrinter unknown = AddPresent(0x0999, L"mu");
    CUsbLink link;
    WCHAR path[MAX_PATH];
    DWORD linked = 0;

    link.m_dwModelSN = 1;
    ASSERT_EQ(
        0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, MAX_PATH, &linked, kPresentByIds, kT40WUsbId));
    EXPECT_EQ(4u, link.m_dwModelSN);

    link.m_dwModelSN = 1;
    ASSERT_EQ(
        0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 0, path, MAX_PATH, &linked, kPresentByIds, 0x5D270999));
    EXPECT_TRUE(EqualIgnoringAsciiCase(unknown.path.c_str(), path));
    EXPECT_EQ(1u, link.m_dwModelSN);
}

TEST_F(InterfaceDiscoveryTest, PortChoiceTestsBaseNameOrIdsByWindowsVersion)
{
    EmulatedUsbPrinter usb = StartUsbPrinter(reg, 0x0201, L"pu");
    usb.iface.writeParameters = true;
    usb.iface.portNumber = 61;
    usb.iface.writeVidPid = true;
    usb.iface.vidPid = kT40WUsbId;
    ASSERT_TRUE(reg.AddUsbDevice(usb.iface.deviceId.c_str(), usb.iface.instance.c_str(), nullptr));
    ASSERT_TRUE(reg.AddInterface(usb.iface));
    EmulatedUsbPrinter dot4 = StartUsbPrinter(reg, 0x0201, L"pd");
    dot4.iface.writeParameters = true;
    dot4.iface.portNumber = 62;
    dot4.iface.baseName = L"DOT4";
    ASSERT_TRUE(reg.AddUsbDevice(dot4.iface.deviceId.c_str(), dot4.iface.instance.c_str(), nullptr));
    ASSERT_TRUE(reg.AddInterface(dot4.iface));

    WCHAR path[MAX_PATH];
    DWORD linked = 0;
    CUsbLink link;
    link.m_wOsVersionCode = OSV_WIN7_64;
    EXPECT_EQ(0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 60, path, MAX_PATH, &linked, kPresentByPort, 0));
    EXPECT_TRUE(EqualIgnoringAsciiCase(usb.path.c_str(), path));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS),
              link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 61, path, MAX_PATH, &linked, kPresentByPort, 0));

    // Windows 2000 knows no base name; the ids decide.
    link.m_wOsVersionCode = OSV_WIN2000;
    EXPECT_EQ(0u, link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 60, path, MAX_PATH, &linked, kPresentByPort,
                                          kT40WUsbId));
    EXPECT_TRUE(EqualIgnoringAsciiCase(usb.path.c_str(), path));
    EXPECT_EQ(
        static_cast<DWORD>(ERROR_NO_MORE_ITEMS),
        link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 60, path, MAX_PATH, &linked, kPresentByPort, 0x5D270003));

    link.m_wOsVersionCode = OSV_NT4;
    EXPECT_EQ(
        static_cast<DWORD>(ERROR_NO_MORE_ITEMS),
        link.GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, 60, path, MAX_PATH, &linked, kPresentByPort, kT40WUsbId));
}

TEST_F(InterfaceDiscoveryTest, IsModelLinkedReportsTheChosenInterfacesActiveFlag)
{
    EmulatedUsbPrinter active = AddPresent(0x0201, L"ia");
    EmulatedUsbPrinter inactive = AddPresent(0x0201, L"ii", 0);

    CUsbLink link;
    SetLastError(kDiscoveryMarker);
    EXPECT_FALSE(link.IsModelLinked(0, 1, kPresentByIds));
    EXPECT_EQ(3012u, GetLastError());
    EXPECT_FALSE(link.IsModelLinked(7, 1, kPresentByIds));

    SetLastError(kDiscoveryMarker);
    EXPECT_TRUE(link.IsModelLinked(kT40W, 1, kPresentByIds));
    EXPECT_EQ(0u, GetLastError());
    SetLastError(kDiscoveryMarker);
    EXPECT_FALSE(link.IsModelLinked(kT40W, 2, kPresentByIds));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());

    // Counting every interface, one of the two is not active.
    int linkedCount = 0;
    for (DWORD index = 1; index <= 2; ++index)
        linkedCount += link.IsModelLinked(kT40W, index, kAllByIds) ? 1 : 0;
    EXPECT_EQ(1, linkedCount);
    EXPECT_EQ(4u, link.m_dwModelSN);
}

// ---- The Windows printer of an open link ------------------------------------------------

TEST_F(InterfaceDiscoveryTest, PrinterNameOfALinkIsThePrinterOnItsDevice)
{
    EmulatedUsbPrinter first = StartUsbPrinter(reg, 0x0002, L"pa");
    EmulatedUsbPrinter second = StartUsbPrinter(reg, 0x0002, L"pb");
    const std::wstring firstName = reg.Unique(L"First T41");
    const std::wstring secondName = reg.Unique(L"Second T41");
    ASSERT_TRUE(reg.AddUsbPrinter(firstName.c_str(), L"Vornex T41", first.iface));
    ASSERT_TRUE(reg.AddUsbPrinter(secondName.c_str(), L"VORNEX T41", second.iface));

    CUsbLink link;
    link.m_dwModelSN = 3;
    wcscpy(link.m_szSymbolicLink, Lower(second.path).c_str());
    const DWORD exact = static_cast<DWORD>(secondName.size() + 1);
    for (DWORD room : {exact + 1, exact}) {
        WCHAR name[300];
        wmemset(name, L'#', 300);
        EXPECT_RESULT(0u, link.FindPrinterNameByLink(name, room));
        EXPECT_STREQ(secondName.c_str(), name);
        EXPECT_EQ(L'#', name[exact]);
    }
    WCHAR name[300];
    wmemset(name, L'#', 300);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), link.FindPrinterNameByLink(name, exact - 1));
    EXPECT_EQ(L'#', name[0]);

    // The path must match exactly, and the driver must be the link's model's.
    WCHAR kept[300] = L"kept";
    wcscpy(link.m_szSymbolicLink, second.path.c_str());
    EXPECT_EQ(0u, link.FindPrinterNameByLink(kept, 300));
    EXPECT_STREQ(L"kept", kept);
    wcscpy(link.m_szSymbolicLink, Lower(second.path).c_str());
    link.m_dwModelSN = 5;
    EXPECT_EQ(0u, link.FindPrinterNameByLink(kept, 300));
    EXPECT_STREQ(L"kept", kept);
    link.m_dwModelSN = 0;
    EXPECT_EQ(0u, link.FindPrinterNameByLink(kept, 300));
    EXPECT_STREQ(L"kept", kept);
    EXPECT_EQ(87u, link.FindPrinterNameByLink(nullptr, 300));
}

TEST_F(InterfaceDiscoveryTest, LinkOpenedByRowFindsItsPrinterName)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0201, L"rowname");
    const std::wstring printerName = reg.Unique(L"Row Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(printerName.c_str(), L"Vornex T40W", printer.iface));

    CUsbLink link;
    ASSERT_EQ(0u, link.OpenByModelSN(kT40W, 1, kPresentByIds, 3));
    WCHAR name[256] = L"";
    EXPECT_EQ(0u, link.FindPrinterNameByLink(name, 256));
    EXPECT_STREQ(printerName.c_str(), name);
}

} // namespace
