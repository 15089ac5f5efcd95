#include "PackedPixel.h"

#include "FloatToByte.h"

void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out)
{
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;
    int j = 0;
#ifdef QEL_COLOUR_SSE2
    // Interleaved pixels of three or four bytes, four at a time: each pixel's
    // bytes brought into its own 32-bit lane, then its three channels picked
    // out. A load takes 16 bytes, so it stops while they lie within the row.
    if ((step == 3 || step == 4) && offR < step && offG < step && offB < step) {
        const __m128i byteMask = _mm_set1_epi32(0xFF);
        const __m128i shiftR = _mm_cvtsi32_si128((int)(8 * offR));
        const __m128i shiftG = _mm_cvtsi32_si128((int)(8 * offG));
        const __m128i shiftB = _mm_cvtsi32_si128((int)(8 * offB));
        for (; (size_t)(j + 4) * step + (step == 3 ? 4 : 0) <= (size_t)cols * step; j += 4) {
            __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + (size_t)j * step));
            if (step == 3) {
                const __m128i low = _mm_unpacklo_epi32(px, _mm_srli_si128(px, 3));
                const __m128i high = _mm_unpacklo_epi32(_mm_srli_si128(px, 6), _mm_srli_si128(px, 9));
                px = _mm_unpacklo_epi64(low, high);
            }
            const __m128i r = _mm_and_si128(_mm_srl_epi32(px, shiftR), byteMask);
            const __m128i g = _mm_and_si128(_mm_srl_epi32(px, shiftG), byteMask);
            const __m128i b = _mm_and_si128(_mm_srl_epi32(px, shiftB), byteMask);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                             _mm_or_si128(_mm_or_si128(r, _mm_slli_epi32(g, 8)), _mm_slli_epi32(b, 16)));
        }
    }
#endif
    for (row += (size_t)j * step; j < cols; j++, row += step)
        out[j] = PackRGB(row[offR], row[offG], row[offB]);
}
