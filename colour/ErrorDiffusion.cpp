#include "ErrorDiffusion.h"

#include <cstring>

void DiffuseErrors(uint8_t* image, int rows, int cols, int stride, int16_t* scratch)
{
    // Each pixel's error is handed on by weight, so a pixel receives 2 4 8 4 2
    // (out of 32) of the errors of the five pixels around it in the row above
    // and 8 and 4 of the two before it in its own row. Errors stay within
    // -255..255, so no sum ever leaves 16 bits and the order of the sums does
    // not matter. The errors of a row are kept with four zeros on either side:
    // the neighbours outside the image give nothing, and what would fall
    // outside the image is dropped.
    const size_t width = (size_t)cols + 8;
    int16_t* above = scratch;
    int16_t* own = scratch + width;
    int16_t* fromAbove = scratch + 2 * width;
    std::memset(scratch, 0, 2 * width * sizeof(int16_t));
    for (int r = 0; r < rows; r++) {
        uint8_t* row = image + (size_t)r * (size_t)stride;
        // Worked out for the whole row first, so that the loop below only
        // carries the row's own errors from pixel to pixel.
        for (int j = 0; j < cols; j++) {
            const int16_t* e = above + j + 4;
            fromAbove[j] = (int16_t)(2 * (e[-2] + e[2]) + 4 * (e[-1] + e[1]) + 8 * e[0]);
        }
        int last = 0, beforeLast = 0;
        for (int j = 0; j < cols; j++) {
            const int accumulated = fromAbove[j] + 4 * beforeLast + 8 * last;
            // Shifted with sign: divided by 32, rounding down.
            const int s = row[j] + (accumulated >> 5);
            // 255 from 128 on, without a branch: the outputs follow the
            // image, which no branch predictor foresees.
            const int out = ((127 - s) >> 31) & 255;
            row[j] = (uint8_t)out;
            beforeLast = last;
            last = s - out;
            own[j + 4] = (int16_t)last;
        }
        int16_t* done = above;
        above = own;
        own = done;
    }
}
