// Error diffusion of the resin level image into 0 and 255 (Burkes weights:
// 8 and 4 ahead on the row, 2 4 8 4 2 below, out of 32).
#pragma once

#include <cstddef>
#include <cstdint>

// The int16 scratch DiffuseErrors needs for rows of cols pixels; false when
// that is beyond the address space.
inline bool DiffusionScratchUnits(size_t cols, size_t* units)
{
    if (cols > (SIZE_MAX - 16) / 3)
        return false;
    *units = 3 * cols + 16;
    return true;
}

void DiffuseErrors(uint8_t* image, int rows, int cols, int stride, int16_t* scratch);
