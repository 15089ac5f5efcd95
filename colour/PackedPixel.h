// The engine's working pixel inside one conversion: R, G and B packed into
// one word (R in the low byte, the top byte 0), so that equal pixels compare
// in one step whatever the caller's format.
#pragma once

#include "FloatToByte.h"
#include "PixelFormat.h"

#include <cstdint>

inline uint32_t PackRGB(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}

inline unsigned PackedR(uint32_t p) { return p & 0xFF; }
inline unsigned PackedG(uint32_t p) { return (p >> 8) & 0xFF; }
inline unsigned PackedB(uint32_t p) { return p >> 16; }

// Packs one row of an image in any format.
void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out);

// The grey level (GreyLevel.h) of every packed pixel of a row.
void GreyRow(const uint32_t* packed, uint8_t* grey, int cols);

#ifdef QEL_COLOUR_SSE2
// Reads interleaved pixels of three or four bytes four at a time, each
// pixel's channels in its own 32-bit lane.
class CFourReader {
public:
    explicit CFourReader(const PixelLayout& layout)
        : m_nStep(layout.bytesPerPixel), m_nShiftR(_mm_cvtsi32_si128((int)(8 * layout.offR))),
          m_nShiftG(_mm_cvtsi32_si128((int)(8 * layout.offG))), m_nShiftB(_mm_cvtsi32_si128((int)(8 * layout.offB))),
          m_bUsable((m_nStep == 3 || m_nStep == 4) && layout.offR < m_nStep && layout.offG < m_nStep &&
                    layout.offB < m_nStep)
    {
    }

    // How many pixels of a row of cols it reads (a multiple of four): a load
    // takes 16 bytes, so it stops while they lie within the row.
    int Fours(int cols) const
    {
        if (!m_bUsable || cols < 4)
            return 0;
        const size_t extra = m_nStep == 3 ? 4 : 0;
        if ((size_t)cols * m_nStep < 4 * m_nStep + extra)
            return 0;
        return (int)((((size_t)cols * m_nStep - extra) / m_nStep) & ~(size_t)3);
    }

    // The channels of pixels j..j+3 of a row.
    void Read(const uint8_t* row, int j, __m128i* r, __m128i* g, __m128i* b) const
    {
        __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + (size_t)j * m_nStep));
        if (m_nStep == 3) {
            const __m128i low = _mm_unpacklo_epi32(px, _mm_srli_si128(px, 3));
            const __m128i high = _mm_unpacklo_epi32(_mm_srli_si128(px, 6), _mm_srli_si128(px, 9));
            px = _mm_unpacklo_epi64(low, high);
        }
        const __m128i byteMask = _mm_set1_epi32(0xFF);
        *r = _mm_and_si128(_mm_srl_epi32(px, m_nShiftR), byteMask);
        *g = _mm_and_si128(_mm_srl_epi32(px, m_nShiftG), byteMask);
        *b = _mm_and_si128(_mm_srl_epi32(px, m_nShiftB), byteMask);
    }

private:
    size_t m_nStep;
    __m128i m_nShiftR, m_nShiftG, m_nShiftB;
    bool m_bUsable;
};

inline __m128i PackFour(__m128i r, __m128i g, __m128i b)
{
    return _mm_or_si128(_mm_or_si128(r, _mm_slli_epi32(g, 8)), _mm_slli_epi32(b, 16));
}

// Writes finish(r, g, b) (four packed pixels) for the pixels of a row that
// CFourReader reads; returns how many those are.
template <class Finish>
int FinishFours(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out, Finish finish)
{
    const CFourReader reader(layout);
    const int fours = reader.Fours(cols);
    for (int j = 0; j < fours; j += 4) {
        __m128i r, g, b;
        reader.Read(row, j, &r, &g, &b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), finish(r, g, b));
    }
    return fours;
}
#endif
