#include "ZbSatue.h"

#include "Avx2Kernels.h"
#include "FloatToByte.h"
#include "PackedPixel.h"
#include "SimdLevel.h"

#include <new>

namespace {

// Where the maximum, middle and minimum go in a packed pixel (bit shifts of
// their channels), chosen by the three comparisons (R > G, R > B, G > B).
// Ties go the way the engine has always ordered them, which decides which
// channel rounds as which.
struct Roles {
    uint8_t max, mid, min;
};
const Roles kRoles[8] = {
    {16, 8, 0}, {8, 16, 0}, {16, 8, 0}, {8, 0, 16}, // R <= G
    {16, 0, 8}, {16, 0, 8}, {0, 16, 8}, {0, 8, 16}, // R > G
};

inline unsigned Max3(unsigned a, unsigned b, unsigned c)
{
    const unsigned m = a > b ? a : b;
    return m > c ? m : c;
}

inline unsigned Min3(unsigned a, unsigned b, unsigned c)
{
    const unsigned m = a < b ? a : b;
    return m < c ? m : c;
}

} // namespace

ZbSatue::ZbSatue() : m_dwError(0), m_cValue(0), m_pMaxMin(nullptr), m_pEnds(nullptr)
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

ZbSatue::~ZbSatue()
{
    delete[] m_pMaxMin;
    delete[] m_pEnds;
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
    BuildMaxTable();
}

double ZbSatue::NewMax(int d, int o) const
{
    // The index is d x 255 / (o or 510 - o): 0..255 (and a hair).
    int s = (int)((float)m_nSpread[d] * m_fReciprocal[o]);
    if (s > 255)
        s = 255;
    const double c = m_fCurve[s];
    if (c < 0.00001)
        return o / 2.0;
    if (o < 255)
        return (c + 1.0) * (o / 2.0);
    return (1.0 - c) * 0.5 * o + 255.0 * c;
}

void ZbSatue::BuildMaxTable()
{
    const size_t pairs = 256 * 257 / 2;
    if (m_cValue != 0 && !m_pMaxMin)
        m_pMaxMin = new (std::nothrow) double[2 * pairs];
    if (m_cValue != 0 && !m_pEnds)
        m_pEnds = new (std::nothrow) uint16_t[pairs];
    if (m_cValue == 0 || !m_pMaxMin || !m_pEnds) {
        // The step is off (the tables are built again for the next value),
        // or the memory was not there.
        delete[] m_pMaxMin;
        delete[] m_pEnds;
        m_pMaxMin = nullptr;
        m_pEnds = nullptr;
        return;
    }
    for (int hi = 0; hi < 256; hi++) {
        for (int lo = 0; lo <= hi; lo++) {
            const int at = hi * (hi + 1) / 2 + lo, o = hi + lo;
            const double newMax = NewMax(hi - lo, o);
            const double newMin = o - newMax;
            m_pMaxMin[2 * at] = newMax;
            m_pMaxMin[2 * at + 1] = newMin;
            m_pEnds[at] = (uint16_t)(DoubleToByte(newMax + 0.5) | DoubleToByte(newMin + 0.5) << 8);
        }
    }
}

uint32_t ZbSatue::Saturate(unsigned r, unsigned g, unsigned b) const
{
    const Roles roles = kRoles[(r > g) << 2 | (r > b) << 1 | (g > b)];
    const unsigned hi = Max3(r, g, b), lo = Min3(r, g, b), mid = r + g + b - hi - lo;
    const int d = (int)(hi - lo), o = (int)(hi + lo);
    // A grey pixel has no spread; its middle's share is taken over 1, which
    // gives the grey as well (0 x 0 + o / 2).
    const double share = (double)(int)(mid - lo) / (d ? d : 1);
    uint32_t newHi, newLo;
    double newMid;
    if (m_pMaxMin) {
        const unsigned at = hi * (hi + 1) / 2 + lo;
        newHi = m_pEnds[at] & 0xFF;
        newLo = m_pEnds[at] >> 8;
        newMid = share * (m_pMaxMin[2 * at] - m_pMaxMin[2 * at + 1]) + m_pMaxMin[2 * at + 1];
    } else {
        const double newMax = NewMax(d, o);
        const double newMin = o - newMax;
        newHi = DoubleToByte(newMax + 0.5);
        newLo = DoubleToByte(newMin + 0.5);
        newMid = share * (newMax - newMin) + newMin;
    }
    return newHi << roles.max | (uint32_t)DoubleToByte(newMid + 0.5) << roles.mid | newLo << roles.min;
}

#ifdef QEL_COLOUR_SSE2
// Every lane takes the same steps as Saturate: the integer steps in 32-bit
// lanes, the reals in double lanes.
inline __m128i ZbSatue::SaturateFour(__m128i r, __m128i g, __m128i b) const
{
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    const double* maxMin = m_pMaxMin;
    const uint16_t* ends16 = m_pEnds;
    const __m128i gtRG = _mm_cmpgt_epi32(r, g), gtRB = _mm_cmpgt_epi32(r, b), gtGB = _mm_cmpgt_epi32(g, b);
    // Levels are below 2^15, so the 16-bit maximum, minimum and product serve.
    const __m128i hi = _mm_max_epi16(_mm_max_epi16(r, g), b);
    const __m128i lo = _mm_min_epi16(_mm_min_epi16(r, g), b);
    const __m128i mid = _mm_sub_epi32(_mm_add_epi32(_mm_add_epi32(r, g), b), _mm_add_epi32(hi, lo));
    const __m128i d = _mm_max_epi16(_mm_sub_epi32(hi, lo), _mm_set1_epi32(1));
    const __m128i triangle = _mm_srli_epi32(_mm_mullo_epi16(hi, _mm_add_epi32(hi, _mm_set1_epi32(1))), 1);
    // The table places are below 2^15: each is read from its 16-bit half.
    const __m128i places = _mm_add_epi32(triangle, lo);
    const unsigned at[4] = {(unsigned)_mm_extract_epi16(places, 0), (unsigned)_mm_extract_epi16(places, 2),
                            (unsigned)_mm_extract_epi16(places, 4), (unsigned)_mm_extract_epi16(places, 6)};

    const __m128i share = _mm_sub_epi32(mid, lo);
    __m128i mids[2];
    for (int pair = 0; pair < 2; pair++) {
        auto lanes = [pair](__m128i v) { return _mm_cvtepi32_pd(pair ? _mm_srli_si128(v, 8) : v); };
        const __m128d first = _mm_loadu_pd(maxMin + 2 * at[2 * pair]);
        const __m128d second = _mm_loadu_pd(maxMin + 2 * at[2 * pair + 1]);
        const __m128d part = _mm_div_pd(lanes(share), lanes(d));
        const __m128d newMin = _mm_unpackhi_pd(first, second);
        const __m128d newMid =
            _mm_add_pd(_mm_mul_pd(part, _mm_sub_pd(_mm_unpacklo_pd(first, second), newMin)), newMin);
        mids[pair] = _mm_cvttpd_epi32(_mm_add_pd(newMid, _mm_set1_pd(0.5)));
    }
    // The truncations answer 0x80000000 where DoubleToByte answers 0; both
    // have a low byte of 0.
    __m128i ends = _mm_cvtsi32_si128(ends16[at[0]]);
    ends = _mm_insert_epi16(ends, ends16[at[1]], 2);
    ends = _mm_insert_epi16(ends, ends16[at[2]], 4);
    ends = _mm_insert_epi16(ends, ends16[at[3]], 6);
    const __m128i newHi = _mm_and_si128(ends, byteMask), newLo = _mm_srli_epi32(ends, 8);
    const __m128i newMid = _mm_and_si128(_mm_unpacklo_epi64(mids[0], mids[1]), byteMask);

    // Which channel held the maximum and the minimum, as the comparisons
    // (R > G, R > B, G > B) decide them, ties included.
    const __m128i all = _mm_set1_epi32(-1);
    const __m128i bothB = _mm_and_si128(gtRB, gtGB);
    const __m128i maxR = _mm_and_si128(gtRG, gtRB), maxG = _mm_andnot_si128(gtRG, gtGB);
    const __m128i maxB = _mm_andnot_si128(_mm_or_si128(maxR, maxG), all);
    const __m128i minR = _mm_andnot_si128(gtRG, _mm_andnot_si128(bothB, all));
    const __m128i minG = _mm_andnot_si128(bothB, gtRG), minB = bothB;
    auto channel = [&](__m128i isMax, __m128i isMin) {
        return _mm_or_si128(_mm_or_si128(_mm_and_si128(isMax, newHi), _mm_and_si128(isMin, newLo)),
                            _mm_andnot_si128(_mm_or_si128(isMax, isMin), newMid));
    };
    return PackFour(channel(maxR, minR), channel(maxG, minG), channel(maxB, minB));
}
#endif

void ZbSatue::SaturateRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const
{
    int j = 0;
#ifdef QEL_COLOUR_AVX2
    if (m_pMaxMin && ActiveSimdLevel() == SIMD_AVX2) {
        PackRow(row, layout, cols, out);
        j = SaturatePackedAvx2(out, cols, m_pMaxMin);
    } else
#endif
    {
        j = SaturateRowBaseline(row, layout, cols, out);
    }
    for (; j < cols; j++)
        out[j] = Saturate(PackedR(out[j]), PackedG(out[j]), PackedB(out[j]));
}

int ZbSatue::SaturateRowBaseline(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const
{
    int j = 0;
#ifdef QEL_COLOUR_SSE2
    // Interleaved pixels go from the row to their saturated form in one step;
    // the others (and the rest of a row) are packed first.
    if (m_pMaxMin)
        j = FinishFours(row, layout, cols, out,
                        [this](__m128i r, __m128i g, __m128i b) { return SaturateFour(r, g, b); });
#endif
    PackRow(row + (size_t)j * layout.bytesPerPixel, layout, cols - j, out + j);
#ifdef QEL_COLOUR_SSE2
    if (m_pMaxMin) {
        const __m128i byteMask = _mm_set1_epi32(0xFF);
        for (; j + 4 <= cols; j += 4) {
            const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + j));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                             SaturateFour(_mm_and_si128(px, byteMask), _mm_and_si128(_mm_srli_epi32(px, 8), byteMask),
                                          _mm_srli_epi32(px, 16)));
        }
    }
#endif
    return j;
}
