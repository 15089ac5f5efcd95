// The saturation step, eight packed pixels a step: the integer steps in
// 32-bit lanes, the float32 index and curve in float lanes, the new levels in
// double lanes, each as the scalar step takes them (see Avx2Kernels.h for
// what this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

namespace {

// The new maximum, middle and minimum of four pixels with curve value c,
// lightness o = max + min and middle share part / spread, as bytes: the
// maxima, then the middles, then the minima, four each.
__m128i NewLevels(__m128 c, __m128i o, __m128i part, __m128i spread)
{
    const __m256d cd = _mm256_cvtps_pd(c);
    const __m256d od = _mm256_cvtepi32_pd(o);
    // o / 2.0, exactly.
    const __m256d half = _mm256_mul_pd(od, _mm256_set1_pd(0.5));
    const __m256d below = _mm256_mul_pd(_mm256_add_pd(cd, _mm256_set1_pd(1.0)), half);
    const __m256d above =
        _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_set1_pd(1.0), cd), _mm256_set1_pd(0.5)), od),
                      _mm256_mul_pd(_mm256_set1_pd(255.0), cd));
    __m256d hi = _mm256_blendv_pd(above, below, _mm256_cmp_pd(od, _mm256_set1_pd(255.0), _CMP_LT_OQ));
    // No saturation left: the grey of the same lightness.
    hi = _mm256_blendv_pd(hi, half, _mm256_cmp_pd(cd, _mm256_set1_pd(0.00001), _CMP_LT_OQ));
    const __m256d lo = _mm256_sub_pd(od, hi);
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

// Eight pixels a group, several groups a step with their steps interleaved:
// each group is one long chain of dependent steps, and the other chains keep
// the processor busy while one waits.
template <int GROUPS>
int SaturateGroups(uint32_t* pixels, int count, int curveLimit, float curveStep)
{
    const __m256i byteMask = _mm256_set1_epi32(0xFF), one = _mm256_set1_epi32(1);
    const __m256i limit = _mm256_set1_epi32(curveLimit);
    const __m256 step = _mm256_set1_ps(curveStep);
    const __m256i places = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kRolePlaces));
    // Pixel k of each half reads its levels at byte k of each group of four.
    const __m256i pixelInHalf = _mm256_setr_epi32(0, 0x010101, 0x020202, 0x030303, 0, 0x010101, 0x020202, 0x030303);
    int j = 0;
    for (; j + 8 * GROUPS <= count; j += 8 * GROUPS) {
        __m256i o[GROUPS], part[GROUPS], over[GROUPS], place[GROUPS];
        __m256 c[GROUPS];
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
            const __m256i d = _mm256_sub_epi32(hi, lo);
            o[k] = _mm256_add_epi32(hi, lo);
            // A grey pixel's middle share is taken over 1 (it has no spread).
            part[k] = _mm256_sub_epi32(mid, lo);
            over[k] = _mm256_max_epi32(d, one);

            // Saturation index trunc(d x 255 x 1 / range) with the range o
            // below the middle grey and 510 - o above it (1 for black and
            // white).
            __m256i range = _mm256_blendv_epi8(o[k], _mm256_sub_epi32(_mm256_set1_epi32(510), o[k]),
                                               _mm256_cmpgt_epi32(o[k], _mm256_set1_epi32(255)));
            range = _mm256_max_epi32(range, one);
            const __m256 reciprocal = _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_cvtepi32_ps(range));
            const __m256 spread = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_slli_epi32(d, 8), d));
            const __m256i s = _mm256_min_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(spread, reciprocal)), byteMask);
            c[k] = _mm256_blendv_ps(_mm256_set1_ps(1.0f), _mm256_mul_ps(_mm256_cvtepi32_ps(s), step),
                                    _mm256_castsi256_ps(_mm256_cmpgt_epi32(limit, s)));
        }
        for (int k = 0; k < GROUPS; k++) {
            const __m128i low = NewLevels(_mm256_castps256_ps128(c[k]), _mm256_castsi256_si128(o[k]),
                                          _mm256_castsi256_si128(part[k]), _mm256_castsi256_si128(over[k]));
            const __m128i high = NewLevels(_mm256_extractf128_ps(c[k], 1), _mm256_extracti128_si256(o[k], 1),
                                           _mm256_extracti128_si256(part[k], 1), _mm256_extracti128_si256(over[k], 1));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + j + 8 * k),
                                _mm256_shuffle_epi8(_mm256_set_m128i(high, low), place[k]));
        }
    }
    return j;
}

} // namespace

int SaturatePackedAvx2(uint32_t* pixels, int count, int curveLimit, float curveStep)
{
    int j = SaturateGroups<4>(pixels, count, curveLimit, curveStep);
    j += SaturateGroups<1>(pixels + j, count - j, curveLimit, curveStep);
    return j;
}

#endif
