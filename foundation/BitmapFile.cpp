// Bitmap files: the 8-bit and 24-bit reader and the row flip.
#include "Utilities.h"

#include "FileReading.h"
#include "Platform.h"

#include <cstring>
#include <new>

namespace {

const DWORD FILE_HEADER_SIZE = 14;
const DWORD INFO_HEADER_SIZE = 40;
const DWORD PALETTE_ENTRIES = 256;
// The signature "BM" as it lies in the file.
const WORD BITMAP_SIGNATURE = 0x4D42;
// The largest bitmap file taken: every size is checked against the file
// itself, and the pixel buffer never exceeds it.
const DWORD BITMAP_FILE_LIMIT = 0x7FFFFFFF;

// Reads and checks the headers and the palette; fills the scratch record and
// the blue level of every palette index.
DWORD ReadLayout(HANDLE file, DWORD fileSize, BitmapImage* layout, DWORD* pixelOffset, BYTE* blueOf)
{
    BYTE raw[FILE_HEADER_SIZE + INFO_HEADER_SIZE];
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    if (fileSize < sizeof(raw))
        return ERROR_INVALID_DATA;
    if (!ReadFully(file, raw, sizeof(raw)))
        return GetLastError();
    memcpy(&fh, raw, FILE_HEADER_SIZE);
    memcpy(&ih, raw + FILE_HEADER_SIZE, INFO_HEADER_SIZE);
    if (fh.bfType != BITMAP_SIGNATURE || ih.biSize < INFO_HEADER_SIZE || ih.biSize > fileSize - FILE_HEADER_SIZE)
        return ERROR_INVALID_DATA;

    DWORD depth = DWORD(ih.biBitCount) * ih.biPlanes;
    if (ih.biPlanes != 1 || (depth != 8 && depth != 24) || ih.biCompression != BI_RGB)
        return ERROR_NOT_SUPPORTED;
    // Top-down pictures would reach callers that expect rows bottom-up.
    if (ih.biWidth <= 0 || ih.biHeight <= 0)
        return ih.biHeight < 0 ? ERROR_NOT_SUPPORTED : ERROR_INVALID_DATA;

    ULONGLONG stride = ((ULONGLONG(depth / 8) * ULONGLONG(ih.biWidth)) + 3) & ~ULONGLONG(3);
    ULONGLONG pixelBytes = stride * ULONGLONG(ih.biHeight);
    if (fh.bfOffBits > fileSize || pixelBytes > ULONGLONG(fileSize - fh.bfOffBits))
        return ERROR_INVALID_DATA;

    if (depth == 8) {
        DWORD entries = ih.biClrUsed ? ih.biClrUsed : PALETTE_ENTRIES;
        DWORD paletteOffset = FILE_HEADER_SIZE + ih.biSize;
        if (entries > PALETTE_ENTRIES || ULONGLONG(entries) * sizeof(RGBQUAD) > ULONGLONG(fileSize - paletteOffset))
            return ERROR_INVALID_DATA;
        RGBQUAD palette[PALETTE_ENTRIES];
        LARGE_INTEGER at;
        at.QuadPart = paletteOffset;
        if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFully(file, palette, entries * sizeof(RGBQUAD)))
            return GetLastError();
        // Indexes past the palette have no colour of their own.
        memset(blueOf, 0, PALETTE_ENTRIES);
        for (DWORD i = 0; i < entries; ++i)
            blueOf[i] = palette[i].rgbBlue;
    }

    layout->dwReserved = 0;
    layout->lWidth = ih.biWidth;
    layout->lHeight = ih.biHeight;
    layout->dwStride = DWORD(stride);
    layout->wPlanes = ih.biPlanes;
    layout->wBitCount = ih.biBitCount;
    layout->pBits = nullptr;
    *pixelOffset = fh.bfOffBits;
    return ERROR_SUCCESS;
}

} // namespace

DWORD ReadBitmapFile(LPCWSTR path, BitmapImage* image)
{
    DWORD result = ERROR_SUCCESS, fileSize = 0, pixelOffset = 0, pixelBytes = 0;
    BitmapImage scratch;
    BYTE blueOf[PALETTE_ENTRIES];
    BYTE* pixels = nullptr;
    LARGE_INTEGER at;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!path || !image || !path[0]) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    file = OpenForReadingWithin(path, BITMAP_FILE_LIMIT, &fileSize);
    if (file == INVALID_HANDLE_VALUE) {
        result = GetLastError();
        goto done;
    }
    result = ReadLayout(file, fileSize, &scratch, &pixelOffset, blueOf);
    if (result != ERROR_SUCCESS)
        goto done;
    pixelBytes = scratch.dwStride * DWORD(scratch.lHeight);
    pixels = new (std::nothrow) BYTE[pixelBytes ? pixelBytes : 1]();
    if (!pixels) {
        result = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    at.QuadPart = pixelOffset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFully(file, pixels, pixelBytes)) {
        result = GetLastError();
        goto done;
    }
    if (scratch.wBitCount == 8)
        for (DWORD i = 0; i < pixelBytes; ++i)
            pixels[i] = blueOf[pixels[i]];
    scratch.pBits = pixels;
    pixels = nullptr;
    *image = scratch;
done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    delete[] pixels;
    DebugTrace(L"ReadBitmapFile(), %ls, result = %d,\n", path, result);
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}

DWORD SwapBitmapRows(BitmapImage* image, BYTE* scratchRow)
{
    if (!image || !image->pBits || image->dwStride == 0 || image->lHeight < 0 || !scratchRow) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    DWORD rows = DWORD(image->lHeight), stride = image->dwStride;
    for (DWORD i = 0; i < rows / 2; ++i) {
        BYTE* top = image->pBits + SIZE_T(i) * stride;
        BYTE* bottom = image->pBits + SIZE_T(rows - 1 - i) * stride;
        memcpy(scratchRow, top, stride);
        memcpy(top, bottom, stride);
        memcpy(bottom, scratchRow, stride);
    }
    return ERROR_SUCCESS;
}

DWORD FlipBitmapRows(BitmapImage* image)
{
    if (!image || !image->pBits || image->dwStride == 0 || image->lHeight < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    if (image->lHeight < 2)
        return ERROR_SUCCESS;
    BYTE* scratch =
        static_cast<BYTE*>(VirtualAlloc(nullptr, image->dwStride, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!scratch) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    SwapBitmapRows(image, scratch);
    VirtualFree(scratch, 0, MEM_RELEASE);
    return ERROR_SUCCESS;
}
