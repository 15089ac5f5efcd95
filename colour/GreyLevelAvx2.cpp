// The grey level of packed pixels, sixteen a step, as bytes (the resin
// conversion) and as the sharpen luminance (see Avx2Kernels.h for what this
// file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

namespace {

// 6G + 3R + B + 5 of eight packed pixels, at most 2555.
inline __m256i LuminanceNumerator(const uint32_t* packed)
{
    const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(packed));
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256i r = _mm256_and_si256(px, byteMask);
    const __m256i g = _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask);
    const __m256i b = _mm256_srli_epi32(px, 16);
    const __m256i g6 = _mm256_add_epi32(_mm256_slli_epi32(g, 2), _mm256_slli_epi32(g, 1));
    const __m256i r3 = _mm256_add_epi32(_mm256_slli_epi32(r, 1), r);
    return _mm256_add_epi32(_mm256_add_epi32(g6, r3), _mm256_add_epi32(b, _mm256_set1_epi32(5)));
}

// (6G + 3R + B + 5) / 10 of sixteen packed pixels in 16-bit lanes, in order:
// the division as the high half of a product with 6554 (exact for numerators
// up to 2555).
inline __m256i GreyLevels(const uint32_t* packed)
{
    const __m256i both = _mm256_packs_epi32(LuminanceNumerator(packed), LuminanceNumerator(packed + 8));
    const __m256i inOrder = _mm256_permute4x64_epi64(both, _MM_SHUFFLE(3, 1, 2, 0));
    return _mm256_mulhi_epu16(inOrder, _mm256_set1_epi16(6554));
}

} // namespace

int GreyRowAvx2(const uint32_t* packed, uint8_t* grey, int count)
{
    int j = 0;
    for (; j + 16 <= count; j += 16) {
        const __m256i levels = GreyLevels(packed + j);
        const __m128i bytes =
            _mm_packus_epi16(_mm256_castsi256_si128(levels), _mm256_extracti128_si256(levels, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(grey + j), bytes);
    }
    return j;
}

int LuminanceRowAvx2(const uint32_t* packed, int16_t* target, int count)
{
    int j = 0;
    for (; j + 16 <= count; j += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + j + 1), GreyLevels(packed + j));
    return j;
}

#endif
