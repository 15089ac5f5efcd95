// CGridMapper: maps packed pixels through the LUT's 3-D grid by tetrahedral
// interpolation, for one conversion.
#pragma once

#include "ColorLUT.h"

#include <cstdint>

class CGridMapper {
public:
    // working: the input curves R, G, B; output: the call's tables of planes
    // 0, 1 and 2. The LUT must have a usable grid.
    CGridMapper(const CColorLUT& lut, const float (*working)[256], const uint8_t (*output)[256]);

    void MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2);

    // The three plane bytes of one pixel, packed like the pixel.
    uint32_t MapPixel(uint32_t rgb) const;

private:
    // Per input level: the node's byte offset along the axis and the
    // fraction of the cell, worked out once per conversion.
    uint32_t m_nOffset[3][256];
    float m_fFraction[3][256];
    uint32_t m_nStep[3];
    const uint8_t* m_pGrid;
    uint8_t m_byOutput[3][256];
    // Runs of equal pixels cost one comparison: the last input and its output.
    uint32_t m_nCacheIn;
    uint32_t m_nCacheOut;
};
