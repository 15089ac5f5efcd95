// The "Advanced card in and card out options" dialog: card-feed settings
// kept in the printer itself (card-out sensor, automatic feed of the manual
// slots, where and how long an ejected card waits), read when it opens and
// sent by "Apply to printer". It changes nothing in the DEVMODE.
#pragma once

#include <windows.h>

#include "UiData.h"

// Bounds of the waiting position (millimetres) and time (steps of 500 ms).
const DWORD WAIT_POSITION_MAX = 80;
const DWORD WAIT_TIME_MAX = 120000;

// One read or apply; the numbers are never read from the printer.
struct AdvancedCardSettings {
    DWORD bCardOutSensor; // "Enable card out sensor" of the card feeder
    DWORD bAutoFeedM1; // automatic feed of manual slot "m1"
    DWORD bAutoFeedM2; // automatic feed of manual slot "m2"
    DWORD nWaitPositionH; // eject slot "h"
    DWORD nWaitTimeH;
    DWORD nWaitPositionC; // eject slot "c"
    DWORD nWaitTimeC;
};

// The procedure of the modal dialog; its initialisation parameter is the
// sheet's UiData.
INT_PTR CALLBACK DlgAdvancedCardProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the three switches from the printer: a switch is on only when its
// exchange succeeded with a reply that carries a number saying so. The
// first failed or rejected exchange ends the read and shows the stop box,
// as does a printer that cannot be reached. The numbers become 0. Gives 0
// or the failure.
DWORD ReadAdvancedCardSettings(UiData* ui, AdvancedCardSettings* settings);
// Sends the settings by the model's rules, stopping at the first failed or
// rejected exchange, and reports the outcome in a message box: "Apply to
// printer ok." only when every command was taken. Gives 0 or the failure.
DWORD ApplyAdvancedCardSettings(UiData* ui, const AdvancedCardSettings* settings);
