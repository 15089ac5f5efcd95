// The defaults of the public and the private part.
#include "DevMode.h"

#include "PaperTable.h"
#include "Platform.h"
#include "TextCopy.h"

#include <cstring>

namespace {

const DWORD DEFAULT_FIELDS = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                             DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_YRESOLUTION |
                             DM_TTOPTION | DM_COLLATE | DM_FORMNAME | DM_ICMMETHOD | DM_ICMINTENT | DM_DITHERTYPE;
static_assert(DEFAULT_FIELDS == 0x0581FF1F, "default fields");

const SHORT DEFAULT_RESOLUTION = 300;
const WORD DEFAULT_RESERVED1 = 100;
const ULONGLONG DEFAULT_RESERVED2 = 3;
const WORD DEFAULT_RESERVED5 = 1;
const SHORT DEFAULT_SHARPNESS = 100;
const SHORT DEFAULT_GAMMA = 100;

} // namespace

BOOL SetDefaultDevMode(HANDLE, DEVMODEW* devMode, LPCWSTR printerName)
{
    const PaperTableRow& paper = PaperTable[0];
    memset(devMode, 0, DEVMODE_TOTAL_SIZE);
    CopyTextCut(devMode->dmDeviceName, CCHDEVICENAME, printerName);
    devMode->dmSpecVersion = DEVMODE_SPEC_VERSION;
    devMode->dmDriverVersion = DEVMODE_DRIVER_VERSION;
    devMode->dmSize = DEVMODE_PUBLIC_SIZE;
    devMode->dmDriverExtra = DEVMODE_PRIVATE_SIZE;
    devMode->dmFields = DEFAULT_FIELDS;
    devMode->dmOrientation = DMORIENT_PORTRAIT;
    devMode->dmPaperSize = static_cast<SHORT>(paper.wPaperId);
    devMode->dmPaperLength = static_cast<SHORT>(paper.wLength);
    devMode->dmPaperWidth = static_cast<SHORT>(paper.wWidth);
    devMode->dmScale = 100;
    devMode->dmCopies = 1;
    devMode->dmDefaultSource = DMBIN_AUTO;
    devMode->dmPrintQuality = DEFAULT_RESOLUTION;
    devMode->dmColor = DMCOLOR_COLOR;
    devMode->dmDuplex = DMDUP_SIMPLEX;
    devMode->dmYResolution = DEFAULT_RESOLUTION;
    devMode->dmTTOption = DMTT_BITMAP;
    devMode->dmCollate = DMCOLLATE_FALSE;
    CopyTextCut(devMode->dmFormName, CCHFORMNAME, paper.pszFormName);
    devMode->dmNup = 1;
    devMode->dmICMMethod = DMICMMETHOD_NONE;
    devMode->dmICMIntent = DMICM_COLORIMETRIC;
    devMode->dmDitherType = DMDITHER_NONE;
    SetDefaultPrivateDevMode(devMode);
    DebugTrace(L"SetDefaultDevMode(%ls),\n", printerName ? printerName : L"");
    return TRUE;
}

void SetDefaultPrivateDevMode(DEVMODEW* devMode)
{
    const PaperTableRow& paper = PaperTable[0];
    PrivateDevMode* priv = GetPrivateDevMode(devMode);
    memset(priv, 0, sizeof(PrivateDevMode));
    priv->wVersion = PRIVATE_DEVMODE_VERSION;
    priv->wCardWidth = LOWORD(paper.dwWidthDots);
    priv->wCardHeight = LOWORD(paper.dwHeightDots);
    priv->wReserved1 = DEFAULT_RESERVED1;
    priv->qwReserved2 = DEFAULT_RESERVED2;
    priv->byRibbon = RIBBON_YMCKO;
    priv->bySides = SIDE_FRONT;
    priv->byPrintColor = SIDE_FRONT;
    priv->nSharpness = DEFAULT_SHARPNESS;
    priv->nGamma = DEFAULT_GAMMA;
    priv->wReserved5 = DEFAULT_RESERVED5;
    priv->chEnergyColumn = ENERGY_COLUMN_DEFAULT;
}
