// Copying, merging and handing back DEVMODEs. A DEVMODE from outside is
// copied into a scratch record first and only then taken field by field, so
// that nothing it says can leave the working copy out of range.
#include "DevMode.h"

#include "PaperTable.h"
#include "Platform.h"
#include "TextCopy.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace {

const DWORD PAPER_FIELDS = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
const DWORD RESOLUTION_FIELDS = DM_PRINTQUALITY | DM_YRESOLUTION;
const SHORT SCALE_MIN = 25, SCALE_MAX = 400, SCALE_DEFAULT = 100;
const SHORT COPIES_MAX = 99;
const DWORD BITS_PER_PEL = 24;
// The output's dmCopies is set only where the output's own size holds it.
const size_t COPIES_END = offsetof(DEVMODEW, dmCopies) + sizeof(SHORT);
// The header up to dmFields: a record that claims less would take its private
// bytes over its own sizes.
const WORD HEADER_END = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

bool HoldsHeader(const DEVMODEW* devMode)
{
    return devMode->dmSize >= HEADER_END;
}

// The public fields of the scratch copy that reach the working copy.
void TakePublicFields(DEVMODEW* working, const DEVMODEW& in)
{
    const PaperTableRow& paper = PaperTable[0];
    DWORD fields = in.dmFields;
    if (fields & DM_DEFAULTSOURCE) {
        working->dmFields |= DM_DEFAULTSOURCE;
        working->dmDefaultSource = in.dmDefaultSource;
    }
    if (fields & DM_ORIENTATION) {
        working->dmFields |= DM_ORIENTATION;
        working->dmOrientation = in.dmOrientation == DMORIENT_PORTRAIT ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    }
    if (fields & DM_MEDIATYPE)
        working->dmFields |= DM_MEDIATYPE;
    GetPrivateDevMode(working)->wReserved1 = GetPrivateDevMode(&in)->wReserved1;
    // Whatever paper the input names, the card is the one the driver knows.
    working->dmPaperSize = static_cast<SHORT>(paper.wPaperId);
    working->dmPaperWidth = static_cast<SHORT>(paper.wWidth);
    working->dmPaperLength = static_cast<SHORT>(paper.wLength);
    if (!(fields & DM_PAPERSIZE)) {
        CopyTextCut(working->dmFormName, CCHFORMNAME, paper.pszFormName);
        working->dmFields |= PAPER_FIELDS | DM_FORMNAME;
    }
    if (fields & DM_SCALE) {
        working->dmFields |= DM_SCALE;
        working->dmScale = InRange(in.dmScale, SCALE_MIN, SCALE_MAX) ? in.dmScale : SCALE_DEFAULT;
    }
    working->dmFields |= DM_COPIES;
    working->dmCopies = InRange(in.dmCopies, 1, COPIES_MAX) ? in.dmCopies : 1;
    if (fields & DM_ICMMETHOD) {
        working->dmFields |= DM_ICMMETHOD;
        working->dmICMMethod = in.dmICMMethod;
    }
    if (fields & DM_ICMINTENT) {
        working->dmFields |= DM_ICMINTENT;
        working->dmICMIntent = in.dmICMIntent;
    }
    if (fields & RESOLUTION_FIELDS) {
        working->dmFields |= RESOLUTION_FIELDS;
        working->dmPrintQuality = in.dmPrintQuality;
        working->dmYResolution = in.dmYResolution;
    }
    if (fields & DM_COLOR) {
        working->dmFields |= DM_COLOR;
        working->dmColor = in.dmColor == DMCOLOR_COLOR ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    }
    if (fields & DM_DUPLEX) {
        if (InRange(in.dmDuplex, DMDUP_SIMPLEX, DMDUP_HORIZONTAL)) {
            working->dmDuplex = in.dmDuplex;
            working->dmFields |= DM_DUPLEX;
        } else {
            working->dmDuplex = DMDUP_SIMPLEX;
        }
    }
    if (fields & DM_COLLATE) {
        if (InRange(in.dmCollate, DMCOLLATE_FALSE, DMCOLLATE_TRUE)) {
            working->dmCollate = in.dmCollate;
            working->dmFields |= DM_COLLATE;
        } else {
            working->dmCollate = DMCOLLATE_FALSE;
        }
    }
    if (fields & DM_BITSPERPEL)
        working->dmBitsPerPel = BITS_PER_PEL;
}

// The private part of the scratch copy, with the choices the rendering side
// could not follow put back to their defaults.
void TakePrivatePart(DEVMODEW* working, const DEVMODEW& in)
{
    PrivateDevMode* priv = GetPrivateDevMode(working);
    memcpy(priv, GetPrivateDevMode(&in), sizeof(PrivateDevMode));
    if (priv->byRibbon > RIBBON_LAST && priv->byRibbon != RIBBON_NONE_REWRITE)
        priv->byRibbon = RIBBON_YMCKO;
    if (!InRange(priv->chEnergyColumn, 0, ENERGY_COLUMNS - 1))
        priv->chEnergyColumn = ENERGY_COLUMN_DEFAULT;
}

} // namespace

LONG CopyDevMode(const DEVMODEW* in, DEVMODEW* out)
{
    if (!in || !out)
        return -1;
    if (!HoldsHeader(in) || !HoldsHeader(out))
        return 0;
    const WORD driverVersion = out->dmDriverVersion, size = out->dmSize, extra = out->dmDriverExtra;
    const WORD common = in->dmSize < size ? in->dmSize : size;
    const bool takePrivate = in->dmDriverVersion == DEVMODE_DRIVER_VERSION &&
                             in->dmSpecVersion == DEVMODE_SPEC_VERSION && in->dmDriverExtra == extra;
    const BYTE* inPrivate = reinterpret_cast<const BYTE*>(in) + in->dmSize;
    LONG copied = common;
    // in and out may be one record.
    memmove(out, in, common);
    out->dmDriverVersion = driverVersion;
    out->dmSize = size;
    out->dmDriverExtra = extra;
    out->dmSpecVersion = DEVMODE_SPEC_VERSION;
    if (takePrivate) {
        memmove(reinterpret_cast<BYTE*>(out) + size, inPrivate, extra);
        copied += extra;
    }
    if (size >= COPIES_END && out->dmCopies == 0)
        out->dmCopies = 1;
    return copied;
}

BOOL MergeDevMode(HANDLE, DEVMODEW* working, const DEVMODEW* in)
{
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS;
    DEVMODEW* scratch = nullptr;
    if (!in)
        return TRUE;
    scratch = reinterpret_cast<DEVMODEW*>(new (std::nothrow) BYTE[DEVMODE_TOTAL_SIZE]);
    if (!scratch) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    memcpy(scratch, working, DEVMODE_TOTAL_SIZE);
    if (CopyDevMode(in, scratch) < 1) {
        error = ERROR_INVALID_PARAMETER;
        goto done;
    }
    // Only a DEVMODE that could be merged names the device.
    memset(working->dmDeviceName, 0, sizeof(working->dmDeviceName));
    CopyTextCut(working->dmDeviceName, CCHDEVICENAME, in->dmDeviceName);
    TakePublicFields(working, *scratch);
    TakePrivatePart(working, *scratch);
    ok = TRUE;
done:
    delete[] reinterpret_cast<BYTE*>(scratch);
    DebugTrace(L"MergeDevMode(), result = %d, error = %u,\n", ok, error);
    if (!ok)
        SetLastError(error);
    return ok;
}

BOOL ReturnDevMode(const DEVMODEW* working, const DEVMODEW* in, DEVMODEW* out)
{
    // The caller sized out from the driver's answer to the size query; only
    // a caller record that holds its own header gives the shape.
    if (!out || (in && !HoldsHeader(in))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!in) {
        memcpy(out, working, static_cast<size_t>(working->dmSize) + working->dmDriverExtra);
        return TRUE;
    }
    // The caller gets its DEVMODE in the shape it knows, at most the driver's.
    const bool publicFromWorking = in->dmSize >= working->dmSize;
    const bool privateFromWorking = in->dmDriverExtra >= working->dmDriverExtra;
    out->dmSpecVersion = publicFromWorking ? working->dmSpecVersion : in->dmSpecVersion;
    out->dmSize = publicFromWorking ? working->dmSize : in->dmSize;
    out->dmDriverVersion = privateFromWorking ? working->dmDriverVersion : in->dmDriverVersion;
    out->dmDriverExtra = privateFromWorking ? working->dmDriverExtra : in->dmDriverExtra;
    // Both records hold their headers now, so the public part always goes.
    CopyDevMode(working, out);
    return TRUE;
}
