// The "Magnetic Encoding" page: its controls are not built yet, so it keeps only the
// page contract.
#include "MagEncodingPage.h"

#include "EmptyPage.h"
#include "MagEncodingResource.h"

INT_PTR CALLBACK DlgMagEncodingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_MAG_ENCODING);
}
