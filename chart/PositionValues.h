// The print-position values L, T and S as the dialog keeps them: their
// range, the integer text of the value edits (DialogInteger.h) and the
// coupling of T to L.
#pragma once

#include <windows.h>

#include "DialogInteger.h"

const int POSITION_MIN = -15;
const int POSITION_MAX = 15;

inline BOOL IsPositionInRange(int value)
{
    return value >= POSITION_MIN && value <= POSITION_MAX;
}

int ClampPosition(int value);

// The user moved L to newL: T moves by the same step (from the L last seen,
// *oldL) and stops at the ends of the range; newL becomes the L last seen.
void CoupleTToL(int newL, int* oldL, int* t);
