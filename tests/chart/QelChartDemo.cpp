// QelChartDemo: runs the real QelChart.exe headless against an emulated card
// printer, the way the Tool page starts it, and prints the program's
// exchange with the printer: the values read, a user's step of L (which T
// follows), and the values Apply writes.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "ChartLanguage.h"
#include "ChartProcess.h"
#include "ChartPrinterValues.h"
#include "ChartResource.h"
#include "DeviceRegistryFixture.h"
#include "PrinterEmulator.h"
#include "PrintableText.h"

namespace {

const DWORD WAIT_MS = 30000;

void PrintFrames(const CPrinterEmulator& emu, size_t from)
{
    std::vector<EmuFrame> frames = emu.GetRequests();
    for (size_t i = from; i < frames.size(); ++i)
        printf("  host -> printer  %-22s printer -> host  %s\n", PrintableBytes(frames[i].raw).c_str(),
               PrintableBytes(frames[i].reply).c_str());
}

void PrintValues(CChartProcess& run, const char* when)
{
    printf("  dialog shows     L = %s, T = %s, S = %s   (%s)\n", Utf8Text(run.ItemText(IDC_EDIT_L)).c_str(),
           Utf8Text(run.ItemText(IDC_EDIT_T)).c_str(), Utf8Text(run.ItemText(IDC_EDIT_S)).c_str(), when);
}

int Fail(const char* what)
{
    printf("QelChartDemo: %s\n", what);
    return 1;
}

} // namespace

int wmain()
{
    CPrinterEmulator emu;
    if (!emu.StartTcp(nullptr, 0))
        return Fail("the printer emulator did not start");
    StandChartValues(emu);

    CDeviceRegistryFixture reg;
    std::wstring printer = reg.Unique(L"Card Printer 1");
    std::wstring port = reg.Unique(L"IP_Demo");
    if (!reg.AddTcpipPort(port.c_str(), emu.GetAddressW(), nullptr, emu.GetPort()) ||
        !reg.AddPrinter(printer.c_str(), L"Vornex T42", port.c_str(), nullptr))
        return Fail("the printer could not be registered");
    printf("QelChart and the printer \"%s\" on the Standard TCP/IP port %s:%u\n", Utf8Text(printer).c_str(),
           emu.GetAddress(), emu.GetPort());

    WCHAR arguments[1024];
    swprintf(arguments, 1024, L"-n\"%ls\"  -L%d", printer.c_str(), 1);
    printf("QelChart.exe %s\n", Utf8Text(arguments).c_str());
    CChartProcess run;
    if (!run.Start(arguments))
        return Fail("QelChart.exe did not start");
    WCHAR version[32];
    swprintf(version, 32, L"%d.%d", QEL_VERSION_MAJOR, QEL_VERSION_MINOR);
    WCHAR title[CHART_TITLE_ROOM];
    FormatChartTitle(CHART_TOOL_NAME, version, title, CHART_TITLE_ROOM);
    if (!run.WaitForDialog(title, WAIT_MS) || !emu.WaitForFrames(3, WAIT_MS) || !run.Sync())
        return Fail("the dialog did not read the printer");
    printf("read at start:\n");
    PrintFrames(emu, 0);
    PrintValues(run, "T came as a text reply, S as a status block");

    printf("the user steps L up once:\n");
    if (!run.Step(IDC_EDIT_L, true))
        return Fail("the up-down control did not step");
    PrintValues(run, "T follows L");

    printf("the user presses Apply:\n");
    if (!run.Click(IDC_BUTTON_APPLY))
        return Fail("Apply could not be pressed");
    std::wstring text;
    if (!ReadAndCloseMessageBox(run.WaitForMessageBox(WAIT_MS), &text, nullptr) || !emu.WaitForFrames(6, WAIT_MS))
        return Fail("Apply showed no message");
    PrintFrames(emu, 3);
    printf("  message box      \"%s\"\n", Utf8Text(text).c_str());

    DWORD code = 1;
    if (!run.Click(IDCANCEL) || !run.WaitForExit(WAIT_MS, &code))
        return Fail("Cancel did not end the program");
    printf("the user presses Cancel: QelChart ends with %lu\n", static_cast<unsigned long>(code));
    return code == 0 && text == L"Apply OK." ? 0 : 1;
}
