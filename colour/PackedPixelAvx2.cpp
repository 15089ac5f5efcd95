// Packing of pixel rows, eight pixels a step (see Avx2Kernels.h for what this
// file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

int PackRowAvx2(const uint8_t* row, size_t bytesPerPixel, size_t offR, size_t offG, size_t offB, int cols,
                uint32_t* out)
{
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || offR >= bytesPerPixel || offG >= bytesPerPixel ||
        offB >= bytesPerPixel)
        return 0;
    // Pixels j..j+3 and j+4..j+7 come from 16 bytes each, read from their
    // first pixel on; one shuffle puts every pixel's R, G, B in its word.
    alignas(16) uint8_t order[16];
    for (size_t i = 0; i < 4; i++) {
        order[4 * i] = (uint8_t)(i * bytesPerPixel + offR);
        order[4 * i + 1] = (uint8_t)(i * bytesPerPixel + offG);
        order[4 * i + 2] = (uint8_t)(i * bytesPerPixel + offB);
        order[4 * i + 3] = 0x80;
    }
    const __m256i shuffle = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(order)));
    const size_t step = bytesPerPixel, rowBytes = (size_t)cols * step;
    int j = 0;
    for (; j + 8 <= cols && (size_t)(j + 4) * step + 16 <= rowBytes; j += 8) {
        const uint8_t* p = row + (size_t)j * step;
        const __m256i bytes = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * step)),
                                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_shuffle_epi8(bytes, shuffle));
    }
    return j;
}

#endif
