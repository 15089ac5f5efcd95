// Tetrahedral interpolation through the grid, eight pixels a step, one pixel
// a lane: their cells, tetrahedra and weights side by side, the corners of
// their cells turned from one block a pixel into one vector a corner, and
// each channel's sum in the scalar order (see Avx2Kernels.h for what this
// file may include).
#include "Avx2Kernels.h"

#ifdef QEL_COLOUR_AVX2
#include <immintrin.h>

#include <cstring>

namespace {

const int kPiece = 256;

// The lanes of a where mask is set, else those of b.
inline __m256i Select(__m256 mask, __m256i a, __m256i b)
{
    return _mm256_blendv_epi8(b, a, _mm256_castps_si256(mask));
}

// The fractions of the cells of eight levels along one axis.
inline __m256 Fractions(const GridCell* axis, const unsigned* level)
{
    auto pair = [axis](unsigned first, unsigned second) {
        const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(axis + first));
        return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(low), reinterpret_cast<const double*>(axis + second)));
    };
    // (offset, fraction) of pixels 0 1 | 4 5 and 2 3 | 6 7.
    const __m256 even = _mm256_castsi256_ps(_mm256_set_m128i(pair(level[4], level[5]), pair(level[0], level[1])));
    const __m256 odd = _mm256_castsi256_ps(_mm256_set_m128i(pair(level[6], level[7]), pair(level[2], level[3])));
    return _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(3, 1, 3, 1));
}

// The levels of one plane at eight corners, as reals (a corner's top byte
// is 0).
inline __m256 Plane(__m256i corner, int plane)
{
    if (plane == 0)
        return _mm256_cvtepi32_ps(_mm256_and_si256(corner, _mm256_set1_epi32(0xFF)));
    if (plane == 1)
        return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(corner, 8), _mm256_set1_epi32(0xFF)));
    return _mm256_cvtepi32_ps(_mm256_srli_epi32(corner, 16));
}

// The interpolated levels (before the output tables) of eight packed pixels:
// eight bytes of plane 0, then of plane 1, then of plane 2, then eight bytes
// that mean nothing.
inline void Interpolate8(const GridTables& t, const uint32_t* pixels, uint8_t* levels)
{
    // Each pixel's R, G and B bytes, and its cell's block.
    const uint8_t* px = reinterpret_cast<const uint8_t*>(pixels);
    unsigned r[8], g[8], b[8];
    for (int k = 0; k < 8; k++) {
        r[k] = px[4 * k];
        g[k] = px[4 * k + 1];
        b[k] = px[4 * k + 2];
    }
    const __m256 fx = Fractions(t.cell[0], r), fy = Fractions(t.cell[1], g), fz = Fractions(t.cell[2], b);
    // The blocks' places add up in the integer registers, which their loads
    // address from.
    uint32_t block[8];
    for (int k = 0; k < 8; k++)
        block[k] = t.cell[0][r[k]].offset + t.cell[1][g[k]].offset + t.cell[2][b[k]].offset;

    // Without NaN the walk's fractions are the sorted fractions.
    const __m256 top = _mm256_max_ps(fx, fy), bottom = _mm256_min_ps(fx, fy);
    const __m256 fp = _mm256_max_ps(top, fz), fr = _mm256_min_ps(bottom, fz);
    const __m256 fq = _mm256_max_ps(bottom, _mm256_min_ps(top, fz));
    const __m256 wA = _mm256_sub_ps(_mm256_set1_ps(1.0f), fp), wB = _mm256_sub_ps(fp, fq);
    const __m256 wC = _mm256_sub_ps(fq, fr), wD = fr;

    // The cells' corners: rows of eight words (one cell each) turned into
    // columns (one corner of every cell each).
    __m256i row[8];
    for (int k = 0; k < 8; k++)
        row[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t.blocks + block[k]));
    __m256i pairs[8], quads[8], corner[8];
    for (int k = 0; k < 8; k += 2) {
        pairs[k] = _mm256_unpacklo_epi32(row[k], row[k + 1]);
        pairs[k + 1] = _mm256_unpackhi_epi32(row[k], row[k + 1]);
    }
    for (int k = 0; k < 8; k += 4) {
        quads[k] = _mm256_unpacklo_epi64(pairs[k], pairs[k + 2]);
        quads[k + 1] = _mm256_unpackhi_epi64(pairs[k], pairs[k + 2]);
        quads[k + 2] = _mm256_unpacklo_epi64(pairs[k + 1], pairs[k + 3]);
        quads[k + 3] = _mm256_unpackhi_epi64(pairs[k + 1], pairs[k + 3]);
    }
    for (int k = 0; k < 4; k++) {
        corner[k] = _mm256_permute2x128_si256(quads[k], quads[k + 4], 0x20);
        corner[k + 4] = _mm256_permute2x128_si256(quads[k], quads[k + 4], 0x31);
    }

    // The walk's corners B and C, as the tests c1 = fx >= fy, c2 = fy >= fz,
    // c3 = fx >= fz choose them: B lies along the axis of the largest
    // fraction, C along the two largest.
    const __m256 c1 = _mm256_cmp_ps(fx, fy, _CMP_GE_OQ), c2 = _mm256_cmp_ps(fy, fz, _CMP_GE_OQ);
    const __m256 c3 = _mm256_cmp_ps(fx, fz, _CMP_GE_OQ);
    const __m256i cornerA = corner[0], cornerD = corner[7];
    const __m256i cornerB = Select(_mm256_or_ps(c2, c3), Select(c1, corner[1], corner[2]), corner[4]);
    const __m256i cornerC = Select(c1, Select(c2, corner[3], corner[5]), Select(c3, corner[3], corner[6]));

    __m256i plane[3];
    for (int k = 0; k < 3; k++) {
        __m256 sum = _mm256_mul_ps(wA, Plane(cornerA, k));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(wB, Plane(cornerB, k)));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(wC, Plane(cornerC, k)));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(wD, Plane(cornerD, k)));
        sum = _mm256_add_ps(sum, _mm256_set1_ps(0.5f));
        // The truncation answers 0x80000000 where the scalar conversion
        // answers 0: both have a low byte of 0.
        plane[k] = _mm256_and_si256(_mm256_cvttps_epi32(sum), _mm256_set1_epi32(0xFF));
    }
    // Bytes of planes 0 1 2 2 of pixels 0..3 | the same of pixels 4..7, then
    // each plane's eight together.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(plane[0], plane[1]),
                                              _mm256_packus_epi32(plane[2], plane[2]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels),
                        _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
}

} // namespace

void MapGridRowAvx2(const GridTables& tables, const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                    uint8_t* plane2)
{
    // Room for the eight bytes of the last step that mean nothing.
    alignas(32) uint8_t levels[kPiece * 3 + 8];
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
            Interpolate8(tables, piece + j, levels + 3 * j);
        const uint8_t* out0 = tables.output[0];
        const uint8_t* out1 = tables.output[1];
        const uint8_t* out2 = tables.output[2];
        int j = 0;
        for (; j + 8 <= count; j += 8) {
            const uint8_t* lv = levels + 3 * j;
            uint64_t p0 = 0, p1 = 0, p2 = 0;
            for (int i = 0; i < 8; i++) {
                p0 |= (uint64_t)out0[lv[i]] << (8 * i);
                p1 |= (uint64_t)out1[lv[8 + i]] << (8 * i);
                p2 |= (uint64_t)out2[lv[16 + i]] << (8 * i);
            }
            std::memcpy(plane0 + start + j, &p0, 8);
            std::memcpy(plane1 + start + j, &p1, 8);
            std::memcpy(plane2 + start + j, &p2, 8);
        }
        for (; j < count; j++) {
            const uint8_t* lv = levels + 3 * (j & ~7) + (j & 7);
            plane0[start + j] = out0[lv[0]];
            plane1[start + j] = out1[lv[8]];
            plane2[start + j] = out2[lv[16]];
        }
    }
}

#endif
