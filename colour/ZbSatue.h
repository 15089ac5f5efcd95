// ZbSatue: changes the saturation of every pixel while keeping its lightness
// (max + min) and hue (the middle's relative place).
#pragma once

#include "PixelFormat.h"

#include <cstdint>

class ZbSatue {
public:
    ZbSatue();
    virtual ~ZbSatue() = default;

    // Rebuilds the curve for a value of -128..127 unless it was built for it.
    void SetCurve(int8_t value);

    // Saturates one row of an image into packed pixels.
    void SaturateRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const;
    // One pixel, in place: v[0] = R, v[1] = G, v[2] = B.
    void SaturatePixel(unsigned v[3]) const;

    int8_t Value() const { return m_cValue; }
    const float* Curve() const { return m_fCurve; }
    uint32_t GetError() const { return m_dwError; }

private:
    int32_t m_nSpread[256];
    float m_fCurve[256];
    float m_fReciprocal[511];
    uint32_t m_dwError;
    int8_t m_cValue;
};
