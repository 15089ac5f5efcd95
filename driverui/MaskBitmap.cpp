#include "MaskBitmap.h"

#include <cstring>
#include <new>

namespace {

// The largest picture made: more than the preview could ever show.
const ULONGLONG BLANK_BITMAP_LIMIT = 0x10000000;

} // namespace

BOOL CreateBlankBitmap(BitmapImage* image, LONG width, LONG height, WORD bitsPerPixel, BYTE fillByte)
{
    if (!image || width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 24))
        return FALSE;
    const ULONGLONG stride = (ULONGLONG(width) * bitsPerPixel / 8 + 3) / 4 * 4;
    const ULONGLONG bytes = stride * ULONGLONG(height);
    if (bytes > BLANK_BITMAP_LIMIT)
        return FALSE;
    BYTE* pixels = new (std::nothrow) BYTE[static_cast<size_t>(bytes)];
    if (!pixels)
        return FALSE;
    memset(pixels, fillByte, static_cast<size_t>(bytes));
    image->dwReserved = 0;
    image->lWidth = width;
    image->lHeight = height;
    image->dwStride = static_cast<DWORD>(stride);
    image->wPlanes = 1;
    image->wBitCount = bitsPerPixel;
    image->pBits = pixels;
    return TRUE;
}

DWORD FlipMaskRows(BitmapImage* image)
{
    if (!image || !image->pBits || image->dwStride == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    BYTE* scratch = new (std::nothrow) BYTE[image->dwStride];
    if (!scratch) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    DWORD result = SwapBitmapRows(image, scratch);
    delete[] scratch;
    return result;
}

void ReleaseBitmapImage(BitmapImage* image)
{
    delete[] image->pBits;
    ZeroMemory(image, sizeof(*image));
}
