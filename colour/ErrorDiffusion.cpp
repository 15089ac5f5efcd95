#include "ErrorDiffusion.h"

#include <cstring>

void DiffuseErrors(uint8_t* image, int rows, int cols, int stride, int16_t* scratch)
{
    // Pixel j sits at index j + 2, so the errors that fall outside the image
    // land in margins nobody reads.
    const size_t width = (size_t)cols + 5;
    int16_t* cur = scratch;
    int16_t* next = scratch + width;
    std::memset(scratch, 0, 2 * width * sizeof(int16_t));
    for (int r = 0; r < rows; r++) {
        uint8_t* row = image + (size_t)r * (size_t)stride;
        for (int j = 0; j < cols; j++) {
            const int16_t s = (int16_t)(row[j] + (cur[j + 2] >> 5));
            const int out = s < 128 ? 0 : 255;
            row[j] = (uint8_t)out;
            const int e = s - out;
            cur[j + 3] = (int16_t)(cur[j + 3] + 8 * e);
            cur[j + 4] = (int16_t)(cur[j + 4] + 4 * e);
            next[j] = (int16_t)(next[j] + 2 * e);
            next[j + 1] = (int16_t)(next[j + 1] + 4 * e);
            next[j + 2] = (int16_t)(next[j + 2] + 8 * e);
            next[j + 3] = (int16_t)(next[j + 3] + 4 * e);
            next[j + 4] = (int16_t)(next[j + 4] + 2 * e);
        }
        int16_t* done = cur;
        cur = next;
        next = done;
        std::memset(next, 0, width * sizeof(int16_t));
    }
}
