// The "Heating Energy" page: its controls are not built yet, so it keeps only the
// page contract.
#include "HeatingEnergyPage.h"

#include "EmptyPage.h"
#include "HeatingEnergyResource.h"

INT_PTR CALLBACK DlgHeatingEnergyProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EmptyPageProc(page, message, wParam, lParam, IDD_HEATING_ENERGY);
}
