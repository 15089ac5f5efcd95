// The model group a driver name tells, which decides the feed, eject and
// reject choices of the pages and the card-feed settings kept in the printer.
#pragma once

#include <windows.h>

enum ModelGroup {
    MODEL_GROUP_NONE, // no model word in the driver name
    MODEL_GROUP_A,    // "T40" or "T42G": T40, T40W, T42G
    MODEL_GROUP_B,    // "T41": T41, T41W
    MODEL_GROUP_C,    // "T42" alone: T42, T42D
};

// The first of "T40", "T42G", "T41", "T42" the name holds (case-sensitive).
ModelGroup GetModelGroup(LPCWSTR driverName);
// TRUE when the driver name holds "T42G".
BOOL IsT42GDriver(LPCWSTR driverName);
