#include "ZbResize.h"

#include "ColorError.h"
#include "GreyLevel.h"
#include "NewArray.h"

namespace {

// Destination index i takes source index trunc((i + 1) * ratio + 0.5) - 1, so
// a halving takes 1, 3, 5, ... and a doubling 0, 0, 1, 1, ...
size_t NearestIndex(int i, double ratio, int sourceCount)
{
    const double position = (double)(i + 1) * ratio + 0.5;
    long long index = (long long)position - 1;
    if (index > sourceCount - 1)
        index = sourceCount - 1;
    if (index < 0)
        index = 0;
    return (size_t)index;
}

} // namespace

std::unique_ptr<size_t[]> ZbResize::BuildMaps(const ImageRef& src, int dstRows, int dstCols, size_t bytesPerPixel)
{
    std::unique_ptr<size_t[]> maps = NewArray<size_t>((size_t)dstCols + (size_t)dstRows);
    if (!maps) {
        m_dwError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    const double colRatio = (double)src.cols / (double)dstCols;
    const double rowRatio = (double)src.rows / (double)dstRows;
    for (int j = 0; j < dstCols; j++)
        maps[j] = NearestIndex(j, colRatio, src.cols) * bytesPerPixel;
    for (int i = 0; i < dstRows; i++)
        maps[dstCols + i] = NearestIndex(i, rowRatio, src.rows) * (size_t)src.stride;
    return maps;
}

template <class Copy>
bool ZbResize::Resample(const ImageRef& src, size_t srcStep, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                        size_t dstStep, Copy copy)
{
    const std::unique_ptr<size_t[]> maps = BuildMaps(src, dstRows, dstCols, srcStep);
    if (!maps)
        return false;
    const size_t* rowMap = maps.get() + dstCols;
    for (int i = 0; i < dstRows; i++) {
        const uint8_t* srcRow = src.data + rowMap[i];
        uint8_t* d = dst + (size_t)i * (size_t)dstStride;
        for (int j = 0; j < dstCols; j++, d += dstStep)
            copy(srcRow + maps[j], d);
    }
    return true;
}

bool ZbResize::ResizeColor(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                           uint32_t dstFormat)
{
    const PixelLayout in = DecodePixelFormat(src.format, (size_t)src.rows * (size_t)src.cols);
    const PixelLayout out = DecodePixelFormat(dstFormat, (size_t)dstRows * (size_t)dstCols);
    return Resample(src, in.bytesPerPixel, dst, dstRows, dstCols, dstStride, out.bytesPerPixel,
                    [&](const uint8_t* s, uint8_t* d) {
                        d[out.offR] = s[in.offR];
                        d[out.offG] = s[in.offG];
                        d[out.offB] = s[in.offB];
                    });
}

bool ZbResize::ResizeGrey(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride)
{
    return Resample(src, 1, dst, dstRows, dstCols, dstStride, 1, [](const uint8_t* s, uint8_t* d) { *d = *s; });
}

bool ZbResize::ResizeGreyFromColor(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride)
{
    const PixelLayout in = DecodePixelFormat(src.format, (size_t)src.rows * (size_t)src.cols);
    return Resample(src, in.bytesPerPixel, dst, dstRows, dstCols, dstStride, 1, [&](const uint8_t* s, uint8_t* d) {
        *d = GreyLevel(s[in.offR], s[in.offG], s[in.offB]);
    });
}
