// Reading a 256-entry byte table at 32 places at once with AVX2 shuffles.
// For the AVX2 sources only (see Avx2Kernels.h): every copy of this inline
// function is compiled for AVX2.
#pragma once

#include <immintrin.h>

#include <cstdint>

// table[place] for the 32 byte places in one vector: sixteen shuffles of 16
// entries each, where a place is in range of the shuffle that holds its
// entry (place - 16 t in 0..15 keeps bit 7 clear once biased by 0x70) and
// gives 0 in every other.
inline __m256i LookUpBytes(const uint8_t* table, __m256i places)
{
    const __m256i bias = _mm256_set1_epi8(0x70), sixteen = _mm256_set1_epi8(16);
    __m256i found = _mm256_setzero_si256();
    for (int t = 0; t < 16; t++) {
        const __m256i entries =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table + 16 * t)));
        found = _mm256_or_si256(found, _mm256_shuffle_epi8(entries, _mm256_adds_epu8(places, bias)));
        places = _mm256_sub_epi8(places, sixteen);
    }
    return found;
}
