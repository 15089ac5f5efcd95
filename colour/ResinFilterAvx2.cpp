// Filter A of the resin image, sixteen columns a step in 16-bit lanes (see
// Avx2Kernels.h for what this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

namespace {

inline __m256i Widen(const uint8_t* p)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline __m256i Times(__m256i v, int weight)
{
    return _mm256_mullo_epi16(v, _mm256_set1_epi16((short)weight));
}

} // namespace

int ResinFilterARowAvx2(uint8_t* out, const uint8_t* C, const uint8_t* U1, const uint8_t* U2, int cols)
{
    int j = 1;
    for (; j + 17 <= cols; j += 16) {
        // The weights add up to 127, so the sum stays below 2^15.
        __m256i sum = _mm256_add_epi16(Times(Widen(U1 + j), 38), Times(Widen(U2 + j), 29));
        sum = _mm256_add_epi16(sum, Times(_mm256_add_epi16(Widen(U1 + j - 1), Widen(U1 + j + 1)), 10));
        sum = _mm256_add_epi16(sum, Times(_mm256_add_epi16(Widen(U2 + j - 1), Widen(U2 + j + 1)), 6));
        sum = _mm256_add_epi16(sum, Times(_mm256_add_epi16(Widen(C + j - 1), Widen(C + j + 1)), 14));
        // The level rule of ResinFilterLevel: 255 p - sum, when above 0,
        // rounded to (x + 127) / 255, which equals (2x + 255) / 510; the
        // division as the high half of a product with 0x8081, then 7 bits.
        // A pixel of 0 gives 0, as it stays.
        const __m256i excess = _mm256_subs_epu16(Times(Widen(C + j), 255), sum);
        const __m256i level = _mm256_srli_epi16(
            _mm256_mulhi_epu16(_mm256_add_epi16(excess, _mm256_set1_epi16(127)), _mm256_set1_epi16((short)0x8081)), 7);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                         _mm_packus_epi16(_mm256_castsi256_si128(level), _mm256_extracti128_si256(level, 1)));
    }
    return j;
}

#endif
