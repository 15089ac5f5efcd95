#include "PageTable.h"

#include "Pages.h"

const PageTableRow FullPageTable[FULL_PAGE_ROWS] = {
    {L"Print Option", DlgPrintOptionProc, IDD_PRINT_OPTION},
    {L"Image Color", DlgImageColorProc, IDD_IMAGE_COLOR},
    {L"Print Area", DlgPrintAreaProc, IDD_PRINT_AREA},
    {L"Magnetic Encoding", DlgMagEncodingProc, IDD_MAG_ENCODING},
    {L"Heating Energy", DlgHeatingEnergyProc, IDD_HEATING_ENERGY},
    {L"Tool", DlgToolProc, IDD_TOOL},
};

const PageTableRow ShortPageTable[SHORT_PAGE_ROWS] = {
    {L"Print Option", DlgPrintOptionProc, IDD_PRINT_OPTION},
    {L"Print Area", DlgPrintAreaProc, IDD_PRINT_AREA},
    {L"Heating Energy", DlgHeatingEnergyProc, IDD_HEATING_ENERGY},
    {L"Tool", DlgToolProc, IDD_TOOL},
};

const PageTableRow* GetPageTable(const UiData* ui, DWORD* rows)
{
    *rows = ui->bRewrite ? SHORT_PAGE_ROWS : FULL_PAGE_ROWS;
    return ui->bRewrite ? ShortPageTable : FullPageTable;
}

int GetPageRow(const UiData* ui, WORD templateId)
{
    DWORD rows = 0;
    const PageTableRow* table = GetPageTable(ui, &rows);
    for (DWORD row = 0; row < rows; ++row)
        if (table[row].wTemplateId == templateId)
            return static_cast<int>(row);
    return -1;
}
