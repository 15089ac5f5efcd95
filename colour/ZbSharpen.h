// CZbSharpen: sharpens one row at a time from the luminance of the row and
// its two neighbours.
#pragma once

#include <cstdint>

class CZbSharpen {
public:
    CZbSharpen();
    virtual ~CZbSharpen();
    CZbSharpen(const CZbSharpen&) = delete;
    CZbSharpen& operator=(const CZbSharpen&) = delete;

    void SetParameters(float strength, int16_t threshold, int16_t maxChange);

    // Makes the three luminance rows for a width, keeping the buffer when it
    // was made for the same width.
    bool Prepare(uint32_t width);

    // A luminance row holds pixel j at index j + 1 and repeats its end values
    // at 0 and width + 1.
    static void LuminanceRow(const uint32_t* packed, int16_t* target, uint32_t width);
    // Writes the sharpened packed pixels of a row whose luminance window is
    // (prev, cur, next).
    void FilterRow(const uint32_t* packed, uint32_t* out, uint32_t width, const int16_t* prev, const int16_t* cur,
                   const int16_t* next) const;

    int16_t* PreviousRow() const { return m_pPrev; }
    int16_t* CurrentRow() const { return m_pCur; }
    int16_t* NextRow() const { return m_pNext; }
    const int16_t* RowBuffer() const { return m_pRowBuffer; }
    uint32_t BufferWidth() const { return m_dwBufferWidth; }
    float Strength() const { return m_fStrength; }
    int16_t Threshold() const { return m_sThreshold; }
    int16_t MaxChange() const { return m_sMaxChange; }
    uint32_t GetError() const { return m_dwError; }

    // Luminances are 0..255, so the edge value of the 3 x 3 kernel stays
    // within 12 x 255 either way.
    enum { EDGE_LIMIT = 12 * 255 };

private:
    void BuildChangeTable();

    int16_t* m_pPrev;
    int16_t* m_pCur;
    int16_t* m_pNext;
    int16_t* m_pRowBuffer;
    uint32_t m_dwBufferWidth;
    float m_fStrength;
    int16_t m_sThreshold;
    int16_t m_sMaxChange;
    uint32_t m_dwError;
    // The change every edge value makes, worked out once per setting, held
    // as four 16-bit lanes (change, change, change, 0): one add moves R, G
    // and B of a pixel and leaves its fourth byte.
    uint64_t m_nChange[2 * EDGE_LIMIT + 1];
};
