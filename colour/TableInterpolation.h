// Reading a 256-entry table at a real position.
#pragma once

#include "FloatToByte.h"

// The two entries around x, weighted by its fraction. The position's integer
// part wraps into the table as its low byte; at 255 both entries are the last.
template <class T>
inline float InterpolateTable(const T* table, float x)
{
    const unsigned i0 = FloatToByte(x);
    const float f = x - (float)i0;
    const unsigned i1 = i0 == 255 ? 255 : i0 + 1;
    return (1.0f - f) * (float)table[i0] + f * (float)table[i1];
}
