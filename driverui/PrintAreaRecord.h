// A named print area as the user's registry stores it: a REG_BINARY value
// of exactly 360 bytes, little-endian; the built-in "Full Card" entry; the
// conversions between dots and the two display units.
#pragma once

#include <windows.h>

#include <cstddef>

const DWORD PRINT_AREA_RECORD_SIZE = 360;
// Characters of szName, terminator included.
const DWORD PRINT_AREA_NAME_ROOM = 64;
const DWORD PRINT_AREA_RECT_MAX = 10;

// byUnit.
enum : BYTE { AREA_UNIT_DOTS = 0, AREA_UNIT_TENTH_MM = 1, AREA_UNIT_HUNDREDTH_INCH = 2 };
// byPanel.
enum : BYTE { AREA_PANEL_YMCO = 0, AREA_PANEL_K = 1, AREA_PANEL_REWRITE = 2 };

struct PrintAreaRecord {
    BYTE byOrientation; // 1 portrait, any other value landscape
    BYTE byPanel;
    BYTE byUnit;
    BYTE reserved3[5];
    WCHAR szName[PRINT_AREA_NAME_ROOM];
    BYTE reserved136[12];
    DWORD dwPageWidth; // dots, in byOrientation
    DWORD dwPageHeight;
    DWORD dwOutsideColor;
    DWORD dwInsideColor;
    DWORD dwRectCount; // rectangles in use
    RECT rcAreas[PRINT_AREA_RECT_MAX]; // dots from the card's top-left corner
    BYTE reserved328[32]; // carried along
};

static_assert(sizeof(PrintAreaRecord) == PRINT_AREA_RECORD_SIZE, "PrintAreaRecord");
static_assert(offsetof(PrintAreaRecord, szName) == 8 && offsetof(PrintAreaRecord, dwPageWidth) == 148 &&
                  offsetof(PrintAreaRecord, dwPageHeight) == 152 && offsetof(PrintAreaRecord, dwOutsideColor) == 156 &&
                  offsetof(PrintAreaRecord, dwInsideColor) == 160 && offsetof(PrintAreaRecord, dwRectCount) == 164 &&
                  offsetof(PrintAreaRecord, rcAreas) == 168 && offsetof(PrintAreaRecord, reserved328) == 328,
              "PrintAreaRecord layout");

// The built-in area: no rectangles, never stored as a value of its own.
extern const WCHAR FULL_CARD_NAME[];
BOOL IsFullCardName(LPCWSTR name);

// The card in dots for an orientation: the paper table's card, portrait
// when orientation is 1, else turned.
void GetCardSize(BYTE orientation, DWORD* width, DWORD* height);

// Dots to the display unit and back, rounded half up; a unit other than
// tenths of a millimetre or hundredths of an inch is dots.
int DotsToUnit(LONG dots, BYTE unit);
LONG UnitToDots(int value, BYTE unit);

// The "Full Card" entry of a panel under an orientation.
void SetFullCardRecord(PrintAreaRecord* record, BYTE panel, BYTE orientation);

// Takes a stored value read into a scratch buffer: exactly one record of
// REG_BINARY (or untyped REG_NONE) data with at most PRINT_AREA_RECT_MAX
// rectangles and a card size. The record is copied to out (may be NULL) with
// its name terminated; FALSE leaves out as it was.
BOOL TakeStoredPrintArea(DWORD type, const BYTE* data, DWORD size, PrintAreaRecord* out);
