// QelNotifyDemo: one state record and one alert along the whole notification
// road, headless. The spooler side's call of QelAsyncServer's export goes
// through the fake notification router beside this program, which plays the
// print-UI host and calls QelAsyncClient's entry point; that starts the alert
// program from the driver directory and delivers to it. The user's answer to
// the alert ("Continue Printing") comes back as the export's value.
#include "AsyncMessage.h"
#include "FakeSpoolss.h"
#include "ModuleExport.h"
#include "NotifyPrograms.h"
#include "PrintableText.h"
#include "StateInfo.h"

#include <cstdio>
#include <string>
#include <thread>

namespace {

typedef int(WINAPI* PFN_Send)(LPCWSTR, LPCWSTR, HWND, UINT, WPARAM, LPARAM);

const DWORD WAIT_MS = 60000;
// The alert program's message text, and a message box's.
const int ALERT_TEXT_ID = 1003;
const int BOX_TEXT_ID = 0xFFFF;

PFN_FakeSpoolssSetScript g_setScript;
PFN_FakeSpoolssGetRecord g_getRecord;

// The request as it travels, with a long Base64 text shortened.
std::string Shown(std::wstring request)
{
    size_t open = request.find(L"<lParam>"), close = request.find(L"</lParam>");
    if (open == std::wstring::npos || close == std::wstring::npos || close - open < 8 + 40)
        return Utf8Text(request);
    size_t length = close - open - 8;
    request.replace(open + 8 + 24, length - 24, L"...(" + std::to_wstring(length) + L" Base64 characters)");
    return Utf8Text(request);
}

void PrintExchange()
{
    FakeChannelRecord record;
    g_getRecord(&record, WAIT_MS);
    printf("  channel   printer \"%s\", asynchronous print-UI type, all users, bidirectional\n",
           Utf8Text(record.printer).c_str());
    printf("  request   %s\n", Shown(record.request).c_str());
    printf("  reply     %s\n", Utf8Text(record.reply).c_str());
}

int Fail(const char* what)
{
    printf("QelNotifyDemo: %s\n", what);
    return 1;
}

} // namespace

int wmain()
{
    HMODULE fake = LoadLibraryW((TestProgramFolder() + L"SpoolSS.dll").c_str());
    HMODULE server = LoadLibraryW((TestProgramFolder() + L"QelAsyncServer.dll").c_str());
    PFN_Send send = ModuleExport<PFN_Send>(server, "SendMessageToCustomAsyncUI");
    g_setScript = ModuleExport<PFN_FakeSpoolssSetScript>(fake, "FakeSpoolssSetScript");
    g_getRecord = ModuleExport<PFN_FakeSpoolssGetRecord>(fake, "FakeSpoolssGetRecord");
    if (!send || !g_setScript || !g_getRecord)
        return Fail("the sender or the fake router did not load");
    CDriverPrograms programs;
#ifdef QEL_REAL_ALERT
    bool installed = programs.Install(L"QelAlert.exe", L"QelAlert.exe");
#else
    bool installed = programs.Install(L"QelAlertDouble.exe", L"QelAlert.exe");
#endif
    if (!installed)
        return Fail("QelAlert.exe could not be put into the driver directory");
    printf("QelAlert.exe in the driver directory %s\n", Utf8Text(programs.Path(L"")).c_str());
    FakeChannelScript host = {FAKE_HOST, 0, L""};

    StateInfo state;
    ZeroMemory(&state, sizeof(state));
    state.dwJobId = 12;
    state.dwDevModelSN = 2;
    state.dwErrCode = 0x10046;
    wcscpy(state.szPrinterName, L"Card Printer 1");
    wcscpy(state.szPortName, L"USB001");
    wcscpy(state.szExtParam, L"0");
    COPYDATASTRUCT cds = {CDS_STATE_INFO, sizeof(state), &state};
    printf("1. the spooler side sends the state record of job %lu (WM_COPYDATA, dwData 111, %u bytes), no window:\n",
           static_cast<unsigned long>(state.dwJobId), static_cast<unsigned>(sizeof(state)));
    HWND alert = nullptr;
    g_setScript(&host);
    int value = send(state.szPrinterName, L"Vornex T42", nullptr, WM_COPYDATA, reinterpret_cast<WPARAM>(&alert),
                     reinterpret_cast<LPARAM>(&cds));
    PrintExchange();
    if (!IsWindow(alert))
        return Fail("the alert program's window did not come up");
    printf("  QelAsyncClient started QelAlert.exe -n \"%s\" -p \"%s\" -e \"%s\"; its window \"%s\" took the record\n",
           Utf8Text(state.szPrinterName).c_str(), Utf8Text(state.szPortName).c_str(), Utf8Text(state.szExtParam).c_str(),
           Utf8Text(WindowText(alert)).c_str());
    printf("  SendMessageToCustomAsyncUI returns %d, the window handle slot holds the alert window\n", value);

    printf("2. the spooler side sends the alert (WM_MY_PRINTER 0x8168, NTY_SHOW_ERROR_DLG 1000, code 0x%08lX):\n",
           static_cast<unsigned long>(state.dwErrCode));
    std::wstring shown;
    std::thread user([alert, &shown] {
        HWND dialog = WaitForProcessDialog(alert, WAIT_MS);
        if (!dialog)
            return;
        shown = L"\"" + WindowText(dialog) + L"\" with \"" + WindowText(GetDlgItem(dialog, ALERT_TEXT_ID)) +
                WindowText(GetDlgItem(dialog, BOX_TEXT_ID)) + L"\"";
        ClickButton(dialog, IDOK);
    });
    g_setScript(&host);
    value = send(state.szPrinterName, L"Vornex T42", alert, WM_MY_PRINTER, NTY_SHOW_ERROR_DLG, state.dwErrCode);
    user.join();
    PrintExchange();
    printf("  QelAlert showed %s; the user pressed \"Continue Printing\"\n", Utf8Text(shown).c_str());
    printf("  SendMessageToCustomAsyncUI returns %d (%s)\n", value, value == 1 ? "continue printing" : "cancel printing");
    return value == 1 && !shown.empty() ? 0 : 1;
}
