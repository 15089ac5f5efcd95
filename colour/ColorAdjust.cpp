#include "ColorAdjust.h"

CColorAdjust::CColorAdjust()
    : m_fGamma{1.0f, 1.0f, 1.0f}, m_cBrightness{}, m_cContrast{}, m_cColorCorrect{}, m_bGammaForm(0), m_dwError(0)
{
    for (int c = 0; c < 3; c++) {
        for (int i = 0; i < 256; i++) {
            m_fCurves[c][i] = (float)i;
            m_byShift[c][i] = (uint8_t)i;
        }
    }
}

void CColorAdjust::SetBrightness(int8_t r, int8_t g, int8_t b)
{
    m_cBrightness[0] = r, m_cBrightness[1] = g, m_cBrightness[2] = b;
}

void CColorAdjust::SetContrast(int8_t r, int8_t g, int8_t b)
{
    m_cContrast[0] = r, m_cContrast[1] = g, m_cContrast[2] = b;
}

void CColorAdjust::SetColorCorrect(int8_t c0, int8_t c1, int8_t c2)
{
    m_cColorCorrect[0] = c0, m_cColorCorrect[1] = c1, m_cColorCorrect[2] = c2;
}

void CColorAdjust::SetGamma(float r, float g, float b)
{
    m_fGamma[0] = r, m_fGamma[1] = g, m_fGamma[2] = b;
    m_bGammaForm = 1;
}

bool CColorAdjust::Build()
{
    for (int c = 0; c < 3; c++) {
        // Contrast -128..127 gives slopes 0.5 .. 1.49609375.
        const float slope = (float)m_cContrast[c] * 0.00390625f + 1.0f;
        if (!m_TableCal.Ramp(m_fCurves[c], slope, (float)m_cBrightness[c], m_bGammaForm != 0, m_fGamma[c])) {
            m_dwError = m_TableCal.GetError();
            return false;
        }
    }
    for (int k = 0; k < 3; k++) {
        if (!m_TableCal.ShiftTable(m_byShift[k], m_cColorCorrect[k])) {
            m_dwError = m_TableCal.GetError();
            return false;
        }
    }
    return true;
}
