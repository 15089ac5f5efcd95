#include "RibbonTable.h"

const RibbonRow RibbonTable[REWRITE_RIBBON_ROWS] = {
    {RIBBON_YMCKO, L"YMCKO"},
    {RIBBON_K, L"K"},
    {RIBBON_YMCKO_F, L"1/2 YMCKO"},
    {RIBBON_YMCKOK, L"YMCKOK"},
    {RIBBON_KO, L"KO"},
    {RIBBON_NONE_REWRITE, L"None (Rewrite card)"},
};

int FindRibbonRow(BYTE id, int rows)
{
    for (int row = 0; row < rows; ++row)
        if (RibbonTable[row].id == id)
            return row;
    return -1;
}

BOOL IsColourRibbon(BYTE id)
{
    return id == RIBBON_YMCKO || id == RIBBON_YMCKO_F || id == RIBBON_YMCKOK;
}

BOOL IsBlackRibbon(BYTE id)
{
    return id == RIBBON_K || id == RIBBON_KO;
}
