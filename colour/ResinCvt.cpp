#include "ResinCvt.h"

#include "ColorError.h"
#include "ErrorDiffusion.h"
#include "NewArray.h"
#include "PackedPixel.h"
#include "ResinFilter.h"
#include "TableCal.h"
#include "ZbResize.h"

#include <cstring>
#include <memory>

namespace {

enum { MEDIA_THRESHOLD = 1, MEDIA_DIFFUSION = 2, MEDIA_LINEAR = 3 };

void IdentityMap(uint8_t* map)
{
    for (int i = 0; i < 256; i++)
        map[i] = (uint8_t)i;
}

void ThresholdMap(uint8_t* map, uint8_t threshold)
{
    for (int i = 0; i < 256; i++)
        map[i] = i < threshold ? 0 : 255;
}

} // namespace

CResinCvt::CResinCvt() : m_nModel(1), m_bInvert(1), m_bDiffusion(0), m_dwError(0)
{
    IdentityMap(m_byLevelMap);
}

bool CResinCvt::Fail(uint32_t code)
{
    m_dwError = code;
    return false;
}

bool CResinCvt::SetModelMediaMode(int model, int mediaMode, uint8_t threshold, uint8_t invert)
{
    m_nModel = model;
    m_bDiffusion = mediaMode == MEDIA_DIFFUSION ? 1 : 0;
    if (!invert) {
        m_bInvert = 0;
        if (mediaMode == MEDIA_THRESHOLD)
            ThresholdMap(m_byLevelMap, threshold);
        else
            IdentityMap(m_byLevelMap);
        return true;
    }

    m_bInvert = 1;
    CTableCal calc;
    if (mediaMode == MEDIA_THRESHOLD)
        ThresholdMap(m_byLevelMap, threshold);
    else if (mediaMode == MEDIA_DIFFUSION && (model == 1 || model == 2))
        calc.ByteGammaCurve(m_byLevelMap, 1.3f);
    else if (mediaMode == MEDIA_DIFFUSION && model == 4)
        calc.ByteGammaCurve(m_byLevelMap, 2.0f);
    else if (mediaMode == MEDIA_LINEAR && model == 1)
        calc.ByteGammaCurve(m_byLevelMap, 1.0f);
    else
        IdentityMap(m_byLevelMap);
    // Dark source levels become high ink levels.
    for (int i = 0; i < 256; i++)
        m_byLevelMap[i] = (uint8_t)(255 - m_byLevelMap[i]);
    return true;
}

int CResinCvt::FilterRows() const
{
    switch (m_nModel) {
    case 0:
    case 3:
        return 0;
    case 2:
        return 4;
    default:
        return 3;
    }
}

bool CResinCvt::Convert(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                        uint32_t dstFormat)
{
    if (!src.data || !dst)
        return Fail(ERROR_INVALID_DATA);
    const ImageRef target = {dst, dstRows, dstCols, dstStride, dstFormat};
    if (const uint32_t error = CheckImagePair(src, target, ERROR_NOT_ENOUGH_MEMORY))
        return Fail(error);
    if (IsEmptyImage(target))
        return true;

    // Every buffer is taken before the first write: a grey destination is
    // itself the work image, and it must not be left half converted.
    const bool greyTarget = dstFormat == COLOR_FMT_GRAY8;
    const size_t rows = (size_t)dstRows, cols = (size_t)dstCols;
    size_t workBytes = 0, filterBytes = 0, diffusionUnits = 0;
    if (!greyTarget && !MulSize(rows, cols, &workBytes))
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (!MulSize(cols, (size_t)FilterRows(), &filterBytes))
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (m_bDiffusion && !DiffusionScratchUnits(cols, &diffusionUnits))
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    const std::unique_ptr<uint8_t[]> workBuffer = NewArray<uint8_t>(workBytes);
    const std::unique_ptr<uint8_t[]> filterBuffer = NewArray<uint8_t>(filterBytes);
    const std::unique_ptr<int16_t[]> diffusionBuffer = NewArray<int16_t>(diffusionUnits);
    // A colour source of the destination's size is packed a row at a time.
    const bool sameSize = src.rows == dstRows && src.cols == dstCols;
    const std::unique_ptr<uint32_t[]> packedRow =
        NewArray<uint32_t>(sameSize && src.format != COLOR_FMT_GRAY8 ? cols : 0);
    if (!workBuffer || !filterBuffer || !diffusionBuffer || !packedRow)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);

    uint8_t* work = greyTarget ? dst : workBuffer.get();
    const int workStride = greyTarget ? dstStride : dstCols;

    if (sameSize) {
        const PixelLayout in = DecodePixelFormat(src.format, (size_t)src.rows * (size_t)src.cols);
        for (int r = 0; r < dstRows; r++) {
            const uint8_t* s = src.data + (size_t)r * (size_t)src.stride;
            uint8_t* w = work + (size_t)r * (size_t)workStride;
            if (src.format == COLOR_FMT_GRAY8) {
                // Only the pixels of each row: the caller's padding is not ours.
                std::memmove(w, s, cols);
                continue;
            }
            PackRow(s, in, dstCols, packedRow.get());
            GreyRow(packedRow.get(), w, dstCols);
        }
    } else {
        ZbResize resize;
        const bool resized = src.format == COLOR_FMT_GRAY8
                                 ? resize.ResizeGrey(src, work, dstRows, dstCols, workStride)
                                 : resize.ResizeGreyFromColor(src, work, dstRows, dstCols, workStride);
        if (!resized)
            return Fail(resize.GetError());
    }

    for (int r = 0; r < dstRows; r++) {
        uint8_t* w = work + (size_t)r * (size_t)workStride;
        for (int c = 0; c < dstCols; c++)
            w[c] = m_byLevelMap[w[c]];
    }
    if (m_bDiffusion)
        DiffuseErrors(work, dstRows, dstCols, workStride, diffusionBuffer.get());
    if (FilterRows() == 3)
        ResinFilterA(work, dstRows, dstCols, workStride, filterBuffer.get());
    else if (FilterRows() == 4)
        ResinFilterB(work, dstRows, dstCols, workStride, filterBuffer.get());

    if (!greyTarget) {
        const PixelLayout out = DecodePixelFormat(dstFormat, rows * cols);
        for (int r = 0; r < dstRows; r++) {
            const uint8_t* w = work + (size_t)r * (size_t)workStride;
            uint8_t* d = dst + (size_t)r * (size_t)dstStride;
            for (int c = 0; c < dstCols; c++, d += out.bytesPerPixel)
                d[out.offR] = d[out.offG] = d[out.offB] = w[c];
        }
    }
    return true;
}
