// Opening a link by printer name, address text and device path.
#include "DiscoveryTestSupport.h"
#include "ModelTable.h"
#include "Platform.h"

#include <string>

namespace {

const DWORD kNetworkTimeOutMs = 10000;
const BYTE kStatusFrame[] = {0x1B, 'D', 's', 0x0D};

class OpenByNameTest : public ::testing::Test {
protected:
    // The printer's name in the registry, unique to this process.
    std::wstring PrinterName(LPCWSTR name) const { return reg.Unique(name); }

    // Sends one frame and checks that the emulator behind emu received it.
    static void ExpectExchangeReaches(CUsbLink& link, CPrinterEmulator& emu)
    {
        DWORD written = 0;
        EXPECT_EQ(0u, link.WriteData(kStatusFrame, sizeof(kStatusFrame), &written));
        EXPECT_EQ(sizeof(kStatusFrame), written);
        ASSERT_TRUE(emu.WaitForFrames(1, kConnectWaitMs));
        EXPECT_EQ("Ds", emu.GetRequests().at(0).request);
    }

    // A connected network link: its address and port, 10000 ms time-outs, the
    // model, and the mutex named by the address.
    static void ExpectNetworkLink(CUsbLink& link, CPrinterEmulator& emu, DWORD port, DWORD model)
    {
        EXPECT_EQ(1, link.m_bUseTcpip);
        EXPECT_STREQ(emu.GetAddressW(), link.m_szIP);
        EXPECT_EQ(port, link.m_nPort);
        EXPECT_EQ(kNetworkTimeOutMs, link.m_dwTimeOutR);
        EXPECT_EQ(kNetworkTimeOutMs, link.m_dwTimeOutW);
        EXPECT_EQ(model, link.m_dwModelSN);
        EXPECT_EQ(1, link.IsOpen());
        EXPECT_TRUE(MutexExists(std::wstring(L"Global\\") + emu.GetAddressW()));
        EXPECT_TRUE(emu.WaitForConnections(1, kConnectWaitMs));
        ExpectExchangeReaches(link, emu);
    }

    CDeviceRegistryFixture reg;
};

// ---- Names that are no printer names -------------------------------------------

TEST_F(OpenByNameTest, NoNameGivesInvalidParameter)
{
    CUsbLink link;
    EXPECT_RESULT(87u, link.OpenByName(nullptr));
    EXPECT_RESULT(87u, link.OpenByName(L""));
    EXPECT_EQ(87u, link.OpenUsbPrinter2k(nullptr));
    EXPECT_EQ(87u, link.OpenByDevicePath(nullptr));
    EXPECT_EQ(0u, link.m_dwModelSN);
    EXPECT_EQ(nullptr, link.m_hPipe);
}

TEST_F(OpenByNameTest, AddressTextConnectsToPort9100WithLongTimeOuts)
{
    CPrinterEmulator emu;
    ASSERT_TRUE(emu.StartTcp(nullptr, EMU_PRINTER_TCP_PORT));
    std::wstring address = emu.GetAddressW();

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByName(address.c_str()));
    ExpectNetworkLink(link, emu, 9100, 2);
    EXPECT_EQ(0u, link.m_dwInstIndex);
    EXPECT_STREQ(L"", link.m_szVIDPID);
}

TEST_F(OpenByNameTest, AddressTextWithoutListenerFailsAndKeepsTheModel)
{
    char address[16];
    // An address of this process on which nothing listens.
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(37, address, sizeof(address)));
    std::wstring wide(address, address + strlen(address));

    CUsbLink link;
    link.m_dwModelSN = 4;
    SetLastError(kDiscoveryMarker);
    DWORD result = link.OpenByName(wide.c_str());
    EXPECT_EQ(10061u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(4u, link.m_dwModelSN);
    EXPECT_EQ(1, link.m_bUseTcpip);
    EXPECT_EQ(9100u, link.m_nPort);
    EXPECT_EQ(0, link.IsOpen());
    EXPECT_EQ(0u, link.m_socket_fd);
}

TEST_F(OpenByNameTest, AnAddressTooLongForTheLinkIsTakenForAPrinterName)
{
    // 24 characters: no address field holds it, so it never becomes one.
    CUsbLink link;
    EXPECT_RESULT(1801u, link.OpenByName(L"192.168.100.200.....0001"));
    EXPECT_EQ(0, link.m_bUseTcpip);
    EXPECT_STREQ(L"", link.m_szIP);
}

// ---- Device paths ----------------------------------------------------------------

TEST_F(OpenByNameTest, DevicePathInAnyCaseOpensThatDeviceWithItsModel)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0003, L"path");
    std::wstring lower = Lower(printer.path);

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByName(lower.c_str()));
    EXPECT_EQ(5u, link.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0003", link.m_szVIDPID);
    EXPECT_STREQ(lower.c_str(), link.m_szSymbolicLink);
    EXPECT_EQ(0, link.m_bUseTcpip);
    EXPECT_NE(nullptr, link.m_hPipe);
    EXPECT_TRUE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
    ExpectExchangeReaches(link, *printer.emu);
}

TEST_F(OpenByNameTest, DevicePathAsWindowsWritesItOpensDirectly)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0101, L"upper");
    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByDevicePath(printer.path.c_str()));
    EXPECT_EQ(1u, link.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0101", link.m_szVIDPID);
    EXPECT_STREQ(printer.path.c_str(), link.m_szSymbolicLink);
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
}

TEST_F(OpenByNameTest, DevicePathsOfNoModelOpenNothing)
{
    const LPCWSTR paths[] = {
        L"\\\\?\\USB#VID_1234&PID_0003#other#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
        // Cut to 16 bits these ids would be a T40's.
        L"\\\\?\\USB#VID_15D27&PID_0003#wide#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
        L"\\\\?\\USB#VID_5D27&PID_10003#wide#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
        L"\\\\?\\USB#VID_5D27#nopid#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
        L"\\\\?\\USB#VID_5D27&PID_",
        L"\\\\?\\USB#vid",
        L"\\\\?\\usb",
    };
    for (LPCWSTR path : paths) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(path));
        CUsbLink link;
        link.m_dwModelSN = 4;
        EXPECT_RESULT(3012u, link.OpenByName(path));
        EXPECT_EQ(0u, link.m_dwModelSN);
        EXPECT_STREQ(L"", link.m_szVIDPID);
        EXPECT_EQ(nullptr, link.m_hPipe);
        EXPECT_EQ(nullptr, link.m_hMutexRW);
    }
}

TEST_F(OpenByNameTest, DevicePathLongerThanTheLinkHoldsIsRefused)
{
    std::wstring path = L"\\\\?\\USB#VID_5D27&PID_0003#" + std::wstring(240, L'a') + L"#{x}";
    CUsbLink link;
    wcscpy(link.m_szSymbolicLink, L"kept");
    EXPECT_RESULT(87u, link.OpenByDevicePath(path.c_str()));
    EXPECT_STREQ(L"kept", link.m_szSymbolicLink);
    EXPECT_EQ(0u, link.m_dwModelSN);
}

TEST_F(OpenByNameTest, OnlyTheUsbPrefixMakesADevicePath)
{
    // "\\?\USX" is a printer name, and this one has no PnPData.
    CUsbLink link;
    EXPECT_EQ(1801u, link.OpenByName(L"\\\\?\\USX#VID_5D27&PID_0003#a#{b}"));
}

// ---- Printers on USB ports -----------------------------------------------------------

TEST_F(OpenByNameTest, UsbPrinterOpensTheDeviceItsRegistryNames)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0003, L"byname");
    std::wstring name = PrinterName(L"Card Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T40", printer.iface));

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByName(name.c_str()));
    // As the registry holds it, not lower-cased.
    EXPECT_STREQ(printer.path.c_str(), link.m_szSymbolicLink);
    EXPECT_EQ(1u, link.m_dwLinked);
    EXPECT_EQ(5u, link.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0003", link.m_szVIDPID);
    EXPECT_EQ(0u, link.m_dwInstIndex);
    EXPECT_EQ(0, link.m_bUseTcpip);
    EXPECT_TRUE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
    ExpectExchangeReaches(link, *printer.emu);

    // The address stays: the link opens the same printer again without a search.
    link.CloseUsb();
    EXPECT_EQ(0u, link.OpenUsb());
    EXPECT_TRUE(printer.emu->WaitForConnections(2, kConnectWaitMs));
}

TEST_F(OpenByNameTest, FromWindows8TheInterfaceKeyNameIsThePath)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0001, L"win8");
    printer.iface.writeSymbolicLink = false;
    printer.iface.writeLinked = false;
    std::wstring name = PrinterName(L"Win8 Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T42", printer.iface));

    for (WORD code : {OSV_WIN8, OSV_WIN8_64}) {
        CUsbLink link;
        link.m_wOsVersionCode = code;
        EXPECT_RESULT(0u, link.OpenByName(name.c_str()));
        EXPECT_STREQ(printer.path.c_str(), link.m_szSymbolicLink);
        EXPECT_EQ(1u, link.m_dwLinked);
        EXPECT_EQ(2u, link.m_dwModelSN);
    }
    EXPECT_TRUE(printer.emu->WaitForConnections(2, kConnectWaitMs));
}

TEST_F(OpenByNameTest, BeforeWindows8PathAndActiveFlagComeFromTheRegistryValues)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0001, L"win7");
    printer.iface.linked = 0;
    std::wstring name = PrinterName(L"Win7 Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T42", printer.iface));

    CUsbLink link;
    link.m_wOsVersionCode = OSV_WIN7_64;
    // The active flag is taken, not tested.
    EXPECT_EQ(0u, link.OpenByName(name.c_str()));
    EXPECT_EQ(0u, link.m_dwLinked);
    EXPECT_STREQ(printer.path.c_str(), link.m_szSymbolicLink);
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
}

TEST_F(OpenByNameTest, MissingSymbolicLinkValueLeavesNoPathToOpen)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0001, L"nolink");
    printer.iface.writeSymbolicLink = false;
    std::wstring name = PrinterName(L"No Link Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T42", printer.iface));

    CUsbLink link;
    link.m_wOsVersionCode = OSV_WIN7_64;
    wcscpy(link.m_szSymbolicLink, printer.path.c_str());
    EXPECT_RESULT(110u, link.OpenByName(name.c_str()));
    EXPECT_STREQ(L"", link.m_szSymbolicLink);
    EXPECT_EQ(1u, link.m_dwLinked);
    EXPECT_EQ(0u, printer.emu->GetConnectionCount());
}

TEST_F(OpenByNameTest, ModelComesFromTheDriverNameWhenTheIdsGiveNone)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0999, L"driver");
    std::wstring name = PrinterName(L"Driver Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"VORNEX t42g", printer.iface));

    CUsbLink link;
    EXPECT_EQ(0u, link.OpenByName(name.c_str()));
    EXPECT_EQ(6u, link.m_dwModelSN);
    EXPECT_STREQ(L"", link.m_szVIDPID);
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
}

TEST_F(OpenByNameTest, ModelComesFromTheIdsWhenTheDriverNameGivesNone)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0101, L"ids");
    std::wstring name = PrinterName(L"Ids Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Generic Card Driver", printer.iface));

    CUsbLink link;
    EXPECT_EQ(0u, link.OpenByName(name.c_str()));
    EXPECT_EQ(1u, link.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0101", link.m_szVIDPID);
}

TEST_F(OpenByNameTest, WithoutDriverOrIdsTheModelStaysAsItWas)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0999, L"none");
    std::wstring name = PrinterName(L"Unknown Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Generic Card Driver", printer.iface));

    CUsbLink fresh;
    EXPECT_EQ(0u, fresh.OpenByName(name.c_str()));
    EXPECT_EQ(0u, fresh.m_dwModelSN);
    fresh.CloseUsb();

    CUsbLink used;
    used.m_dwModelSN = 3;
    wcscpy(used.m_szVIDPID, L"VID_5D27&PID_0002");
    EXPECT_EQ(0u, used.OpenByName(name.c_str()));
    EXPECT_EQ(3u, used.m_dwModelSN);
    EXPECT_STREQ(L"VID_5D27&PID_0002", used.m_szVIDPID);
}

// ---- Failures of the search by printer name -----------------------------------------

TEST_F(OpenByNameTest, PrinterWithoutPnPDataIsNoPrinterName)
{
    std::wstring name = PrinterName(L"Plain Printer");
    ASSERT_TRUE(reg.AddPrinter(name.c_str(), L"Vornex T40", L"USB001", nullptr));
    CUsbLink link;
    EXPECT_RESULT(1801u, link.OpenByName(name.c_str()));
    // The driver name was read before the search failed.
    EXPECT_EQ(5u, link.m_dwModelSN);
    EXPECT_EQ(nullptr, link.m_hPipe);

    EXPECT_RESULT(1801u, link.OpenByName(PrinterName(L"Printer Nobody Installed").c_str()));
}

TEST_F(OpenByNameTest, OverlongPrinterNameGivesInvalidPrinterName)
{
    std::wstring name(600, L'p');
    CUsbLink link;
    EXPECT_RESULT(1801u, link.OpenByName(name.c_str()));
}

TEST_F(OpenByNameTest, MissingEmptyOrMistypedInstanceIdGivesBadKey)
{
    std::wstring empty = PrinterName(L"Empty Id");
    ASSERT_TRUE(reg.AddPrinter(empty.c_str(), L"Vornex T40", L"USB001", L""));
    std::wstring missing = PrinterName(L"Missing Id");
    ASSERT_TRUE(reg.AddPrinter(missing.c_str(), L"Vornex T40", L"USB001", L"x"));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                           (CDeviceRegistryFixture::PrinterKey(missing.c_str()) + L"\\PnPData").c_str(),
                                           0, KEY_SET_VALUE, &key));
    RegDeleteValueW(key, L"DeviceInstanceId");
    RegCloseKey(key);
    std::wstring typed = PrinterName(L"Typed Id");
    ASSERT_TRUE(reg.AddPrinter(typed.c_str(), L"Vornex T40", L"USB001", L"x"));
    DWORD number = 7;
    ASSERT_TRUE(reg.SetRawValue(CDeviceRegistryFixture::PrinterKey(typed.c_str()) + L"\\PnPData", L"DeviceInstanceId",
                                REG_DWORD, &number, sizeof(number)));
    std::wstring unterminated = PrinterName(L"Long Id");
    ASSERT_TRUE(reg.AddPrinter(unterminated.c_str(), L"Vornex T40", L"USB001", std::wstring(300, L'u').c_str()));

    for (const std::wstring& name : {empty, missing, typed, unterminated}) {
        SCOPED_TRACE(testing::Message() << name.size());
        CUsbLink link;
        EXPECT_RESULT(1010u, link.OpenByName(name.c_str()));
        EXPECT_STREQ(L"", link.m_szSymbolicLink);
    }
}

TEST_F(OpenByNameTest, NoMatchingParentDeviceOpensNoOtherPrinter)
{
    // Another printer is installed and would be the last device visited.
    EmulatedUsbPrinter other = StartUsbPrinter(reg, 0x0003, L"bystander");
    ASSERT_TRUE(reg.AddUsbPrinter(PrinterName(L"Bystander").c_str(), L"Vornex T40", other.iface));
    std::wstring name = PrinterName(L"Orphan Printer");
    ASSERT_TRUE(reg.AddPrinter(name.c_str(), L"Vornex T40", L"USB002",
                               (L"USBPRINT\\VORNEXT\\9&" + reg.Tag() + L"&nowhere&0&USB002").c_str()));

    CUsbLink link;
    EXPECT_RESULT(1u, link.OpenByName(name.c_str()));
    EXPECT_STREQ(L"", link.m_szSymbolicLink);
    EXPECT_EQ(nullptr, link.m_hPipe);
    EXPECT_EQ(0u, other.emu->GetConnectionCount());

    WCHAR path[MAX_PATH] = L"kept";
    EXPECT_RESULT(1u, link.FindSymbolicLinkByPrinterName2k(name.c_str(), path, MAX_PATH));
    EXPECT_STREQ(L"kept", path);
}

TEST_F(OpenByNameTest, DeviceWithoutInterfaceGivesInvalidFunction)
{
    FixtureInterface iface;
    iface.deviceId = DeviceIdOf(0x0003);
    iface.instance = reg.Unique(L"bare");
    std::wstring prefix = L"8&" + iface.instance;
    ASSERT_TRUE(reg.AddUsbDevice(iface.deviceId.c_str(), iface.instance.c_str(), prefix.c_str()));
    std::wstring name = PrinterName(L"Bare Device");
    ASSERT_TRUE(
        reg.AddPrinter(name.c_str(), L"Vornex T40", L"USB003", (L"USBPRINT\\VORNEXT\\" + prefix + L"&0").c_str()));

    CUsbLink link;
    EXPECT_RESULT(1u, link.OpenByName(name.c_str()));
    EXPECT_EQ(5u, link.m_dwModelSN);
    EXPECT_STREQ(L"", link.m_szVIDPID);
}

TEST_F(OpenByNameTest, InterfaceOfAnInstanceWithALongerNameIsNotTaken)
{
    // The printer's device is instance I; only instance I + "2" has an interface.
    const std::wstring shortInstance = reg.Unique(L"sep");
    FixtureInterface longer;
    longer.deviceId = DeviceIdOf(0x0003);
    longer.instance = shortInstance + L"2";
    CPrinterEmulator emu;
    ASSERT_TRUE(emu.StartUsb(0x0003, longer.instance.c_str()));
    ASSERT_TRUE(reg.AddUsbDevice(longer.deviceId.c_str(), longer.instance.c_str(), nullptr));
    ASSERT_TRUE(reg.AddInterface(longer));
    std::wstring prefix = L"8&" + shortInstance;
    ASSERT_TRUE(reg.AddUsbDevice(longer.deviceId.c_str(), shortInstance.c_str(), prefix.c_str()));
    std::wstring name = PrinterName(L"Short Instance");
    ASSERT_TRUE(
        reg.AddPrinter(name.c_str(), L"Vornex T40", L"USB004", (L"USBPRINT\\VORNEXT\\" + prefix + L"&0").c_str()));

    CUsbLink link;
    EXPECT_RESULT(1u, link.OpenByName(name.c_str()));
    EXPECT_STREQ(L"", link.m_szSymbolicLink);
    EXPECT_EQ(0u, emu.GetConnectionCount());
}

// ---- Printers on Standard TCP/IP ports ------------------------------------------------

TEST_F(OpenByNameTest, NetworkPrinterConnectsToItsPortsAddressAndNumber)
{
    CPrinterEmulator emu;
    ASSERT_TRUE(emu.StartTcp(nullptr, 0));
    std::wstring port = reg.Unique(L"IP_");
    ASSERT_TRUE(reg.AddTcpipPort(port.c_str(), emu.GetAddressW(), nullptr, emu.GetPort()));
    std::wstring name = PrinterName(L"Network Printer");
    ASSERT_TRUE(reg.AddPrinter(name.c_str(), L"Vornex T42D", port.c_str(), nullptr));

    CUsbLink link;
    EXPECT_RESULT(0u, link.OpenByName(name.c_str()));
    ExpectNetworkLink(link, emu, emu.GetPort(), 1);
}

TEST_F(OpenByNameTest, NetworkPrinterThatRefusesGetsLongTimeOutsAnyway)
{
    char address[16];
    ASSERT_TRUE(CPrinterEmulator::PrivateLoopbackAddress(38, address, sizeof(address)));
    std::wstring wide(address, address + strlen(address));
    std::wstring port = reg.Unique(L"IP_refused_");
    ASSERT_TRUE(reg.AddTcpipPort(port.c_str(), wide.c_str(), nullptr, 9101));
    std::wstring name = PrinterName(L"Refusing Printer");
    ASSERT_TRUE(reg.AddPrinter(name.c_str(), L"Vornex T41", port.c_str(), nullptr));

    CUsbLink link;
    EXPECT_RESULT(10061u, link.OpenByName(name.c_str()));
    EXPECT_EQ(9101u, link.m_nPort);
    EXPECT_EQ(kNetworkTimeOutMs, link.m_dwTimeOutR);
    EXPECT_EQ(kNetworkTimeOutMs, link.m_dwTimeOutW);
    EXPECT_EQ(3u, link.m_dwModelSN);
    EXPECT_EQ(0, link.IsOpen());
}

// ---- The device path of a printer, without opening it ------------------------------------

TEST_F(OpenByNameTest, SymbolicLinkByPrinterNameIsLowerCasedAndFitsItsRoom)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0002, L"find");
    std::wstring name = PrinterName(L"Found Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T41", printer.iface));
    const std::wstring expected = Lower(printer.path);
    const DWORD exact = static_cast<DWORD>(expected.size() + 1);

    for (DWORD room : {exact + 1, exact}) {
        CUsbLink link;
        WCHAR path[MAX_PATH];
        wmemset(path, L'#', MAX_PATH);
        EXPECT_RESULT(0u, link.FindSymbolicLinkByPrinterName2k(name.c_str(), path, room));
        EXPECT_STREQ(expected.c_str(), path);
        EXPECT_EQ(L'#', path[exact]);
        // The link itself is left alone.
        EXPECT_STREQ(L"", link.m_szSymbolicLink);
        EXPECT_EQ(0u, link.m_dwModelSN);
        EXPECT_EQ(nullptr, link.m_hPipe);
    }

    CUsbLink link;
    WCHAR path[MAX_PATH];
    wmemset(path, L'#', MAX_PATH);
    EXPECT_RESULT(ERROR_INSUFFICIENT_BUFFER, link.FindSymbolicLinkByPrinterName2k(name.c_str(), path, exact - 1));
    EXPECT_EQ(L'#', path[0]);
    EXPECT_EQ(0u, printer.emu->GetConnectionCount());
}

TEST_F(OpenByNameTest, SymbolicLinkByPrinterNameFailsLikeTheOpen)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0002, L"nopath");
    printer.iface.writeSymbolicLink = false;
    std::wstring name = PrinterName(L"Pathless Printer");
    ASSERT_TRUE(reg.AddUsbPrinter(name.c_str(), L"Vornex T41", printer.iface));
    std::wstring plain = PrinterName(L"Plain Printer");
    ASSERT_TRUE(reg.AddPrinter(plain.c_str(), L"Vornex T41", L"USB001", nullptr));
    std::wstring empty = PrinterName(L"Empty Printer");
    ASSERT_TRUE(reg.AddPrinter(empty.c_str(), L"Vornex T41", L"USB001", L""));

    CUsbLink link;
    link.m_wOsVersionCode = OSV_WIN7_64;
    WCHAR path[MAX_PATH] = L"kept";
    // An interface without "SymbolicLink" is found, with no path to give.
    EXPECT_RESULT(0u, link.FindSymbolicLinkByPrinterName2k(name.c_str(), path, MAX_PATH));
    EXPECT_STREQ(L"kept", path);

    EXPECT_EQ(1801u, link.FindSymbolicLinkByPrinterName2k(plain.c_str(), path, MAX_PATH));
    EXPECT_EQ(1010u, link.FindSymbolicLinkByPrinterName2k(empty.c_str(), path, MAX_PATH));
    EXPECT_EQ(1801u, link.FindSymbolicLinkByPrinterName2k(std::wstring(600, L'n').c_str(), path, MAX_PATH));
    EXPECT_RESULT(87u, link.FindSymbolicLinkByPrinterName2k(nullptr, path, MAX_PATH));
    EXPECT_EQ(87u, link.FindSymbolicLinkByPrinterName2k(name.c_str(), nullptr, MAX_PATH));
    EXPECT_EQ(87u, link.FindSymbolicLinkByPrinterName2k(name.c_str(), path, 0));
    EXPECT_STREQ(L"kept", path);
}

} // namespace
