// The ribbons a job can name, in the order the pages list them, with their
// English names; the ids are the printer's (RibbonType.h), which reports
// "1/2 YMCKO" as "YMCKO-F".
#pragma once

#include <windows.h>

#include "PrivateDevMode.h"

struct RibbonRow {
    BYTE id;
    LPCWSTR name;
};

// The ribbons a printer reports, and with them the rewrite models' row.
const int RIBBON_ROWS = 5;
const int REWRITE_RIBBON_ROWS = 6;
extern const RibbonRow RibbonTable[REWRITE_RIBBON_ROWS];

// The row of a ribbon id among the first rows of the table, or -1.
int FindRibbonRow(BYTE id, int rows);
// The ribbons with colour panels, and those with only black ones.
BOOL IsColourRibbon(BYTE id);
BOOL IsBlackRibbon(BYTE id);
