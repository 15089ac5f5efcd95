// The saturation step, eight packed pixels a group: the integer steps in
// 32-bit lanes, each pixel's new maximum and minimum from the table of
// (maximum, minimum) pairs, its middle in double lanes, each as the scalar
// step takes them (see Avx2Kernels.h for what this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

namespace {

// The new maximum, middle and minimum of four pixels as bytes (the maxima,
// then the middles, then the minima, four each), from their places in the
// table and their middles' shares part / spread. Inlined, so that the steps
// of the groups interleave.
inline __attribute__((always_inline)) __m128i NewLevels(const double* maxMin, const uint32_t* at, __m128i part,
                                                        __m128i spread)
{
    auto two = [maxMin](uint32_t first, uint32_t second) {
        return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(maxMin + 2 * first)),
                                    _mm_loadu_pd(maxMin + 2 * second), 1);
    };
    const __m256d even = two(at[0], at[2]), odd = two(at[1], at[3]);
    const __m256d hi = _mm256_unpacklo_pd(even, odd), lo = _mm256_unpackhi_pd(even, odd);
    const __m256d share = _mm256_div_pd(_mm256_cvtepi32_pd(part), _mm256_cvtepi32_pd(spread));
    const __m256d mid = _mm256_add_pd(_mm256_mul_pd(share, _mm256_sub_pd(hi, lo)), lo);
    // Every level lies within 0..255, so the packing keeps it as it is.
    const __m256d round = _mm256_set1_pd(0.5);
    const __m128i hiMid = _mm_packus_epi32(_mm256_cvttpd_epi32(_mm256_add_pd(hi, round)),
                                           _mm256_cvttpd_epi32(_mm256_add_pd(mid, round)));
    const __m128i loNone = _mm_packus_epi32(_mm256_cvttpd_epi32(_mm256_add_pd(lo, round)), _mm_setzero_si128());
    return _mm_packus_epi16(hiMid, loNone);
}

// Where a pixel's R, G and B take their new level from, by the comparisons
// (R > G) << 2 | (R > B) << 1 | (G > B): the maximum (byte 0 of the pixel's
// levels), the middle (byte 4) or the minimum (byte 8). Ties go the way the
// engine has always ordered them, which decides which channel rounds as
// which. The fourth byte is cleared.
const uint32_t kRolePlaces[8] = {
    0x80000408, 0x80040008, 0x80000408, 0x80080004, // R <= G
    0x80000804, 0x80000804, 0x80040800, 0x80080400, // R > G
};

// Several groups a step, their steps interleaved: each group is one long
// chain of dependent steps, and the other chains keep the processor busy
// while one waits.
template <int GROUPS>
int SaturateGroups(uint32_t* pixels, int count, const double* maxMin)
{
    const __m256i byteMask = _mm256_set1_epi32(0xFF), one = _mm256_set1_epi32(1);
    const __m256i places = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kRolePlaces));
    // Pixel k of each half reads its levels at byte k of each group of four.
    const __m256i pixelInHalf = _mm256_setr_epi32(0, 0x010101, 0x020202, 0x030303, 0, 0x010101, 0x020202, 0x030303);
    int j = 0;
    for (; j + 8 * GROUPS <= count; j += 8 * GROUPS) {
        __m256i part[GROUPS], over[GROUPS], place[GROUPS];
        alignas(32) uint32_t at[GROUPS][8];
        for (int k = 0; k < GROUPS; k++) {
            const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + j + 8 * k));
            const __m256i r = _mm256_and_si256(px, byteMask);
            const __m256i g = _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask);
            const __m256i b = _mm256_srli_epi32(px, 16);
            const __m256i roles = _mm256_or_si256(
                _mm256_or_si256(_mm256_and_si256(_mm256_cmpgt_epi32(r, g), _mm256_set1_epi32(4)),
                                _mm256_and_si256(_mm256_cmpgt_epi32(r, b), _mm256_set1_epi32(2))),
                _mm256_and_si256(_mm256_cmpgt_epi32(g, b), one));
            place[k] = _mm256_add_epi32(_mm256_permutevar8x32_epi32(places, roles), pixelInHalf);
            const __m256i hi = _mm256_max_epi32(_mm256_max_epi32(r, g), b);
            const __m256i lo = _mm256_min_epi32(_mm256_min_epi32(r, g), b);
            const __m256i mid = _mm256_sub_epi32(_mm256_add_epi32(_mm256_add_epi32(r, g), b), _mm256_add_epi32(hi, lo));
            // A grey pixel's middle share is taken over 1 (it has no spread).
            part[k] = _mm256_sub_epi32(mid, lo);
            over[k] = _mm256_max_epi32(_mm256_sub_epi32(hi, lo), one);
            // max (max + 1) / 2 + min; the product stays within 16 bits.
            const __m256i triangle = _mm256_srli_epi32(_mm256_mullo_epi16(hi, _mm256_add_epi32(hi, one)), 1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at[k]), _mm256_add_epi32(triangle, lo));
        }
        // The table is read at places taken back from memory.
        __asm__("" : : "r"(at) : "memory");
        for (int k = 0; k < GROUPS; k++) {
            const __m128i low =
                NewLevels(maxMin, at[k], _mm256_castsi256_si128(part[k]), _mm256_castsi256_si128(over[k]));
            const __m128i high = NewLevels(maxMin, at[k] + 4, _mm256_extracti128_si256(part[k], 1),
                                           _mm256_extracti128_si256(over[k], 1));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + j + 8 * k),
                                _mm256_shuffle_epi8(_mm256_set_m128i(high, low), place[k]));
        }
    }
    return j;
}

} // namespace

int SaturatePackedAvx2(uint32_t* pixels, int count, const double* maxMin)
{
    int j = SaturateGroups<4>(pixels, count, maxMin);
    j += SaturateGroups<1>(pixels + j, count - j, maxMin);
    return j;
}

#endif
