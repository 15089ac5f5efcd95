#include "PackedPixel.h"

#include "Avx2Kernels.h"
#include "GreyLevel.h"
#include "SimdLevel.h"

void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out)
{
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;
    int j = 0;
#ifdef QEL_COLOUR_AVX2
    if (ActiveSimdLevel() == SIMD_AVX2)
        j = PackRowAvx2(row, step, offR, offG, offB, cols, out);
#endif
#ifdef QEL_COLOUR_SSE2
    j += FinishFours(row + (size_t)j * step, layout, cols - j, out + j, PackFour);
#endif
    for (row += (size_t)j * step; j < cols; j++, row += step)
        out[j] = PackRGB(row[offR], row[offG], row[offB]);
}

void GreyRow(const uint32_t* packed, uint8_t* grey, int cols)
{
    int j = 0;
#ifdef QEL_COLOUR_AVX2
    if (ActiveSimdLevel() == SIMD_AVX2)
        j = GreyRowAvx2(packed, grey, cols);
#endif
    for (; j < cols; j++)
        grey[j] = GreyLevel(PackedR(packed[j]), PackedG(packed[j]), PackedB(packed[j]));
}
