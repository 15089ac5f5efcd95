#include "PrintAreaEdits.h"

#include "PageContract.h"

namespace {

// One bit per entry of PrintAreas; no property while none is marked.
const WCHAR EDITS_PROPERTY[] = L"QelUI.PrintAreaEdits";

// The entry's bit, 0 for a record that is none of the page's entries.
ULONG_PTR EntryBit(HWND page, const PrintAreaRecord* entry)
{
    const UiData* ui = GetPageUiData(page);
    if (!ui || entry < ui->PrintAreas || entry >= ui->PrintAreas + UI_PRINT_AREA_ENTRIES)
        return 0;
    return static_cast<ULONG_PTR>(1) << (entry - ui->PrintAreas);
}

ULONG_PTR GetEdits(HWND page)
{
    return reinterpret_cast<ULONG_PTR>(GetPropW(page, EDITS_PROPERTY));
}

void SetEdits(HWND page, ULONG_PTR edits)
{
    if (edits)
        SetPropW(page, EDITS_PROPERTY, reinterpret_cast<HANDLE>(edits));
    else
        RemovePropW(page, EDITS_PROPERTY);
}

} // namespace

void MarkPrintAreaEdited(HWND page, const PrintAreaRecord* entry)
{
    SetEdits(page, GetEdits(page) | EntryBit(page, entry));
}

void ClearPrintAreaEdited(HWND page, const PrintAreaRecord* entry)
{
    SetEdits(page, GetEdits(page) & ~EntryBit(page, entry));
}

void ClearPrintAreaEdits(HWND page)
{
    SetEdits(page, 0);
}

BOOL IsPrintAreaEdited(HWND page, const PrintAreaRecord* entry)
{
    return (GetEdits(page) & EntryBit(page, entry)) != 0;
}
