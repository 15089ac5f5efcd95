// CTableCal: the curve calculator behind the adjustments and the resin level
// maps: ramps, gamma curves with a toe for strong gammas, shift tables and the
// byte gamma curve.
#pragma once

#include <cstdint>

// powf as the engine computes it everywhere: the C runtimes' own powf differ
// in the last place, the double pow rounded once does not.
float EnginePowF(float x, float y);

class CTableCal {
public:
    CTableCal();
    virtual ~CTableCal() = default;

    // entry i = clamp(i * slope + offset); with the gamma form the gamma curve
    // takes the place of i.
    bool Ramp(float* table, float slope, float offset, bool gammaForm, float gamma);
    bool GammaCurve(float* table, float gamma);
    bool ShiftTable(uint8_t* table, int8_t shift);
    bool ByteGammaCurve(uint8_t* table, float gamma);

    uint32_t GetError() const { return m_dwError; }

    enum { TOE_LENGTH = 32, TABLE_LENGTH = 256 };

private:
    bool CheckTarget(const void* table);
    static bool NeedsToe(float gamma);

    float m_fToe[TOE_LENGTH];
    uint16_t m_wToeLength;
    uint16_t m_wTableLength;
    float m_fMaximum;
    uint32_t m_dwError;
};
