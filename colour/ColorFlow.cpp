#include "ColorFlow.h"

#include "ColorError.h"
#include "ColorPipeline.h"
#include "FloatToByte.h"
#include "NewArray.h"
#include "TableInterpolation.h"
#include "ZbResize.h"

#include <climits>
#include <cstring>
#include <memory>

CColorFlow::CColorFlow()
    : m_bTablesValid(0), m_bySharpenLevel(0), m_cSaturation(0), m_byOutput{}, m_fWorking{}, m_dwLastError(0)
{
}

bool CColorFlow::Fail(uint32_t code)
{
    m_dwLastError = code;
    return false;
}

void CColorFlow::SetBrightness(int8_t r, int8_t g, int8_t b)
{
    m_Adjust.SetBrightness(r, g, b);
    m_bTablesValid = 0;
}

void CColorFlow::SetContrast(int8_t r, int8_t g, int8_t b)
{
    m_Adjust.SetContrast(r, g, b);
    m_bTablesValid = 0;
}

void CColorFlow::SetGamma(float r, float g, float b)
{
    m_Adjust.SetGamma(r, g, b);
    m_bTablesValid = 0;
}

void CColorFlow::SetColorCorrect(int8_t c0, int8_t c1, int8_t c2)
{
    m_Adjust.SetColorCorrect(c0, c1, c2);
    m_bTablesValid = 0;
}

void CColorFlow::SetSharpen(uint8_t level)
{
    const float share = (float)level / 255.0f;
    m_Sharpen.SetParameters(share * 5.0f, 3, (int16_t)FloatToInt(share * 32.0f + 32.0f));
    m_bySharpenLevel = level;
}

void CColorFlow::SetSaturated(int8_t value)
{
    m_Satue.SetCurve(value);
    m_cSaturation = value;
}

void CColorFlow::SetResinModelMediaMode(int model, int mediaMode, uint8_t threshold, uint8_t invert)
{
    m_Resin.SetModelMediaMode(model, mediaMode, threshold, invert);
}

bool CColorFlow::LoadLUT(const char16_t* directory, int index)
{
    m_bTablesValid = 0;
    if (!m_Lut.LoadByIndex(directory, index))
        return Fail(m_Lut.GetError());
    return true;
}

bool CColorFlow::LoadLUTFromStream(CZbIO* stream, uint32_t size)
{
    m_bTablesValid = 0;
    if (!m_Lut.LoadFromStream(stream, size))
        return Fail(m_Lut.GetError());
    return true;
}

bool CColorFlow::RebuildTables()
{
    if (!m_Adjust.Build())
        return Fail(m_Adjust.GetError());
    for (int i = 0; i < 3; i++)
        std::memcpy(m_fWorking[i], m_Adjust.Curve(i), sizeof m_fWorking[i]);

    if (const float* lutCurves = m_Lut.Curves()) {
        for (int i = 0; i < 3; i++) {
            const float* curve = lutCurves + 256 * i;
            for (int j = 0; j < 256; j++)
                m_fWorking[i][j] = InterpolateTable(curve, m_fWorking[i][j]);
        }
    }

    if (const float* channelTables = m_Lut.ChannelTables()) {
        for (int k = 0; k < 3; k++) {
            const uint8_t* shift = m_Adjust.ShiftTable(k);
            for (int j = 0; j < 256; j++)
                m_byOutput[k][j] = FloatToByte(InterpolateTable(shift, channelTables[256 * k + j]));
        }
        if (m_Lut.Channels() == 4) {
            for (int j = 0; j < 256; j++)
                m_byOutput[3][j] = FloatToByte(channelTables[3 * 256 + j]);
        }
    } else {
        for (int k = 0; k < 3; k++)
            std::memcpy(m_byOutput[k], m_Adjust.ShiftTable(k), 256);
        for (int j = 0; j < 256; j++)
            m_byOutput[3][j] = (uint8_t)j;
    }
    m_bTablesValid = 1;
    return true;
}

bool CColorFlow::ColorConvert(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                              uint32_t dstFormat)
{
    // Every check comes before the first write: a failed call leaves the
    // destination as it was.
    if (!src.data || !dst)
        return Fail(ERROR_INVALID_DATA);
    if ((src.format & COLOR_FMT_PLANE_BITS) != 0 || (dstFormat & COLOR_FMT_PLANE_BITS) != COLOR_FMT_PLANE_BITS)
        return Fail(ERROR_INVALID_DATA);
    const ImageRef target = {dst, dstRows, dstCols, dstStride, dstFormat};
    if (const uint32_t error = CheckImagePair(src, target, ERROR_OUTOFMEMORY))
        return Fail(error);
    // Also the failure without a LUT; checked before the tables are rebuilt,
    // so no channel table beyond the LUT's channels is ever read.
    const PixelLayout dstLayout = DecodePixelFormat(dstFormat, (size_t)dstRows * (size_t)dstCols);
    if (dstLayout.channels != m_Lut.Channels())
        return Fail(ERROR_INVALID_DATA);

    ImageRef image = src;
    std::unique_ptr<uint8_t[]> resized;
    if (src.rows != dstRows || src.cols != dstCols) {
        // The resized image is BGR24 with a stride of three bytes a column.
        size_t bytes;
        if (dstCols <= INT_MAX / 3 && MulSize((size_t)dstRows, (size_t)dstCols, &bytes) && MulSize(bytes, 3, &bytes))
            resized = NewArray<uint8_t>(bytes);
        if (!resized)
            return Fail(ERROR_OUTOFMEMORY);
        image = {resized.get(), dstRows, dstCols, dstCols * 3, COLOR_FMT_BGR24};
        ZbResize resize;
        if (!resize.ResizeColor(src, resized.get(), dstRows, dstCols, image.stride, COLOR_FMT_BGR24))
            return Fail(resize.GetError());
    }

    if (!m_bTablesValid && !RebuildTables())
        return false;

    PipelineSetup setup;
    setup.lut = &m_Lut;
    setup.working = m_fWorking;
    setup.output = m_byOutput;
    setup.satue = m_cSaturation != 0 ? &m_Satue : nullptr;
    setup.sharpen = m_bySharpenLevel != 0 ? &m_Sharpen : nullptr;
    const uint32_t error = RunColorPipeline(setup, image, dst, dstStride, dstLayout);
    if (error)
        return Fail(error);
    return true;
}

bool CColorFlow::ConvertRGB2Resin(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                                  uint32_t dstFormat)
{
    if (!m_Resin.Convert(src, dst, dstRows, dstCols, dstStride, dstFormat))
        return Fail(m_Resin.GetError());
    return true;
}
