// The ribbon types: the ids the printer's ribbon query gives, which the
// driver's DEVMODE also stores as a job's ribbon.
#pragma once

#include <windows.h>

enum : BYTE {
    RIBBON_YMCKO = 0,
    RIBBON_K = 1,
    RIBBON_YMCKO_F = 2, // the printer's "YMCKO-F", which users know as "1/2 YMCKO"
    RIBBON_YMCKOK = 3,
    RIBBON_KO = 4,
    RIBBON_UNKNOWN = 255, // no ribbon the printer names
};
