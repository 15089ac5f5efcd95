// The direct path's mapping of packed pixels, 32 a step: each channel's bytes
// gathered into one vector and read through its table with shuffles (see
// Avx2Kernels.h for what this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include "Avx2TableLookup.h"

int MapDirectRowAvx2(const uint8_t (*table)[256], const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                     uint8_t* plane2)
{
    // Per half of eight pixels: the R bytes, then the G bytes, then the B
    // bytes of its four pixels; then per vector R of all eight, G, B.
    const __m256i channels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, -1, -1, -1, -1, 0, 4, 8, 12, 1,
                                              5, 9, 13, 2, 6, 10, 14, -1, -1, -1, -1);
    const __m256i halves = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int j = 0;
    for (; j + 32 <= cols; j += 32) {
        __m256i eight[4];
        for (int k = 0; k < 4; k++) {
            const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + j + 8 * k));
            eight[k] = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(px, channels), halves);
        }
        // Each eight's (R, G | B, 0) as eight-byte words, then all R, G, B.
        const __m256i low01 = _mm256_unpacklo_epi64(eight[0], eight[1]);
        const __m256i high01 = _mm256_unpackhi_epi64(eight[0], eight[1]);
        const __m256i low23 = _mm256_unpacklo_epi64(eight[2], eight[3]);
        const __m256i high23 = _mm256_unpackhi_epi64(eight[2], eight[3]);
        const __m256i r = _mm256_permute2x128_si256(low01, low23, 0x20);
        const __m256i b = _mm256_permute2x128_si256(low01, low23, 0x31);
        const __m256i g = _mm256_permute2x128_si256(high01, high23, 0x20);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane0 + j), LookUpBytes(table[2], b));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane1 + j), LookUpBytes(table[1], g));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane2 + j), LookUpBytes(table[0], r));
    }
    return j;
}

#endif
