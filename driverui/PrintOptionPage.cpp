// The "Print Option" page: its controls are not built yet, so it keeps only the
// page contract.
#include "PrintOptionPage.h"

#include "EmptyPage.h"
#include "PrintOptionResource.h"

INT_PTR CALLBACK DlgPrintOptionProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_PRINT_OPTION);
}
