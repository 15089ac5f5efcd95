#include "AdvancedCardDialog.h"

#include <cstdio>

#include "AdvancedCardResource.h"
#include "ErrorText.h"
#include "ModelGroup.h"
#include "PageControls.h"
#include "PagePrinter.h"
#include "Platform.h"

namespace {

const LPCWSTR kSection = L"Print Option";
// Room of a system error text and of a number parameter.
const DWORD ERROR_TEXT_ROOM = 1024;
const size_t NUMBER_PARAM_ROOM = 12;

// What the driver name decides: the controls hidden, the slots relabelled,
// and which settings are exchanged with the printer.
struct CardModelRule {
    BOOL hideFeeder; // 8002, 8003
    BOOL hideSlotM2; // 8006, 8007
    BOOL hideEjectC; // 8016 to 8022
    LPCWSTR slotM1Label; // 8004, NULL: as the template says
    LPCWSTR slotM2Label; // 8006
    LPCWSTR ejectHLabel; // 8009
    BOOL cardOutSensor; // "Dwk" and "Swk"
    BOOL slotM2; // "Dck" and "Sck" with "m2"
    BOOL ejectC; // "Sds" with "c"
};

const CardModelRule& GetCardModelRule(LPCWSTR driverName)
{
    static const CardModelRule kGroupA = {TRUE, FALSE, FALSE, L"Front end manual feed slot",
                                          L"Back end manual feed slot", nullptr, FALSE, TRUE, TRUE};
    static const CardModelRule kGroupB = {TRUE, FALSE, TRUE, nullptr, nullptr, L"Output hopper", FALSE, TRUE, FALSE};
    static const CardModelRule kGroupC = {FALSE, TRUE, TRUE, nullptr, nullptr, L"Output hopper", TRUE, FALSE, FALSE};
    static const CardModelRule kOther = {FALSE, FALSE, FALSE, nullptr, nullptr, nullptr, FALSE, TRUE, FALSE};
    switch (GetModelGroup(driverName)) {
    case MODEL_GROUP_A:
        return kGroupA;
    case MODEL_GROUP_B:
        return kGroupB;
    case MODEL_GROUP_C:
        return kGroupC;
    default:
        return kOther;
    }
}

void ApplyModelLayout(HWND dialog, const CardModelRule& rule)
{
    if (rule.hideFeeder)
        ShowControls(dialog, IDC_ADV_FEEDER_GROUP, IDC_ADV_CARD_OUT_SENSOR, FALSE);
    if (rule.hideSlotM2)
        ShowControls(dialog, IDC_ADV_SLOT_M2_GROUP, IDC_ADV_AUTO_FEED_M2, FALSE);
    if (rule.hideEjectC)
        ShowControls(dialog, IDC_ADV_EJECT_C_GROUP, IDC_ADV_TIME_C_UNIT, FALSE);
    if (rule.slotM1Label)
        SetDlgItemTextW(dialog, IDC_ADV_SLOT_M1_GROUP, rule.slotM1Label);
    if (rule.slotM2Label)
        SetDlgItemTextW(dialog, IDC_ADV_SLOT_M2_GROUP, rule.slotM2Label);
    if (rule.ejectHLabel)
        SetDlgItemTextW(dialog, IDC_ADV_EJECT_H_GROUP, rule.ejectHLabel);
}

// The stop box of a printer that could not be reached, stopped answering or
// rejected a command: the system's text of the code (or the code itself),
// titled with the printer name.
void ShowPrinterFailure(UiData* ui, DWORD code)
{
    WCHAR text[ERROR_TEXT_ROOM];
    ui->Translater.SetSection(kSection);
    FormatErrorText(code, ui->Translater.Translate(L"Error code"), text, ERROR_TEXT_ROOM);
    MessageBoxW(nullptr, text, ui->szPrinterName, MB_OK | MB_ICONSTOP);
}

// Opens the printer of the sheet; one that cannot be reached gets the stop
// box of a device that is not connected.
DWORD OpenCardPrinter(UiData* ui, CPagePrinter& printer)
{
    DWORD result = printer.Open(ui->szPrinterName);
    if (result != ERROR_SUCCESS)
        ShowPrinterFailure(ui, ERROR_DEVICE_NOT_CONNECTED);
    return result;
}

// One switch read from the printer: on only when the exchange succeeded and
// its number says so. Gives the exchange's failure or the printer's
// rejection.
DWORD ReadSwitch(CPagePrinter& printer, LPCSTR command, LPCSTR parameter, int onValue, DWORD* field)
{
    *field = 0;
    DWORD result = printer.Command(command, parameter);
    int number = 0;
    if (result == ERROR_SUCCESS && printer.GetReplyNumber(&number) == ERROR_SUCCESS)
        *field = number == onValue ? 1 : 0;
    return result;
}

// A box's number within 0 to max (0 when the text is no number); the box
// then shows the number taken.
DWORD CollectNumber(HWND dialog, int controlId, DWORD max)
{
    DWORD value = 0;
    ReadUnsignedBox(dialog, controlId, &value);
    if (value > max)
        value = max;
    SetDlgItemInt(dialog, controlId, value, FALSE);
    return value;
}

void CollectSettings(HWND dialog, AdvancedCardSettings* settings)
{
    settings->bCardOutSensor = IsChecked(dialog, IDC_ADV_CARD_OUT_SENSOR) ? 1 : 0;
    settings->bAutoFeedM1 = IsChecked(dialog, IDC_ADV_AUTO_FEED_M1) ? 1 : 0;
    settings->bAutoFeedM2 = IsChecked(dialog, IDC_ADV_AUTO_FEED_M2) ? 1 : 0;
    settings->nWaitPositionH = CollectNumber(dialog, IDC_ADV_POSITION_H, WAIT_POSITION_MAX);
    settings->nWaitTimeH = CollectNumber(dialog, IDC_ADV_TIME_H, WAIT_TIME_MAX);
    settings->nWaitPositionC = CollectNumber(dialog, IDC_ADV_POSITION_C, WAIT_POSITION_MAX);
    settings->nWaitTimeC = CollectNumber(dialog, IDC_ADV_TIME_C, WAIT_TIME_MAX);
}

DWORD SendWaiting(CPagePrinter& printer, LPCSTR slot, DWORD position, DWORD time)
{
    char positionText[NUMBER_PARAM_ROOM], timeText[NUMBER_PARAM_ROOM];
    snprintf(positionText, NUMBER_PARAM_ROOM, "%d", static_cast<int>(position));
    snprintf(timeText, NUMBER_PARAM_ROOM, "%d", static_cast<int>(time));
    return printer.Command("Sds", slot, positionText, timeText);
}

// Auto feed is on when the printer's value is 0.
LPCSTR AutoFeedValue(DWORD on)
{
    return on ? "0" : "1";
}

void InitAdvancedCardDialog(HWND dialog, UiData* ui)
{
    ApplyModelLayout(dialog, GetCardModelRule(ui->szDriverName));
    ui->Translater.SetSection(kSection);
    ui->Translater.TranslateWindowItems(dialog);

    AdvancedCardSettings settings = {};
    // Switches that were not read must not be written over the printer's own.
    if (ReadAdvancedCardSettings(ui, &settings) != ERROR_SUCCESS)
        EnableWindow(GetDlgItem(dialog, IDC_ADV_APPLY), FALSE);
    SetCheck(dialog, IDC_ADV_CARD_OUT_SENSOR, settings.bCardOutSensor);
    SetCheck(dialog, IDC_ADV_AUTO_FEED_M1, settings.bAutoFeedM1);
    SetCheck(dialog, IDC_ADV_AUTO_FEED_M2, settings.bAutoFeedM2);
    const struct {
        int id;
        WPARAM limit;
        DWORD value;
    } boxes[] = {
        {IDC_ADV_POSITION_H, 2, settings.nWaitPositionH},
        {IDC_ADV_TIME_H, 6, settings.nWaitTimeH},
        {IDC_ADV_POSITION_C, 2, settings.nWaitPositionC},
        {IDC_ADV_TIME_C, 6, settings.nWaitTimeC},
    };
    for (const auto& box : boxes) {
        SendDlgItemMessageW(dialog, box.id, EM_LIMITTEXT, box.limit, 0);
        SetDlgItemInt(dialog, box.id, box.value, FALSE);
    }
}

} // namespace

DWORD ReadAdvancedCardSettings(UiData* ui, AdvancedCardSettings* settings)
{
    if (!ui || !settings)
        return ERROR_INVALID_PARAMETER;
    const CardModelRule& rule = GetCardModelRule(ui->szDriverName);
    settings->bCardOutSensor = settings->bAutoFeedM1 = settings->bAutoFeedM2 = 0;
    settings->nWaitPositionH = settings->nWaitTimeH = 0;
    settings->nWaitPositionC = settings->nWaitTimeC = 0;

    CPagePrinter printer;
    DWORD result = OpenCardPrinter(ui, printer);
    if (result != ERROR_SUCCESS)
        return result;
    // A printer that stops answering is not asked again: every further
    // exchange would wait the whole time-out.
    if (rule.cardOutSensor)
        result = ReadSwitch(printer, "Dwk", nullptr, 2, &settings->bCardOutSensor);
    if (result == ERROR_SUCCESS)
        result = ReadSwitch(printer, "Dck", "m1", 0, &settings->bAutoFeedM1);
    if (result == ERROR_SUCCESS && rule.slotM2)
        result = ReadSwitch(printer, "Dck", "m2", 0, &settings->bAutoFeedM2);
    printer.Release();
    DebugTrace(L"ReadAdvancedCardSettings(), %ls, return = %d, sensor = %d, m1 = %d, m2 = %d,\n", ui->szPrinterName,
               result, settings->bCardOutSensor, settings->bAutoFeedM1, settings->bAutoFeedM2);
    if (result != ERROR_SUCCESS)
        ShowPrinterFailure(ui, result);
    return result;
}

DWORD ApplyAdvancedCardSettings(UiData* ui, const AdvancedCardSettings* settings)
{
    if (!ui || !settings)
        return ERROR_INVALID_PARAMETER;
    const CardModelRule& rule = GetCardModelRule(ui->szDriverName);
    CPagePrinter printer;
    DWORD result = OpenCardPrinter(ui, printer);
    if (result != ERROR_SUCCESS)
        return result;
    if (rule.cardOutSensor)
        result = printer.Command("Swk", settings->bCardOutSensor ? "2" : "0");
    if (result == ERROR_SUCCESS)
        result = printer.Command("Sck", "m1", AutoFeedValue(settings->bAutoFeedM1));
    if (result == ERROR_SUCCESS && rule.slotM2)
        result = printer.Command("Sck", "m2", AutoFeedValue(settings->bAutoFeedM2));
    if (result == ERROR_SUCCESS)
        result = SendWaiting(printer, "h", settings->nWaitPositionH, settings->nWaitTimeH);
    if (result == ERROR_SUCCESS && rule.ejectC)
        result = SendWaiting(printer, "c", settings->nWaitPositionC, settings->nWaitTimeC);
    printer.Release();
    DebugTrace(L"ApplyAdvancedCardSettings(), %ls, return = %d,\n", ui->szPrinterName, result);

    if (result != ERROR_SUCCESS) {
        ShowPrinterFailure(ui, result);
    } else {
        ui->Translater.SetSection(kSection);
        MessageBoxW(nullptr, ui->Translater.Translate(L"Apply to printer ok."), ui->szPrinterName,
                    MB_OK | MB_ICONINFORMATION);
    }
    return result;
}

INT_PTR CALLBACK DlgAdvancedCardProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = reinterpret_cast<UiData*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (ui)
            InitAdvancedCardDialog(dialog, ui);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    UiData* ui = reinterpret_cast<UiData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return TRUE;
    case IDC_ADV_APPLY:
        // The button is disabled after a failed read; a command that comes
        // past it writes nothing either.
        if (ui && IsWindowEnabled(GetDlgItem(dialog, IDC_ADV_APPLY))) {
            AdvancedCardSettings settings = {};
            CollectSettings(dialog, &settings);
            ApplyAdvancedCardSettings(ui, &settings);
        }
        return TRUE;
    default:
        return FALSE;
    }
}
