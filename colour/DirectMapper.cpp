#include "DirectMapper.h"

#include "Avx2Kernels.h"
#include "FloatToByte.h"
#include "PackedPixel.h"
#include "SimdLevel.h"
#include "TableInterpolation.h"

CDirectMapper::CDirectMapper(const float (*working)[256], const uint8_t (*output)[256])
{
    for (int channel = 0; channel < 3; channel++) {
        // R feeds plane 2, G plane 1, B plane 0 (cyan, magenta, yellow).
        const uint8_t* table = output[2 - channel];
        for (int j = 0; j < 256; j++)
            m_byTable[channel][j] = FloatToByte(InterpolateTable(table, 255.0f - working[channel][j]));
    }
}

void CDirectMapper::MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                           uint8_t* plane2) const
{
    int j = 0;
#ifdef QEL_COLOUR_AVX2
    if (ActiveSimdLevel() == SIMD_AVX2)
        j = MapDirectRowAvx2(m_byTable, pixels, cols, plane0, plane1, plane2);
#endif
    for (; j < cols; j++) {
        const uint32_t p = pixels[j];
        plane0[j] = m_byTable[2][PackedB(p)];
        plane1[j] = m_byTable[1][PackedG(p)];
        plane2[j] = m_byTable[0][PackedR(p)];
    }
}
