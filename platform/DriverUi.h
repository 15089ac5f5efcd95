// The printer-interface contract between the spooler and a driver's
// user-interface library, as far as the toolchain's headers lack it: the
// property-sheet headers, the job-check record, the DEVMODE conversion modes,
// the entry points and the property-page record of the fourth version, which
// the common property-sheet host takes.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <compstui.h>
#include <winddiui.h>

#include <cstddef>

// What the spooler hands DrvDocumentPropertySheets: in the sheet's
// lParamInit, or as its lParam when no sheet is shown.
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

// What the spooler hands DrvDevicePropertySheets in the sheet's lParamInit.
typedef struct _DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif

// The job check's record: the DEVMODE to check and the room for a reason.
typedef struct _DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    PDEVMODEW pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// DrvConvertDevMode's modes.
#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04
#endif

// A property page of the fourth version: the third version's members and the
// wizard header bitmap after them.
typedef struct _PROPSHEETPAGEW_V4 {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCWSTR pszTemplate;
        LPCDLGTEMPLATEW pResource;
    };
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKW pfnCallback;
    UINT* pcRefParent;
    LPCWSTR pszHeaderTitle;
    LPCWSTR pszHeaderSubTitle;
    HANDLE hActCtx;
    union {
        HBITMAP hbmHeader;
        LPCWSTR pszbmHeader;
    };
} PROPSHEETPAGEW_V4, *LPPROPSHEETPAGEW_V4;

static_assert(offsetof(PROPSHEETPAGEW_V4, hbmHeader) == sizeof(PROPSHEETPAGEW),
              "the fourth version extends the toolchain's third");
static_assert(sizeof(PROPSHEETPAGEW_V4) == (sizeof(void*) == 8 ? 104 : 56), "PROPSHEETPAGEW version 4");
static_assert(sizeof(DOCUMENTPROPERTYHEADER) == (sizeof(void*) == 8 ? 48 : 28), "DOCUMENTPROPERTYHEADER");
static_assert(sizeof(DEVQUERYPRINT_INFO) == (sizeof(void*) == 8 ? 40 : 24), "DEVQUERYPRINT_INFO");

// A sheet owner's entry as the common property-sheet host calls it: the
// toolchain's PFNPROPSHEETUI lacks the calling convention.
typedef LONG(CALLBACK* PFNPROPSHEETUI_ENTRY)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

// The entry points of a printer-interface library that the toolchain does
// not declare (DrvPrinterEvent it does).
extern "C" {
LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                              DWORD fMode);
DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                                   PDEVMODEW pDevMode);
BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo);
}
