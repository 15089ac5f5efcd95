// Pixel format codes of the colour engine and the addressing of an image in
// any of them.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    COLOR_FMT_BGR24 = 0,
    COLOR_FMT_RGB24 = 1,
    COLOR_FMT_BGRX32 = 0x80,
    COLOR_FMT_RGBX32 = 0x81,
    COLOR_FMT_XBGR32 = 0x82,
    COLOR_FMT_XRGB32 = 0x83,
    COLOR_FMT_GRAY8 = 0xA000,
    COLOR_FMT_PLANAR3 = 0xC000,
    COLOR_FMT_PLANAR4 = 0xC080,
};

// Format bits: bit 15 makes one byte per pixel, bit 14 with it a planar
// layout, bit 7 a four-byte pixel.
const uint32_t COLOR_FMT_ONE_BYTE = 0x8000;
const uint32_t COLOR_FMT_PLANE_BITS = 0xC000;
const uint32_t COLOR_FMT_FOUR_BYTES = 0x80;

// Where R, G and B of a pixel lie. The offsets of a planar format include the
// plane size, so they belong to one image size.
struct PixelLayout {
    uint32_t bytesPerPixel;
    uint32_t channels;
    size_t offR, offG, offB;
};

// planeSize is rows x columns of the image the format describes; only the
// planar formats use it.
PixelLayout DecodePixelFormat(uint32_t format, size_t planeSize);

bool IsPlanarFormat(uint32_t format);

// An image as the caller passes it: sizes and stride are signed because the
// interface takes them so, and every one of them is checked before use.
struct ImageRef {
    const uint8_t* data;
    int rows;
    int cols;
    int stride;
    uint32_t format;
};

enum ImageCheck { IMAGE_OK, IMAGE_INVALID, IMAGE_TOO_LARGE };

// Checks one image argument: sizes and stride not negative, an interleaved
// stride that holds a row, a planar stride equal to the width, and bit 15 only
// on the one-byte formats this engine knows. IMAGE_TOO_LARGE means the buffer
// the arguments describe is beyond the address space.
ImageCheck CheckImage(const ImageRef& image);

inline bool IsEmptyImage(const ImageRef& image) { return image.rows == 0 || image.cols == 0; }

// The check of a conversion's two image arguments: 0 when both serve;
// ERROR_INVALID_DATA for a bad argument or an empty source for a destination
// with pixels; tooLargeCode when a buffer would be beyond the address space.
uint32_t CheckImagePair(const ImageRef& src, const ImageRef& dst, uint32_t tooLargeCode);

// *out = a * b, false when the product does not fit.
inline bool MulSize(size_t a, size_t b, size_t* out)
{
    if (a != 0 && b > SIZE_MAX / a)
        return false;
    *out = a * b;
    return true;
}
