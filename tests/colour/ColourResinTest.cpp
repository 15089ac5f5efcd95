// ConvertRGB2Resin_o and SetResinModelMediaMode_o: level maps, error
// diffusion, both filters, every destination format and the checks that
// refuse a call before anything is written.
#include "ColourTestFlow.h"
#include "ReferenceColor.h"

#include <algorithm>

namespace {

const uint8_t kGuard = 0xA5;

enum { MODEL_NONE = 0, MODEL_A = 1, MODEL_B = 2 };
enum { MEDIA_PLAIN = 0, MEDIA_THRESHOLD = 1, MEDIA_DIFFUSION = 2, MEDIA_LINEAR = 3 };

class ColourResin : public FlowTest {
protected:
    void Mode(int model, int media, int threshold, int invert)
    {
        ASSERT_TRUE(SetResinModelMediaMode_o(m_pFlow, 0, model, media, threshold, invert));
    }
    // A grey image converted into a tight grey destination of the same size.
    std::vector<uint8_t> Grey(const std::vector<uint8_t>& levels, int rows, int cols)
    {
        std::vector<uint8_t> out((size_t)rows * cols + 8, kGuard);
        EXPECT_TRUE(ConvertRGB2Resin_o(m_pFlow, levels.data(), rows, cols, cols, COLOR_FMT_GRAY8, out.data(), rows,
                                       cols, cols, COLOR_FMT_GRAY8));
        for (size_t i = (size_t)rows * cols; i < out.size(); i++)
            EXPECT_EQ(kGuard, out[i]);
        out.resize((size_t)rows * cols);
        return out;
    }
    // Levels 0..255 as one column: no filter changes a single column but
    // filter B, so the map shows as it is.
    std::vector<uint8_t> Map()
    {
        std::vector<uint8_t> ramp(256);
        for (int i = 0; i < 256; i++)
            ramp[i] = (uint8_t)i;
        return Grey(ramp, 256, 1);
    }
    void ExpectRefused(const uint8_t* src, int rows, int cols, int stride, uint32_t format, int dstRows, int dstCols,
                       int dstStride, uint32_t dstFormat, uint32_t code = kInvalidData)
    {
        std::vector<uint8_t> dst(4096, kGuard);
        PrimeLastError();
        EXPECT_FALSE(ConvertRGB2Resin_o(m_pFlow, src, rows, cols, stride, format, dst.data(), dstRows, dstCols,
                                        dstStride, dstFormat));
        EXPECT_EQ(code, GetLastErrorCode_o(m_pFlow));
        for (uint8_t b : dst)
            ASSERT_EQ(kGuard, b);
    }
};

std::vector<uint8_t> Ramp(bool inverted)
{
    std::vector<uint8_t> r(256);
    for (int i = 0; i < 256; i++)
        r[i] = (uint8_t)(inverted ? 255 - i : i);
    return r;
}

// ---- level maps ----

TEST_F(ColourResin, FreshFlowMapsLevelsToThemselves)
{
    EXPECT_EQ(Ramp(false), Map());
}

TEST_F(ColourResin, ThresholdMapAndItsInverse)
{
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 128, 1);
    std::vector<uint8_t> map = Map();
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(i < 128 ? 255 : 0, map[i]) << i;
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 128, 0);
    map = Map();
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(i < 128 ? 0 : 255, map[i]) << i;
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 0, 0);
    EXPECT_EQ(std::vector<uint8_t>(256, 255), Map());
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 0, 1);
    EXPECT_EQ(std::vector<uint8_t>(256, 0), Map());
}

TEST_F(ColourResin, WithoutInvertOtherMediaKeepLevels)
{
    for (int media : {(int)MEDIA_PLAIN, (int)MEDIA_LINEAR, 4, -1}) {
        Mode(3, media, 77, 0);
        EXPECT_EQ(Ramp(false), Map()) << media;
    }
}

TEST_F(ColourResin, InvertedLinearMediaAndIdentityModels)
{
    // Model 3 has no filter; media 3 gives it the identity, inverted.
    Mode(3, MEDIA_LINEAR, 0, 1);
    EXPECT_EQ(Ramp(true), Map());
    Mode(3, MEDIA_PLAIN, 0, 1);
    EXPECT_EQ(Ramp(true), Map());
    // Model 1 with media 3: the byte gamma curve of 1.0, which is the
    // identity; filter A leaves a single column alone.
    Mode(MODEL_A, MEDIA_LINEAR, 0, 1);
    EXPECT_EQ(Ramp(true), Map());
}

TEST_F(ColourResin, DiffusionFollowsMediaTwoWhateverTheInvert)
{
    Mode(MODEL_NONE, MEDIA_DIFFUSION, 0, 0);
    const std::vector<uint8_t> flat = Grey(std::vector<uint8_t>(8 * 6, 128), 6, 8);
    EXPECT_EQ(255, flat[0]);
    EXPECT_EQ(0, flat[1]);
    for (uint8_t v : flat)
        EXPECT_TRUE(v == 0 || v == 255);
    EXPECT_NE(std::count(flat.begin(), flat.end(), 0), 0);
    EXPECT_NE(std::count(flat.begin(), flat.end(), 255), 0);
    EXPECT_EQ(std::vector<uint8_t>(48, 0), Grey(std::vector<uint8_t>(48, 0), 6, 8));
    EXPECT_EQ(std::vector<uint8_t>(48, 255), Grey(std::vector<uint8_t>(48, 255), 6, 8));
}

TEST_F(ColourResin, DiffusionSpreadsTheErrorOverTheArea)
{
    // A flat 64 comes out about a quarter full.
    Mode(MODEL_NONE, MEDIA_DIFFUSION, 0, 0);
    const std::vector<uint8_t> out = Grey(std::vector<uint8_t>(40 * 40, 64), 40, 40);
    const long full = std::count(out.begin(), out.end(), 255);
    EXPECT_NEAR(400, full, 40);
}

// ---- filters ----

TEST_F(ColourResin, FilterAThinsInsideAndKeepsTheSideColumns)
{
    const std::vector<uint8_t> out = Grey(std::vector<uint8_t>(25, 255), 5, 5);
    for (int r = 0; r < 5; r++) {
        EXPECT_EQ(255, out[r * 5 + 0]);
        EXPECT_EQ(255, out[r * 5 + 4]);
    }
    // First row: only the row's own neighbours (28); second: one row above
    // (86); from the third on the full kernel (127) leaves 128.
    EXPECT_EQ(227, out[0 * 5 + 2]);
    EXPECT_EQ(169, out[1 * 5 + 2]);
    EXPECT_EQ(128, out[2 * 5 + 2]);
    EXPECT_EQ(128, out[4 * 5 + 3]);
}

TEST_F(ColourResin, FilterALeavesNarrowImagesAlone)
{
    std::vector<uint8_t> levels(2 * 6);
    for (size_t i = 0; i < levels.size(); i++)
        levels[i] = (uint8_t)(40 + 17 * i);
    EXPECT_EQ(levels, Grey(levels, 6, 2));
    EXPECT_EQ(std::vector<uint8_t>(5, 200), Grey(std::vector<uint8_t>(5, 200), 5, 1));
}

TEST_F(ColourResin, FilterALeavesEmptyPixels)
{
    std::vector<uint8_t> levels(5 * 5, 255);
    levels[12] = 0;
    EXPECT_EQ(0, Grey(levels, 5, 5)[12]);
}

TEST_F(ColourResin, FilterBLightensAThinLineAndShadowsAboveIt)
{
    Mode(MODEL_B, MEDIA_PLAIN, 0, 0);
    std::vector<uint8_t> levels(5 * 6, 0);
    for (int c = 0; c < 6; c++)
        levels[2 * 6 + c] = 255;
    const std::vector<uint8_t> out = Grey(levels, 5, 6);
    for (int c = 0; c < 6; c++) {
        EXPECT_EQ(0, out[0 * 6 + c]) << c;
        EXPECT_EQ(69, out[1 * 6 + c]) << c;
        EXPECT_EQ(225, out[2 * 6 + c]) << c;
        EXPECT_EQ(0, out[3 * 6 + c]) << c;
    }
}

TEST_F(ColourResin, FilterBShadowsOnlyBetweenFirstAndLastRow)
{
    Mode(MODEL_B, MEDIA_PLAIN, 0, 0);
    std::vector<uint8_t> levels(3 * 4, 0);
    for (int c = 0; c < 4; c++)
        levels[2 * 4 + c] = 255;
    const std::vector<uint8_t> last = Grey(levels, 3, 4);
    EXPECT_EQ(0, last[1 * 4 + 1]);
    EXPECT_EQ(225, last[2 * 4 + 1]);
    // A lone pixel row on a one-row image: the row's own pixels only.
    EXPECT_EQ(std::vector<uint8_t>(4, 225), Grey(std::vector<uint8_t>(4, 255), 1, 4));
    // A single column stands in for both its neighbours.
    EXPECT_EQ(225, Grey(std::vector<uint8_t>(1, 255), 1, 1)[0]);
}

// ---- sources and destinations ----

TEST_F(ColourResin, ColourBecomesGrey)
{
    Mode(MODEL_NONE, MEDIA_PLAIN, 0, 0);
    const uint8_t pixels[] = {0, 0, 255, 255, 255, 255, 0, 0, 0, 50, 100, 150};
    uint8_t out[4];
    ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, pixels, 1, 4, 12, COLOR_FMT_BGR24, out, 1, 4, 4, COLOR_FMT_GRAY8));
    EXPECT_EQ(77, out[0]);
    EXPECT_EQ(255, out[1]);
    EXPECT_EQ(0, out[2]);
    // 0.6 x 100 + 0.3 x 150 + 0.5 + 0.1 x 50
    EXPECT_EQ(110, out[3]);
}

TEST_F(ColourResin, GreySourceIsCopiedRowByRow)
{
    Mode(MODEL_NONE, MEDIA_PLAIN, 0, 0);
    // Source stride 7, destination stride 5: only the pixels move.
    std::vector<uint8_t> src(2 * 7 + 4);
    for (size_t i = 0; i < src.size(); i++)
        src[i] = (uint8_t)(10 * i);
    std::vector<uint8_t> dst(3 * 5, kGuard);
    ASSERT_TRUE(
        ConvertRGB2Resin_o(m_pFlow, src.data(), 3, 4, 7, COLOR_FMT_GRAY8, dst.data(), 3, 4, 5, COLOR_FMT_GRAY8));
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(src[r * 7 + c], dst[r * 5 + c]);
        EXPECT_EQ(kGuard, dst[r * 5 + 4]);
    }
}

TEST_F(ColourResin, GreyResizePicksNearestPixels)
{
    Mode(MODEL_NONE, MEDIA_PLAIN, 0, 0);
    const uint8_t src[] = {10, 20, 30};
    uint8_t dst[7];
    ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src, 1, 3, 3, COLOR_FMT_GRAY8, dst, 1, 7, 7, COLOR_FMT_GRAY8));
    const uint8_t picks[] = {10, 10, 10, 20, 20, 30, 30};
    EXPECT_EQ(0, memcmp(picks, dst, 7));

    std::vector<uint8_t> tall(100);
    for (int i = 0; i < 100; i++)
        tall[i] = (uint8_t)i;
    std::vector<uint8_t> half(50);
    ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, tall.data(), 100, 1, 1, COLOR_FMT_GRAY8, half.data(), 50, 1, 1,
                                   COLOR_FMT_GRAY8));
    for (int i = 0; i < 50; i++)
        EXPECT_EQ(2 * i + 1, half[i]);
}

TEST_F(ColourResin, ColourResizeGivesGreyOfTheNearestPixel)
{
    Mode(MODEL_NONE, MEDIA_PLAIN, 0, 0);
    const uint8_t src[] = {255, 0, 0, 0, 0, 255, 255, 255, 255};
    uint8_t dst[6];
    ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src, 1, 3, 9, COLOR_FMT_RGB24, dst, 2, 3, 3, COLOR_FMT_GRAY8));
    const uint8_t expected[] = {77, 26, 255, 77, 26, 255};
    EXPECT_EQ(0, memcmp(expected, dst, 6));
}

TEST_F(ColourResin, EveryDestinationFormatGetsTheLevelInRGB)
{
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 100, 1);
    const uint8_t src[] = {50, 150, 200, 20};
    struct Target {
        uint32_t format;
        int bpp, offR, offG, offB;
    };
    const Target targets[] = {{COLOR_FMT_BGR24, 3, 2, 1, 0},  {COLOR_FMT_RGB24, 3, 0, 1, 2},
                              {COLOR_FMT_BGRX32, 4, 2, 1, 0}, {COLOR_FMT_XRGB32, 4, 1, 2, 3},
                              {COLOR_FMT_XBGR32, 4, 3, 2, 1}, {COLOR_FMT_RGBX32, 4, 0, 1, 2}};
    for (const Target& t : targets) {
        std::vector<uint8_t> dst(2 * (2 * t.bpp + 1), kGuard);
        ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src, 2, 2, 2, COLOR_FMT_GRAY8, dst.data(), 2, 2, 2 * t.bpp + 1,
                                       t.format));
        for (int i = 0; i < 4; i++) {
            const uint8_t* p = &dst[(i / 2) * (2 * t.bpp + 1) + (i % 2) * t.bpp];
            const uint8_t want = src[i] < 100 ? 255 : 0;
            EXPECT_EQ(want, p[t.offR]);
            EXPECT_EQ(want, p[t.offG]);
            EXPECT_EQ(want, p[t.offB]);
            // The unused byte of a four-byte pixel is not written.
            if (t.bpp == 4) {
                EXPECT_EQ(kGuard, p[6 - t.offR - t.offG - t.offB]);
            }
        }
        EXPECT_EQ(kGuard, dst[2 * t.bpp]);
    }
    for (uint32_t planar : std::initializer_list<uint32_t>{COLOR_FMT_PLANAR3, COLOR_FMT_PLANAR4}) {
        std::vector<uint8_t> dst(3 * 4 + 4, kGuard);
        ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src, 2, 2, 2, COLOR_FMT_GRAY8, dst.data(), 2, 2, 2, planar));
        const uint8_t want[] = {255, 0, 0, 255};
        for (int plane = 0; plane < 3; plane++)
            EXPECT_EQ(0, memcmp(want, &dst[plane * 4], 4)) << plane;
        EXPECT_EQ(kGuard, dst[12]);
    }
}

TEST_F(ColourResin, PlanarSourceIsReadAsThreePlanes)
{
    Mode(MODEL_NONE, MEDIA_PLAIN, 0, 0);
    // R plane, G plane, B plane of a 1 x 2 image: (255, 0, 0) and (0, 0, 255).
    const uint8_t src[] = {255, 0, 0, 0, 0, 255};
    uint8_t dst[2];
    ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src, 1, 2, 2, COLOR_FMT_PLANAR3, dst, 1, 2, 2, COLOR_FMT_GRAY8));
    EXPECT_EQ(77, dst[0]);
    EXPECT_EQ(26, dst[1]);
}

TEST_F(ColourResin, FiltersWalkAGreyDestinationByItsStride)
{
    for (int model : {(int)MODEL_A, (int)MODEL_B}) {
        Mode(model, MEDIA_DIFFUSION, 0, 1);
        const std::vector<uint8_t> src = PhotoImage(9, 11, 33, COLOR_FMT_BGR24, 4);
        std::vector<uint8_t> tight(9 * 11), wide(9 * 16, kGuard);
        ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src.data(), 9, 11, 33, COLOR_FMT_BGR24, tight.data(), 9, 11, 11,
                                       COLOR_FMT_GRAY8));
        ASSERT_TRUE(ConvertRGB2Resin_o(m_pFlow, src.data(), 9, 11, 33, COLOR_FMT_BGR24, wide.data(), 9, 11, 16,
                                       COLOR_FMT_GRAY8));
        for (int r = 0; r < 9; r++) {
            EXPECT_EQ(0, memcmp(&tight[r * 11], &wide[r * 16], 11)) << model << " row " << r;
            for (int c = 11; c < 16; c++)
                EXPECT_EQ(kGuard, wide[r * 16 + c]);
        }
    }
}

// ---- refusals ----

TEST_F(ColourResin, NullBuffersAreRefused)
{
    uint8_t buffer[16] = {};
    ExpectRefused(nullptr, 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_GRAY8);
    PrimeLastError();
    EXPECT_FALSE(ConvertRGB2Resin_o(m_pFlow, buffer, 2, 2, 6, COLOR_FMT_BGR24, nullptr, 2, 2, 2, COLOR_FMT_GRAY8));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourResin, BadImageArgumentsAreRefused)
{
    const std::vector<uint8_t> src(256, 128);
    ExpectRefused(src.data(), -1, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_GRAY8);
    ExpectRefused(src.data(), 2, 2, 5, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_GRAY8);
    ExpectRefused(src.data(), 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 1, COLOR_FMT_GRAY8);
    ExpectRefused(src.data(), 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 3, COLOR_FMT_PLANAR3);
    ExpectRefused(src.data(), 2, 2, 3, COLOR_FMT_PLANAR3, 2, 2, 2, COLOR_FMT_GRAY8);
    ExpectRefused(src.data(), 2, 2, 2, 0x8000, 2, 2, 2, COLOR_FMT_GRAY8);
    ExpectRefused(src.data(), 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, 0xC001);
    ExpectRefused(src.data(), 0, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_GRAY8);
    // Exactly a row is enough.
    uint8_t dst[4];
    EXPECT_TRUE(ConvertRGB2Resin_o(m_pFlow, src.data(), 2, 2, 6, COLOR_FMT_BGR24, dst, 2, 2, 2, COLOR_FMT_GRAY8));
}

TEST_F(ColourResin, WorkImageBeyondMemoryFailsWithNotEnoughMemory)
{
    // Planes of 2^30 x 2^30 are a valid argument on a 64-bit system, but
    // their work image cannot be had; nothing is written.
    const uint8_t src[3] = {10, 20, 30};
    uint8_t dst[16];
    memset(dst, kGuard, sizeof dst);
    PrimeLastError();
    EXPECT_FALSE(ConvertRGB2Resin_o(m_pFlow, src, 1, 1, 3, COLOR_FMT_BGR24, dst, 1 << 30, 1 << 30, 1 << 30,
                                    COLOR_FMT_PLANAR3));
    EXPECT_EQ(kNotEnoughMemory, GetLastErrorCode_o(m_pFlow));
    for (uint8_t b : dst)
        EXPECT_EQ(kGuard, b);
}

TEST_F(ColourResin, SettingsSurviveAFailedConversion)
{
    Mode(MODEL_NONE, MEDIA_THRESHOLD, 128, 1);
    ExpectRefused(nullptr, 2, 2, 6, COLOR_FMT_BGR24, 2, 2, 2, COLOR_FMT_GRAY8);
    const std::vector<uint8_t> map = Map();
    EXPECT_EQ(255, map[127]);
    EXPECT_EQ(0, map[128]);
}

// ---- against the reference ----

TEST(ColourResinReference, RandomConversionsMatchByteForByte)
{
    const uint32_t formats[] = {COLOR_FMT_BGR24,  COLOR_FMT_RGB24, COLOR_FMT_BGRX32,  COLOR_FMT_XRGB32,
                                COLOR_FMT_GRAY8,  COLOR_FMT_PLANAR3, COLOR_FMT_PLANAR4, 0x05};
    std::mt19937 rng(4242);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    for (int i = 0; i < 300; i++) {
        ReferenceResinSettings s;
        s.fresh = pick(5) == 0;
        s.model = pick(7) - 1;
        s.mediaMode = pick(5);
        s.threshold = (uint8_t)rng();
        s.invert = (uint8_t)(pick(3) ? 1 : 0);
        const int srcRows = 1 + pick(30), srcCols = 1 + pick(30);
        const int dstRows = pick(3) ? srcRows : 1 + pick(30), dstCols = pick(3) ? srcCols : 1 + pick(30);
        const uint32_t srcFormat = formats[pick(8)], dstFormat = formats[pick(8)];
        auto bpp = [](uint32_t f) { return (f & 0x8000) ? 1 : (f & 0x80) ? 4 : 3; };
        auto planar = [](uint32_t f) { return f == COLOR_FMT_PLANAR3 || f == COLOR_FMT_PLANAR4; };
        const int srcStride = planar(srcFormat) ? srcCols : srcCols * bpp(srcFormat) + pick(4);
        const int dstStride = planar(dstFormat) ? dstCols : dstCols * bpp(dstFormat) + pick(4);
        std::vector<uint8_t> src;
        if (planar(srcFormat)) {
            src.resize((size_t)srcRows * srcCols * 3);
            for (auto& b : src)
                b = (uint8_t)rng();
        } else {
            src = PhotoImage(srcRows, srcCols, srcStride, srcFormat, rng());
        }
        const size_t dstBytes = planar(dstFormat) ? (size_t)dstRows * dstCols * 3 : (size_t)dstRows * dstStride;
        std::vector<uint8_t> engine(dstBytes, kGuard), reference(dstBytes, kGuard);

        CColorFlow* flow = CreatZbColorFlow_o();
        ASSERT_NE(nullptr, flow);
        if (!s.fresh)
            SetResinModelMediaMode_o(flow, 0, s.model, s.mediaMode, s.threshold, s.invert);
        ASSERT_TRUE(ConvertRGB2Resin_o(flow, src.data(), srcRows, srcCols, srcStride, srcFormat, engine.data(),
                                       dstRows, dstCols, dstStride, dstFormat))
            << GetLastErrorCode_o(flow);
        ReleaseZbColorFlow_o(&flow);
        ASSERT_TRUE(ReferenceConvertRGB2Resin(s, src.data(), srcRows, srcCols, srcStride, srcFormat, reference.data(),
                                              dstRows, dstCols, dstStride, dstFormat));
        ASSERT_EQ(reference, engine) << "case " << i << " model " << s.model << " media " << s.mediaMode;
    }
}

TEST(ColourResinReference, WideImagesMatchByteForByte)
{
    // Widths around the engine's steps of 8 and 16 pixels and a whole card,
    // through the diffusion and both filters.
    struct Wide {
        int cols;
        uint32_t srcFormat, dstFormat;
        int model, mediaMode;
    };
    const Wide cases[] = {
        {17, COLOR_FMT_BGR24, COLOR_FMT_GRAY8, 1, 2},   {18, COLOR_FMT_RGB24, COLOR_FMT_GRAY8, 4, 2},
        {33, COLOR_FMT_XRGB32, COLOR_FMT_PLANAR3, 1, 3}, {100, COLOR_FMT_BGRX32, COLOR_FMT_BGR24, 2, 2},
        {648, COLOR_FMT_BGR24, COLOR_FMT_GRAY8, 1, 2},  {651, COLOR_FMT_GRAY8, COLOR_FMT_GRAY8, 1, 0},
    };
    const int rows = 9;
    for (const Wide& w : cases) {
        ReferenceResinSettings s;
        s.fresh = false;
        s.model = w.model;
        s.mediaMode = w.mediaMode;
        const int bpp = w.srcFormat == COLOR_FMT_GRAY8 ? 1 : (w.srcFormat & 0x80) ? 4 : 3;
        const int dstBpp = w.dstFormat == COLOR_FMT_BGR24 ? 3 : 1;
        const int dstStride = w.dstFormat == COLOR_FMT_PLANAR3 ? w.cols : w.cols * dstBpp;
        const std::vector<uint8_t> src = PhotoImage(rows, w.cols, w.cols * bpp, w.srcFormat, (uint32_t)w.cols);
        const size_t dstBytes = (size_t)rows * w.cols * (w.dstFormat == COLOR_FMT_GRAY8 ? 1 : 3);
        std::vector<uint8_t> engine(dstBytes, kGuard), reference(dstBytes, kGuard);
        CColorFlow* flow = CreatZbColorFlow_o();
        ASSERT_NE(nullptr, flow);
        SetResinModelMediaMode_o(flow, 0, w.model, w.mediaMode, 0, 1);
        ASSERT_TRUE(ConvertRGB2Resin_o(flow, src.data(), rows, w.cols, w.cols * bpp, w.srcFormat, engine.data(), rows,
                                       w.cols, dstStride, w.dstFormat));
        ReleaseZbColorFlow_o(&flow);
        ASSERT_TRUE(ReferenceConvertRGB2Resin(s, src.data(), rows, w.cols, w.cols * bpp, w.srcFormat, reference.data(),
                                              rows, w.cols, dstStride, w.dstFormat));
        ASSERT_EQ(reference, engine) << w.cols << " columns";
    }
}

} // namespace
