#include "PackedPixel.h"

void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out)
{
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;
    for (int j = 0; j < cols; j++, row += step)
        out[j] = PackRGB(row[offR], row[offG], row[offB]);
}
