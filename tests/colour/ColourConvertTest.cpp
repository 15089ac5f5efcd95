// ColorConvert_o: pixel formats in and out, resizing, the dark-image step,
// saturation, sharpening with its window at the edges, the grid path, the
// pixel cache, and the checks that refuse a call before anything is written.
#include "ColourTestFlow.h"

#include <algorithm>
#include <cstring>

namespace {

const uint8_t kGuard = 0xA5;
const size_t kGuardBytes = 16;

struct FormatCase {
    uint32_t format;
    int bpp, offR, offG, offB;
};

// Every source format a caller may pass; unlisted codes read as BGR.
const FormatCase kSourceFormats[] = {
    {COLOR_FMT_BGR24, 3, 2, 1, 0},  {COLOR_FMT_RGB24, 3, 0, 1, 2},  {COLOR_FMT_BGRX32, 4, 2, 1, 0},
    {COLOR_FMT_RGBX32, 4, 0, 1, 2}, {COLOR_FMT_XBGR32, 4, 3, 2, 1}, {COLOR_FMT_XRGB32, 4, 1, 2, 3},
    {0x05, 3, 2, 1, 0},             {0x85, 4, 2, 1, 0},             {0x2000, 3, 2, 1, 0},
};

struct Rgb {
    uint8_t r, g, b;
};

// An image in a format, with every byte outside R, G and B (padding and the
// fourth byte) set to noise the engine must not read as colour.
std::vector<uint8_t> MakeImage(const std::vector<Rgb>& pixels, int rows, int cols, int stride, const FormatCase& f)
{
    std::vector<uint8_t> image((size_t)(rows - 1) * stride + (size_t)cols * f.bpp);
    for (size_t i = 0; i < image.size(); i++)
        image[i] = (uint8_t)(i * 37 + 11);
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            uint8_t* p = &image[(size_t)r * stride + (size_t)c * f.bpp];
            const Rgb& px = pixels[(size_t)r * cols + c];
            p[f.offR] = px.r;
            p[f.offG] = px.g;
            p[f.offB] = px.b;
        }
    }
    return image;
}

std::vector<uint8_t> MakeBgr(const std::vector<Rgb>& pixels, int rows, int cols)
{
    return MakeImage(pixels, rows, cols, cols * 3, kSourceFormats[0]);
}

class ColourConvert : public FlowTest {
protected:
    // Converts into planes of rows x cols followed by guard bytes; false when
    // the call failed, with the destination checked untouched.
    bool Convert(const std::vector<uint8_t>& src, int rows, int cols, int stride, uint32_t format, Planes* out,
                 int dstRows = -1, int dstCols = -1, uint32_t dstFormat = COLOR_FMT_PLANAR3)
    {
        dstRows = dstRows < 0 ? rows : dstRows;
        dstCols = dstCols < 0 ? cols : dstCols;
        const size_t planeBytes = (size_t)dstRows * dstCols * 3;
        std::vector<uint8_t> dst(planeBytes + kGuardBytes, kGuard);
        const bool ok = ColorConvert_o(m_pFlow, src.data(), rows, cols, stride, format, dst.data(), dstRows, dstCols,
                                       dstCols, dstFormat);
        for (size_t i = planeBytes; i < dst.size(); i++)
            EXPECT_EQ(kGuard, dst[i]) << "guard byte " << i - planeBytes;
        if (!ok) {
            for (size_t i = 0; i < planeBytes; i++)
                EXPECT_EQ(kGuard, dst[i]) << "a failed call wrote byte " << i;
        }
        dst.resize(planeBytes);
        if (out)
            *out = Planes{dstRows, dstCols, dst};
        return ok;
    }

    // Expects a failure with a code and no byte written.
    void ExpectRefused(const uint8_t* src, int rows, int cols, int stride, uint32_t format, int dstRows, int dstCols,
                       int dstStride, uint32_t dstFormat, uint32_t code = kInvalidData)
    {
        std::vector<uint8_t> dst(4096, kGuard);
        PrimeLastError();
        EXPECT_FALSE(ColorConvert_o(m_pFlow, src, rows, cols, stride, format, dst.data(), dstRows, dstCols, dstStride,
                                    dstFormat));
        EXPECT_EQ(code, GetLastErrorCode_o(m_pFlow));
        for (uint8_t b : dst)
            ASSERT_EQ(kGuard, b);
    }
};

// ---- pixel formats ----

TEST_F(ColourConvert, NeutralPlainLutPrintsComplementsFromEverySourceFormat)
{
    ASSERT_TRUE(LoadPlainLut());
    const int rows = 5, cols = 7;
    std::vector<Rgb> pixels;
    for (int i = 0; i < rows * cols; i++)
        pixels.push_back({(uint8_t)(30 + i * 6), (uint8_t)(250 - i * 5), (uint8_t)(40 + i * 3)});
    for (const FormatCase& f : kSourceFormats) {
        SCOPED_TRACE(testing::Message() << "format " << f.format);
        const int stride = cols * f.bpp + 3;
        Planes planes;
        ASSERT_TRUE(Convert(MakeImage(pixels, rows, cols, stride, f), rows, cols, stride, f.format, &planes));
        for (int r = 0; r < rows; r++) {
            for (int c = 0; c < cols; c++) {
                const Rgb& px = pixels[(size_t)r * cols + c];
                EXPECT_EQ(255 - px.b, planes.At(0, r, c));
                EXPECT_EQ(255 - px.g, planes.At(1, r, c));
                EXPECT_EQ(255 - px.r, planes.At(2, r, c));
            }
        }
    }
}

TEST_F(ColourConvert, SourceStrideMayBeExactlyOneRow)
{
    ASSERT_TRUE(LoadPlainLut());
    std::vector<Rgb> pixels(12, Rgb{100, 150, 200});
    for (const FormatCase& f : kSourceFormats) {
        Planes planes;
        EXPECT_TRUE(Convert(MakeImage(pixels, 3, 4, 4 * f.bpp, f), 3, 4, 4 * f.bpp, f.format, &planes));
        EXPECT_EQ(55, planes.At(0, 2, 3));
        ExpectRefused(MakeImage(pixels, 3, 4, 4 * f.bpp, f).data(), 3, 4, 4 * f.bpp - 1, f.format, 3, 4, 4,
                      COLOR_FMT_PLANAR3);
    }
}

TEST_F(ColourConvert, PlanarFourNeedsAFourChannelLutAndGetsThreePlanes)
{
    const std::vector<uint8_t> image = MakeBgr(std::vector<Rgb>(6, Rgb{100, 150, 200}), 2, 3);
    ASSERT_TRUE(LoadPlainLut(3));
    ExpectRefused(image.data(), 2, 3, 9, COLOR_FMT_BGR24, 2, 3, 3, COLOR_FMT_PLANAR4);

    ASSERT_TRUE(LoadPlainLut(4));
    Planes planes;
    // The guard bytes start where a fourth plane would.
    ASSERT_TRUE(Convert(image, 2, 3, 9, COLOR_FMT_BGR24, &planes, 2, 3, COLOR_FMT_PLANAR4));
    EXPECT_EQ(55, planes.At(0, 1, 2));
    EXPECT_EQ(105, planes.At(1, 1, 2));
    EXPECT_EQ(155, planes.At(2, 1, 2));
    ExpectRefused(image.data(), 2, 3, 9, COLOR_FMT_BGR24, 2, 3, 3, COLOR_FMT_PLANAR3);
}

TEST_F(ColourConvert, OnlyInterleavedSourcesAndPlanarTargets)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    const uint32_t sources[] = {COLOR_FMT_GRAY8, COLOR_FMT_PLANAR3, COLOR_FMT_PLANAR4, 0x4000, 0x8000, 0x4001};
    for (uint32_t source : sources)
        ExpectRefused(image.data(), 2, 2, 12, source, 2, 2, 2, COLOR_FMT_PLANAR3);
    // Only the two planar codes are destinations: any other code with both
    // plane bits would address its planes beyond the buffer.
    const uint32_t targets[] = {COLOR_FMT_BGR24, COLOR_FMT_GRAY8, COLOR_FMT_RGBX32, 0x4000, 0x8000,
                                0xC001,          0xC100,          0xC081,           0xE000};
    for (uint32_t target : targets)
        ExpectRefused(image.data(), 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, target);
}

TEST_F(ColourConvert, NullBuffersAreRefused)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(12, 128);
    ExpectRefused(nullptr, 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_PLANAR3);
    PrimeLastError();
    EXPECT_FALSE(ColorConvert_o(m_pFlow, image.data(), 2, 2, 6, COLOR_FMT_BGR24, nullptr, 2, 2, 2, COLOR_FMT_PLANAR3));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

// ---- image arguments ----

TEST_F(ColourConvert, NegativeSizesAndStridesAreRefused)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    ExpectRefused(image.data(), -1, 2, 6, COLOR_FMT_BGR24, -1, 2, 2, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 2, -2, 6, COLOR_FMT_BGR24, 2, -2, 2, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 2, 2, -6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 2, 2, 6, COLOR_FMT_BGR24, 2, 2, -2, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 2, 2, 6, COLOR_FMT_BGR24, -2, 2, 2, COLOR_FMT_PLANAR3);
}

TEST_F(ColourConvert, PlanarStrideMustBeTheWidth)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    ExpectRefused(image.data(), 2, 3, 9, COLOR_FMT_BGR24, 2, 3, 4, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 2, 3, 9, COLOR_FMT_BGR24, 2, 3, 2, COLOR_FMT_PLANAR3);
    Planes planes;
    EXPECT_TRUE(Convert(image, 2, 3, 9, COLOR_FMT_BGR24, &planes));
}

TEST_F(ColourConvert, EmptySourceCannotFillADestination)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    ExpectRefused(image.data(), 0, 3, 9, COLOR_FMT_BGR24, 2, 3, 3, COLOR_FMT_PLANAR3);
    ExpectRefused(image.data(), 3, 0, 9, COLOR_FMT_BGR24, 2, 3, 3, COLOR_FMT_PLANAR3);
    // Into an empty destination there is nothing to do.
    uint8_t dst[4] = {kGuard, kGuard, kGuard, kGuard};
    EXPECT_TRUE(ColorConvert_o(m_pFlow, image.data(), 0, 3, 9, COLOR_FMT_BGR24, dst, 0, 2, 2, COLOR_FMT_PLANAR3));
    EXPECT_EQ(kGuard, dst[0]);
}

TEST_F(ColourConvert, ZeroRowsSucceedWithoutWriting)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    for (int level : {0, 200}) {
        SetSharpen_o(m_pFlow, level);
        uint8_t dst[8];
        memset(dst, kGuard, sizeof dst);
        PrimeLastError();
        EXPECT_TRUE(ColorConvert_o(m_pFlow, image.data(), 0, 3, 9, COLOR_FMT_BGR24, dst, 0, 3, 3, COLOR_FMT_PLANAR3));
        EXPECT_EQ(kMarkerError, GetLastErrorCode_o(m_pFlow));
        for (uint8_t b : dst)
            EXPECT_EQ(kGuard, b);
    }
}

TEST_F(ColourConvert, ResizedImageBeyondMemoryFailsWithOutOfMemory)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(3, 100);
    // A destination of 2^30 x 2^30 is a valid argument on a 64-bit system,
    // but its resized image cannot be had; nothing is written to it.
    uint8_t dst[16];
    memset(dst, kGuard, sizeof dst);
    PrimeLastError();
    EXPECT_FALSE(ColorConvert_o(m_pFlow, image.data(), 1, 1, 3, COLOR_FMT_BGR24, dst, 1 << 30, 1 << 30, 1 << 30,
                                COLOR_FMT_PLANAR3));
    EXPECT_EQ(kOutOfMemory, GetLastErrorCode_o(m_pFlow));
    for (uint8_t b : dst)
        EXPECT_EQ(kGuard, b);
}

TEST_F(ColourConvert, SharpeningNeedsAWidth)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image(64, 128);
    uint8_t dst[4];
    EXPECT_TRUE(ColorConvert_o(m_pFlow, image.data(), 2, 0, 0, COLOR_FMT_BGR24, dst, 2, 0, 0, COLOR_FMT_PLANAR3));
    SetSharpen_o(m_pFlow, 10);
    ExpectRefused(image.data(), 2, 0, 0, COLOR_FMT_BGR24, 2, 0, 0, COLOR_FMT_PLANAR3);
}

// ---- dark-image step ----

class ColourDarkImage : public ColourConvert {
protected:
    // 100 pixels: `dark` of them carry `level` in one channel, the rest are
    // bright; returns the planes.
    Planes Run(int dark, int channel, uint8_t level)
    {
        std::vector<Rgb> pixels(100, Rgb{200, 200, 200});
        for (int i = 0; i < dark; i++) {
            uint8_t* p = channel == 0 ? &pixels[i].r : channel == 1 ? &pixels[i].g : &pixels[i].b;
            *p = level;
        }
        Planes planes;
        EXPECT_TRUE(Convert(MakeBgr(pixels, 10, 10), 10, 10, 30, COLOR_FMT_BGR24, &planes));
        return planes;
    }
};

TEST_F(ColourDarkImage, MoreThanFortyPercentDarkCompressesTheTopLevels)
{
    ASSERT_TRUE(LoadPlainLut());
    // R = 0 prints 255 on plane 2; in a dark image that becomes 230.
    EXPECT_EQ(230, Run(41, 0, 0).At(2, 0, 0));
    EXPECT_EQ(255, Run(40, 0, 0).At(2, 0, 0));
    // The darkness of any one channel counts, up to level 20: G = 20 prints
    // 235, compressed to 221; G = 21 prints 234 and leaves the image bright.
    EXPECT_EQ(221, Run(41, 1, 20).At(1, 0, 0));
    EXPECT_EQ(55, Run(41, 1, 20).At(1, 9, 9));
    EXPECT_EQ(234, Run(41, 1, 21).At(1, 0, 0));
    EXPECT_EQ(221, Run(41, 2, 20).At(0, 0, 0));
    EXPECT_EQ(234, Run(41, 2, 21).At(0, 0, 0));
}

TEST_F(ColourDarkImage, CompressionMapsLevelsAboveTwoHundredTen)
{
    ASSERT_TRUE(LoadPlainLut());
    std::vector<Rgb> pixels(100, Rgb{0, 0, 0});
    // Plane 2 prints 255 - R: levels 255, 233, 211, 210 and 100.
    const uint8_t reds[] = {0, 22, 44, 45, 155};
    for (int i = 0; i < 5; i++)
        pixels[i].r = reds[i];
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr(pixels, 10, 10), 10, 10, 30, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(230, planes.At(2, 0, 0));
    EXPECT_EQ(220, planes.At(2, 0, 1));
    EXPECT_EQ(210, planes.At(2, 0, 2));
    EXPECT_EQ(210, planes.At(2, 0, 3));
    EXPECT_EQ(100, planes.At(2, 0, 4));
}

// ---- resize ----

TEST_F(ColourConvert, ResizePicksNearestColumnsAndRows)
{
    ASSERT_TRUE(LoadPlainLut());
    std::vector<Rgb> pixels;
    for (int i = 0; i < 3; i++)
        pixels.push_back({(uint8_t)(100 + i), (uint8_t)(150 + i), (uint8_t)(200 + i)});
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr(pixels, 1, 3), 1, 3, 9, COLOR_FMT_BGR24, &planes, 1, 7));
    const int picks[] = {0, 0, 0, 1, 1, 2, 2};
    for (int j = 0; j < 7; j++) {
        EXPECT_EQ(155 - picks[j], planes.At(2, 0, j)) << j;
        EXPECT_EQ(105 - picks[j], planes.At(1, 0, j)) << j;
        EXPECT_EQ(55 - picks[j], planes.At(0, 0, j)) << j;
    }

    std::vector<Rgb> column;
    for (int i = 0; i < 100; i++)
        column.push_back({(uint8_t)(100 + i), 100, 100});
    ASSERT_TRUE(Convert(MakeBgr(column, 100, 1), 100, 1, 3, COLOR_FMT_BGR24, &planes, 50, 1));
    for (int i = 0; i < 50; i++)
        EXPECT_EQ(255 - (100 + 2 * i + 1), planes.At(2, i, 0)) << i;
    ASSERT_TRUE(Convert(MakeBgr(column, 100, 1), 100, 1, 3, COLOR_FMT_BGR24, &planes, 200, 1));
    for (int i = 0; i < 200; i++)
        EXPECT_EQ(255 - (100 + i / 2), planes.At(2, i, 0)) << i;
}

TEST_F(ColourConvert, DarkTestSeesTheResizedImage)
{
    ASSERT_TRUE(LoadPlainLut());
    // A third of the source is black, two thirds of the halved image.
    const Rgb w{250, 250, 250}, k{0, 0, 0};
    const std::vector<Rgb> pixels = {w, k, w, w, w, k};
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr(pixels, 1, 6), 1, 6, 18, COLOR_FMT_BGR24, &planes, 1, 3));
    EXPECT_EQ(230, planes.At(0, 0, 0));
    EXPECT_EQ(5, planes.At(0, 0, 1));
    EXPECT_EQ(230, planes.At(0, 0, 2));
    // The same source unresized is not dark.
    ASSERT_TRUE(Convert(MakeBgr(pixels, 1, 6), 1, 6, 18, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(255, planes.At(0, 0, 1));
}

// ---- saturation ----

TEST_F(ColourConvert, SaturationKeepsLightnessAndHue)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image = MakeBgr({Rgb{200, 100, 50}}, 1, 1);
    Planes planes;
    ASSERT_TRUE(SetSaturated_o(m_pFlow, 127));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(255 - 0, planes.At(0, 0, 0));
    EXPECT_EQ(255 - 83, planes.At(1, 0, 0));
    EXPECT_EQ(255 - 250, planes.At(2, 0, 0));

    ASSERT_TRUE(SetSaturated_o(m_pFlow, -128));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(255 - 125, planes.At(k, 0, 0));

    // Back to 0: the step is off again.
    ASSERT_TRUE(SetSaturated_o(m_pFlow, 0));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(255 - 50, planes.At(0, 0, 0));
    EXPECT_EQ(255 - 100, planes.At(1, 0, 0));
    EXPECT_EQ(255 - 200, planes.At(2, 0, 0));
}

TEST_F(ColourConvert, SaturationLeavesGreyPixels)
{
    ASSERT_TRUE(LoadPlainLut());
    std::vector<Rgb> greys;
    for (int v = 0; v < 256; v++)
        greys.push_back({(uint8_t)v, (uint8_t)v, (uint8_t)v});
    for (int value : {127, 60, 1, -1, -90, -128}) {
        ASSERT_TRUE(SetSaturated_o(m_pFlow, value));
        Planes planes;
        ASSERT_TRUE(Convert(MakeBgr(greys, 16, 16), 16, 16, 48, COLOR_FMT_BGR24, &planes));
        for (int v = 21; v < 256; v++)
            ASSERT_EQ(255 - v, planes.At(1, v / 16, v % 16)) << value << " " << v;
    }
}

TEST_F(ColourConvert, SaturationReadsOnlyThePixelsOfEachRow)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetSaturated_o(m_pFlow, 40));
    // The last row ends the buffer: no padding after it to copy.
    std::vector<Rgb> pixels(6, Rgb{180, 90, 60});
    const std::vector<uint8_t> image = MakeImage(pixels, 2, 3, 17, kSourceFormats[2]);
    ASSERT_EQ((size_t)17 + 12, image.size());
    Planes planes;
    EXPECT_TRUE(Convert(image, 2, 3, 17, COLOR_FMT_BGRX32, &planes));
}

// ---- sharpening ----

class ColourSharpen : public ColourConvert {
protected:
    Planes Grey(int rows, int cols, std::vector<uint8_t> levels)
    {
        std::vector<Rgb> pixels;
        for (uint8_t v : levels)
            pixels.push_back({v, v, v});
        Planes planes;
        EXPECT_TRUE(Convert(MakeBgr(pixels, rows, cols), rows, cols, cols * 3, COLOR_FMT_BGR24, &planes));
        return planes;
    }
};

TEST_F(ColourSharpen, BrightPixelChangesByTheMaximumAndItsNeighboursDarken)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetSharpen_o(m_pFlow, 255));
    const Planes p = Grey(3, 3, {100, 100, 100, 100, 150, 100, 100, 100, 100});
    // Centre: 150 + 64; sides: e = -100 gives 100 - 27; corners: e = -50 gives 100 - 12.
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(255 - 214, p.At(k, 1, 1));
        EXPECT_EQ(255 - 73, p.At(k, 0, 1));
        EXPECT_EQ(255 - 73, p.At(k, 1, 0));
        EXPECT_EQ(255 - 73, p.At(k, 2, 1));
        EXPECT_EQ(255 - 88, p.At(k, 0, 0));
        EXPECT_EQ(255 - 88, p.At(k, 2, 2));
    }
}

TEST_F(ColourSharpen, FlatAreaIsUnchanged)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetSharpen_o(m_pFlow, 255));
    const Planes p = Grey(4, 5, std::vector<uint8_t>(20, 123));
    for (uint8_t b : p.bytes)
        EXPECT_EQ(255 - 123, b);
}

TEST_F(ColourSharpen, WindowRepeatsTheEdgeRowsAndColumns)
{
    ASSERT_TRUE(LoadPlainLut());
    // Level 64: strength 1.2549, maximum change 40, so the edge value shows.
    ASSERT_TRUE(SetSharpen_o(m_pFlow, 64));
    // A bright pixel (150 among 100) on the top or bottom row sees itself
    // above or below: e = 500, change 36; in the middle it does not: e = 600,
    // change 40 (the maximum).
    EXPECT_EQ(255 - 186, Grey(3, 3, {100, 150, 100, 100, 100, 100, 100, 100, 100}).At(0, 0, 1));
    EXPECT_EQ(255 - 186, Grey(3, 3, {100, 100, 100, 100, 100, 100, 100, 150, 100}).At(0, 2, 1));
    EXPECT_EQ(255 - 190, Grey(3, 3, {100, 100, 100, 100, 150, 100, 100, 100, 100}).At(0, 1, 1));
    // On the left column it sees itself beside it.
    EXPECT_EQ(255 - 186, Grey(3, 3, {100, 100, 100, 150, 100, 100, 100, 100, 100}).At(0, 1, 0));
    // A single row is its own row above and below: e = 400, change 28.
    EXPECT_EQ(255 - 178, Grey(1, 3, {100, 150, 100}).At(0, 0, 1));
}

TEST_F(ColourSharpen, ChangesAreClampedToLevels)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetSharpen_o(m_pFlow, 255));
    const Planes p = Grey(3, 3, {30, 30, 30, 30, 240, 30, 30, 30, 30});
    // 240 + 64 stops at 255 (prints 0); 30 - 64 stops at 0 (prints 255).
    EXPECT_EQ(0, p.At(0, 1, 1));
    EXPECT_EQ(255, p.At(0, 0, 1));
    EXPECT_EQ(255, p.At(0, 0, 0));
}

// ---- grid path ----

// A grid whose channels are 15 x the largest, the middle and the smallest
// node index. Such a field is linear inside each of the six tetrahedra of a
// cell (they are the regions where the order of the coordinates is fixed)
// but not across them: the right tetrahedron reproduces it exactly, any other
// one misses it.
LutSpec OrderGrid(uint8_t channels)
{
    LutSpec spec;
    spec.grid = true;
    spec.gridPoints = 17;
    spec.channels = channels;
    spec.gridData.resize(17 * 17 * 17 * channels);
    for (int z = 0; z < 17; z++)
        for (int y = 0; y < 17; y++)
            for (int x = 0; x < 17; x++) {
                int v[3] = {x, y, z};
                std::sort(v, v + 3);
                uint8_t* node = &spec.gridData[(size_t)(x + 17 * y + 289 * z) * channels];
                node[0] = (uint8_t)(15 * v[2]);
                node[1] = (uint8_t)(15 * v[1]);
                node[2] = (uint8_t)(15 * v[0]);
                if (channels == 4)
                    node[3] = 0;
            }
    return spec;
}

// The level a grid field of 15 x position prints: level 255 reaches the last
// node (fraction 1), any other lies at level / 16.
int OrderExpected(int level)
{
    return level == 255 ? 240 : (15 * level + 8) / 16;
}

TEST_F(ColourConvert, GridInterpolatesInTheRightTetrahedron)
{
    for (uint8_t channels : {3, 4}) {
        ASSERT_TRUE(LoadLut(OrderGrid(channels)));
        std::mt19937 rng(channels);
        std::vector<Rgb> pixels;
        for (int i = 0; i < 400; i++) {
            // Pixels within one cell or a few apart, in every order.
            const uint8_t base = (uint8_t)rng();
            auto near = [&]() { return (uint8_t)std::min(255, base + (int)(rng() % 40)); };
            pixels.push_back(i % 2 ? Rgb{near(), near(), near()} : Rgb{(uint8_t)rng(), (uint8_t)rng(), (uint8_t)rng()});
        }
        pixels[0] = {255, 255, 255};
        pixels[1] = {240, 240, 240};
        pixels[2] = {0, 255, 128};
        Planes planes;
        ASSERT_TRUE(Convert(MakeBgr(pixels, 20, 20), 20, 20, 60, COLOR_FMT_BGR24, &planes, -1, -1,
                            channels == 4 ? COLOR_FMT_PLANAR4 : COLOR_FMT_PLANAR3));
        for (int i = 0; i < 400; i++) {
            int v[3] = {pixels[i].r, pixels[i].g, pixels[i].b};
            std::sort(v, v + 3);
            ASSERT_EQ(OrderExpected(v[2]), planes.At(0, i / 20, i % 20)) << i;
            ASSERT_EQ(OrderExpected(v[1]), planes.At(1, i / 20, i % 20)) << i;
            ASSERT_EQ(OrderExpected(v[0]), planes.At(2, i / 20, i % 20)) << i;
        }
    }
}

TEST_F(ColourConvert, GridCellFractionOfARealLevel)
{
    // LUT curves carry level 200 to 254.5: cell 15, fraction 0.90625, so
    // 15 x 15 + 0.90625 x 15 = 238.59 prints 239.
    LutSpec spec = OrderGrid(3);
    spec.curves = true;
    spec.curveData.resize(768);
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++)
            spec.curveData[c * 256 + i] = i == 200 ? 254.5f : (float)i;
    ASSERT_TRUE(LoadLut(spec));
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr({Rgb{200, 200, 200}, Rgb{240, 240, 240}, Rgb{255, 255, 255}}, 1, 3), 1, 3, 9,
                        COLOR_FMT_BGR24, &planes));
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(239, planes.At(k, 0, 0));
        EXPECT_EQ(225, planes.At(k, 0, 1));
        EXPECT_EQ(240, planes.At(k, 0, 2));
    }
}

// ---- the pixel cache ----

// A grid printing white as 255 through reversed channel tables, so the dark
// step (255 -> 230) shows in white pixels.
LutSpec WhiteHighLut()
{
    LutSpec spec = ComplementGridLut(9, 3);
    spec.tables = true;
    spec.tableData.resize(3 * 256);
    for (int k = 0; k < 3; k++)
        for (int j = 0; j < 256; j++)
            spec.tableData[k * 256 + j] = (float)(255 - j);
    return spec;
}

TEST_F(ColourConvert, CacheStartsAfreshOnEveryCall)
{
    ASSERT_TRUE(LoadLut(WhiteHighLut()));
    std::vector<Rgb> dark(10, Rgb{0, 0, 0});
    dark[0] = {255, 255, 255};
    std::vector<Rgb> bright(10, Rgb{255, 255, 255});
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr(dark, 1, 10), 1, 10, 30, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(230, planes.At(0, 0, 0));
    ASSERT_TRUE(Convert(MakeBgr(bright, 1, 10), 1, 10, 30, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(255, planes.At(0, 0, 0));
    EXPECT_EQ(255, planes.At(0, 0, 9));

    // A new LUT between calls: white starts the next call again.
    ASSERT_TRUE(LoadLut(ComplementGridLut(9, 3)));
    ASSERT_TRUE(Convert(MakeBgr(bright, 1, 10), 1, 10, 30, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(0, planes.At(0, 0, 0));
}

TEST_F(ColourConvert, CachedRunsPrintLikeSinglePixels)
{
    std::mt19937 rng(9);
    ASSERT_TRUE(LoadLut(RandomLut(rng, 9, 3, true, true, true)));
    // Runs of equal pixels across row ends, alternating pairs and white.
    const Rgb a{30, 200, 90}, b{31, 200, 90}, w{255, 255, 255};
    const std::vector<Rgb> pixels = {a, a, a, b, a, b, b, w, w, a, w, b};
    Planes all;
    ASSERT_TRUE(Convert(MakeBgr(pixels, 3, 4), 3, 4, 12, COLOR_FMT_BGR24, &all));
    for (size_t i = 0; i < pixels.size(); i++) {
        Planes one;
        ASSERT_TRUE(Convert(MakeBgr({pixels[i]}, 1, 1), 1, 1, 3, COLOR_FMT_BGR24, &one));
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(one.At(k, 0, 0), all.At(k, (int)i / 4, (int)i % 4)) << i;
    }
}

// ---- adjustments reach the planes ----

TEST_F(ColourConvert, ColourCorrectShiftsThePlanes)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetColorCorrectValueByReal_o(m_pFlow, 10, -10, 0));
    Planes planes;
    // Three pixels, so the one dark B does not make the image dark.
    const Rgb grey{100, 100, 100};
    ASSERT_TRUE(Convert(MakeBgr({grey, Rgb{250, 250, 5}, grey}, 1, 3), 1, 3, 9, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(165, planes.At(0, 0, 0));
    EXPECT_EQ(145, planes.At(1, 0, 0));
    EXPECT_EQ(155, planes.At(2, 0, 0));
    // Plane 0 of B = 5 would be 250 + 10: it stops at 255.
    EXPECT_EQ(255, planes.At(0, 0, 1));
    EXPECT_EQ(0, planes.At(1, 0, 1));
}

TEST_F(ColourConvert, BrightnessAndContrastBendTheCurves)
{
    ASSERT_TRUE(LoadPlainLut());
    ASSERT_TRUE(SetBrightnessValueByReal_o(m_pFlow, -128, 0, 0));
    ASSERT_TRUE(SetContrastValueByReal_o(m_pFlow, 0, 127, 0));
    Planes planes;
    ASSERT_TRUE(Convert(MakeBgr({Rgb{255, 171, 100}, Rgb{128, 170, 100}}, 1, 2), 1, 2, 6, COLOR_FMT_BGR24, &planes));
    // R: 255 - 128 = 127 prints 128; 128 - 128 = 0 prints 255.
    EXPECT_EQ(128, planes.At(2, 0, 0));
    EXPECT_EQ(255, planes.At(2, 0, 1));
    // G: 171 x 1.496 clamps to 255 and prints 0; 170 gives 254.34, which
    // prints 255 - 254.34 = 0.66, truncated to 0 through the plain table.
    EXPECT_EQ(0, planes.At(1, 0, 0));
    EXPECT_EQ(0, planes.At(1, 0, 1));
}

TEST_F(ColourConvert, SettingsChangedBetweenCallsAreUsed)
{
    ASSERT_TRUE(LoadPlainLut());
    const std::vector<uint8_t> image = MakeBgr({Rgb{100, 100, 100}}, 1, 1);
    Planes planes;
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(155, planes.At(0, 0, 0));
    ASSERT_TRUE(SetBrightnessValueByReal_o(m_pFlow, 0, 0, 20));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(135, planes.At(0, 0, 0));
    ASSERT_TRUE(SetGammaValueByReal_o(m_pFlow, 1.0f, 1.0f, 1.0f));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_EQ(135, planes.At(0, 0, 0));
    ASSERT_TRUE(SetGammaValueByReal_o(m_pFlow, 1.0f, 1.0f, 2.2f));
    ASSERT_TRUE(Convert(image, 1, 1, 3, COLOR_FMT_BGR24, &planes));
    EXPECT_GT(135, planes.At(0, 0, 0));
}

#if defined(_WIN32) && defined(__i386__)
// A 32-bit Windows program may call with the stack at any 4-byte alignment:
// calls(arg) runs with the stack pointer moved off 16-byte alignment by
// shift bytes (which the calls keep for the exports they call).
extern "C" void CallOffAlignment(void (*calls)(void*), void* arg, unsigned shift);
__asm__(".text\n"
        ".globl _CallOffAlignment\n"
        "_CallOffAlignment:\n"
        "    push %ebp\n"
        "    mov %esp, %ebp\n"
        "    mov 8(%ebp), %eax\n"
        "    mov 12(%ebp), %ecx\n"
        "    and $-16, %esp\n"
        "    sub 16(%ebp), %esp\n"
        "    sub $12, %esp\n"
        "    push %ecx\n"
        "    call *%eax\n"
        "    mov %ebp, %esp\n"
        "    pop %ebp\n"
        "    ret\n");

struct StackRun {
    CColorFlow* flow;
    const std::vector<uint8_t>* image;
    int rows, cols;
    std::vector<uint8_t> planes, resin;
    bool converted = false, resinConverted = false;
};

void ConvertBoth(void* arg)
{
    StackRun& run = *static_cast<StackRun*>(arg);
    run.converted = ColorConvert_o(run.flow, run.image->data(), run.rows, run.cols, run.cols * 3, COLOR_FMT_BGR24,
                                   run.planes.data(), run.rows, run.cols, run.cols, COLOR_FMT_PLANAR3);
    run.resinConverted = ConvertRGB2Resin_o(run.flow, run.image->data(), run.rows, run.cols, run.cols * 3,
                                            COLOR_FMT_BGR24, run.resin.data(), run.rows, run.cols, run.cols,
                                            COLOR_FMT_GRAY8);
}

TEST_F(ColourConvert, AnyStackAlignmentOfTheCaller)
{
    std::mt19937 rng(4);
    ASSERT_TRUE(LoadLut(RandomLut(rng, 17, 3, true, true, true)));
    SetSaturated_o(m_pFlow, 40);
    SetSharpen_o(m_pFlow, 200);
    SetResinModelMediaMode_o(m_pFlow, 0, 1, 2, 0, 1);
    const int rows = 23, cols = 77;
    const std::vector<uint8_t> image = PhotoImage(rows, cols, cols * 3, COLOR_FMT_BGR24, 9);
    StackRun aligned{m_pFlow, &image, rows, cols, std::vector<uint8_t>(rows * cols * 3),
                     std::vector<uint8_t>(rows * cols)};
    ConvertBoth(&aligned);
    ASSERT_TRUE(aligned.converted && aligned.resinConverted);
    for (unsigned shift : {4u, 8u, 12u}) {
        StackRun off{m_pFlow, &image, rows, cols, std::vector<uint8_t>(rows * cols * 3),
                     std::vector<uint8_t>(rows * cols)};
        CallOffAlignment(ConvertBoth, &off, shift);
        EXPECT_TRUE(off.converted && off.resinConverted) << shift;
        EXPECT_EQ(aligned.planes, off.planes) << shift;
        EXPECT_EQ(aligned.resin, off.resin) << shift;
    }
}
#endif

} // namespace
