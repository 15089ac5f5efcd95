#include "ResinFilter.h"

#include "Avx2Kernels.h"
#include "SimdLevel.h"

#include <cstring>

namespace {

// Rows are copied before they are filtered, so every neighbour is an input
// value; the rows above the first are 0.
struct InputRows {
    uint8_t* row[4];
    int count;

    InputRows(uint8_t* scratch, int count, int cols) : count(count)
    {
        for (int i = 0; i < count; i++)
            row[i] = scratch + (size_t)i * (size_t)cols;
        std::memset(scratch, 0, (size_t)count * (size_t)cols);
    }

    // Row 0 becomes the copy of the current row, the others move one up.
    void Push(const uint8_t* current, int cols)
    {
        uint8_t* oldest = row[count - 1];
        for (int i = count - 1; i > 0; i--)
            row[i] = row[i - 1];
        row[0] = oldest;
        std::memcpy(row[0], current, (size_t)cols);
    }
};

} // namespace

void ResinFilterA(uint8_t* image, int rows, int cols, int stride, uint8_t* scratch)
{
    if (cols < 3)
        return;
    InputRows in(scratch, 3, cols);
    for (int r = 0; r < rows; r++) {
        uint8_t* out = image + (size_t)r * (size_t)stride;
        in.Push(out, cols);
        const uint8_t *C = in.row[0], *U1 = in.row[1], *U2 = in.row[2];
        int j = 1;
#ifdef QEL_COLOUR_AVX2
        if (ActiveSimdLevel() == SIMD_AVX2)
            j = ResinFilterARowAvx2(out, C, U1, U2, cols);
#endif
        for (; j < cols - 1; j++) {
            const int p = C[j];
            if (p == 0)
                continue;
            const int sum = 38 * U1[j] + 29 * U2[j] + 10 * (U1[j - 1] + U1[j + 1]) + 6 * (U2[j - 1] + U2[j + 1]) +
                            14 * (C[j - 1] + C[j + 1]);
            out[j] = ResinFilterLevel(p, sum);
        }
    }
}

void ResinFilterB(uint8_t* image, int rows, int cols, int stride, uint8_t* scratch)
{
    // A line one pixel high gets a lighter row above it where the pixels
    // above were empty: neighbour sum below 31 x 255, nothing below it.
    const int kThinLine = 31 * 255;
    const int kLineShadow = 69;
    InputRows in(scratch, 4, cols);
    for (int r = 0; r < rows; r++) {
        uint8_t* out = image + (size_t)r * (size_t)stride;
        in.Push(out, cols);
        const uint8_t *C = in.row[0], *U1 = in.row[1], *U2 = in.row[2], *U3 = in.row[3];
        const bool inner = r >= 1 && r + 1 < rows;
        const uint8_t* below = inner ? out + stride : nullptr;
        uint8_t* above = inner ? out - stride : nullptr;
        for (int j = 0; j < cols; j++) {
            const int p = C[j];
            if (p == 0)
                continue;
            const int left = j > 0 ? j - 1 : j, right = j + 1 < cols ? j + 1 : j;
            const int sum = 45 * U1[j] + 16 * U2[j] + 8 * (U1[left] + U1[right]) + 5 * (U2[left] + U2[right]) +
                            15 * (C[left] + C[right]);
            out[j] = ResinFilterLevel(p, sum);
            if (inner && below[j] < 2 && sum < kThinLine && U1[j] + U2[j] + U3[j] < 4) {
                // The pixel above came from an input of at most 3, so this
                // stays a level.
                above[j] = (uint8_t)(above[j] + kLineShadow);
            }
        }
    }
}
