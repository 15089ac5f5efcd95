// ZbResize: nearest-neighbour resizing, keeping colour or turning it into
// grey. Made for one operation.
#pragma once

#include "PixelFormat.h"

#include <cstdint>
#include <memory>

class ZbResize {
public:
    ZbResize() : m_dwError(0) {}
    virtual ~ZbResize() = default;

    // Copies R, G, B of the nearest source pixel to the destination pixel's
    // R, G, B offsets; other destination bytes are not written.
    bool ResizeColor(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat);
    // One byte per pixel on both sides.
    bool ResizeGrey(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride);
    // Any source format into one grey byte per pixel.
    bool ResizeGreyFromColor(const ImageRef& src, uint8_t* dst, int dstRows, int dstCols, int dstStride);

    uint32_t GetError() const { return m_dwError; }

private:
    // Both index maps in one allocation: dstCols column offsets in bytes
    // (source column x bytesPerPixel), then dstRows row offsets in bytes.
    std::unique_ptr<size_t[]> BuildMaps(const ImageRef& src, int dstRows, int dstCols, size_t bytesPerPixel);
    // Walks the destination, handing copy the nearest source pixel and the
    // destination pixel of every position.
    template <class Copy>
    bool Resample(const ImageRef& src, size_t srcStep, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                  size_t dstStep, Copy copy);

    uint32_t m_dwError;
};
