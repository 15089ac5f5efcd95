// The AVX2 row kernels of the engine, chosen at run time (SimdLevel.h). Each
// does what the baseline code beside its caller does, with the same
// operations in the same order in every lane, so the bytes are the same.
//
// Their sources are compiled for AVX2 and include nothing but this header,
// the C library and the intrinsics: an inline function of another header
// compiled there could be the copy the linker keeps for the whole program,
// and would then run on processors without AVX2.
#pragma once

#include <cstddef>
#include <cstdint>

// Packs pixels of 3 or 4 bytes (R, G, B at the given offsets) into words, R
// in the low byte; returns how many it packed, a multiple of 8 that reads
// no byte beyond the row.
int PackRowAvx2(const uint8_t* row, size_t bytesPerPixel, size_t offR, size_t offG, size_t offB, int cols,
                uint32_t* out);

// Saturates packed pixels in place (ZbSatue.h) with the new maximum and
// minimum of every (max, min) pair, two doubles at max (max + 1) / 2 + min;
// returns how many, a multiple of 8.
int SaturatePackedAvx2(uint32_t* pixels, int count, const double* maxMin);

// The grey level (GreyLevel.h) of packed pixels as bytes, and as the sharpen
// luminance at target[1..]; each returns how many, a multiple of 16.
int GreyRowAvx2(const uint32_t* packed, uint8_t* grey, int count);
int LuminanceRowAvx2(const uint32_t* packed, int16_t* target, int count);

// The sharpened packed pixels of a row with the luminance window (prev, cur,
// next); k = strength x 0.0625. Returns how many, a multiple of 16.
int SharpenRowAvx2(const uint32_t* packed, uint32_t* out, int count, const int16_t* prev, const int16_t* cur,
                   const int16_t* next, float k, int threshold, int maxChange);

// What the grid interpolation of a conversion reads: the eight corners of
// every cell of the grid together, so that one load brings all a pixel may
// need, and per input level and axis where its cell lies and how far in.
struct GridCell {
    // The cell's place along the axis, as an offset into the blocks.
    uint32_t offset;
    float fraction;
};
struct GridTables {
    GridCell cell[3][256];
    // Eight words a cell: corner dx + 2 dy + 4 dz holds the node's levels of
    // planes 0, 1 and 2 in its low three bytes.
    const uint32_t* blocks;
    const uint8_t (*output)[256];
};

// Maps a whole row of packed pixels through the grid (no fraction may be
// NaN) into the three planes.
void MapGridRowAvx2(const GridTables& tables, const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                    uint8_t* plane2);

// The direct path (DirectMapper.h): plane 0 from B, 1 from G, 2 from R
// through the channels' tables (R, G, B); returns how many pixels it mapped,
// a multiple of 32.
int MapDirectRowAvx2(const uint8_t (*table)[256], const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1,
                     uint8_t* plane2);

// Filter A of the resin image (ResinFilter.h) on one row of cols columns
// from column 1 on: C the row's input, U1 and U2 the inputs of the two rows
// above. Returns the first column it left to the caller (at most cols - 1).
int ResinFilterARowAvx2(uint8_t* out, const uint8_t* C, const uint8_t* U1, const uint8_t* U2, int cols);
