// Tetrahedral interpolation through the grid, eight pixels a step: their
// cells, tetrahedra and weights side by side, then two pixels at a time with
// one channel a lane, each sum taking the scalar order (see Avx2Kernels.h for
// what this file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

#include <cstring>

namespace {

const int kPiece = 64;

// The lanes of a where mask is set, else those of b.
inline __m256i Select(__m256i mask, __m256i a, __m256i b)
{
    return _mm256_blendv_epi8(b, a, mask);
}

// The cells of eight levels along one axis: their offsets and fractions.
inline void Cells(const GridCell* axis, const unsigned* level, __m256i* offsets, __m256* fractions)
{
    auto pair = [axis](unsigned first, unsigned second) {
        const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(axis + first));
        return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(low), reinterpret_cast<const double*>(axis + second)));
    };
    // (offset, fraction) of pixels 0 1 | 4 5 and 2 3 | 6 7.
    const __m256 even = _mm256_castsi256_ps(_mm256_set_m128i(pair(level[4], level[5]), pair(level[0], level[1])));
    const __m256 odd = _mm256_castsi256_ps(_mm256_set_m128i(pair(level[6], level[7]), pair(level[2], level[3])));
    *offsets = _mm256_castps_si256(_mm256_shuffle_ps(even, odd, _MM_SHUFFLE(2, 0, 2, 0)));
    *fractions = _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(3, 1, 3, 1));
}

// The nodes at offsets first and second (pixels k and k + 4) as reals, one
// channel a lane.
template <bool RealNodes>
inline __m256 Nodes(const GridTables& t, uint32_t first, uint32_t second)
{
    if (RealNodes)
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(t.nodes + first)),
                                    _mm_loadu_ps(t.nodes + second), 1);
    // A byte node's first four bytes (a three-channel node brings one byte
    // of the next node along, which is never used).
    int32_t a, b;
    std::memcpy(&a, t.grid + first, 4);
    std::memcpy(&b, t.grid + second, 4);
    return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_unpacklo_epi32(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b))));
}

// The interpolated levels (before the output tables) of eight packed pixels,
// four bytes a pixel.
template <bool RealNodes>
inline void Interpolate8(const GridTables& t, const uint32_t* pixels, uint8_t* levels)
{
    unsigned r[8], g[8], b[8];
    for (int k = 0; k < 8; k++) {
        r[k] = pixels[k] & 0xFF;
        g[k] = (pixels[k] >> 8) & 0xFF;
        b[k] = pixels[k] >> 16;
    }
    __m256i ox, oy, oz;
    __m256 fx, fy, fz;
    Cells(t.cell[0], r, &ox, &fx);
    Cells(t.cell[1], g, &oy, &fy);
    Cells(t.cell[2], b, &oz, &fz);
    const __m256i a = _mm256_add_epi32(_mm256_add_epi32(ox, oy), oz);

    // The walk's axes p (largest fraction) and r (smallest), as the tests
    // c1 = fx >= fy, c2 = fy >= fz, c3 = fx >= fz choose them: p is x or y
    // (by c1) when c2 or c3 holds, else z; r is z or y (by c2) when c1
    // holds, else z or x (by c3).
    const __m256i stepX = _mm256_set1_epi32((int)t.step[0]), stepY = _mm256_set1_epi32((int)t.step[1]);
    const __m256i stepZ = _mm256_set1_epi32((int)t.step[2]), toD = _mm256_set1_epi32((int)t.toD);
    const __m256i c1 = _mm256_castps_si256(_mm256_cmp_ps(fx, fy, _CMP_GE_OQ));
    const __m256i c2 = _mm256_castps_si256(_mm256_cmp_ps(fy, fz, _CMP_GE_OQ));
    const __m256i c3 = _mm256_castps_si256(_mm256_cmp_ps(fx, fz, _CMP_GE_OQ));
    const __m256i toB = Select(_mm256_or_si256(c2, c3), Select(c1, stepX, stepY), stepZ);
    const __m256i toR = Select(c1, Select(c2, stepZ, stepY), Select(c3, stepZ, stepX));
    alignas(32) uint32_t cornerA[8], cornerB[8], cornerC[8], cornerD[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cornerA), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cornerB), _mm256_add_epi32(a, toB));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cornerC), _mm256_add_epi32(a, _mm256_sub_epi32(toD, toR)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cornerD), _mm256_add_epi32(a, toD));

    // Without NaN the walk's fractions are the sorted fractions.
    const __m256 top = _mm256_max_ps(fx, fy), bottom = _mm256_min_ps(fx, fy);
    const __m256 fp = _mm256_max_ps(top, fz), fr = _mm256_min_ps(bottom, fz);
    const __m256 fq = _mm256_max_ps(bottom, _mm256_min_ps(top, fz));
    const __m256 wA = _mm256_sub_ps(_mm256_set1_ps(1.0f), fp), wB = _mm256_sub_ps(fp, fq);
    const __m256 wC = _mm256_sub_ps(fq, fr), wD = fr;
    // (wA, wB, wC, wD) of pixel k in the low half and of pixel k + 4 in the
    // high half of weights[k].
    const __m256 ab0 = _mm256_unpacklo_ps(wA, wB), ab1 = _mm256_unpackhi_ps(wA, wB);
    const __m256 cd0 = _mm256_unpacklo_ps(wC, wD), cd1 = _mm256_unpackhi_ps(wC, wD);
    const __m256 weights[4] = {
        _mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(3, 2, 3, 2)),
        _mm256_shuffle_ps(ab1, cd1, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(ab1, cd1, _MM_SHUFFLE(3, 2, 3, 2))};

    __m256i sums[4];
    for (int k = 0; k < 4; k++) {
        const __m256 w = weights[k];
        __m256 sum = _mm256_mul_ps(_mm256_permute_ps(w, 0x00), Nodes<RealNodes>(t, cornerA[k], cornerA[k + 4]));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_permute_ps(w, 0x55), Nodes<RealNodes>(t, cornerB[k], cornerB[k + 4])));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_permute_ps(w, 0xAA), Nodes<RealNodes>(t, cornerC[k], cornerC[k + 4])));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_permute_ps(w, 0xFF), Nodes<RealNodes>(t, cornerD[k], cornerD[k + 4])));
        sum = _mm256_add_ps(sum, _mm256_set1_ps(0.5f));
        // The truncation answers 0x80000000 where the scalar conversion
        // answers 0: both have a low byte of 0.
        sums[k] = _mm256_and_si256(_mm256_cvttps_epi32(sum), _mm256_set1_epi32(0xFF));
    }
    // Pixels 0 1 | 4 5 and 2 3 | 6 7, packed back into pixel order.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(sums[0], sums[1]), _mm256_packs_epi32(sums[2], sums[3]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels), bytes);
}

template <bool RealNodes>
void MapRow(const GridTables& t, const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2)
{
    const uint8_t* out0 = t.output[0];
    const uint8_t* out1 = t.output[1];
    const uint8_t* out2 = t.output[2];
    alignas(32) uint8_t levels[kPiece * 4];
    uint32_t padded[kPiece];
    for (int start = 0; start < cols; start += kPiece) {
        const int count = cols - start < kPiece ? cols - start : kPiece;
        // A last piece that is not whole eights is padded with its last pixel.
        const uint32_t* piece = pixels + start;
        if (count & 7) {
            std::memcpy(padded, piece, (size_t)count * 4);
            for (int j = count; j < ((count + 7) & ~7); j++)
                padded[j] = piece[count - 1];
            piece = padded;
        }
        for (int j = 0; j < count; j += 8)
            Interpolate8<RealNodes>(t, piece + j, levels + 4 * j);
        for (int j = 0; j < count; j++) {
            plane0[start + j] = out0[levels[4 * j]];
            plane1[start + j] = out1[levels[4 * j + 1]];
            plane2[start + j] = out2[levels[4 * j + 2]];
        }
    }
}

} // namespace

void MapGridRowAvx2(const GridTables& tables, const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                    uint8_t* plane2)
{
    if (tables.nodes)
        MapRow<true>(tables, pixels, cols, plane0, plane1, plane2);
    else
        MapRow<false>(tables, pixels, cols, plane0, plane1, plane2);
}

#endif
