#include "DarkImage.h"

namespace {

const int kDarkLevel = 20;
const double kDarkShare = 0.4;

// h[0] / N plus h[j] x (1 / N) for the other dark levels, summed in this
// order so that the share at the boundary is decided the same way every time.
double DarkShare(const uint64_t* histogram, uint64_t pixels)
{
    const double n = (double)pixels;
    const double perPixel = 1.0 / n;
    double share = (double)histogram[0] / n;
    for (int j = 1; j <= kDarkLevel; j++)
        share += (double)histogram[j] * perPixel;
    return share;
}

} // namespace

bool IsDarkImage(const ImageRef& image)
{
    if (IsEmptyImage(image))
        return false;
    const PixelLayout layout = DecodePixelFormat(image.format, (size_t)image.rows * (size_t)image.cols);
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;

    uint64_t histogram[3][256] = {};
    for (int r = 0; r < image.rows; r++) {
        const uint8_t* p = image.data + (size_t)r * (size_t)image.stride;
        for (int c = 0; c < image.cols; c++, p += step) {
            histogram[0][p[offR]]++;
            histogram[1][p[offG]]++;
            histogram[2][p[offB]]++;
        }
    }
    const uint64_t pixels = (uint64_t)image.rows * (uint64_t)image.cols;
    for (int ch = 0; ch < 3; ch++) {
        if (DarkShare(histogram[ch], pixels) > kDarkShare)
            return true;
    }
    return false;
}

void CompressDarkLevels(uint8_t (*tables)[256], int count)
{
    for (int t = 0; t < count; t++) {
        for (int j = 0; j < 256; j++) {
            const int v = tables[t][j];
            if (v > 210)
                tables[t][j] = (uint8_t)(int)((v - 210) * 0.4444444444444444 + 210 + 0.5);
        }
    }
}
