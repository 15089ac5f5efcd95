// The "Print Area" page: its controls are not built yet, so it keeps only the
// page contract.
#include "PrintAreaPage.h"

#include "EmptyPage.h"
#include "PrintAreaResource.h"

INT_PTR CALLBACK DlgPrintAreaProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_PRINT_AREA);
}
