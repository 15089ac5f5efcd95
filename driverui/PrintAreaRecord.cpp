#include "PrintAreaRecord.h"

#include "PaperTable.h"

#include <cstring>
#include <cwchar>

const WCHAR FULL_CARD_NAME[] = L"Full Card";

namespace {

const double DOTS_PER_INCH = 300.0;
const double MM_PER_INCH = 25.4;

} // namespace

BOOL IsFullCardName(LPCWSTR name)
{
    return name && wcscmp(name, FULL_CARD_NAME) == 0;
}

void GetCardSize(BYTE orientation, DWORD* width, DWORD* height)
{
    const PaperTableRow& card = PaperTable[0];
    *width = orientation == DMORIENT_PORTRAIT ? card.dwWidthDots : card.dwHeightDots;
    *height = orientation == DMORIENT_PORTRAIT ? card.dwHeightDots : card.dwWidthDots;
}

// The steps keep their order: the stored values were always rounded this way.
int DotsToUnit(LONG dots, BYTE unit)
{
    switch (unit) {
    case AREA_UNIT_TENTH_MM:
        return static_cast<int>(dots / DOTS_PER_INCH * MM_PER_INCH * 10.0 + 0.5);
    case AREA_UNIT_HUNDREDTH_INCH:
        return static_cast<int>(dots / DOTS_PER_INCH * 100.0 + 0.5);
    default:
        return static_cast<int>(dots);
    }
}

LONG UnitToDots(int value, BYTE unit)
{
    switch (unit) {
    case AREA_UNIT_TENTH_MM:
        return static_cast<LONG>(value / 10.0 / MM_PER_INCH * DOTS_PER_INCH + 0.5);
    case AREA_UNIT_HUNDREDTH_INCH:
        return static_cast<LONG>(value / 100.0 * DOTS_PER_INCH + 0.5);
    default:
        return value;
    }
}

void SetFullCardRecord(PrintAreaRecord* record, BYTE panel, BYTE orientation)
{
    ZeroMemory(record, sizeof(*record));
    record->byOrientation = orientation;
    record->byPanel = panel;
    record->byUnit = AREA_UNIT_DOTS;
    wcscpy(record->szName, FULL_CARD_NAME);
    GetCardSize(orientation, &record->dwPageWidth, &record->dwPageHeight);
    record->dwOutsideColor = 0;
    record->dwInsideColor = 0xFFFFFF;
}

BOOL TakeStoredPrintArea(DWORD type, const BYTE* data, DWORD size, PrintAreaRecord* out)
{
    PrintAreaRecord scratch;
    if (!data || (type != REG_BINARY && type != REG_NONE) || size != sizeof(scratch))
        return FALSE;
    memcpy(&scratch, data, sizeof(scratch));
    if (scratch.dwRectCount > PRINT_AREA_RECT_MAX || scratch.dwPageWidth == 0 || scratch.dwPageHeight == 0)
        return FALSE;
    scratch.szName[PRINT_AREA_NAME_ROOM - 1] = L'\0';
    if (out)
        *out = scratch;
    return TRUE;
}
