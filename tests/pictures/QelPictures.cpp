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
#include <thread>

#include "AlertResource.h"
#include "AlertWindowTitle.h"
#include "ChartPrinterValues.h"
#include "ChartResource.h"
#include "DeviceRegistryFixture.h"
#include "DialogLayout.h"
#include "DialogTemplateFont.h"
#include "FileReading.h"
#include "LanguageFile.h"
#include "PrinterEmulator.h"
#include "ProgramRun.h"
#include "StateInfo.h"
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
    StandChartValues(emu);
    CDeviceRegistryFixture reg;
    std::wstring printer = reg.Unique(L"Card Printer 1");
    std::wstring port = reg.Unique(L"IP_Pictures");
    CProgramRun chart(L"QelChart.exe");
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

// The Chinese texts of the pictures: UTF-8 beside this program, installed as
// the UTF-16 language file of the user's UI language in the driver directory.
bool InstallLanguageFile(const Run& run)
{
    if (run.language != "zh")
        return true;
    DWORD size = 0;
    HANDLE in = OpenForReadingWithin((ProgramFolder() + L"Qelzhcn.txt").c_str(), TEXT_FILE_LIMIT, &size);
    std::string utf8(size, '\0');
    bool read = in != INVALID_HANDLE_VALUE && ReadFully(in, &utf8[0], size);
    if (in != INVALID_HANDLE_VALUE)
        CloseHandle(in);
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    WCHAR path[MAX_PATH];
    if (!read || !GetLanguageFilePath(LANGNO_USER, path, MAX_PATH))
        return false;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const WCHAR bom = 0xFEFF;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFully(file, &bom, 2) &&
              WriteFully(file, wide.data(), DWORD(wide.size() * 2));
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

// QelAlert's alert for "Ribbon out", as the notification client brings it up.
void LookAtAlert(Run& run)
{
    const WCHAR printer[] = L"Card Printer 1", port[] = L"USB001";
    CProgramRun alert(L"QelAlert.exe");
    WCHAR title[ALERT_TITLE_MAX + 1];
    FormatAlertWindowTitle(title, ALERT_TITLE_MAX + 1, printer, port);
    HWND main = nullptr, box = nullptr;
    LOGFONTW font;
    std::wstring program = ProgramFolder() + L"QelAlert.exe";
    if (InstallLanguageFile(run) && alert.Start(L"-n \"Card Printer 1\" -p \"USB001\" -e \"0\"") &&
        ReadDialogTemplateFont(program.c_str(), IDD_SHOW_MSG, &font))
        main = alert.WaitForDialog(title, WAIT_MS);
    std::thread sender;
    if (main) {
        StateInfo info = {};
        info.dwJobId = 7;
        info.dwDevModelSN = 2;
        wcscpy(info.szPrinterName, printer);
        wcscpy(info.szPortName, port);
        COPYDATASTRUCT data = {CDS_STATE_INFO, sizeof(info), &info};
        SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        // The alert is modal: its sender waits until the user answers.
        sender = std::thread([main] { SendMessageW(main, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, 0x10046); });
        box = alert.WaitForMessageBox(WAIT_MS);
    }
    if (box) {
        SyncWindow(box);
        Sleep(500);
        Look(run, "QelAlert", box, &font);
        ClickButton(box, IDC_BTN_CANCEL_PRINT);
    } else {
        printf("QelAlert [%s]: the alert did not open\n", run.language.c_str());
        ++run.faulty;
    }
    if (sender.joinable())
        sender.join();
    if (main)
        ClickButton(main, IDOK);
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
    LookAtAlert(run);
    return run.faulty;
}
