// The "Image Color" page: its controls are not built yet, so it keeps only the
// page contract.
#include "ImageColorPage.h"

#include "EmptyPage.h"
#include "ImageColorResource.h"

INT_PTR CALLBACK DlgImageColorProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_IMAGE_COLOR);
}
