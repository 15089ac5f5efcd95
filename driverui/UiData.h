// UiData: the block that the pages of one printing-preferences sheet share.
// FillUiData builds it from the printer and the caller's DEVMODE; every page
// gets it as the lParam of its PROPSHEETPAGE; FreeUiData frees it when the
// sheet is destroyed.
#pragma once

#include <windows.h>
#include <compstui.h>

#include "PrintAreaRecord.h"
#include "PrivateDevMode.h"
#include "Translater.h"

// Characters of the name fields, terminator included.
const DWORD UI_PRINTER_NAME_ROOM = 256;
const DWORD UI_DRIVER_NAME_ROOM = 256;
const DWORD UI_PORT_NAME_ROOM = 64;
// Rows of the full page table.
const DWORD UI_PAGE_MAX = 6;
// Print-area entries: index side times 4 plus panel.
const DWORD UI_PRINT_AREA_ENTRIES = 8;

struct UiData {
    HMODULE hModule;
    HANDLE hPrinter; // the caller's
    WCHAR szDriverName[UI_DRIVER_NAME_ROOM];
    WCHAR szPrinterName[UI_PRINTER_NAME_ROOM];
    WCHAR szPortName[UI_PORT_NAME_ROOM];
    DriverDevMode DevMode; // the working DEVMODE the pages edit
    HANDLE hComPropSheet;
    PFNCOMPROPSHEET pfnComPropSheet;
    HANDLE hPages[UI_PAGE_MAX]; // the host's handle of each page, in page-table order
    DWORD bOneSided; // back-side settings hidden, no duplex
    DWORD bRewrite; // short page table, rewrite energies
    BYTE byAreaOrientation; // the Print Area page's state
    BYTE byAreaRibbon;
    BYTE byAreaPanel;
    BYTE byAreaSide;
    PrintAreaRecord PrintAreas[UI_PRINT_AREA_ENTRIES];
    PrintAreaRecord* pCurPrintArea;
    CTranslater Translater; // loaded with the language file of wLanguage
};

// A new block for printer (an open spooler handle, or NULL when the caller
// gives none: the printer is then read by printerName) and the caller's
// DEVMODE (may be NULL), or NULL with the last error: the spooler's when the
// printer's information cannot be read, ERROR_NOT_ENOUGH_MEMORY.
UiData* FillUiData(HANDLE printer, PDEVMODEW pdmIn, LPCWSTR printerName);
// Destroys the translator and frees the block (NULL is allowed).
void FreeUiData(UiData* ui);
