#include "PixelFormat.h"

#include "ColorError.h"

bool IsPlanarFormat(uint32_t format)
{
    return format == COLOR_FMT_PLANAR3 || format == COLOR_FMT_PLANAR4;
}

PixelLayout DecodePixelFormat(uint32_t format, size_t planeSize)
{
    PixelLayout layout;
    if (format & COLOR_FMT_ONE_BYTE)
        layout.bytesPerPixel = 1;
    else
        layout.bytesPerPixel = (format & COLOR_FMT_FOUR_BYTES) ? 4 : 3;
    if (format == COLOR_FMT_GRAY8)
        layout.channels = 1;
    else
        layout.channels = (format & COLOR_FMT_FOUR_BYTES) ? 4 : 3;

    switch (format) {
    case COLOR_FMT_RGB24:
    case COLOR_FMT_RGBX32:
        layout.offR = 0, layout.offG = 1, layout.offB = 2;
        break;
    case COLOR_FMT_XBGR32:
        layout.offR = 3, layout.offG = 2, layout.offB = 1;
        break;
    case COLOR_FMT_XRGB32:
        layout.offR = 1, layout.offG = 2, layout.offB = 3;
        break;
    case COLOR_FMT_GRAY8:
        layout.offR = 0, layout.offG = 0, layout.offB = 0;
        break;
    case COLOR_FMT_PLANAR3:
    case COLOR_FMT_PLANAR4:
        layout.offR = 0, layout.offG = planeSize, layout.offB = 2 * planeSize;
        break;
    default:
        layout.offR = 2, layout.offG = 1, layout.offB = 0;
        break;
    }
    return layout;
}

ImageCheck CheckImage(const ImageRef& image)
{
    if (image.rows < 0 || image.cols < 0 || image.stride < 0)
        return IMAGE_INVALID;
    // Any other one-byte code would address R, G and B beyond its pixel.
    if ((image.format & COLOR_FMT_ONE_BYTE) && image.format != COLOR_FMT_GRAY8 && !IsPlanarFormat(image.format))
        return IMAGE_INVALID;
    if (IsEmptyImage(image))
        return IMAGE_OK;

    const size_t rows = (size_t)image.rows, cols = (size_t)image.cols, stride = (size_t)image.stride;
    size_t rowBytes, span;
    if (IsPlanarFormat(image.format)) {
        // The planes lie back to back, so a row may not be longer than the width.
        if (stride != cols)
            return IMAGE_INVALID;
        if (!MulSize(rows, cols, &span) || !MulSize(span, 3, &span))
            return IMAGE_TOO_LARGE;
        return IMAGE_OK;
    }
    const PixelLayout layout = DecodePixelFormat(image.format, 0);
    if (!MulSize(cols, layout.bytesPerPixel, &rowBytes))
        return IMAGE_TOO_LARGE;
    if (stride < rowBytes)
        return IMAGE_INVALID;
    if (!MulSize(rows - 1, stride, &span) || span > SIZE_MAX - rowBytes)
        return IMAGE_TOO_LARGE;
    return IMAGE_OK;
}

uint32_t CheckImagePair(const ImageRef& src, const ImageRef& dst, uint32_t tooLargeCode)
{
    const ImageCheck srcCheck = CheckImage(src), dstCheck = CheckImage(dst);
    if (srcCheck == IMAGE_INVALID || dstCheck == IMAGE_INVALID)
        return ERROR_INVALID_DATA;
    if (srcCheck == IMAGE_TOO_LARGE || dstCheck == IMAGE_TOO_LARGE)
        return tooLargeCode;
    // Nearest-neighbour resizing needs a pixel to take.
    if (IsEmptyImage(src) && !IsEmptyImage(dst))
        return ERROR_INVALID_DATA;
    return 0;
}
