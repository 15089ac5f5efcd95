// QelMonDemo: walks one print job through the real QelMon.dll the way the
// spooler does (open, start, writes, read, end, close) on a USB port whose
// printer is the emulator's USB stand-in. The test build of the helper
// library forwards the job to that printer; the program prints the monitor's
// answers, what the helper read from the port record, and what the printer
// received.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "DeviceRegistryFixture.h"
#include "FakePortMonitor.h"
#include "HelperControl.h"
#include "MonitorSpooler.h"
#include "PrinterEmulator.h"
#include "PrintableText.h"

namespace {

const WORD kT42ProductId = 0x0001;
const DWORD kUsbPort = 1;
const DWORD kJobId = 7;
const DWORD kWaitMs = 10000;

HelperControl g_control;

bool Step(const char* call, BOOL result, const std::string& detail = "")
{
    printf("  spooler -> QelMon  %-34s %s%s\n", call, result ? "TRUE" : "FALSE", detail.c_str());
    return result != FALSE;
}

void PrintHelperCalls()
{
    static const char* names[] = {"(loaded)", "(unloaded)", "LM_StartDocPort", "LM_WritPort", "LM_ReadPort",
                                  "LM_EndDocPort"};
    printf("what QelLMhlp read from the port record:\n");
    for (DWORD i = 0; i < g_control.callCount; ++i) {
        const HelperSeen& s = g_control.calls[i];
        char detail[1024] = "";
        if (s.kind == HELPER_START) {
            using namespace RecordOffset;
            snprintf(detail, sizeof(detail),
                     " szPrinterName \"%s\", szPortNameW %s, dwPortNumber %lu,\n"
                     "                   szVIDPID %s, dwLinked %lu,\n"
                     "                   szSymbolicLink %s,\n"
                     "                   szDocName \"%s\", JobId %lu, hPort %s, result %lu",
                     Utf8Text(RecordString(s.bytes, PrinterName)).c_str(),
                     Utf8Text(RecordString(s.bytes, PortName, RECORD_PORT_ROOM)).c_str(),
                     RecordField<DWORD>(s.bytes, PortNumber), Utf8Text(RecordString(s.bytes, VidPid)).c_str(),
                     RecordField<DWORD>(s.bytes, Linked), Utf8Text(RecordString(s.bytes, SymbolicLink)).c_str(),
                     Utf8Text(RecordString(s.bytes, DocName, RECORD_DOC_ROOM)).c_str(),
                     RecordField<DWORD>(s.bytes, JobId),
                     HandleText(RecordField<void*>(s.bytes, Port)).c_str(), s.result);
        }
        else if (s.kind == HELPER_WRITE || s.kind == HELPER_READ)
            snprintf(detail, sizeof(detail), " %lu bytes offered, result %lu", s.count, s.result);
        else if (s.kind == HELPER_END)
            snprintf(detail, sizeof(detail), " result %lu (0: the monitor unloads the library)", s.result);
        printf(detail[0] ? "  %-16s%s" : "  %s%s", names[s.kind], detail);
        printf("\n");
    }
}

int Fail(const char* what)
{
    printf("QelMonDemo: %s (error %lu)\n", what, GetLastError());
    return 1;
}

} // namespace

int wmain()
{
    CPrinterEmulator emu;
    CDeviceRegistryFixture reg;
    const std::wstring instance = reg.Unique(L"7&demo&0");
    emu.Reply("Ds;2", "YMCKO");
    if (!emu.StartUsb(kT42ProductId, instance.c_str()))
        return Fail("the printer emulator did not start");

    // The T42's USB printer interface on port USB001, as Windows registers it.
    FixtureInterface iface;
    iface.deviceId = L"VID_5D27&PID_0001";
    iface.instance = instance;
    iface.writeParameters = true;
    iface.portNumber = kUsbPort;
    iface.portDescription = L"VornexT42";
    if (!reg.AddInterface(iface))
        return Fail("the printer's interface could not be registered");
    if (!CMonitorSpooler::InstallHelper())
        return Fail("the helper library could not be put into the driver directory");
    g_control.forward = TRUE;
    ShareHelperControl(&g_control);

    const std::wstring printer = L"Card Printer 1";
    printf("QelMon: one job for \"%s\" on USB001, a T42 behind the emulated device\n  %s\n",
           Utf8Text(printer).c_str(), Utf8Text(emu.GetDevicePath()).c_str());
    CFakePortMonitor usbMonitor;
    CMonitorSpooler spooler;
    if (!spooler.Start())
        return Fail("QelMon.dll did not load");
    const Monitor2Table* t = spooler.Table();
    HANDLE port = nullptr;
    BYTE frame1[] = "\x1B" "Ds;";
    BYTE frame2[] = "2\r";
    BYTE reply[64] = {};
    DWORD written1 = 0, written2 = 0, read = 0;
    bool ok = Step("MonOpenPortEx(USB001)", spooler.Open(usbMonitor, L"USB001", printer.c_str(), &port)) &&
              Step("MonStartDocPort(job 7, \"Card 1\")", spooler.StartDoc(port, printer.c_str(), kJobId, L"Card 1"));
    BOOL result = ok && t->pfnWritePort(port, frame1, 4, &written1);
    ok = ok && Step("MonWritePort(ESC Ds;)", result, ", " + std::to_string(written1) + " bytes written");
    result = ok && t->pfnWritePort(port, frame2, 2, &written2);
    ok = ok && Step("MonWritePort(2 CR)", result, ", " + std::to_string(written2) + " bytes written");
    result = ok && t->pfnReadPort(port, reply, sizeof(reply), &read);
    ok = ok && Step("MonReadPort(64 bytes)", result,
                    ", " + std::to_string(read) + " bytes: " +
                        PrintableBytes(std::string(reinterpret_cast<char*>(reply), read)));
    ok = ok && Step("MonEndDocPort", t->pfnEndDocPort(port));
    ok = ok && Step("MonClosePort", t->pfnClosePort(port));
    spooler.Shutdown();
    printf("  spooler -> QelMon  MonShutdown\n");
    PrintHelperCalls();

    printf("what the printer received:\n");
    if (!emu.WaitForFrames(1, kWaitMs))
        return Fail("the printer received nothing");
    for (const EmuFrame& f : emu.GetFrames())
        printf("  host -> printer  %-14s printer -> host  %s\n", PrintableBytes(f.raw).c_str(), PrintableBytes(f.reply).c_str());
    ShareHelperControl(nullptr);
    const bool replied = read == 7 && memcmp(reply, "\x01YMCKO", 7) == 0;
    return ok && replied && !CMonitorSpooler::IsHelperLoaded() ? 0 : 1;
}
