// QelPictures: opens the system's windows on a real display, in one language,
// against an emulated card printer and with the driver's INF file installed;
// checks each window's layout and pictures and, when asked, saves a picture
// of it.
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
#include "InstalledDriverInf.h"
#include "InstalledPrinter.h"
#include "PageTemplates.h"
#include "PrintAreaResource.h"
#include "PrintOptionResource.h"
#include "ProgramRun.h"
#include "SheetHost.h"
#include "StateInfo.h"
#include "ToolResource.h"
#include "WindowPicture.h"

namespace {

const DWORD WAIT_MS = 30000;

struct Run {
    std::string language;
    std::wstring folder;
    int faulty = 0;
};

// Checks one shown dialog, with the .ico files of its icon controls, and
// saves a picture of what shows it (the dialog itself, or the sheet around a
// page) as "<name>-<language>.bmp".
void Look(Run& run, const std::string& name, HWND dialog, const LOGFONTW* font, HWND shown = nullptr,
          const std::vector<IconFile>& icons = {})
{
    std::vector<LayoutFault> faults = CheckDialogLayout(dialog, font, icons);
    if (!faults.empty()) {
        faults.resize(1);
        printf("%s", DescribeFaults(name.c_str(), run.language.c_str(), faults).c_str());
        ++run.faulty;
    } else {
        printf("%s [%s]: layout ok\n", name.c_str(), run.language.c_str());
    }
    if (run.folder.empty())
        return;
    std::wstring path = run.folder + L"\\" + std::wstring(name.begin(), name.end()) + L"-" +
                        std::wstring(run.language.begin(), run.language.end()) + L".bmp";
    if (!SaveWindowPicture(shown ? shown : dialog, path.c_str())) {
        printf("%s [%s]: no picture\n", name.c_str(), run.language.c_str());
        ++run.faulty;
    }
}

// Lets what a window was sent be handled and painted before it is looked at.
void Settle(HWND window)
{
    for (int round = 0; round < 5; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // Wine hands what was painted to the X server while a thread waits
        // for messages.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
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
    std::wstring program = TestProgramFolder() + L"QelChart.exe";
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
    HANDLE in = OpenForReadingWithin((TestProgramFolder() + L"Qelzhcn.txt").c_str(), TEXT_FILE_LIMIT, &size);
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
    std::wstring program = TestProgramFolder() + L"QelAlert.exe";
    if (alert.Start(L"-n \"Card Printer 1\" -p \"USB001\" -e \"0\"") &&
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

// The names of the pictures of the pages, by template.
const char* PageName(WORD templateId)
{
    switch (templateId) {
    case IDD_PRINT_OPTION: return "PrintOption";
    case IDD_IMAGE_COLOR: return "ImageColor";
    case IDD_PRINT_AREA: return "PrintArea";
    case IDD_MAG_ENCODING: return "MagneticEncoding";
    case IDD_HEATING_ENERGY: return "HeatingEnergy";
    case IDD_TOOL: return "Tool";
    default: return "Page";
    }
}

// The .ico files, beside this program, that a page's icon controls show.
std::vector<IconFile> PageIcons(WORD templateId)
{
    const std::wstring folder = TestProgramFolder();
    switch (templateId) {
    case IDD_PRINT_AREA:
        return {{IDC_AREA_W_ICON, folder + L"AreaWidth.ico"}, {IDC_AREA_H_ICON, folder + L"AreaHeight.ico"}};
    case IDD_TOOL:
        return {{IDC_TOOL_PICTURE, folder + L"ToolLogo.ico"}};
    default:
        return {};
    }
}

// A dialog that a page opens runs modally: it is looked at from inside its
// own message loop, then cancelled.
struct PageDialog {
    Run* run;
    std::string name;
    HWND sheet;
    HWND dialog;
    HHOOK hook;
};
thread_local PageDialog* t_dialog = nullptr;

void CALLBACK LookAtPageDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    PageDialog* d = t_dialog;
    if (!d || !d->dialog)
        return;
    Settle(d->dialog);
    Look(*d->run, d->name, d->dialog, nullptr);
    PostMessageW(d->dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

LRESULT CALLBACK PageDialogHook(int code, WPARAM wParam, LPARAM lParam)
{
    PageDialog* d = t_dialog;
    HWND window = reinterpret_cast<HWND>(wParam);
    if (d && code == HCBT_ACTIVATE && !d->dialog && window != d->sheet) {
        HWND owner = GetWindow(window, GW_OWNER);
        if (owner == d->sheet || GetParent(owner) == d->sheet) {
            d->dialog = window;
            // Looked at once its modal loop has shown and painted it.
            SetTimer(nullptr, 0, 700, LookAtPageDialog);
        }
    }
    return CallNextHookEx(d ? d->hook : nullptr, code, wParam, lParam);
}

// Opens a dialog of a page with a click of its button and looks at it.
void LookAtDialogOf(Run& run, const std::string& name, CSheetHost& host, HWND page, int button)
{
    PageDialog d = {&run, name, host.Sheet(), nullptr, nullptr};
    d.hook = SetWindowsHookExW(WH_CBT, PageDialogHook, nullptr, GetCurrentThreadId());
    t_dialog = &d;
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, button)));
    host.Pump();
    t_dialog = nullptr;
    UnhookWindowsHookEx(d.hook);
    if (!d.dialog) {
        printf("%s [%s]: the dialog did not open\n", name.c_str(), run.language.c_str());
        ++run.faulty;
    }
}

// The printing-preferences sheet of a printer of the model, as the print
// dialogs open it, against an emulated printer: every page, and the dialogs
// the pages open.
void LookAtSheet(Run& run, LPCWSTR model)
{
    const std::string tag(model, model + wcslen(model));
    CPrinterEmulator emu;
    emu.Reply("Ds;2", "YMCKO");
    emu.Reply("Ds;3", "182;250");
    emu.Reply("Ds;1", "EU-2");
    emu.Reply("Dxh", "T42-MB");
    emu.Reply("Dgb", "V2.03.11");
    emu.Reply("Dxl;p", "QT42A0001234");
    emu.Reply("Dwk", "1");
    emu.Reply("Dck;m1", "1");
    emu.Reply("Dck;m2", "0");
    CDeviceRegistryFixture reg;
    std::wstring port = reg.Unique(L"IP_Pictures");
    QelUiModule ui;
    if (!emu.StartTcp(nullptr, 0) || !reg.AddTcpipPort(port.c_str(), emu.GetAddressW(), nullptr, emu.GetPort()) ||
        !ui.ok()) {
        printf("%s [%s]: no printer\n", tag.c_str(), run.language.c_str());
        ++run.faulty;
        return;
    }
    CInstalledPrinter printer(model, port.c_str());
    DOCUMENTPROPERTYHEADER header = {sizeof(header), 0, printer.Handle(), printer.NameText(), nullptr, nullptr, 0, 0};
    CSheetHost host(ui.documentSheets, reinterpret_cast<LPARAM>(&header));
    if (!printer.ok() || host.Init() != 1 || !host.CreateSheet()) {
        printf("%s [%s]: no sheet\n", tag.c_str(), run.language.c_str());
        ++run.faulty;
        return;
    }
    for (size_t row = 0; row < host.Pages().size(); ++row) {
        WORD id = LOWORD(reinterpret_cast<ULONG_PTR>(host.Pages()[row].page.pszTemplate));
        HWND page = host.ShowPage(static_cast<int>(row));
        emu.WaitForIdle(5000);
        Settle(host.Sheet());
        Look(run, tag + "-" + PageName(id), page, nullptr, host.Sheet(), PageIcons(id));
        if (id == IDD_PRINT_OPTION && tag == "T42")
            LookAtDialogOf(run, "AdvancedCard", host, page, IDC_ADVANCED_CARD);
        if (id == IDD_PRINT_AREA && tag == "T42")
            LookAtDialogOf(run, "SavePrintArea", host, page, IDC_AREA_SAVE_AS);
    }
    host.PressCancel();
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
    // "About driver:" of the Tool page shows the date and version of the
    // installation's INF file.
    CInstalledDriverInf inf("12/01/2026," QEL_DRIVER_VERSION);
    if (!InstallLanguageFile(run) || !inf.ok()) {
        printf("the language file or the driver's INF file could not be installed\n");
        return 100;
    }
    LookAtChart(run);
    LookAtAlert(run);
    LookAtSheet(run, L"T42");
    LookAtSheet(run, L"T40W");
    return run.faulty;
}
