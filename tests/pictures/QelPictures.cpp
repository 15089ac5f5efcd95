// QelPictures: opens the system's windows on a real display, in one language,
// against an emulated card printer; checks each window's layout and, when
// asked, saves a picture of it.
//   QelPictures.exe <en|zh> [<folder for the pictures>]
// The first layout fault of each window is printed; the exit code is the
// number of windows with faults.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "ChartProcess.h"
#include "ChartResource.h"
#include "DeviceRegistryFixture.h"
#include "DialogLayout.h"
#include "DialogTemplateFont.h"
#include "PrinterEmulator.h"
#include "WindowPicture.h"

namespace {

const DWORD WAIT_MS = 30000;

struct Run {
    std::string language;
    std::wstring folder;
    int faulty = 0;
};

std::wstring ProgramFolder()
{
    WCHAR self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n < MAX_PATH ? n : 0);
    return path.substr(0, path.rfind(L'\\') + 1);
}

// Checks one shown window and saves its picture as "<name>-<language>.bmp".
void Look(Run& run, const char* name, HWND window, const LOGFONTW* font)
{
    std::vector<LayoutFault> faults = CheckDialogLayout(window, font);
    if (!faults.empty()) {
        faults.resize(1);
        printf("%s", DescribeFaults(name, run.language.c_str(), faults).c_str());
        ++run.faulty;
    } else {
        printf("%s [%s]: layout ok\n", name, run.language.c_str());
    }
    if (run.folder.empty())
        return;
    std::wstring path = run.folder + L"\\" + std::wstring(name, name + strlen(name)) + L"-" +
                        std::wstring(run.language.begin(), run.language.end()) + L".bmp";
    if (!SaveWindowPicture(window, path.c_str())) {
        printf("%s [%s]: no picture\n", name, run.language.c_str());
        ++run.faulty;
    }
}

// QelChart as the Tool page starts it, after it read the printer's values.
void LookAtChart(Run& run)
{
    CPrinterEmulator emu;
    std::string block(8, '\0');
    block[0] = 2;
    block[5] = static_cast<char>(0xF6);
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("3"));
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("14"));
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuBytes(block));
    CDeviceRegistryFixture reg;
    std::wstring printer = reg.Unique(L"Card Printer 1");
    std::wstring port = reg.Unique(L"IP_Pictures");
    CChartProcess chart;
    WCHAR arguments[512];
    swprintf(arguments, 512, L"-n\"%ls\"  -L%d", printer.c_str(), run.language == "zh" ? 2 : 1);
    HWND dialog = nullptr;
    if (emu.StartTcp(nullptr, 0) && reg.AddTcpipPort(port.c_str(), emu.GetAddressW(), nullptr, emu.GetPort()) &&
        reg.AddPrinter(printer.c_str(), L"Vornex T42", port.c_str(), nullptr) && chart.Start(arguments) &&
        emu.WaitForFrames(3, WAIT_MS))
        dialog = chart.WaitForMessageBox(WAIT_MS);
    LOGFONTW font;
    std::wstring program = ProgramFolder() + L"QelChart.exe";
    if (!dialog || !ReadDialogTemplateFont(program.c_str(), IDD_CALIBRATE_DIALOG, &font)) {
        printf("QelChart [%s]: the dialog did not open\n", run.language.c_str());
        ++run.faulty;
        return;
    }
    // The values are in place once the dialog has handled what it was sent.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, WAIT_MS, &result);
    Sleep(500);
    Look(run, "QelChart", dialog, &font);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2 || (wcscmp(argv[1], L"en") != 0 && wcscmp(argv[1], L"zh") != 0)) {
        printf("usage: QelPictures.exe <en|zh> [<folder for the pictures>]\n");
        return 100;
    }
    Run run;
    run.language = wcscmp(argv[1], L"en") == 0 ? "en" : "zh";
    if (argc > 2)
        run.folder = argv[2];
    LookAtChart(run);
    return run.faulty;
}
