#include "TableCal.h"

#include "ColorError.h"
#include "FloatToByte.h"

#include <cmath>

float EnginePowF(float x, float y)
{
    return (float)std::pow((double)x, (double)y);
}

CTableCal::CTableCal()
    : m_wToeLength(TOE_LENGTH), m_wTableLength(TABLE_LENGTH), m_fMaximum(255.0f), m_dwError(0)
{
    // Slope 1.4647 at 0, reaching 1.0 at x = 1: a strong gamma's steep start
    // is replaced by this gentler one.
    for (int i = 0; i < TOE_LENGTH; i++) {
        const float x = (float)i / 32.0f;
        m_fToe[i] = x * 1.4647f - (x * 0.2327f) * x - ((x * 0.232f) * x) * x;
    }
}

bool CTableCal::CheckTarget(const void* table)
{
    if (table)
        return true;
    m_dwError = ERROR_INVALID_ACCESS;
    return false;
}

bool CTableCal::NeedsToe(float gamma)
{
    return gamma > 1.5f || gamma < 0.6667f;
}

bool CTableCal::Ramp(float* table, float slope, float offset, bool gammaForm, float gamma)
{
    if (!CheckTarget(table))
        return false;
    if (gammaForm) {
        GammaCurve(table, gamma);
        for (int i = 0; i < m_wTableLength; i++)
            table[i] = ClampLevel(slope * table[i] + offset, m_fMaximum);
    } else {
        for (int i = 0; i < m_wTableLength; i++)
            table[i] = ClampLevel((float)i * slope + offset, m_fMaximum);
    }
    return true;
}

bool CTableCal::GammaCurve(float* table, float gamma)
{
    if (!CheckTarget(table))
        return false;
    const float exponent = 1.0f / gamma;
    for (int i = 0; i < m_wTableLength; i++)
        table[i] = EnginePowF((float)i / m_fMaximum, exponent) * m_fMaximum;
    if (NeedsToe(gamma)) {
        const float top = table[m_wToeLength];
        for (int j = 0; j < m_wToeLength; j++)
            table[j] = top * m_fToe[j];
    }
    return true;
}

bool CTableCal::ShiftTable(uint8_t* table, int8_t shift)
{
    if (!CheckTarget(table))
        return false;
    for (int j = 0; j < m_wTableLength; j++) {
        const int v = j + shift;
        table[j] = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    return true;
}

bool CTableCal::ByteGammaCurve(uint8_t* table, float gamma)
{
    if (!CheckTarget(table))
        return false;
    const float exponent = 1.0f / gamma;
    for (int i = 0; i < m_wTableLength - 1; i++)
        table[i] = FloatToByte(EnginePowF((float)i / m_fMaximum, exponent) * m_fMaximum + 0.5f);
    table[m_wTableLength - 1] = 255;
    if (NeedsToe(gamma)) {
        const float top = (float)table[m_wToeLength];
        for (int i = 0; i < m_wToeLength; i++)
            table[i] = FloatToByte(m_fToe[i] * top + 0.5f);
    }
    // The ends stay fixed whatever the gamma, so black and white survive.
    table[0] = 0;
    table[m_wTableLength - 1] = 255;
    return true;
}
