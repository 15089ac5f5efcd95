#include "ZbSharpen.h"

#include "ColorError.h"
#include "FloatToByte.h"
#include "GreyLevel.h"
#include "PackedPixel.h"

#include <new>

namespace {

inline unsigned ClampToByte(int v)
{
    return v < 0 ? 0u : v > 255 ? 255u : (unsigned)v;
}

} // namespace

CZbSharpen::CZbSharpen()
    : m_pPrev(nullptr), m_pCur(nullptr), m_pNext(nullptr), m_pRowBuffer(nullptr), m_dwBufferWidth(0),
      m_fStrength(0.0f), m_sThreshold(255), m_sMaxChange(0), m_dwError(0)
{
    BuildChangeTable();
}

CZbSharpen::~CZbSharpen()
{
    delete[] m_pRowBuffer;
}

void CZbSharpen::SetParameters(float strength, int16_t threshold, int16_t maxChange)
{
    m_fStrength = strength;
    m_sThreshold = threshold;
    m_sMaxChange = maxChange;
    BuildChangeTable();
}

void CZbSharpen::BuildChangeTable()
{
    const float k = m_fStrength * 0.0625f;
    const int threshold = m_sThreshold, limit = m_sMaxChange;
    for (int e = -EDGE_LIMIT; e <= EDGE_LIMIT; e++) {
        const int v = FloatToInt((float)e * k + 0.5f);
        int change = 0;
        if (v >= threshold)
            change = v - threshold;
        else if (v <= -threshold)
            change = v + threshold;
        if (change > limit)
            change = limit;
        if (change < -limit)
            change = -limit;
        m_nChange[e + EDGE_LIMIT] = (int16_t)change;
    }
}

bool CZbSharpen::Prepare(uint32_t width)
{
    if (width == 0) {
        m_dwError = ERROR_INVALID_DATA;
        return false;
    }
    if (!m_pRowBuffer || m_dwBufferWidth != width) {
        delete[] m_pRowBuffer;
        m_pRowBuffer = nullptr;
        m_dwBufferWidth = 0;
        m_pPrev = m_pCur = m_pNext = nullptr;
        size_t units;
        if (MulSize((size_t)width + 2, 3, &units) && units <= SIZE_MAX / sizeof(int16_t))
            m_pRowBuffer = new (std::nothrow) int16_t[units]();
        if (!m_pRowBuffer) {
            m_dwError = ERROR_OUTOFMEMORY;
            return false;
        }
        m_dwBufferWidth = width;
    }
    const size_t row = (size_t)width + 2;
    m_pPrev = m_pRowBuffer;
    m_pCur = m_pRowBuffer + row;
    m_pNext = m_pRowBuffer + 2 * row;
    return true;
}

void CZbSharpen::LuminanceRow(const uint32_t* packed, int16_t* target, uint32_t width)
{
    for (uint32_t j = 0; j < width; j++) {
        const uint32_t p = packed[j];
        target[j + 1] = GreyLevel(PackedR(p), PackedG(p), PackedB(p));
    }
    target[0] = target[1];
    target[width + 1] = target[width];
}

void CZbSharpen::FilterRow(const uint32_t* packed, uint32_t* out, uint32_t width, const int16_t* prev,
                           const int16_t* cur, const int16_t* next) const
{
    const int16_t* change = m_nChange + EDGE_LIMIT;
    for (uint32_t j = 0; j < width; j++) {
        const int e = 12 * cur[j + 1] - 2 * (cur[j] + cur[j + 2] + prev[j + 1] + next[j + 1]) -
                      (prev[j] + prev[j + 2] + next[j] + next[j + 2]);
        const int d = change[e];
        const uint32_t p = packed[j];
        out[j] = d == 0 ? p
                        : PackRGB(ClampToByte((int)PackedR(p) + d), ClampToByte((int)PackedG(p) + d),
                                  ClampToByte((int)PackedB(p) + d));
    }
}
