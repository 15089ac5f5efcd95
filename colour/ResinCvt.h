// CResinCvt: makes the one-byte-per-pixel image of the resin (black) panel
// from any image: grey, level map, optional error diffusion, thinning filter.
#pragma once

#include "PixelFormat.h"

#include <cstdint>

class CResinCvt {
public:
    CResinCvt();
    virtual ~CResinCvt() = default;

    // Builds the level map; threshold and invert are the low bytes given.
    bool SetModelMediaMode(int model, int mediaMode, uint8_t threshold, uint8_t invert);

    bool Convert(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat);

    int Model() const { return m_nModel; }
    bool Inverted() const { return m_bInvert != 0; }
    bool Diffusion() const { return m_bDiffusion != 0; }
    const uint8_t* LevelMap() const { return m_byLevelMap; }
    uint32_t GetError() const { return m_dwError; }

private:
    bool Fail(uint32_t code);
    // Rows of scratch the model's filter needs: 0 (none), 3 (A) or 4 (B).
    int FilterRows() const;

    int32_t m_nModel;
    uint8_t m_bInvert;
    uint8_t m_bDiffusion;
    uint8_t m_byLevelMap[256];
    uint32_t m_dwError;
};
