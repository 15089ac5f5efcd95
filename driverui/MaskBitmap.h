// The Print Area page's operations on a BitmapImage (the reader and the row
// flip of the foundation do the rest).
#pragma once

#include <windows.h>

#include "Utilities.h"

// A picture of width x height pixels of bitsPerPixel (8 or 24), every byte
// fillByte: reserved 0, planes 1, rows rounded up to 4 bytes. FALSE without
// an image, for another size or depth, or when the memory cannot be had;
// the image is then unchanged. The old pixels are the caller's to free first.
BOOL CreateBlankBitmap(BitmapImage* image, LONG width, LONG height, WORD bitsPerPixel, BYTE fillByte);
// Turns the picture upside down with a scratch row from the heap.
DWORD FlipMaskRows(BitmapImage* image);
// Frees the pixels and leaves the image empty.
void ReleaseBitmapImage(BitmapImage* image);
