// What both sheets answer at PROPSHEETUI_REASON_GET_INFO_HEADER, and the
// answer of every failure.
#pragma once

#include <windows.h>
#include <compstui.h>

// The sheet's title is the printer name; no Apply button; the printer icon.
// -1 with ERROR_INVALID_PARAMETER without a header.
LONG FillSheetInfoHeader(LPARAM lParam, LPWSTR printerName);
// ERR_CPSUI_GETLASTERROR with error as the last error.
LONG FailSheetCall(DWORD error);
