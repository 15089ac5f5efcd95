// The optimised engine against the literal reference implementation, byte
// for byte, on random images, settings and LUTs.
#include "ColourTestFlow.h"
#include "ReferenceColor.h"

namespace {

const uint32_t kSources[] = {COLOR_FMT_BGR24,  COLOR_FMT_RGB24,  COLOR_FMT_BGRX32, COLOR_FMT_RGBX32,
                             COLOR_FMT_XBGR32, COLOR_FMT_XRGB32, 0x05,             0x85};
const uint8_t kGridSizes[] = {3, 5, 9, 17, 33};
const float kGammas[] = {1.0f, 2.2f, 0.45f, 1.5f, 0.6667f, 1.8f, 0.7f, 2.6f};

int BytesPerPixel(uint32_t format)
{
    return (format & 0x80) ? 4 : 3;
}

struct Case {
    ReferenceSettings settings;
    int srcRows, srcCols, srcStride, dstRows, dstCols;
    uint32_t srcFormat, dstFormat;
    std::vector<uint8_t> image;
};

Case RandomCase(std::mt19937& rng, int maxSide)
{
    Case c;
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    c.srcRows = 1 + pick(maxSide);
    c.srcCols = 1 + pick(maxSide);
    c.dstRows = pick(3) == 0 ? 1 + pick(maxSide) : c.srcRows;
    c.dstCols = pick(3) == 0 ? 1 + pick(maxSide) : c.srcCols;
    c.srcFormat = kSources[pick(8)];
    c.srcStride = c.srcCols * BytesPerPixel(c.srcFormat) + pick(3) * pick(8);

    ReferenceSettings& s = c.settings;
    const int adjust = pick(64);
    for (int k = 0; k < 3; k++) {
        if (adjust & 1)
            s.brightness[k] = (int8_t)rng();
        if (adjust & 2)
            s.contrast[k] = (int8_t)rng();
        if (adjust & 4)
            s.colorCorrect[k] = (int8_t)(pick(41) - 20);
        s.gamma[k] = pick(4) ? kGammas[pick(8)] : 0.3f + (float)pick(3000) / 1000.0f;
    }
    s.gammaForm = adjust & 8;
    s.saturation = (adjust & 16) ? (int8_t)rng() : 0;
    s.sharpenLevel = (adjust & 32) ? (uint8_t)rng() : 0;

    const int kind = pick(6);
    const uint8_t channels = pick(2) ? 3 : 4;
    const bool grid = kind >= 2;
    const bool curves = kind == 1 || kind == 3 || (kind == 5 && pick(2));
    const bool tables = kind == 4 || kind == 5 || (kind == 1 && pick(2));
    s.lut = BuildLutBytes(RandomLut(rng, grid ? kGridSizes[pick(5)] : 0, channels, curves, tables, grid));
    c.dstFormat = channels == 4 ? COLOR_FMT_PLANAR4 : COLOR_FMT_PLANAR3;

    if (pick(4) == 0) {
        c.image.resize((size_t)(c.srcRows - 1) * c.srcStride + (size_t)c.srcCols * BytesPerPixel(c.srcFormat));
        for (auto& b : c.image)
            b = (uint8_t)rng();
    } else {
        c.image = PhotoImage(c.srcRows, c.srcCols, c.srcStride, c.srcFormat, rng());
        c.image.resize((size_t)(c.srcRows - 1) * c.srcStride + (size_t)c.srcCols * BytesPerPixel(c.srcFormat));
        // Some images are mostly dark, so the dark-image step is exercised.
        if (pick(3) == 0) {
            for (auto& b : c.image)
                b = (uint8_t)(b / 6);
        }
    }
    return c;
}

// Runs one case through the exports and the reference; returns the two
// destinations.
void RunCase(const Case& c, std::vector<uint8_t>* engine, std::vector<uint8_t>* reference)
{
    const size_t planeBytes = (size_t)c.dstRows * c.dstCols * 3;
    engine->assign(planeBytes, 0x5A);
    reference->assign(planeBytes, 0x5A);

    CColorFlow* flow = CreatZbColorFlow_o();
    ASSERT_NE(nullptr, flow);
    const ReferenceSettings& s = c.settings;
    ASSERT_TRUE(ApplySettings(flow, s));
    EXPECT_TRUE(ColorConvert_o(flow, c.image.data(), c.srcRows, c.srcCols, c.srcStride, c.srcFormat, engine->data(),
                               c.dstRows, c.dstCols, c.dstCols, c.dstFormat))
        << GetLastErrorCode_o(flow);
    ReleaseZbColorFlow_o(&flow);

    ASSERT_TRUE(ReferenceColorConvert(s, c.image.data(), c.srcRows, c.srcCols, c.srcStride, c.srcFormat,
                                      reference->data(), c.dstRows, c.dstCols, c.dstCols, c.dstFormat));
}

TEST(ColourReference, RandomSmallImagesMatchByteForByte)
{
    std::mt19937 rng(20240601);
    for (int i = 0; i < 400; i++) {
        const Case c = RandomCase(rng, 40);
        std::vector<uint8_t> engine, reference;
        RunCase(c, &engine, &reference);
        ASSERT_EQ(reference, engine) << "case " << i << ": " << c.srcRows << "x" << c.srcCols << " -> " << c.dstRows
                                     << "x" << c.dstCols << " format " << c.srcFormat << " saturation "
                                     << (int)c.settings.saturation << " sharpen " << (int)c.settings.sharpenLevel;
    }
}

TEST(ColourReference, RepeatedCallsOnOneFlowMatch)
{
    // One flow, settings changed between calls: the tables must follow.
    std::mt19937 rng(77);
    CColorFlow* flow = CreatZbColorFlow_o();
    ASSERT_NE(nullptr, flow);
    ReferenceSettings s;
    s.lut = BuildLutBytes(RandomLut(rng, 9, 3, true, true, true));
    ASSERT_TRUE(LoadLutBytes(flow, s.lut));
    const std::vector<uint8_t> image = PhotoImage(30, 40, 120, COLOR_FMT_BGR24, 5);
    for (int step = 0; step < 12; step++) {
        switch (step % 6) {
        case 0: s.brightness[step % 3] = (int8_t)rng(); break;
        case 1: s.contrast[step % 3] = (int8_t)rng(); break;
        case 2: s.colorCorrect[step % 3] = (int8_t)(rng() % 30); break;
        case 3: s.gammaForm = true; s.gamma[step % 3] = kGammas[rng() % 8]; break;
        case 4: s.saturation = (int8_t)rng(); break;
        case 5: s.sharpenLevel = (uint8_t)rng(); break;
        }
        ApplyAdjustments(flow, s);
        std::vector<uint8_t> engine(30 * 40 * 3), reference(30 * 40 * 3);
        ASSERT_TRUE(ColorConvert_o(flow, image.data(), 30, 40, 120, COLOR_FMT_BGR24, engine.data(), 30, 40, 40,
                                   COLOR_FMT_PLANAR3));
        ASSERT_TRUE(ReferenceColorConvert(s, image.data(), 30, 40, 120, COLOR_FMT_BGR24, reference.data(), 30, 40,
                                          40, COLOR_FMT_PLANAR3));
        ASSERT_EQ(reference, engine) << "step " << step;
    }
    ReleaseZbColorFlow_o(&flow);
}

TEST(ColourReference, LargeGridsReadAsBytesMatch)
{
    // Grids above 33 points are read as bytes rather than as reals.
    std::mt19937 rng(6565);
    for (const uint8_t n : {65, 129}) {
        for (const uint8_t channels : {3, 4}) {
            Case c = RandomCase(rng, 40);
            c.settings.lut = BuildLutBytes(RandomLut(rng, n, channels, true, true, true));
            c.dstFormat = channels == 4 ? COLOR_FMT_PLANAR4 : COLOR_FMT_PLANAR3;
            std::vector<uint8_t> engine, reference;
            RunCase(c, &engine, &reference);
            ASSERT_EQ(reference, engine) << "grid " << (int)n << " channels " << (int)channels;
        }
    }
}

TEST(ColourReference, WildLutRealsMatch)
{
    // Curves and tables of any bit pattern (NaN, infinities, huge values):
    // every conversion of a real to a level must agree.
    std::mt19937 rng(31337);
    for (int i = 0; i < 40; i++) {
        LutSpec spec = RandomLut(rng, 5, 3, true, true, i % 2 == 0);
        for (auto& v : spec.curveData) {
            uint32_t bits = rng();
            memcpy(&v, &bits, 4);
        }
        for (auto& v : spec.tableData) {
            uint32_t bits = rng();
            memcpy(&v, &bits, 4);
        }
        Case c = RandomCase(rng, 12);
        c.settings.lut = BuildLutBytes(spec);
        c.dstFormat = COLOR_FMT_PLANAR3;
        std::vector<uint8_t> engine, reference;
        RunCase(c, &engine, &reference);
        ASSERT_EQ(reference, engine) << "case " << i;
    }
}

TEST(ColourReference, CardWithGridSaturationAndSharpeningMatches)
{
    std::mt19937 rng(648);
    Case c;
    c.srcRows = c.dstRows = 1012;
    c.srcCols = c.dstCols = 648;
    c.srcFormat = COLOR_FMT_BGR24;
    c.srcStride = 648 * 3;
    c.dstFormat = COLOR_FMT_PLANAR3;
    c.settings.lut = BuildLutBytes(RandomLut(rng, 17, 3, true, true, true));
    c.settings.saturation = 30;
    c.settings.sharpenLevel = 128;
    c.settings.brightness[1] = 8;
    c.settings.contrast[2] = -12;
    c.image = PhotoImage(c.srcRows, c.srcCols, c.srcStride, c.srcFormat, 1);
    std::vector<uint8_t> engine, reference;
    RunCase(c, &engine, &reference);
    ASSERT_EQ(reference, engine);
}

// Inputs made with integers alone, so that every build sees the same
// bytes, and a digest of what the engine makes of them.
uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

uint64_t Digest(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

TEST(ColourReference, EveryBuildMakesTheSameBytes)
{
    const int rows = 101, cols = 67;
    std::vector<uint8_t> image((size_t)rows * cols * 3);
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < cols; c++)
            for (int k = 0; k < 3; k++)
                image[((size_t)r * cols + c) * 3 + k] =
                    (uint8_t)((r * (k + 2) + c * (3 - k) + (Mix(r * cols + c) & 15)) & 0xFF);
    LutSpec spec;
    spec.curves = spec.tables = spec.grid = true;
    spec.channels = 3;
    spec.gridPoints = 17;
    for (int i = 0; i < 768; i++)
        spec.curveData.push_back((float)(i % 256) * 0.75f + (float)(Mix(i) % 64) / 1.0f);
    for (int i = 0; i < 768; i++)
        spec.tableData.push_back((float)(i % 256) + (float)(Mix(i + 1000) % 16) / 4.0f);
    for (int i = 0; i < 17 * 17 * 17 * 3; i++)
        spec.gridData.push_back((uint8_t)Mix(i + 5000));
    const std::vector<uint8_t> lut = BuildLutBytes(spec);

    CColorFlow* flow = CreatZbColorFlow_o();
    ASSERT_NE(nullptr, flow);
    ASSERT_TRUE(LoadLutBytes(flow, lut));
    SetGammaValueByReal_o(flow, 2.2f, 1.3f, 0.45f);
    SetBrightnessValueByReal_o(flow, 5, -3, 0);
    SetContrastValueByReal_o(flow, 10, 0, -20);
    SetSaturated_o(flow, 33);
    SetSharpen_o(flow, 200);
    std::vector<uint8_t> planes((size_t)rows * cols * 3);
    ASSERT_TRUE(ColorConvert_o(flow, image.data(), rows, cols, cols * 3, COLOR_FMT_BGR24, planes.data(), rows, cols,
                               cols, COLOR_FMT_PLANAR3));
    EXPECT_EQ(3194130098703140254ull, Digest(planes));

    std::vector<uint8_t> resin((size_t)rows * cols);
    SetResinModelMediaMode_o(flow, 0, 4, 2, 0, 1);
    ASSERT_TRUE(ConvertRGB2Resin_o(flow, image.data(), rows, cols, cols * 3, COLOR_FMT_BGR24, resin.data(), rows, cols,
                                   cols, COLOR_FMT_GRAY8));
    SetResinModelMediaMode_o(flow, 0, 1, 2, 0, 1);
    std::vector<uint8_t> second(resin.size());
    ASSERT_TRUE(ConvertRGB2Resin_o(flow, image.data(), rows, cols, cols * 3, COLOR_FMT_BGR24, second.data(), rows,
                                   cols, cols, COLOR_FMT_GRAY8));
    resin.insert(resin.end(), second.begin(), second.end());
    EXPECT_EQ(11424602896323928888ull, Digest(resin));
    ReleaseZbColorFlow_o(&flow);
}

} // namespace
