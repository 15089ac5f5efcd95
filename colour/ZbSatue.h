// ZbSatue: changes the saturation of every pixel while keeping its lightness
// (max + min) and hue (the middle's relative place).
#pragma once

#include "FloatToByte.h"
#include "PixelFormat.h"

#include <cstdint>

class ZbSatue {
public:
    ZbSatue();
    virtual ~ZbSatue();
    ZbSatue(const ZbSatue&) = delete;
    ZbSatue& operator=(const ZbSatue&) = delete;

    // Rebuilds the curve for a value of -128..127 unless it was built for it.
    void SetCurve(int8_t value);

    // Saturates one row of an image into packed pixels.
    void SaturateRow(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const;
    // One pixel, packed.
    uint32_t Saturate(unsigned r, unsigned g, unsigned b) const;

    int8_t Value() const { return m_cValue; }
    const float* Curve() const { return m_fCurve; }
    uint32_t GetError() const { return m_dwError; }

private:
    // The new maximum of a pixel with spread d = max - min and lightness
    // o = max + min under the current curve; o / 2 where the curve gives no
    // saturation (a grey of the same lightness).
    double NewMax(int d, int o) const;
    void BuildMaxTable();
    // The row packed and saturated where the baseline vectors serve; returns
    // how many pixels are done.
    int SaturateRowBaseline(const uint8_t* row, const PixelLayout& layout, int cols, uint32_t* out) const;
#if defined(__SSE2__) && !defined(QEL_COLOUR_SCALAR)
    // Four pixels, their channels in 32-bit lanes, saturated and packed.
    __m128i SaturateFour(__m128i r, __m128i g, __m128i b) const;
#endif

    int32_t m_nSpread[256];
    float m_fCurve[256];
    float m_fReciprocal[511];
    uint32_t m_dwError;
    int8_t m_cValue;
    // For every (max, min) pair, min <= max, at max * (max + 1) / 2 + min,
    // worked out when the curve changes so that a pixel needs only its middle
    // computed: the new maximum and minimum as reals (two doubles an entry),
    // and as bytes (maximum in the low byte). Null until a curve other than 0
    // is built, or when the memory was not there (then every pixel computes
    // its own).
    double* m_pMaxMin;
    uint16_t* m_pEnds;
};
