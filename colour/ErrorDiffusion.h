// Error diffusion of the resin level image into 0 and 255 (Burkes weights:
// 8 and 4 ahead on the row, 2 4 8 4 2 below, out of 32).
#pragma once

#include <cstdint>

// scratch holds 2 x (cols + 5) int16.
void DiffuseErrors(uint8_t* image, int rows, int cols, int stride, int16_t* scratch);
