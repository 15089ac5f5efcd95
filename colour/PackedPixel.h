// The engine's working pixel inside one conversion: R, G and B packed into
// one word (R in the low byte, the top byte 0), so that equal pixels compare
// in one step whatever the caller's format.
#pragma once

#include "PixelFormat.h"

#include <cstdint>

inline uint32_t PackRGB(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}

inline unsigned PackedR(uint32_t p) { return p & 0xFF; }
inline unsigned PackedG(uint32_t p) { return (p >> 8) & 0xFF; }
inline unsigned PackedB(uint32_t p) { return p >> 16; }

// Packs one row of an image in any format.
void PackRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out);
