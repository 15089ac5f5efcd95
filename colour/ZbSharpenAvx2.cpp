// The sharpen filter row, sixteen pixels a step (see Avx2Kernels.h for what
// this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

namespace {

inline __m256i Load16(const int16_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Each of a pixel's R, G and B moved by its change (at most 255 either way),
// within 0..255: the change as bytes (change, change, change, 0) added or
// taken with saturation.
inline __m256i ApplyChanges(__m256i pixels, __m256i change)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, -1, 4, 4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1, 0, 0, 0, -1, 4, 4, 4,
                                            -1, 8, 8, 8, -1, 12, 12, 12, -1);
    const __m256i up = _mm256_shuffle_epi8(_mm256_max_epi32(change, zero), spread);
    const __m256i down = _mm256_shuffle_epi8(_mm256_max_epi32(_mm256_sub_epi32(zero, change), zero), spread);
    return _mm256_subs_epu8(_mm256_adds_epu8(pixels, up), down);
}

} // namespace

int SharpenRowAvx2(const uint32_t* packed, uint32_t* out, int count, const int16_t* prev, const int16_t* cur,
                   const int16_t* next, float k, int threshold, int maxChange)
{
    const __m256 scale = _mm256_set1_ps(k), round = _mm256_set1_ps(0.5f);
    const __m256i atLeast = _mm256_set1_epi32(threshold - 1), atMost = _mm256_set1_epi32(1 - threshold);
    const __m256i t = _mm256_set1_epi32(threshold), limit = _mm256_set1_epi32(maxChange);
    const __m256i floor = _mm256_set1_epi32(-maxChange);
    int j = 0;
    for (; j + 16 <= count; j += 16) {
        // The edge values of sixteen pixels in 16-bit lanes.
        const __m256i c1 = Load16(cur + j + 1);
        const __m256i ring = _mm256_add_epi16(_mm256_add_epi16(Load16(cur + j), Load16(cur + j + 2)),
                                              _mm256_add_epi16(Load16(prev + j + 1), Load16(next + j + 1)));
        const __m256i corners = _mm256_add_epi16(_mm256_add_epi16(Load16(prev + j), Load16(prev + j + 2)),
                                                 _mm256_add_epi16(Load16(next + j), Load16(next + j + 2)));
        const __m256i twelve = _mm256_add_epi16(_mm256_slli_epi16(c1, 3), _mm256_slli_epi16(c1, 2));
        const __m256i e = _mm256_sub_epi16(_mm256_sub_epi16(twelve, _mm256_slli_epi16(ring, 1)), corners);
        for (int half = 0; half < 2; half++) {
            const __m256i edge =
                _mm256_cvtepi16_epi32(half ? _mm256_extracti128_si256(e, 1) : _mm256_castsi256_si128(e));
            const __m256i v = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(edge), scale), round));
            // Below the threshold either way nothing changes; beyond it the
            // excess does, up to the maximum change.
            __m256i change = _mm256_and_si256(_mm256_cmpgt_epi32(atMost, v), _mm256_add_epi32(v, t));
            change = _mm256_blendv_epi8(change, _mm256_sub_epi32(v, t), _mm256_cmpgt_epi32(v, atLeast));
            change = _mm256_max_epi32(_mm256_min_epi32(change, limit), floor);
            const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(packed + j + 8 * half));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 8 * half), ApplyChanges(pixels, change));
        }
    }
    return j;
}

#endif
