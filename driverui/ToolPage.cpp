// The "Tool" page: its controls are not built yet, so it keeps only the
// page contract.
#include "ToolPage.h"

#include "EmptyPage.h"
#include "ToolResource.h"

INT_PTR CALLBACK DlgToolProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_TOOL);
}
