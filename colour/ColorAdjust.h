// CColorAdjust: the user's brightness, contrast, gamma and colour-correct
// values, turned into a real curve per input channel and a shift table per
// output channel.
#pragma once

#include "TableCal.h"

#include <cstdint>

class CColorAdjust {
public:
    CColorAdjust();
    virtual ~CColorAdjust() = default;

    void SetBrightness(int8_t r, int8_t g, int8_t b);
    void SetContrast(int8_t r, int8_t g, int8_t b);
    void SetColorCorrect(int8_t c0, int8_t c1, int8_t c2);
    // Switches the gamma form on for the rest of the object's life.
    void SetGamma(float r, float g, float b);

    // Curves R, G, B, then shift tables 0, 1, 2; stops at the first failure.
    bool Build();

    const float* Curve(int channel) const { return m_fCurves[channel]; }
    const uint8_t* ShiftTable(int channel) const { return m_byShift[channel]; }
    uint32_t GetError() const { return m_dwError; }

private:
    float m_fCurves[3][256];
    uint8_t m_byShift[3][256];
    float m_fGamma[3];
    int8_t m_cBrightness[3];
    int8_t m_cContrast[3];
    int8_t m_cColorCorrect[3];
    uint8_t m_bGammaForm;
    uint32_t m_dwError;
    CTableCal m_TableCal;
};
