#include "GridMapper.h"

#include "FloatToByte.h"
#include "PackedPixel.h"

#include <cmath>
#include <cstring>

namespace {

// The tetrahedron of a cell is chosen by (fx >= fy, fy >= fz, fx >= fz).
// Each of the six is a walk from corner A along axis p, then q, then r to
// corner D, with weights 1 - f[p], f[p] - f[q], f[q] - f[r], f[r]. The two
// impossible combinations (and NaN fractions) land where the tests in their
// usual order would send them.
struct Tetrahedron {
    uint8_t p, q, r;
};
const Tetrahedron kTetrahedra[8] = {
    {2, 1, 0}, {1, 0, 2}, {1, 2, 0}, {1, 0, 2}, // fx < fy
    {2, 0, 1}, {0, 2, 1}, {0, 1, 2}, {0, 1, 2}, // fx >= fy
};

} // namespace

CGridMapper::CGridMapper(const CColorLUT& lut, const float (*working)[256], const uint8_t (*output)[256])
    : m_pGrid(lut.Grid())
{
    const uint32_t n = lut.GridPoints(), channels = lut.Channels();
    // The cell size is a power of two: 256 / (n - 1).
    const uint8_t step = (uint8_t)(256 / (n - 1));
    const float inverse = 1.0f / (float)step;
    unsigned shift = 0;
    while ((2u << shift) <= step)
        shift++;

    const uint32_t* rowOffsets = lut.RowOffsets();
    const uint32_t* indexTable = lut.IndexTable();
    for (int axis = 0; axis < 3; axis++) {
        for (int level = 0; level < 256; level++) {
            const float x = working[axis][level];
            const uint32_t cell = (uint32_t)(FloatToByte(x) >> shift);
            const uint32_t node = axis == 0 ? cell : axis == 1 ? indexTable[cell] : rowOffsets[cell];
            m_nOffset[axis][level] = node * channels;
            m_fFraction[axis][level] =
                (double)x > 254.999 ? 1.0f : (float)(std::fmod((double)x, (double)step) * (double)inverse);
        }
    }
    m_nStep[0] = channels;
    m_nStep[1] = n * channels;
    m_nStep[2] = n * n * channels;
    std::memcpy(m_byOutput, output, sizeof m_byOutput);

    m_nCacheIn = PackRGB(255, 255, 255);
    m_nCacheOut = MapPixel(m_nCacheIn);
}

uint32_t CGridMapper::MapPixel(uint32_t rgb) const
{
    const unsigned R = PackedR(rgb), G = PackedG(rgb), B = PackedB(rgb);
    const float f[3] = {m_fFraction[0][R], m_fFraction[1][G], m_fFraction[2][B]};
    const Tetrahedron t = kTetrahedra[(f[0] >= f[1]) << 2 | (f[1] >= f[2]) << 1 | (f[0] >= f[2])];
    const float fp = f[t.p], fq = f[t.q], fr = f[t.r];
    const float wA = 1.0f - fp, wB = fp - fq, wC = fq - fr, wD = fr;

    const uint8_t* a = m_pGrid + m_nOffset[0][R] + m_nOffset[1][G] + m_nOffset[2][B];
    const uint8_t* b = a + m_nStep[t.p];
    const uint8_t* c = b + m_nStep[t.q];
    const uint8_t* d = a + m_nStep[0] + m_nStep[1] + m_nStep[2];

    uint32_t out = 0;
    for (int k = 0; k < 3; k++) {
        const float o = ((wA * (float)a[k] + wB * (float)b[k]) + wC * (float)c[k]) + wD * (float)d[k] + 0.5f;
        out |= (uint32_t)m_byOutput[k][FloatToByte(o)] << (8 * k);
    }
    return out;
}

void CGridMapper::MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2)
{
    uint32_t lastIn = m_nCacheIn, lastOut = m_nCacheOut;
    for (int j = 0; j < cols; j++) {
        const uint32_t p = pixels[j];
        if (p != lastIn) {
            lastIn = p;
            lastOut = MapPixel(p);
        }
        plane0[j] = (uint8_t)lastOut;
        plane1[j] = (uint8_t)(lastOut >> 8);
        plane2[j] = (uint8_t)(lastOut >> 16);
    }
    m_nCacheIn = lastIn;
    m_nCacheOut = lastOut;
}
