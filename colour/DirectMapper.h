// CDirectMapper: maps packed pixels for a LUT without a grid, through the
// complement of the input curves, for one conversion.
#pragma once

#include <cstdint>

class CDirectMapper {
public:
    // working: the input curves R, G, B; output: the call's tables of planes
    // 0, 1 and 2.
    CDirectMapper(const float (*working)[256], const uint8_t (*output)[256]);

    // Plane 0 comes from B, plane 1 from G, plane 2 from R.
    void MapRow(const uint32_t* pixels, int cols, uint8_t* plane0, uint8_t* plane1, uint8_t* plane2) const;

private:
    // Per input channel R, G, B: level -> plane byte.
    uint8_t m_byTable[3][256];
};
