// The pages of the printing-preferences sheet, in the order they are added:
// six for most models, four for rewrite models.
#pragma once

#include <windows.h>

#include "UiData.h"

struct PageTableRow {
    LPCWSTR pszTitle; // English; the key and the section of its translation
    DLGPROC pfnDlgProc;
    WORD wTemplateId;
};

const DWORD FULL_PAGE_ROWS = 6;
const DWORD SHORT_PAGE_ROWS = 4;
extern const PageTableRow FullPageTable[FULL_PAGE_ROWS];
extern const PageTableRow ShortPageTable[SHORT_PAGE_ROWS];

// The table of the block's sheet and its number of rows.
const PageTableRow* GetPageTable(const UiData* ui, DWORD* rows);
// The row of a template in the block's table, or -1 when the table lacks it.
int GetPageRow(const UiData* ui, WORD templateId);
