// CColorFlow: one colour flow, the object behind a caller's handle. It holds
// the adjustments, the LUT, the sharpen, saturation and resin settings, the
// combined tables of the conversion and the last error.
#pragma once

#include "ColorAdjust.h"
#include "ColorLUT.h"
#include "PixelFormat.h"
#include "ResinCvt.h"
#include "ZbSatue.h"
#include "ZbSharpen.h"

#include <cstdint>

class CColorFlow {
public:
    CColorFlow();
    virtual ~CColorFlow() = default;
    CColorFlow(const CColorFlow&) = delete;
    CColorFlow& operator=(const CColorFlow&) = delete;

    void SetBrightness(int8_t r, int8_t g, int8_t b);
    void SetContrast(int8_t r, int8_t g, int8_t b);
    void SetGamma(float r, float g, float b);
    void SetColorCorrect(int8_t c0, int8_t c1, int8_t c2);
    void SetSharpen(uint8_t level);
    void SetSaturated(int8_t value);
    void SetResinModelMediaMode(int model, int mediaMode, uint8_t threshold, uint8_t invert);

    bool LoadLUT(const char16_t* directory, int index);
    bool LoadLUTFromStream(CZbIO* stream, uint32_t size);

    // Interleaved RGB in, planes out, through the whole pipeline.
    bool ColorConvert(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat);
    bool ConvertRGB2Resin(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                          uint32_t dstFormat);

    uint32_t GetLastError() const { return m_dwLastError; }
    bool TablesValid() const { return m_bTablesValid != 0; }
    const CZbSharpen& Sharpen() const { return m_Sharpen; }
    const uint8_t (*OutputTables() const)[256] { return m_byOutput; }

private:
    bool Fail(uint32_t code);
    bool RebuildTables();

    CColorAdjust m_Adjust;
    CColorLUT m_Lut;
    CZbSharpen m_Sharpen;
    CResinCvt m_Resin;
    ZbSatue m_Satue;
    uint8_t m_bTablesValid;
    uint8_t m_bySharpenLevel;
    int8_t m_cSaturation;
    uint8_t m_byOutput[4][256];
    float m_fWorking[3][256];
    uint32_t m_dwLastError;
};
