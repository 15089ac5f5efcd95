#include "ZbSharpen.h"

#include "Avx2Kernels.h"
#include "ColorError.h"
#include "FloatToByte.h"
#include "GreyLevel.h"
#include "PackedPixel.h"
#include "SimdLevel.h"

#include <new>

namespace {

inline unsigned ClampToByte(int v)
{
    return v < 0 ? 0u : v > 255 ? 255u : (unsigned)v;
}

} // namespace

CZbSharpen::CZbSharpen()
    : m_pPrev(nullptr), m_pCur(nullptr), m_pNext(nullptr), m_pRowBuffer(nullptr), m_dwBufferWidth(0),
      m_fStrength(0.0f), m_sThreshold(255), m_sMaxChange(0), m_dwError(0)
{
    BuildChangeTable();
}

CZbSharpen::~CZbSharpen()
{
    delete[] m_pRowBuffer;
}

void CZbSharpen::SetParameters(float strength, int16_t threshold, int16_t maxChange)
{
    m_fStrength = strength;
    m_sThreshold = threshold;
    m_sMaxChange = maxChange;
    BuildChangeTable();
}

void CZbSharpen::BuildChangeTable()
{
    const float k = m_fStrength * 0.0625f;
    const int threshold = m_sThreshold, limit = m_sMaxChange;
    for (int e = -EDGE_LIMIT; e <= EDGE_LIMIT; e++) {
        const int v = FloatToInt((float)e * k + 0.5f);
        int change = 0;
        if (v >= threshold)
            change = v - threshold;
        else if (v <= -threshold)
            change = v + threshold;
        if (change > limit)
            change = limit;
        if (change < -limit)
            change = -limit;
        const uint64_t lane = (uint16_t)(int16_t)change;
        m_nChange[e + EDGE_LIMIT] = lane | lane << 16 | lane << 32;
    }
}

bool CZbSharpen::Prepare(uint32_t width)
{
    if (width == 0) {
        m_dwError = ERROR_INVALID_DATA;
        return false;
    }
    if (!m_pRowBuffer || m_dwBufferWidth != width) {
        delete[] m_pRowBuffer;
        m_pRowBuffer = nullptr;
        m_dwBufferWidth = 0;
        m_pPrev = m_pCur = m_pNext = nullptr;
        size_t units;
        if (MulSize((size_t)width + 2, 3, &units) && units <= SIZE_MAX / sizeof(int16_t))
            m_pRowBuffer = new (std::nothrow) int16_t[units]();
        if (!m_pRowBuffer) {
            m_dwError = ERROR_OUTOFMEMORY;
            return false;
        }
        m_dwBufferWidth = width;
    }
    const size_t row = (size_t)width + 2;
    m_pPrev = m_pRowBuffer;
    m_pCur = m_pRowBuffer + row;
    m_pNext = m_pRowBuffer + 2 * row;
    return true;
}

void CZbSharpen::LuminanceRow(const uint32_t* packed, int16_t* target, uint32_t width)
{
    uint32_t j = 0;
#ifdef QEL_COLOUR_AVX2
    if (ActiveSimdLevel() == SIMD_AVX2)
        j = (uint32_t)LuminanceRowAvx2(packed, target, (int)width);
#endif
#ifdef QEL_COLOUR_SSE2
    // Eight pixels a step: (6G + 3R + B + 5) / 10, the division as the high
    // half of a product with 6554 (exact for numerators up to 2555).
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    auto numerator = [&](__m128i px) {
        const __m128i r = _mm_and_si128(px, byteMask);
        const __m128i g = _mm_and_si128(_mm_srli_epi32(px, 8), byteMask);
        const __m128i b = _mm_srli_epi32(px, 16);
        const __m128i g6 = _mm_add_epi32(_mm_slli_epi32(g, 2), _mm_slli_epi32(g, 1));
        const __m128i r3 = _mm_add_epi32(_mm_slli_epi32(r, 1), r);
        return _mm_add_epi32(_mm_add_epi32(g6, r3), _mm_add_epi32(b, _mm_set1_epi32(5)));
    };
    for (; j + 8 <= width; j += 8) {
        const __m128i low = numerator(_mm_loadu_si128(reinterpret_cast<const __m128i*>(packed + j)));
        const __m128i high = numerator(_mm_loadu_si128(reinterpret_cast<const __m128i*>(packed + j + 4)));
        const __m128i y = _mm_mulhi_epu16(_mm_packs_epi32(low, high), _mm_set1_epi16(6554));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + j + 1), y);
    }
#endif
    for (; j < width; j++) {
        const uint32_t p = packed[j];
        target[j + 1] = GreyLevel(PackedR(p), PackedG(p), PackedB(p));
    }
    target[0] = target[1];
    target[width + 1] = target[width];
}

namespace {

inline int EdgeValue(const int16_t* prev, const int16_t* cur, const int16_t* next, uint32_t j)
{
    return 12 * cur[j + 1] - 2 * (cur[j] + cur[j + 2] + prev[j + 1] + next[j + 1]) -
           (prev[j] + prev[j + 2] + next[j] + next[j + 2]);
}

inline uint32_t ApplyChange(uint32_t p, int d)
{
    return PackRGB(ClampToByte((int)PackedR(p) + d), ClampToByte((int)PackedG(p) + d),
                   ClampToByte((int)PackedB(p) + d));
}

} // namespace

void CZbSharpen::FilterRow(const uint32_t* packed, uint32_t* out, uint32_t width, const int16_t* prev,
                           const int16_t* cur, const int16_t* next) const
{
    const uint64_t* change = m_nChange + EDGE_LIMIT;
    uint32_t j = 0;
#ifdef QEL_COLOUR_AVX2
    // The changes worked out in the lanes rather than read from the table.
    if (ActiveSimdLevel() == SIMD_AVX2)
        j = (uint32_t)SharpenRowAvx2(packed, out, (int)width, prev, cur, next, m_fStrength * 0.0625f, m_sThreshold,
                                     m_sMaxChange);
#endif
#ifdef QEL_COLOUR_SSE2
    // Eight pixels a step: the edge values in 16-bit lanes, then the changes
    // added to the pixels' bytes widened to 16 bits, and packed back with
    // saturation, which is the clamp to 0..255.
    const __m128i zero = _mm_setzero_si128();
    for (; j + 8 <= width; j += 8) {
        auto at = [j](const int16_t* row, uint32_t k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j + k));
        };
        const __m128i c1 = at(cur, 1);
        const __m128i ring =
            _mm_add_epi16(_mm_add_epi16(at(cur, 0), at(cur, 2)), _mm_add_epi16(at(prev, 1), at(next, 1)));
        const __m128i corners =
            _mm_add_epi16(_mm_add_epi16(at(prev, 0), at(prev, 2)), _mm_add_epi16(at(next, 0), at(next, 2)));
        const __m128i twelve = _mm_add_epi16(_mm_slli_epi16(c1, 3), _mm_slli_epi16(c1, 2));
        const __m128i e = _mm_sub_epi16(_mm_sub_epi16(twelve, _mm_slli_epi16(ring, 1)), corners);
        for (uint32_t half = 0; half < 8; half += 4) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(packed + j + half));
            __m128i low, high;
            if (half == 0) {
                low = _mm_set_epi64x((long long)change[(int16_t)_mm_extract_epi16(e, 1)],
                                     (long long)change[(int16_t)_mm_extract_epi16(e, 0)]);
                high = _mm_set_epi64x((long long)change[(int16_t)_mm_extract_epi16(e, 3)],
                                      (long long)change[(int16_t)_mm_extract_epi16(e, 2)]);
            } else {
                low = _mm_set_epi64x((long long)change[(int16_t)_mm_extract_epi16(e, 5)],
                                     (long long)change[(int16_t)_mm_extract_epi16(e, 4)]);
                high = _mm_set_epi64x((long long)change[(int16_t)_mm_extract_epi16(e, 7)],
                                      (long long)change[(int16_t)_mm_extract_epi16(e, 6)]);
            }
            low = _mm_add_epi16(_mm_unpacklo_epi8(pixels, zero), low);
            high = _mm_add_epi16(_mm_unpackhi_epi8(pixels, zero), high);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j + half), _mm_packus_epi16(low, high));
        }
    }
#endif
    for (; j < width; j++) {
        const int d = (int16_t)(change[EdgeValue(prev, cur, next, j)] & 0xFFFF);
        out[j] = d == 0 ? packed[j] : ApplyChange(packed[j], d);
    }
}
