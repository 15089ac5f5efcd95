// CGridMapper: maps packed pixels through the LUT's 3-D grid by tetrahedral
// interpolation, for one conversion.
#pragma once

#include "Avx2Kernels.h"
#include "ColorLUT.h"

#include <cstdint>

class CGridMapper {
public:
    // working: the input curves R, G, B; output: the call's tables of planes
    // 0, 1 and 2. The LUT must have a usable grid.
    CGridMapper(const CColorLUT& lut, const float (*working)[256], const uint8_t (*output)[256]);
    ~CGridMapper();
    CGridMapper(const CGridMapper&) = delete;
    CGridMapper& operator=(const CGridMapper&) = delete;

    void MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2);

    // The three plane bytes of one pixel, packed like the pixel.
    uint32_t MapPixel(uint32_t rgb) const;

    // Grids up to this size get their nodes as reals for the call (at most
    // 33^3 x 16 bytes), or with AVX2 the corners of each cell together (at
    // most 32^3 x 32 bytes); larger ones are read as bytes.
    enum { MAX_REAL_GRID = 33, MAX_BLOCK_GRID = 33 };

private:
    // Per input level along one axis: the cell's first node along the axis
    // (as an offset into the nodes) and the fraction of the cell, worked out
    // once per conversion.
    struct LevelCell {
        uint32_t offset;
        float fraction;
    };
    // The corner blocks of the AVX2 kernel and its tables.
    void BuildBlocks(uint32_t n, uint32_t channels, const uint8_t (*cellAt)[256]);
    // One of the six tetrahedra: the walk from corner A along axis p, then
    // q, then r, with the steps to corners B and C.
    struct Walk {
        uint32_t toB, toC;
        uint8_t p, q, r;
    };

    // What one pixel reads, gathered so that a row's loop keeps it in
    // registers (its byte stores could alias the object's members).
    struct Kernel {
        const LevelCell (*cell)[256];
        const Walk* walk;
        const uint8_t* grid;
        const float* nodes;
        const uint8_t (*output)[256];
        uint32_t toD;
    };
    Kernel MakeKernel() const { return {m_Cell, m_Walk, m_pGrid, m_pNodes, m_byOutput, m_nToD}; }

    // The three interpolated levels of a pixel (before the output tables),
    // packed like the pixel.
    template <bool RealNodes>
    static uint32_t Interpolate(const Kernel& k, uint32_t rgb);
    template <bool RealNodes>
    void MapRowWith(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2);
#if defined(__SSE2__) && !defined(QEL_COLOUR_SCALAR)
    // The same as MapRowWith when no fraction is NaN, in two passes over
    // pieces of the row: the cells, tetrahedra and weights of four pixels at
    // a time (the walk's fractions are then the sorted fractions), then the
    // interpolation pixel by pixel.
    template <bool RealNodes>
    void MapRowInPieces(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2);
#endif

    LevelCell m_Cell[3][256];
    Walk m_Walk[8];
    // The node steps along x, y and z.
    uint32_t m_nStep[3];
    uint32_t m_nToD;
    const uint8_t* m_pGrid;
    // The grid's nodes as four reals each, or null.
    float* m_pNodes;
    // Some level has a NaN fraction (only a LUT with curves of NaN or
    // infinities gives one).
    bool m_bNanFraction;
    uint8_t m_byOutput[3][256];
    // The grid as the AVX2 kernel reads it (when m_pBlocks is set).
    uint32_t* m_pBlocks;
    GridTables m_Tables;
    // Runs of equal pixels cost one comparison: the last input and its output.
    uint32_t m_nCacheIn;
    uint32_t m_nCacheOut;
};
