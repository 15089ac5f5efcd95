// The neighbourhood filters that thin the resin level image, and the level
// rule they share.
#pragma once

#include <cstdint>

// The filtered level of a pixel p whose weighted neighbour sum is sum: the
// real p - sum / 255, 0 when below 0.0001, else rounded half up. The weights
// and levels are integers, so the rounding is exact in integers (the tests
// hold this against the real form for every p and sum).
inline uint8_t ResinFilterLevel(int p, int sum)
{
    const int excess = 255 * p - sum;
    if (excess <= 0)
        return 0;
    return (uint8_t)((2 * excess + 255) / 510);
}

// Filter A (most models): columns 1 .. cols - 2 from the row and the two
// above it. scratch holds 3 x cols bytes.
void ResinFilterA(uint8_t* image, int rows, int cols, int stride, uint8_t* scratch);

// Filter B (model 2): every column, with the row's own pixel standing in for
// a missing neighbour, and a light line above a thin dark line. scratch holds
// 4 x cols bytes.
void ResinFilterB(uint8_t* image, int rows, int cols, int stride, uint8_t* scratch);
