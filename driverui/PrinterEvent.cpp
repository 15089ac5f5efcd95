// DrvPrinterEvent: the driver keeps nothing per printer, so every event of
// the spooler succeeds without work.
#include "DriverUi.h"

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR, INT, DWORD, LPARAM)
{
    return TRUE;
}
