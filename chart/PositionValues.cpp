#include "PositionValues.h"

int ClampPosition(int value)
{
    if (value < POSITION_MIN)
        return POSITION_MIN;
    if (value > POSITION_MAX)
        return POSITION_MAX;
    return value;
}

void CoupleTToL(int newL, int* oldL, int* t)
{
    // Computed wide: the edits' values are only checked for being integers.
    long long delta = static_cast<long long>(newL) - *oldL;
    long long moved = *t + delta;
    *oldL = newL;
    if (moved < POSITION_MIN)
        moved = POSITION_MIN;
    if (moved > POSITION_MAX)
        moved = POSITION_MAX;
    *t = static_cast<int>(moved);
}
