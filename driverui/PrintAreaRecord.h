// A named print area as the user's registry stores it: a REG_BINARY value
// of exactly 360 bytes, little-endian.
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
