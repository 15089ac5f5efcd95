// The "Tool" page: what the printer and the installed driver report about
// themselves, the language of the driver's user interface, the printer's
// cleaning command, and the start of the calibration and magnetic-stripe
// programs from the driver directory.
#include "ToolPage.h"

#include <shellapi.h>

#include <cstdio>
#include <cwchar>

#include "PageContract.h"
#include "PageControls.h"
#include "PagePrinter.h"
#include "Platform.h"
#include "RibbonTable.h"
#include "TextCopy.h"
#include "ToolResource.h"

namespace {

const LPCWSTR kSection = L"Tool";

// Indexed by language number; shown as they stand.
const LPCWSTR kLanguages[] = {
    L"System Default",
    L"English",
    L"\u7b80\u4f53\u4e2d\u6587 (Simplified Chinese)",
    L"\u7e41\u9ad4\u4e2d\u6587 (Traditional Chinese)",
};
const WORD LANGUAGE_ENTRIES = sizeof(kLanguages) / sizeof(kLanguages[0]);

// The driver's own INF file and where its version stands.
const LPCWSTR kDriverSection = L"Vornex_Tseries";
const LPCWSTR kDriverKey = L"DataFile";
const LPCWSTR kDefaultDriverVer = L"09/20/2004,3.2.0.22";
const DWORD INF_VALUE_ROOM = 512;

// Room of the tool programs' argument text: the printer name and a number.
const DWORD ARGUMENT_ROOM = UI_PRINTER_NAME_ROOM + 32;
const DWORD MESSAGE_TITLE_ROOM = 256;

// Printer information items: 1 is asked for and not shown.
const int INFO_ITEM_FIRST = 1;
const int INFO_ITEM_FIRMWARE = 2;
const int INFO_ITEM_SERIAL = 3;

// TRUE when a formatted text of n characters fit its room.
BOOL Fitted(int n, DWORD room)
{
    return n >= 0 && static_cast<DWORD>(n) < room;
}

// Shows 8-bit printer text, at most its room, untranslated.
void SetPrinterText(HWND page, int controlId, char (&text)[PRINTER_TEXT_ROOM])
{
    text[PRINTER_TEXT_ROOM - 1] = '\0';
    WCHAR shown[PRINTER_TEXT_ROOM];
    if (!AnsiToWide(shown, text, PRINTER_TEXT_ROOM))
        shown[0] = L'\0';
    SetDlgItemTextW(page, controlId, shown);
}

// "<date>,<version>": the date before the first comma, the version after it.
void ShowDriverVersion(HWND page, LPWSTR driverVer)
{
    LPWSTR comma = wcschr(driverVer, L',');
    LPCWSTR version = L"";
    if (comma) {
        *comma = L'\0';
        version = comma + 1;
    }
    SetDlgItemTextW(page, IDC_DRIVER_DATE, driverVer);
    SetDlgItemTextW(page, IDC_DRIVER_VERSION, version);
}

// Starts a tool program of the driver directory for the printer; the
// program's outcome is its own.
void StartToolProgram(HWND page, const UiData* ui, LPCWSTR fileName)
{
    WCHAR folder[MAX_PATH], program[MAX_PATH], arguments[ARGUMENT_ROOM];
    GetDriverDirectory(folder, TRUE);
    if (!Fitted(swprintf(program, MAX_PATH, L"%ls\\%ls", folder, fileName), MAX_PATH) ||
        !Fitted(swprintf(arguments, ARGUMENT_ROOM, L"-n\"%ls\"  -L%u", ui->szPrinterName,
                         static_cast<unsigned>(ui->DevMode.dmPrivate.wLanguage)),
                ARGUMENT_ROOM))
        return;
    HINSTANCE started = ShellExecuteW(page, L"open", program, arguments, nullptr, SW_SHOWNORMAL);
    DebugTrace(L"StartToolProgram(), %ls %ls, result = %p,\n", program, arguments, started);
}

void CleanPrinter(UiData* ui)
{
    WCHAR title[MESSAGE_TITLE_ROOM];
    ui->Translater.SetSection(kSection);
    CopyTextCut(title, MESSAGE_TITLE_ROOM, ui->Translater.Translate(L"Cleaning Tool"));
    LPCWSTR question = ui->Translater.Translate(L"Please take off ribbon and put clean card before cleanning.");
    if (MessageBoxW(nullptr, question, title, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    CPagePrinter printer;
    if (printer.Open(ui->szPrinterName) != ERROR_SUCCESS)
        return;
    printer.Command("DKcj", "a");
}

void InitToolPage(HWND page, UiData* ui)
{
    if (ui->bRewrite)
        ShowControl(page, IDC_MAGNETIC_STRIPE_TOOL, FALSE);
    IsInfExist(page);
    ui->Translater.SetSection(kSection);
    ui->Translater.TranslateWindowItems(page);

    HWND list = GetDlgItem(page, IDC_LANGUAGE);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (WORD index = 0; index < LANGUAGE_ENTRIES; ++index) {
        SendMessageW(list, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(kLanguages[index]));
        SendMessageW(list, CB_SETITEMDATA, index, index);
    }
    const WORD language = ui->DevMode.dmPrivate.wLanguage;
    SendMessageW(list, CB_SETCURSEL, language < LANGUAGE_ENTRIES ? language : static_cast<WPARAM>(-1), 0);

    if (ui->bRewrite)
        ShowControls(page, IDC_RIBBON_INFO_GROUP, IDC_REGION_CODE, FALSE);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_PRINTER_INFORMATION, BN_CLICKED), 0);
}

void ToolOnCommand(HWND page, UiData* ui, int id)
{
    switch (id) {
    case IDC_POSITION_CALIBRATE:
        StartToolProgram(page, ui, L"QelChart.exe");
        break;
    case IDC_CLEANING_TOOL:
        CleanPrinter(ui);
        break;
    case IDC_PRINTER_INFORMATION:
        ShowPrinterInformation(page);
        break;
    case IDC_MAGNETIC_STRIPE_TOOL:
        StartToolProgram(page, ui, L"QelMag.exe");
        break;
    default:
        break;
    }
}

} // namespace

void IsInfExist(HWND page)
{
    WCHAR windows[MAX_PATH], folder[MAX_PATH], pattern[MAX_PATH];
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !Fitted(swprintf(folder, MAX_PATH, L"%ls/inf", windows), MAX_PATH) ||
        !Fitted(swprintf(pattern, MAX_PATH, L"%ls/oem*.inf", folder), MAX_PATH))
        return;

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    BOOL shown = FALSE;
    do {
        WCHAR path[MAX_PATH], dataFile[INF_VALUE_ROOM], driverVer[INF_VALUE_ROOM];
        if (!wcsstr(found.cFileName, L".inf"))
            continue;
        // A path the profile functions cannot take is passed over.
        if (!Fitted(swprintf(path, MAX_PATH, L"%ls/%ls", folder, found.cFileName), MAX_PATH))
            continue;
        GetPrivateProfileStringW(kDriverSection, kDriverKey, L"", dataFile, INF_VALUE_ROOM, path);
        if (!dataFile[0])
            continue;
        GetPrivateProfileStringW(L"Version", L"DriverVer", kDefaultDriverVer, driverVer, INF_VALUE_ROOM, path);
        DebugTrace(L"IsInfExist(), %ls, DriverVer = %ls,\n", path, driverVer);
        ShowDriverVersion(page, driverVer);
        shown = TRUE;
    } while (!shown && FindNextFileW(search, &found));
    FindClose(search);
}

void ShowPrinterInformation(HWND page)
{
    UiData* ui = GetPageUiData(page);
    if (!ui)
        return;
    char item[PRINTER_TEXT_ROOM] = "", firmware[PRINTER_TEXT_ROOM] = "", serial[PRINTER_TEXT_ROOM] = "";
    char region[PRINTER_TEXT_ROOM] = "";
    BYTE type = RIBBON_UNKNOWN;
    int remain = 0, origin = 0;
    DWORD result;
    {
        CPagePrinter printer;
        if (printer.Open(ui->szPrinterName) != ERROR_SUCCESS)
            return;
        // What each exchange left in its text is shown. After a failed
        // exchange nothing more is asked: a printer that went silent would
        // hold the sheet for a time-out per question.
        result = printer.GetPrinterInfoText(INFO_ITEM_FIRST, item);
        if (result == ERROR_SUCCESS)
            result = printer.GetPrinterInfoText(INFO_ITEM_FIRMWARE, firmware);
        if (result == ERROR_SUCCESS)
            result = printer.GetPrinterInfoText(INFO_ITEM_SERIAL, serial);
        if (result == ERROR_SUCCESS && !ui->bRewrite)
            result = printer.GetRibbonInfo(&type, &remain, &origin, region);
    }
    SetPrinterText(page, IDC_FIRMWARE, firmware);
    SetPrinterText(page, IDC_SERIAL, serial);
    if (ui->bRewrite) {
        SetDlgItemTextW(page, IDC_RIBBON_TYPE, L"");
        SetDlgItemTextW(page, IDC_REMAIN_COUNT, L"");
        SetDlgItemTextW(page, IDC_REGION_CODE, L"");
        return;
    }
    // A count that was not read stays empty: "0" would tell of an empty ribbon.
    WCHAR count[16] = L"";
    if (result == ERROR_SUCCESS)
        swprintf(count, 16, L"%d", remain);
    const int row = FindRibbonRow(type, RIBBON_ROWS);
    SetDlgItemTextW(page, IDC_RIBBON_TYPE, row >= 0 ? RibbonTable[row].name : L"");
    SetDlgItemTextW(page, IDC_REMAIN_COUNT, count);
    SetPrinterText(page, IDC_REGION_CODE, region);
}

INT_PTR CALLBACK DlgToolProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = TakePageUiData(page, lParam);
        if (ui)
            InitToolPage(page, ui);
        return FALSE;
    }
    UiData* ui = GetPageUiData(page);
    if (message == WM_COMMAND) {
        if (ui)
            ToolOnCommand(page, ui, LOWORD(wParam));
        return TRUE;
    }
    if (ui && IsApplyNotification(message, lParam)) {
        int selection = GetComboSelection(page, IDC_LANGUAGE);
        if (selection >= 0)
            ui->DevMode.dmPrivate.wLanguage = static_cast<WORD>(selection);
        ReportPageResult(ui, IDD_TOOL);
    }
    return FALSE;
}
