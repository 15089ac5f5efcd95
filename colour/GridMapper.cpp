#include "GridMapper.h"

#include "FloatToByte.h"
#include "PackedPixel.h"
#include "SimdLevel.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

// The tetrahedron of a cell is chosen by c1 = fx >= fy, c2 = fy >= fz and
// c3 = fx >= fz; the table is indexed by c1 | c2 << 1 | c3 << 2 and gives
// the axes p, q, r of its walk. The two impossible combinations (and NaN
// fractions) land where the tests in their usual order (c1, then c2 or c3)
// would send them.
const uint8_t kAxes[8][3] = {
    {2, 1, 0}, // fx < fy, fy < fz, fx < fz
    {2, 0, 1}, // fx >= fy, fy < fz, fx < fz
    {1, 2, 0}, // fx < fy, fy >= fz, fx < fz
    {0, 1, 2}, // fx >= fy, fy >= fz, fx < fz (cannot happen)
    {1, 0, 2}, // fx < fy, fy < fz, fx >= fz (cannot happen)
    {0, 2, 1}, // fx >= fy, fy < fz, fx >= fz
    {1, 0, 2}, // fx < fy, fy >= fz, fx >= fz
    {0, 1, 2}, // fx >= fy, fy >= fz, fx >= fz
};

#ifdef QEL_COLOUR_SSE2
// A byte node's first four bytes as reals (a three-channel node brings one
// byte of the next node along, which is never used).
inline __m128 LoadByteNode(const uint8_t* node)
{
    int32_t bytes;
    std::memcpy(&bytes, node, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero);
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero));
}

// The weighted sum of the four corners at node offsets a, b, c, d, one lane
// per channel with the same float32 steps as channel by channel; returns the
// levels (truncated, low bytes) in the 32-bit lanes.
template <bool RealNodes>
inline __m128i BlendLevels(const float* nodes, const uint8_t* grid, uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                             __m128 wA, __m128 wB, __m128 wC, __m128 wD)
{
    __m128 sA, sB, sC, sD;
    if (RealNodes) {
        sA = _mm_loadu_ps(nodes + a);
        sB = _mm_loadu_ps(nodes + b);
        sC = _mm_loadu_ps(nodes + c);
        sD = _mm_loadu_ps(nodes + d);
    } else {
        sA = LoadByteNode(grid + a);
        sB = LoadByteNode(grid + b);
        sC = LoadByteNode(grid + c);
        sD = LoadByteNode(grid + d);
    }
    __m128 sum = _mm_mul_ps(wA, sA);
    sum = _mm_add_ps(sum, _mm_mul_ps(wB, sB));
    sum = _mm_add_ps(sum, _mm_mul_ps(wC, sC));
    sum = _mm_add_ps(sum, _mm_mul_ps(wD, sD));
    sum = _mm_add_ps(sum, _mm_set1_ps(0.5f));
    // The truncation answers 0x80000000 where FloatToByte answers 0: both
    // have a low byte of 0.
    return _mm_and_si128(_mm_cvttps_epi32(sum), _mm_set1_epi32(0xFF));
}

// The same levels packed like a pixel.
template <bool RealNodes>
inline uint32_t BlendCorners(const float* nodes, const uint8_t* grid, uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                             __m128 wA, __m128 wB, __m128 wC, __m128 wD)
{
    __m128i levels = BlendLevels<RealNodes>(nodes, grid, a, b, c, d, wA, wB, wC, wD);
    levels = _mm_packs_epi32(levels, levels);
    return (uint32_t)_mm_cvtsi128_si32(_mm_packus_epi16(levels, levels));
}
#endif

} // namespace

CGridMapper::CGridMapper(const CColorLUT& lut, const float (*working)[256], const uint8_t (*output)[256])
    : m_pGrid(lut.Grid()), m_pNodes(nullptr), m_bNanFraction(false), m_pBlocks(nullptr)
{
    const uint32_t n = lut.GridPoints(), channels = lut.Channels();
    // The cell size is a power of two: 256 / (n - 1).
    const uint8_t step = (uint8_t)(256 / (n - 1));
    const float inverse = 1.0f / (float)step;
    unsigned shift = 0;
    while ((2u << shift) <= step)
        shift++;

    // Per axis and input level: the cell along the axis and the fraction.
    uint8_t cellAt[3][256];
    for (int axis = 0; axis < 3; axis++) {
        for (int level = 0; level < 256; level++) {
            const float x = working[axis][level];
            cellAt[axis][level] = (uint8_t)(FloatToByte(x) >> shift);
            const float fraction =
                (double)x > 254.999 ? 1.0f : (float)(std::fmod((double)x, (double)step) * (double)inverse);
            m_Cell[axis][level].fraction = fraction;
            if (fraction != fraction)
                m_bNanFraction = true;
        }
    }

#ifdef QEL_COLOUR_AVX2
    if (!m_bNanFraction && n <= MAX_BLOCK_GRID && ActiveSimdLevel() == SIMD_AVX2)
        BuildBlocks(n, channels, cellAt);
#endif
#ifdef QEL_COLOUR_SSE2
    // Nodes as reals save the widening of every corner of every pixel; when
    // the memory is not there, the bytes serve just the same.
    if (!m_pBlocks && n <= MAX_REAL_GRID) {
        const size_t nodes = (size_t)n * n * n;
        m_pNodes = new (std::nothrow) float[nodes * 4];
        if (m_pNodes) {
            for (size_t i = 0; i < nodes; i++)
                for (uint32_t k = 0; k < 4; k++)
                    m_pNodes[i * 4 + k] = k < channels ? (float)m_pGrid[i * channels + k] : 0.0f;
        }
    }
#endif
    const uint32_t unit = m_pNodes ? 4 : channels;

    const uint32_t* rowOffsets = lut.RowOffsets();
    const uint32_t* indexTable = lut.IndexTable();
    for (int axis = 0; axis < 3; axis++) {
        for (int level = 0; level < 256; level++) {
            const uint32_t cell = cellAt[axis][level];
            const uint32_t node = axis == 0 ? cell : axis == 1 ? indexTable[cell] : rowOffsets[cell];
            m_Cell[axis][level].offset = node * unit;
        }
    }
    const uint32_t steps[3] = {unit, n * unit, n * n * unit};
    for (int code = 0; code < 8; code++) {
        Walk& walk = m_Walk[code];
        walk.p = kAxes[code][0];
        walk.q = kAxes[code][1];
        walk.r = kAxes[code][2];
        walk.toB = steps[walk.p];
        walk.toC = steps[walk.p] + steps[walk.q];
    }
    m_nToD = steps[0] + steps[1] + steps[2];
    for (int axis = 0; axis < 3; axis++)
        m_nStep[axis] = steps[axis];
    std::memcpy(m_byOutput, output, sizeof m_byOutput);

    m_nCacheIn = PackRGB(255, 255, 255);
    m_nCacheOut = MapPixel(m_nCacheIn);
}

namespace {

inline uint32_t ApplyOutput(const uint8_t (*output)[256], uint32_t levels)
{
    return (uint32_t)output[0][levels & 0xFF] | (uint32_t)output[1][(levels >> 8) & 0xFF] << 8 |
           (uint32_t)output[2][(levels >> 16) & 0xFF] << 16;
}

} // namespace

CGridMapper::~CGridMapper()
{
    delete[] m_pNodes;
    delete[] m_pBlocks;
}

#ifdef QEL_COLOUR_AVX2
void CGridMapper::BuildBlocks(uint32_t n, uint32_t channels, const uint8_t (*cellAt)[256])
{
    const uint32_t cells = n - 1;
    m_pBlocks = new (std::nothrow) uint32_t[(size_t)cells * cells * cells * 8];
    if (!m_pBlocks)
        return;
    uint32_t* block = m_pBlocks;
    for (uint32_t z = 0; z < cells; z++) {
        for (uint32_t y = 0; y < cells; y++) {
            for (uint32_t x = 0; x < cells; x++, block += 8) {
                for (uint32_t corner = 0; corner < 8; corner++) {
                    const uint32_t node =
                        (x + (corner & 1)) + n * (y + ((corner >> 1) & 1)) + n * n * (z + (corner >> 2));
                    const uint8_t* levels = m_pGrid + (size_t)node * channels;
                    block[corner] = (uint32_t)levels[0] | (uint32_t)levels[1] << 8 | (uint32_t)levels[2] << 16;
                }
            }
        }
    }
    const uint32_t places[3] = {8, 8 * cells, 8 * cells * cells};
    for (int axis = 0; axis < 3; axis++) {
        for (int level = 0; level < 256; level++) {
            m_Tables.cell[axis][level].offset = places[axis] * cellAt[axis][level];
            m_Tables.cell[axis][level].fraction = m_Cell[axis][level].fraction;
        }
    }
    m_Tables.blocks = m_pBlocks;
    m_Tables.output = m_byOutput;
}
#endif

uint32_t CGridMapper::MapPixel(uint32_t rgb) const
{
    const Kernel kernel = MakeKernel();
    const uint32_t levels = m_pNodes ? Interpolate<true>(kernel, rgb) : Interpolate<false>(kernel, rgb);
    return ApplyOutput(m_byOutput, levels);
}

template <bool RealNodes>
inline uint32_t CGridMapper::Interpolate(const Kernel& k, uint32_t rgb)
{
    const LevelCell& cx = k.cell[0][PackedR(rgb)];
    const LevelCell& cy = k.cell[1][PackedG(rgb)];
    const LevelCell& cz = k.cell[2][PackedB(rgb)];
    const float fx = cx.fraction, fy = cy.fraction, fz = cz.fraction;
    const uint32_t a = cx.offset + cy.offset + cz.offset;

    const Walk& walk = k.walk[(fx >= fy) | (fy >= fz) << 1 | (fx >= fz) << 2];
    const float f[3] = {fx, fy, fz};
    const float fp = f[walk.p], fq = f[walk.q], fr = f[walk.r];
    const float wA = 1.0f - fp, wB = fp - fq, wC = fq - fr, wD = fr;

#ifdef QEL_COLOUR_SSE2
    return BlendCorners<RealNodes>(k.nodes, k.grid, a, a + walk.toB, a + walk.toC, a + k.toD, _mm_set1_ps(wA),
                                   _mm_set1_ps(wB), _mm_set1_ps(wC), _mm_set1_ps(wD));
#else
    const uint8_t* nodeA = k.grid + a;
    const uint8_t* nodeB = nodeA + walk.toB;
    const uint8_t* nodeC = nodeA + walk.toC;
    const uint8_t* nodeD = nodeA + k.toD;
    uint32_t levels = 0;
    for (int ch = 0; ch < 3; ch++) {
        const float o = ((wA * (float)nodeA[ch] + wB * (float)nodeB[ch]) + wC * (float)nodeC[ch]) +
                        wD * (float)nodeD[ch] + 0.5f;
        levels |= (uint32_t)FloatToByte(o) << (8 * ch);
    }
    return levels;
#endif
}

template <bool RealNodes>
void CGridMapper::MapRowWith(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2)
{
    const Kernel kernel = MakeKernel();
    uint32_t lastIn = m_nCacheIn, lastOut = m_nCacheOut;
    uint8_t out0 = (uint8_t)lastOut, out1 = (uint8_t)(lastOut >> 8), out2 = (uint8_t)(lastOut >> 16);
    for (int j = 0; j < cols; j++) {
        const uint32_t p = pixels[j];
        if (p != lastIn) {
            lastIn = p;
            const uint32_t levels = Interpolate<RealNodes>(kernel, p);
            out0 = kernel.output[0][levels & 0xFF];
            out1 = kernel.output[1][(levels >> 8) & 0xFF];
            out2 = kernel.output[2][(levels >> 16) & 0xFF];
        }
        plane0[j] = out0;
        plane1[j] = out1;
        plane2[j] = out2;
    }
    m_nCacheIn = lastIn;
    m_nCacheOut = PackRGB(out0, out1, out2);
}

#ifdef QEL_COLOUR_SSE2
namespace {

const int kPiece = 64;

// The lanes of a where mask is set, else those of b.
inline __m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_xor_si128(b, _mm_and_si128(mask, _mm_xor_si128(a, b)));
}

// Where the second pass finds a pixel's corners and weights.
struct PiecePlan {
    alignas(16) uint32_t a[kPiece];
    alignas(16) uint32_t b[kPiece];
    alignas(16) uint32_t c[kPiece];
    alignas(16) float w[kPiece][4];
};

} // namespace

template <bool RealNodes>
void CGridMapper::MapRowInPieces(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                                 uint8_t* plane2)
{
    const Kernel kernel = MakeKernel();
    const __m128i stepX = _mm_set1_epi32((int)m_nStep[0]), stepY = _mm_set1_epi32((int)m_nStep[1]);
    const __m128i stepZ = _mm_set1_epi32((int)m_nStep[2]), all = _mm_set1_epi32((int)m_nToD);
    const __m128 one = _mm_set1_ps(1.0f);
    // Four levels' cells along one axis: their offsets and their fractions.
    auto cells = [](const LevelCell* axis, uint32_t l0, uint32_t l1, uint32_t l2, uint32_t l3, __m128i* offsets,
                    __m128* fractions) {
        auto cell = [axis](uint32_t level) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(axis + level)); };
        const __m128 low = _mm_castsi128_ps(_mm_unpacklo_epi64(cell(l0), cell(l1)));
        const __m128 high = _mm_castsi128_ps(_mm_unpacklo_epi64(cell(l2), cell(l3)));
        *offsets = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
        *fractions = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    };

    PiecePlan plan;
    uint32_t lastIn = m_nCacheIn, lastOut = m_nCacheOut;
    uint8_t out0 = (uint8_t)lastOut, out1 = (uint8_t)(lastOut >> 8), out2 = (uint8_t)(lastOut >> 16);
    for (int start = 0; start < cols; start += kPiece) {
        const int count = cols - start < kPiece ? cols - start : kPiece;
        // A last piece that is not whole fours is padded with its last pixel.
        const uint32_t* piece = pixels + start;
        uint32_t padded[kPiece];
        if (count & 3) {
            for (int j = 0; j < count; j++)
                padded[j] = piece[j];
            for (int j = count; j < ((count + 3) & ~3); j++)
                padded[j] = piece[count - 1];
            piece = padded;
        }

        for (int j = 0; j < count; j += 4) {
            const uint32_t p0 = piece[j], p1 = piece[j + 1], p2 = piece[j + 2], p3 = piece[j + 3];
            __m128i ox, oy, oz;
            __m128 fx, fy, fz;
            cells(m_Cell[0], PackedR(p0), PackedR(p1), PackedR(p2), PackedR(p3), &ox, &fx);
            cells(m_Cell[1], PackedG(p0), PackedG(p1), PackedG(p2), PackedG(p3), &oy, &fy);
            cells(m_Cell[2], PackedB(p0), PackedB(p1), PackedB(p2), PackedB(p3), &oz, &fz);
            const __m128i a = _mm_add_epi32(_mm_add_epi32(ox, oy), oz);
            _mm_store_si128(reinterpret_cast<__m128i*>(plan.a + j), a);

            // The walk's axes p (largest fraction) and r (smallest), as the
            // tests c1 = fx >= fy, c2 = fy >= fz, c3 = fx >= fz choose them:
            // p is x or y (by c1) when c2 or c3 holds, else z; r is z or y
            // (by c2) when c1 holds, else z or x (by c3).
            const __m128i c1 = _mm_castps_si128(_mm_cmpge_ps(fx, fy));
            const __m128i c2 = _mm_castps_si128(_mm_cmpge_ps(fy, fz));
            const __m128i c3 = _mm_castps_si128(_mm_cmpge_ps(fx, fz));
            const __m128i toB = Select(_mm_or_si128(c2, c3), Select(c1, stepX, stepY), stepZ);
            const __m128i toR = Select(c1, Select(c2, stepZ, stepY), Select(c3, stepZ, stepX));
            _mm_store_si128(reinterpret_cast<__m128i*>(plan.b + j), _mm_add_epi32(a, toB));
            _mm_store_si128(reinterpret_cast<__m128i*>(plan.c + j), _mm_add_epi32(a, _mm_sub_epi32(all, toR)));

            // Without NaN the walk's fractions are the sorted fractions.
            const __m128 top = _mm_max_ps(fx, fy), bottom = _mm_min_ps(fx, fy);
            const __m128 fp = _mm_max_ps(top, fz), fr = _mm_min_ps(bottom, fz);
            const __m128 fq = _mm_max_ps(bottom, _mm_min_ps(top, fz));
            // Stored pixel by pixel: (wA, wB, wC, wD) of each in one vector.
            __m128 wA = _mm_sub_ps(one, fp), wB = _mm_sub_ps(fp, fq), wC = _mm_sub_ps(fq, fr), wD = fr;
            _MM_TRANSPOSE4_PS(wA, wB, wC, wD);
            _mm_store_ps(plan.w[j], wA);
            _mm_store_ps(plan.w[j + 1], wB);
            _mm_store_ps(plan.w[j + 2], wC);
            _mm_store_ps(plan.w[j + 3], wD);
        }

        for (int j = 0; j < count; j++) {
            const uint32_t p = piece[j];
            if (p != lastIn) {
                lastIn = p;
                const uint32_t a = plan.a[j];
                const __m128 w = _mm_load_ps(plan.w[j]);
                const __m128i levels = BlendLevels<RealNodes>(
                    kernel.nodes, kernel.grid, a, plan.b[j], plan.c[j], a + kernel.toD,
                    _mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0)), _mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)),
                    _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2)), _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3)));
                out0 = kernel.output[0][_mm_extract_epi16(levels, 0)];
                out1 = kernel.output[1][_mm_extract_epi16(levels, 2)];
                out2 = kernel.output[2][_mm_extract_epi16(levels, 4)];
            }
            plane0[start + j] = out0;
            plane1[start + j] = out1;
            plane2[start + j] = out2;
        }
    }
    m_nCacheIn = lastIn;
    m_nCacheOut = PackRGB(out0, out1, out2);
}
#endif

void CGridMapper::MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2)
{
#ifdef QEL_COLOUR_AVX2
    if (m_pBlocks) {
        MapGridRowAvx2(m_Tables, pixels, cols, plane0, plane1, plane2);
        return;
    }
#endif
#ifdef QEL_COLOUR_SSE2
    if (!m_bNanFraction) {
        if (m_pNodes)
            MapRowInPieces<true>(pixels, cols, plane0, plane1, plane2);
        else
            MapRowInPieces<false>(pixels, cols, plane0, plane1, plane2);
        return;
    }
#endif
    // A NaN fraction must spread through the weights its walk gives it, so
    // those pixels (and every pixel without vectors) take the walk pixel by
    // pixel.
    if (m_pNodes)
        MapRowWith<true>(pixels, cols, plane0, plane1, plane2);
    else
        MapRowWith<false>(pixels, cols, plane0, plane1, plane2);
}
