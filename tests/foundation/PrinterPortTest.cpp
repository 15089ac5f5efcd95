#include "Utilities.h"

#include "ScratchRegistryKey.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

const DWORD kMarker = 0xC0FFEE;
const std::wstring kPrinters = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::wstring kPorts = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

// A name buffer of PRINTER_NAME_ROOM characters with guards behind it.
struct NameBuffer {
    WCHAR text[PRINTER_NAME_ROOM + 4];
    NameBuffer(LPCWSTR initial = L"untouched")
    {
        wmemset(text, L'#', PRINTER_NAME_ROOM + 4);
        wcscpy(text, initial);
    }
    bool GuardsIntact() const
    {
        for (DWORD i = PRINTER_NAME_ROOM; i < PRINTER_NAME_ROOM + 4; ++i)
            if (text[i] != L'#')
                return false;
        return true;
    }
};

TEST(GetPrinterDriverAndPort, ReadsBothNamesFromThePrinterKey)
{
    ScratchRegistryKey printer(HKEY_LOCAL_MACHINE, kPrinters + L"Qel Util Printer A");
    ASSERT_TRUE(printer.ok());
    printer.SetText(L"Printer Driver", L"Vornex T42 Card Printer");
    printer.SetText(L"Port", L"USB003");
    NameBuffer driver, port;
    SetLastError(kMarker);
    EXPECT_EQ(0u, GetPrinterDriverAndPort(L"Qel Util Printer A", driver.text, port.text));
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_STREQ(L"Vornex T42 Card Printer", driver.text);
    EXPECT_STREQ(L"USB003", port.text);

    NameBuffer onlyPort;
    EXPECT_EQ(0u, GetPrinterDriverAndPort(L"Qel Util Printer A", nullptr, onlyPort.text));
    EXPECT_STREQ(L"USB003", onlyPort.text);
    NameBuffer onlyDriver;
    EXPECT_EQ(0u, GetPrinterDriverAndPort(L"Qel Util Printer A", onlyDriver.text, nullptr));
    EXPECT_STREQ(L"Vornex T42 Card Printer", onlyDriver.text);
}

TEST(GetPrinterDriverAndPort, NamesFillTheRoomToTheLastCharacterButNoFurther)
{
    ScratchRegistryKey printer(HKEY_LOCAL_MACHINE, kPrinters + L"Qel Util Printer B");
    ASSERT_TRUE(printer.ok());
    std::wstring exact(PRINTER_NAME_ROOM - 1, L'd');
    printer.SetText(L"Printer Driver", exact);
    printer.SetText(L"Port", std::wstring(PRINTER_NAME_ROOM - 2, L'p'));
    NameBuffer driver, port;
    EXPECT_EQ(0u, GetPrinterDriverAndPort(L"Qel Util Printer B", driver.text, port.text));
    EXPECT_EQ(exact, driver.text);
    EXPECT_EQ(std::wstring(PRINTER_NAME_ROOM - 2, L'p'), port.text);
    EXPECT_TRUE(driver.GuardsIntact());
    EXPECT_TRUE(port.GuardsIntact());

    // One character more does not fit: the value counts as missing.
    printer.SetText(L"Port", std::wstring(PRINTER_NAME_ROOM, L'p'));
    NameBuffer driver2, port2;
    SetLastError(kMarker);
    DWORD result = GetPrinterDriverAndPort(L"Qel Util Printer B", driver2.text, port2.text);
    EXPECT_NE(0u, result);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(exact, driver2.text);
    EXPECT_STREQ(L"", port2.text);
    EXPECT_TRUE(port2.GuardsIntact());
}

TEST(GetPrinterDriverAndPort, AMissingOrMistypedValueFailsTheCall)
{
    ScratchRegistryKey printer(HKEY_LOCAL_MACHINE, kPrinters + L"Qel Util Printer C");
    ASSERT_TRUE(printer.ok());
    printer.SetText(L"Port", L"IP_10.0.0.7");
    NameBuffer driver, port;
    SetLastError(kMarker);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetPrinterDriverAndPort(L"Qel Util Printer C", driver.text, port.text));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_STREQ(L"", driver.text);
    EXPECT_STREQ(L"IP_10.0.0.7", port.text);

    printer.SetDword(L"Printer Driver", 42);
    NameBuffer driver2, port2;
    EXPECT_NE(0u, GetPrinterDriverAndPort(L"Qel Util Printer C", driver2.text, port2.text));
    EXPECT_STREQ(L"", driver2.text);
    EXPECT_STREQ(L"IP_10.0.0.7", port2.text);
}

TEST(GetPrinterDriverAndPort, FailuresLeaveBothOutputsAlone)
{
    const struct {
        std::wstring name;
        bool null;
        DWORD expected;  // 0: whatever the spooler says, as long as it is a failure
    } cases[] = {
        {L"", true, ERROR_INVALID_PARAMETER},
        {std::wstring(600, L'n'), false, ERROR_INVALID_PRINTER_NAME},
        {L"Qel Util No Such Printer", false, 0},
    };
    for (const auto& c : cases) {
        NameBuffer driver, port;
        SetLastError(kMarker);
        DWORD result = GetPrinterDriverAndPort(c.null ? nullptr : c.name.c_str(), driver.text, port.text);
        if (c.expected) {
            EXPECT_EQ(c.expected, result);
        }
        EXPECT_NE(0u, result);
        EXPECT_EQ(result, GetLastError());
        EXPECT_STREQ(L"untouched", driver.text);
        EXPECT_STREQ(L"untouched", port.text);
    }
}

TEST(FindPrinterByDriverAndPort, FindsTheFirstPrinterWithBothNamesIgnoringCase)
{
    ScratchRegistryKey a(HKEY_LOCAL_MACHINE, kPrinters + L"Qel Util Find A");
    ScratchRegistryKey b(HKEY_LOCAL_MACHINE, kPrinters + L"Qel Util Find B");
    ASSERT_TRUE(a.ok() && b.ok());
    a.SetText(L"Printer Driver", L"Qel Find Driver");
    a.SetText(L"Port", L"QELFIND1");
    b.SetText(L"Printer Driver", L"Qel Find Driver");
    b.SetText(L"Port", L"QELFIND2");

    NameBuffer out;
    EXPECT_EQ(0u, FindPrinterByDriverAndPort(L"QEL FIND DRIVER", L"qelfind2", out.text));
    EXPECT_STREQ(L"Qel Util Find B", out.text);
    EXPECT_TRUE(out.GuardsIntact());

    NameBuffer none;
    EXPECT_EQ(0u, FindPrinterByDriverAndPort(L"Qel Find Driver", L"QELFIND3", none.text));
    EXPECT_STREQ(L"untouched", none.text);
    // A port alone is not enough.
    EXPECT_EQ(0u, FindPrinterByDriverAndPort(L"Other Driver", L"QELFIND1", none.text));
    EXPECT_STREQ(L"untouched", none.text);
}

class TcpipPort : public testing::Test {
protected:
    std::wstring name = L"QelUtil_IP_" + std::to_wstring(GetCurrentProcessId());
    ScratchRegistryKey port{HKEY_LOCAL_MACHINE, kPorts + name};
    WCHAR address[24 + 4];
    DWORD portNumber = 7777;

    void SetUp() override
    {
        ASSERT_TRUE(port.ok());
        wmemset(address, L'#', 28);
        wcscpy(address, L"before");
    }
    bool GuardsIntact() const { return address[24] == L'#' && address[25] == L'#' && address[27] == L'#'; }
};

TEST_F(TcpipPort, GivesTheAddressAndPortNumber)
{
    port.SetText(L"IPAddress", L"192.168.1.20");
    port.SetDword(L"PortNumber", 9101);
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_STREQ(L"192.168.1.20", address);
    EXPECT_EQ(9101u, portNumber);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(TcpipPort, APortNumberOfZeroOrNoneLeavesTheCallersNumber)
{
    port.SetText(L"IPAddress", L"10.1.2.3");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_EQ(7777u, portNumber);
    port.SetDword(L"PortNumber", 0);
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_EQ(7777u, portNumber);
    port.SetText(L"PortNumber", L"9100");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_EQ(7777u, portNumber);
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, nullptr));
}

TEST_F(TcpipPort, AnEmptyAddressFallsBackToADottedHostNameOnly)
{
    port.SetText(L"IPAddress", L"");
    port.SetText(L"HostName", L"192.168.1.50");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_STREQ(L"192.168.1.50", address);
    port.SetDword(L"PortNumber", 9102);
    for (LPCWSTR host : {L"printer1", L"1.2.3.4", L"192.168.1.5x", L""}) {
        wcscpy(address, L"before");
        port.SetText(L"HostName", host);
        EXPECT_FALSE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber)) << host;
        EXPECT_STREQ(L"", address) << host;
    }
    // The port number is still taken when the key has one.
    EXPECT_EQ(9102u, portNumber);
    // Eight characters are enough.
    port.SetText(L"HostName", L"10.0.0.1");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_STREQ(L"10.0.0.1", address);
}

TEST_F(TcpipPort, AnAddressLongerThanTheFieldIsCutToIt)
{
    std::wstring exact(23, L'1');
    port.SetText(L"IPAddress", exact);
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_EQ(exact, address);
    EXPECT_TRUE(GuardsIntact());
    port.SetText(L"IPAddress", exact + L"2");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_EQ(exact, address);
    EXPECT_TRUE(GuardsIntact());
    port.SetText(L"IPAddress", L"fe80::1:2:3:4:5:6:7:8:9:10:11");
    EXPECT_TRUE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_STREQ(L"fe80::1:2:3:4:5:6:7:8:9", address);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(TcpipPort, AMissingAddressValueGivesFalseAndAnUnknownPortTouchesNothing)
{
    EXPECT_FALSE(CheckIfTcpipPort(name.c_str(), address, 24, &portNumber));
    EXPECT_STREQ(L"before", address);

    SetLastError(kMarker);
    EXPECT_FALSE(CheckIfTcpipPort(L"USB001", address, 24, &portNumber));
    EXPECT_STREQ(L"before", address);
    EXPECT_EQ(7777u, portNumber);

    std::wstring longName(600, L'x');
    SetLastError(kMarker);
    EXPECT_FALSE(CheckIfTcpipPort(longName.c_str(), address, 24, &portNumber));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    EXPECT_STREQ(L"before", address);

    SetLastError(kMarker);
    EXPECT_FALSE(CheckIfTcpipPort(name.c_str(), address, 0, &portNumber));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
