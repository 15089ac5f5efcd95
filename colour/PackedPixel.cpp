#include "PackedPixel.h"

void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out)
{
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;
    int j = 0;
#ifdef QEL_COLOUR_SSE2
    j = FinishFours(row, layout, cols, out, PackFour);
#endif
    for (row += (size_t)j * step; j < cols; j++, row += step)
        out[j] = PackRGB(row[offR], row[offG], row[offB]);
}
