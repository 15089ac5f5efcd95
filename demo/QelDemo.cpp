// The demo host program of the main job: talks to a card printer (the
// bundled emulator) the way the driver's pages do, and prints what it got.
//   QelDemo <IP address> <TCP port>
#include "DeviceRegistryFixture.h"
#include "Platform.h"
#include "QelCmd.h"
#include "UsbLink.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* kRibbonNames[] = {"YMCKO", "K", "YMCKO-F", "YMCKOK", "KO"};

std::string Printable(const BYTE* data, DWORD length)
{
    std::string text;
    for (DWORD i = 0; i < length; ++i) {
        char piece[8];
        if (data[i] >= 0x20 && data[i] < 0x7F)
            snprintf(piece, sizeof(piece), "%c", data[i]);
        else
            snprintf(piece, sizeof(piece), "<%02X>", data[i]);
        text += piece;
    }
    return text;
}

// One raw frame under the printer's mutex, as the command object does it.
bool RawExchange(LPCWSTR address, DWORD port)
{
    CUsbLink link;
    link.SetIPAddr(address, port);
    DWORD result = link.OpenUsb();
    printf("[link] open %ls:%lu -> %lu, mutex \"Global\\%ls\" %s\n", address, port, result, link.m_szIP,
           link.m_hMutexRW ? "held" : "missing");
    if (result != 0)
        return false;
    const BYTE frame[] = {0x1B, 'D', 'g', 'b', 0x0D};
    BYTE reply[512];
    DWORD written = 0, read = 0;
    if (!link.EnterMutex()) {
        printf("[link] the printer stayed taken\n");
        return false;
    }
    result = link.WriteData(frame, sizeof(frame), &written);
    if (result == 0)
        result = link.ReadData(reply, sizeof(reply), &read);
    link.LeaveMutex();
    printf("[link] sent %s, got %lu bytes: %s (result %lu)\n", Printable(frame, written).c_str(), read,
           Printable(reply, read).c_str(), result);
    return result == 0 && read > 0;
}

bool Queries(CUsbLink& link, const char* how)
{
    CQelCmd cmd;
    cmd.m_pUsbLink = &link;
    char firmware[64] = "", serial[64] = "", ribbonText[16] = "";
    DWORD r1 = cmd.GetPrinterInfoText(2, firmware);
    DWORD r2 = cmd.GetPrinterInfoText(3, serial);
    BYTE type = 255;
    int remain = 0, origin = 0;
    DWORD r3 = cmd.GetRibbonInfo(&type, &remain, &origin, ribbonText);
    printf("[%s] firmware \"%s\" (%lu), serial \"%s\" (%lu)\n", how, firmware, r1, serial, r2);
    printf("[%s] ribbon %s (type %u), %d of %d left, \"%s\" (%lu)\n", how, type < ARRAYSIZE(kRibbonNames) ? kRibbonNames[type] : "unknown",
           type, remain, origin, ribbonText, r3);
    return r1 == 0 && r2 == 0 && r3 == 0;
}

bool ByIpAddress(LPCWSTR address, DWORD port)
{
    CUsbLink link;
    link.SetIPAddr(address, port);
    DWORD result = link.OpenUsb();
    printf("[command] open by address -> %lu\n", result);
    return result == 0 && Queries(link, "command");
}

// A Windows printer on a Standard TCP/IP port, as the spooler registers it.
bool ByPrinterName(LPCWSTR address, DWORD port)
{
    CDeviceRegistryFixture fixture;
    std::wstring printer = L"Vornex T42 Demo", portName = std::wstring(L"IP_") + address;
    if (!fixture.AddTcpipPort(portName.c_str(), address, nullptr, port) ||
        !fixture.AddPrinter(printer.c_str(), L"Vornex T42", portName.c_str(), nullptr)) {
        printf("[printer] cannot write the printer's registry keys\n");
        return false;
    }
    CUsbLink link;
    DWORD result = link.OpenByName(printer.c_str());
    printf("[printer] open \"%ls\" (port %ls) -> %lu, address %ls:%lu\n", printer.c_str(), portName.c_str(), result,
           link.m_szIP, link.m_nPort);
    return result == 0 && Queries(link, "printer");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    wchar_t* portEnd = nullptr;
    DWORD port = argc < 3 ? 0 : wcstoul(argv[2], &portEnd, 10);
    if (argc < 3 || *portEnd != L'\0' || port == 0 || port > 0xFFFF) {
        fprintf(stderr, "usage: QelDemo <IP address> <TCP port>\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    LPCWSTR address = argv[1];
    printf("[host] OS version code %u\n", GetOSVersionCode());
    bool ok = RawExchange(address, port);
    ok = ByIpAddress(address, port) && ok;
    ok = ByPrinterName(address, port) && ok;
    printf("[host] %s\n", ok ? "done" : "FAILED");
    return ok ? 0 : 1;
}
