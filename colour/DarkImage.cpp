#include "DarkImage.h"

#include "FloatToByte.h"

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

// Only the dark levels of the histograms decide, so only they are counted.
struct DarkCounts {
    uint64_t h[3][kDarkLevel + 1] = {};

    void Count(const uint8_t* p, size_t step, size_t offR, size_t offG, size_t offB, int count)
    {
        for (int c = 0; c < count; c++, p += step) {
            if (p[offR] <= kDarkLevel)
                h[0][p[offR]]++;
            if (p[offG] <= kDarkLevel)
                h[1][p[offG]]++;
            if (p[offB] <= kDarkLevel)
                h[2][p[offB]]++;
        }
    }
};

#ifdef QEL_COLOUR_SSE2
// True when none of the 16-byte blocks at p holds a level of 20 or below;
// ignore marks the bytes that are no colour (the fourth byte of a pixel).
inline bool AllBright(const uint8_t* p, int blocks, __m128i ignore)
{
    const __m128i limit = _mm_set1_epi8((char)(kDarkLevel + 1));
    __m128i low = _mm_set1_epi8((char)0xFF);
    for (int i = 0; i < blocks; i++)
        low = _mm_min_epu8(low, _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + i), ignore));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(low, limit), low)) == 0xFFFF;
}
#endif

} // namespace

bool IsDarkImage(const ImageRef& image)
{
    if (IsEmptyImage(image))
        return false;
    const PixelLayout layout = DecodePixelFormat(image.format, (size_t)image.rows * (size_t)image.cols);
    const size_t step = layout.bytesPerPixel, offR = layout.offR, offG = layout.offG, offB = layout.offB;

    DarkCounts counts;
#ifdef QEL_COLOUR_SSE2
    // Sixteen pixels are 48 or 64 bytes: three or four blocks, skipped at
    // once when no colour byte in them is dark.
    const bool blocked = step == 3 || step == 4;
    const int blocks = (int)step;
    alignas(16) uint8_t ignoreBytes[16];
    for (int i = 0; i < 16; i++) {
        const size_t at = (size_t)i % step;
        ignoreBytes[i] = (step == 4 && at != offR && at != offG && at != offB) ? 0xFF : 0;
    }
    const __m128i ignore = _mm_load_si128(reinterpret_cast<const __m128i*>(ignoreBytes));
#endif
    for (int r = 0; r < image.rows; r++) {
        const uint8_t* p = image.data + (size_t)r * (size_t)image.stride;
        int c = 0;
#ifdef QEL_COLOUR_SSE2
        if (blocked) {
            for (; c + 16 <= image.cols; c += 16, p += 16 * step) {
                if (!AllBright(p, blocks, ignore))
                    counts.Count(p, step, offR, offG, offB, 16);
            }
        }
#endif
        counts.Count(p, step, offR, offG, offB, image.cols - c);
    }
    const uint64_t pixels = (uint64_t)image.rows * (uint64_t)image.cols;
    for (int ch = 0; ch < 3; ch++) {
        if (DarkShare(counts.h[ch], pixels) > kDarkShare)
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
