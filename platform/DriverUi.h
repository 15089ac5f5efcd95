// The printer-interface contract between the spooler and a driver's
// user-interface library, as far as the toolchain's headers lack it: the
// headers the spooler hands the sheet and query entry points, the DEVMODE
// conversion modes, the entry points themselves, and the property-sheet page
// record in its fourth version, which the common property-sheet host takes.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <compstui.h>
#include <prsht.h>
#include <winddiui.h>

extern "C" {

// lParamInit of the printing-preferences sheet, or the lParam of a call
// without a sheet.
typedef struct _DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

// lParamInit of the printer-properties sheet.
typedef struct _DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif

// The record of a job check: the job's DEVMODE and room for a reason text.
typedef struct _DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    PDEVMODEW pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// fMode of DrvConvertDevMode.
#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04
#endif

// The page record in its fourth version: the third version and the
// wizard-header bitmap.
typedef struct _PROPSHEETPAGEW_V4 {
    PROPSHEETPAGEW_V1_FIELDS
    LPCWSTR pszHeaderTitle;
    LPCWSTR pszHeaderSubTitle;
    HANDLE hActCtx;
    union {
        HBITMAP hbmHeader;
        LPCWSTR pszbmHeader;
    };
} PROPSHEETPAGEW_V4, *LPPROPSHEETPAGEW_V4;

static_assert(sizeof(PROPSHEETPAGEW_V4) == (sizeof(void*) == 8 ? 104 : 56), "version-4 page record size");

LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                              DWORD fMode);
DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                                   PDEVMODEW pDevMode);
BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo);

} // extern "C"
