#include "ZbSatue.h"

#include "FloatToByte.h"
#include "PackedPixel.h"

namespace {

// Channels holding the maximum, middle and minimum, chosen by the three
// comparisons (R > G, R > B, G > B); ties go the way the engine has always
// ordered them, which decides which channel rounds as which.
struct Order {
    uint8_t max, mid, min;
};
const Order kOrder[8] = {
    {2, 1, 0}, {1, 2, 0}, {2, 1, 0}, {1, 0, 2}, // R <= G
    {2, 0, 1}, {2, 0, 1}, {0, 2, 1}, {0, 1, 2}, // R > G
};

} // namespace

ZbSatue::ZbSatue() : m_dwError(0), m_cValue(0)
{
    for (int d = 0; d < 256; d++)
        m_nSpread[d] = d * 255;
    for (int k = 0; k < 256; k++)
        m_fCurve[k] = (float)k / 255.0f;
    // Saturation index = spread / lightness range, where the range of a pixel
    // with max + min = o is o below the middle grey and 510 - o above it.
    m_fReciprocal[0] = 1.0f;
    for (int o = 1; o <= 255; o++)
        m_fReciprocal[o] = 1.0f / (float)o;
    for (int o = 256; o <= 509; o++)
        m_fReciprocal[o] = 1.0f / (float)(510 - o);
    m_fReciprocal[510] = 1.0f;
}

void ZbSatue::SetCurve(int8_t value)
{
    if (value == m_cValue)
        return;
    const int b = value;
    if (b == 127) {
        m_fCurve[0] = 0.0f;
        for (int i = 1; i < 256; i++)
            m_fCurve[i] = 1.0f;
    } else if (b == -128) {
        for (int i = 0; i < 256; i++)
            m_fCurve[i] = 0.0f;
    } else if (b >= 1) {
        const int m = 255 - 2 * b;
        const float step = 1.0f / (float)m;
        for (int i = 0; i < 256; i++)
            m_fCurve[i] = i < m ? (float)i * step : 1.0f;
    } else {
        const float step = (float)(2 * b + 255) / 65025.0f;
        for (int i = 0; i < 256; i++)
            m_fCurve[i] = (float)i * step;
    }
    m_cValue = value;
}

void ZbSatue::SaturatePixel(unsigned v[3]) const
{
    const unsigned r = v[0], g = v[1], b = v[2];
    const Order order = kOrder[(r > g) << 2 | (r > b) << 1 | (g > b)];
    const int hi = (int)v[order.max], mid = (int)v[order.mid], lo = (int)v[order.min];
    const int d = hi - lo, o = hi + lo;

    int s = FloatToInt((float)m_nSpread[d] * m_fReciprocal[o]);
    if (s > 255)
        s = 255;
    const double c = m_fCurve[s];
    if (c < 0.00001) {
        // Grey of the same lightness; a grey pixel (d = 0) always lands here,
        // since every curve starts at 0.
        const unsigned grey = DoubleToByte(o / 2.0 + 0.5);
        v[0] = v[1] = v[2] = grey;
        return;
    }
    const double newMax = o < 255 ? (c + 1.0) * (o / 2.0) : (1.0 - c) * 0.5 * o + 255.0 * c;
    const double newMin = o - newMax;
    const double newMid = ((double)(mid - lo) / d) * (newMax - newMin) + newMin;
    v[order.max] = DoubleToByte(newMax + 0.5);
    v[order.mid] = DoubleToByte(newMid + 0.5);
    v[order.min] = DoubleToByte(newMin + 0.5);
}

void ZbSatue::SaturateRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const
{
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;
    for (int j = 0; j < cols; j++, row += step) {
        unsigned v[3] = {row[offR], row[offG], row[offB]};
        SaturatePixel(v);
        out[j] = PackRGB(v[0], v[1], v[2]);
    }
}
