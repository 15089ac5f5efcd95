// What the alert program keeps for its whole run: the last state record
// received, the copy the message dialog reads, and the one translator.
#pragma once

#include <windows.h>

#include "StateInfo.h"
#include "Translater.h"

// The last record received; every record overwrites it from its start.
extern StateInfo g_StateInfo0;
// The message dialog's copy, taken afresh for each alert.
extern StateInfo g_ShowMsgStateInfo;
// Made when the program starts and destroyed when it ends.
extern CTranslater g_Translater;
// The program's module, which holds the dialog templates.
extern HINSTANCE g_hInstance;

// Language-file section of the message dialog and its texts.
#define ALERT_LANGUAGE_SECTION L"QEL_ALERT_DIALOG"

// Stores a WM_COPYDATA record: dwData CDS_STATE_INFO copies min(cbData,
// sizeof(StateInfo)) bytes to the start of g_StateInfo0, leaving the bytes
// beyond as they were. TRUE when bytes were stored; FALSE for any other
// dwData, no record, or a size without data.
BOOL StoreStateInfo(const COPYDATASTRUCT* record);

// Copies g_StateInfo0 into g_ShowMsgStateInfo with dwErrCode set to code.
// The copy's texts end within their rooms, whatever the sender wrote.
void TakeShowMsgStateInfo(DWORD code);
