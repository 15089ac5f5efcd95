// The card sizes the driver knows, and its paper bins.
#pragma once

#include <windows.h>

// Room of a paper name and of a bin name in the capability answers.
const DWORD PAPER_NAME_ROOM = 64;
const DWORD BIN_NAME_ROOM = 24;

struct PaperTableRow {
    WORD wPaperId;
    WORD wWidth; // tenths of a millimetre
    WORD wLength; // tenths of a millimetre
    WORD wReserved;
    DWORD dwWidthDots; // at 300 dots per inch
    DWORD dwHeightDots;
    LPCWSTR pszFormName;
    LPCWSTR pszDisplayName;
};

// One row today; every lookup stops after the first row.
extern const PaperTableRow PaperTable[];

// The bins by name, and the one bin the driver reports (DMBIN_AUTO, named
// by the first entry).
extern const LPCWSTR BinNames[];
const WORD REPORTED_BIN = DMBIN_AUTO;
