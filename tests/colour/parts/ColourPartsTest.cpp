// The engine's parts where their contract is finer than the exports show:
// the integer forms of the real-valued rules, totality of every real-to-level
// conversion, pixel formats and image checks, buffer reuse, the saturation
// curve, the resin level maps and the file stream.
#include "ColorError.h"
#include "ColorFlow.h"
#include "ColorLUT.h"
#include "ColourTestSupport.h"
#include "ReferenceColor.h"
#include "FloatToByte.h"
#include "GreyLevel.h"
#include "PackedPixel.h"
#include "PixelFormat.h"
#include "ResinCvt.h"
#include "ResinFilter.h"
#include "SimdLevel.h"
#include "ZbFileIO.h"
#include "ZbSatue.h"
#include "ZbSharpen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

// ---- integer forms of the real rules, over every input ----

TEST(ColourExactness, GreyLevelEqualsTheFloatWeightsForEveryTriple)
{
    float rw[256], gw[256], bw[256];
    for (int i = 0; i < 256; i++) {
        rw[i] = 0.3f * (float)i + 0.5f;
        gw[i] = 0.6f * (float)i;
        bw[i] = 0.1f * (float)i;
    }
    long mismatches = 0;
    for (int r = 0; r < 256; r++)
        for (int g = 0; g < 256; g++)
            for (int b = 0; b < 256; b++)
                mismatches += GreyLevel(r, g, b) != (uint8_t)(int)((gw[g] + rw[r]) + bw[b]);
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(77, GreyLevel(255, 0, 0));
    EXPECT_EQ(255, GreyLevel(255, 255, 255));
    EXPECT_EQ(0, GreyLevel(0, 0, 0));
}

TEST(ColourExactness, ResinFilterLevelEqualsBothRealForms)
{
    auto real = [](double x) -> int { return x > 255 ? 255 : x < 0.0001 ? 0 : (int)(x + 0.5); };
    long mismatches = 0;
    for (int p = 1; p < 256; p++) {
        // Filter A: weights add up to 127, multiplied by 1/255.
        for (int sum = 0; sum <= 127 * 255; sum++)
            mismatches += ResinFilterLevel(p, sum) != real(p - sum * 0.00392156862745098);
        // Filter B: weights add up to 117, divided by 255.
        for (int sum = 0; sum <= 117 * 255; sum++)
            mismatches += ResinFilterLevel(p, sum) != real(p - sum / 255.0);
    }
    EXPECT_EQ(0, mismatches);
}

TEST(ColourExactness, RealToLevelIsTotal)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(0, FloatToByte(NAN));
    EXPECT_EQ(0, FloatToByte(inf));
    EXPECT_EQ(0, FloatToByte(-inf));
    EXPECT_EQ(0, FloatToByte(2147483648.0f));
    EXPECT_EQ(0, FloatToByte(-2147483904.0f));
    EXPECT_EQ(0, FloatToByte(3e38f));
    // Truncated toward zero, then the low byte.
    EXPECT_EQ(0, FloatToByte(256.7f));
    EXPECT_EQ(1, FloatToByte(257.9f));
    EXPECT_EQ(255, FloatToByte(-1.5f));
    EXPECT_EQ(0, FloatToByte(-0.9f));
    EXPECT_EQ(200, FloatToByte(200.99f));
    EXPECT_EQ(0, FloatToByte(-2147483648.0f));
    EXPECT_EQ(0, DoubleToByte(NAN));
    EXPECT_EQ(0, DoubleToByte(-1e300));
    EXPECT_EQ(0, DoubleToByte(2147483648.0));
    EXPECT_EQ(255, DoubleToByte(2147483647.0));
    EXPECT_EQ(0, FloatToInt(NAN));
    EXPECT_EQ(-3, FloatToInt(-3.7f));
    EXPECT_EQ(0.0f, ClampLevel(NAN, 255.0f));
    EXPECT_EQ(255.0f, ClampLevel(inf, 255.0f));
    EXPECT_EQ(0.0f, ClampLevel(-inf, 255.0f));
}

TEST(ColourExactness, LuminanceRowsEqualGreyLevelForEveryTriple)
{
    // Rows of 4099 pixels, so the eight-pixel steps meet every remainder.
    const uint32_t width = 4099;
    std::vector<uint32_t> packed(width);
    std::vector<int16_t> row(width + 2);
    long mismatches = 0;
    for (uint32_t first = 0; first < (1u << 24); first += width) {
        for (uint32_t j = 0; j < width; j++)
            packed[j] = (first + j) & 0xFFFFFF;
        CZbSharpen::LuminanceRow(packed.data(), row.data(), width);
        for (uint32_t j = 0; j < width; j++)
            mismatches += row[j + 1] != GreyLevel(PackedR(packed[j]), PackedG(packed[j]), PackedB(packed[j]));
    }
    EXPECT_EQ(0, mismatches);
}

// The saturation of whole rows (four pixels at a time where the processor
// allows) against the literal step of the reference, pixel by pixel.
long SaturationMismatches(int8_t value, const std::vector<uint32_t>& pixels)
{
    ZbSatue satue;
    satue.SetCurve(value);
    const int width = 4099;
    const PixelLayout bgr = DecodePixelFormat(COLOR_FMT_BGR24, 0);
    std::vector<uint8_t> row(width * 3);
    std::vector<uint32_t> out(width);
    long mismatches = 0;
    for (size_t first = 0; first < pixels.size(); first += width) {
        const int count = (int)std::min<size_t>(width, pixels.size() - first);
        for (int j = 0; j < count; j++) {
            row[j * 3 + 2] = (uint8_t)PackedR(pixels[first + j]);
            row[j * 3 + 1] = (uint8_t)PackedG(pixels[first + j]);
            row[j * 3 + 0] = (uint8_t)PackedB(pixels[first + j]);
        }
        satue.SaturateRow(row.data(), bgr, count, out.data());
        for (int j = 0; j < count; j++) {
            uint8_t r = (uint8_t)PackedR(pixels[first + j]), g = (uint8_t)PackedG(pixels[first + j]),
                    b = (uint8_t)PackedB(pixels[first + j]);
            ReferenceSaturatePixel(value, r, g, b);
            mismatches += out[j] != PackRGB(r, g, b);
        }
    }
    return mismatches;
}

TEST(ColourExactness, SaturationEqualsTheLiteralStepForEveryTriple)
{
    std::vector<uint32_t> all(1u << 24);
    for (uint32_t i = 0; i < all.size(); i++)
        all[i] = i;
    EXPECT_EQ(0, SaturationMismatches(20, all));
}

TEST(ColourExactness, SaturationEqualsTheLiteralStepForEveryKindOfValue)
{
    std::mt19937 rng(11);
    std::vector<uint32_t> some(200000);
    for (auto& p : some)
        p = rng() & 0xFFFFFF;
    // Greys and ties, where the channel roles decide the rounding.
    for (uint32_t v = 0; v < 256; v++) {
        some.push_back(PackRGB(v, v, v));
        some.push_back(PackRGB(v, v, 255 - v));
        some.push_back(PackRGB(v, 255 - v, v));
        some.push_back(PackRGB(255 - v, v, v));
    }
    for (int value : {127, 126, 64, 1, -1, -64, -127, -128})
        EXPECT_EQ(0, SaturationMismatches((int8_t)value, some)) << value;
}

// ---- pixel formats and image arguments ----

TEST(ColourPixelFormat, EveryListedCode)
{
    struct Row {
        uint32_t format, bpp, channels;
        size_t r, g, b;
    };
    const Row rows[] = {
        {COLOR_FMT_BGR24, 3, 3, 2, 1, 0},    {COLOR_FMT_RGB24, 3, 3, 0, 1, 2},    {COLOR_FMT_BGRX32, 4, 4, 2, 1, 0},
        {COLOR_FMT_RGBX32, 4, 4, 0, 1, 2},   {COLOR_FMT_XBGR32, 4, 4, 3, 2, 1},   {COLOR_FMT_XRGB32, 4, 4, 1, 2, 3},
        {COLOR_FMT_GRAY8, 1, 1, 0, 0, 0},    {COLOR_FMT_PLANAR3, 1, 3, 0, 6, 12}, {COLOR_FMT_PLANAR4, 1, 4, 0, 6, 12},
        {0x7F, 3, 3, 2, 1, 0},               {0x84, 4, 4, 2, 1, 0},               {0x8000, 1, 3, 2, 1, 0},
        {0x4000, 3, 3, 2, 1, 0},
    };
    for (const Row& row : rows) {
        const PixelLayout l = DecodePixelFormat(row.format, 6);
        EXPECT_EQ(row.bpp, l.bytesPerPixel) << row.format;
        EXPECT_EQ(row.channels, l.channels) << row.format;
        EXPECT_EQ(row.r, l.offR) << row.format;
        EXPECT_EQ(row.g, l.offG) << row.format;
        EXPECT_EQ(row.b, l.offB) << row.format;
    }
}

TEST(ColourPixelFormat, ImageChecks)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>("x");
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 2, 3, 9, COLOR_FMT_BGR24}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 8, COLOR_FMT_BGR24}));
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 2, 3, 12, COLOR_FMT_RGBX32}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 11, COLOR_FMT_RGBX32}));
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 2, 3, 3, COLOR_FMT_GRAY8}));
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 2, 3, 5, COLOR_FMT_GRAY8}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 2, COLOR_FMT_GRAY8}));
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 2, 3, 3, COLOR_FMT_PLANAR3}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 4, COLOR_FMT_PLANAR4}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 3, 0x8000}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, 3, 0xC001}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, -1, 3, 9, COLOR_FMT_BGR24}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, -3, 9, COLOR_FMT_BGR24}));
    EXPECT_EQ(IMAGE_INVALID, CheckImage({p, 2, 3, -9, COLOR_FMT_BGR24}));
    // An empty image addresses nothing, so its stride does not matter.
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 0, 3, 0, COLOR_FMT_BGR24}));
    EXPECT_EQ(IMAGE_OK, CheckImage({p, 4, 0, 0, COLOR_FMT_PLANAR3}));
    if (sizeof(size_t) == 4) {
        EXPECT_EQ(IMAGE_TOO_LARGE, CheckImage({p, 0x7FFFFFFF, 0x7FFFFFF, 0x7FFFFFF * 3, COLOR_FMT_BGR24}));
        EXPECT_EQ(IMAGE_TOO_LARGE, CheckImage({p, 0x10000, 0x10000, 0x10000, COLOR_FMT_PLANAR3}));
    }
}

// ---- buffers kept between calls ----

TEST(ColourSharpenBuffer, SameWidthKeepsTheBufferOtherWidthReplacesIt)
{
    CZbSharpen sharpen;
    ASSERT_TRUE(sharpen.Prepare(10));
    const int16_t* first = sharpen.RowBuffer();
    EXPECT_EQ(10u, sharpen.BufferWidth());
    EXPECT_EQ(first, sharpen.PreviousRow());
    EXPECT_EQ(first + 12, sharpen.CurrentRow());
    EXPECT_EQ(first + 24, sharpen.NextRow());
    ASSERT_TRUE(sharpen.Prepare(10));
    EXPECT_EQ(first, sharpen.RowBuffer());
    ASSERT_TRUE(sharpen.Prepare(11));
    EXPECT_EQ(11u, sharpen.BufferWidth());
    EXPECT_EQ(sharpen.RowBuffer() + 13, sharpen.CurrentRow());
    EXPECT_FALSE(sharpen.Prepare(0));
    EXPECT_EQ((uint32_t)ERROR_INVALID_DATA, sharpen.GetError());
}

TEST(ColourSharpenBuffer, LuminanceRowRepeatsItsEnds)
{
    const uint32_t packed[3] = {0x0000FF, 0xFFFFFF, 0x000000};
    int16_t row[5] = {-1, -1, -1, -1, -1};
    CZbSharpen::LuminanceRow(packed, row, 3);
    EXPECT_EQ(77, row[0]);
    EXPECT_EQ(77, row[1]);
    EXPECT_EQ(255, row[2]);
    EXPECT_EQ(0, row[3]);
    EXPECT_EQ(0, row[4]);
}

TEST(ColourSharpenSetting, LevelGivesStrengthMaximumChangeAndThreshold)
{
    CColorFlow flow;
    EXPECT_EQ(255, flow.Sharpen().Threshold());
    flow.SetSharpen(255);
    EXPECT_EQ(5.0f, flow.Sharpen().Strength());
    EXPECT_EQ(64, flow.Sharpen().MaxChange());
    EXPECT_EQ(3, flow.Sharpen().Threshold());
    flow.SetSharpen(1);
    EXPECT_NEAR(0.0196f, flow.Sharpen().Strength(), 0.00001f);
    EXPECT_EQ(32, flow.Sharpen().MaxChange());
    EXPECT_EQ(3, flow.Sharpen().Threshold());
}

TEST(ColourLutArrays, SameShapeReusesArraysAndDroppedSectionsAreFreed)
{
    std::mt19937 rng(3);
    CColorLUT lut;
    const std::vector<uint8_t> all = BuildLutBytes(RandomLut(rng, 9, 3, true, true, true));
    MemoryStream first(all);
    ASSERT_TRUE(lut.LoadFromStream(&first, (uint32_t)all.size()));
    const uint8_t* grid = lut.Grid();
    const float* curves = lut.Curves();
    const float* tables = lut.ChannelTables();
    ASSERT_TRUE(grid && curves && tables);
    EXPECT_EQ(lut.IndexTable() + 9, lut.RowOffsets());
    EXPECT_EQ(9u * 4, lut.IndexTable()[4]);
    EXPECT_EQ(81u * 4, lut.RowOffsets()[4]);

    const std::vector<uint8_t> again = BuildLutBytes(RandomLut(rng, 9, 3, true, true, true));
    MemoryStream second(again);
    ASSERT_TRUE(lut.LoadFromStream(&second, (uint32_t)again.size()));
    EXPECT_EQ(grid, lut.Grid());
    EXPECT_EQ(curves, lut.Curves());
    EXPECT_EQ(tables, lut.ChannelTables());
    EXPECT_EQ(0, memcmp(lut.Grid(), &again[16 + 3072 + 3072], 729 * 3));

    const std::vector<uint8_t> gridOnly = BuildLutBytes(RandomLut(rng, 9, 3, false, false, true));
    MemoryStream third(gridOnly);
    ASSERT_TRUE(lut.LoadFromStream(&third, (uint32_t)gridOnly.size()));
    EXPECT_EQ(nullptr, lut.Curves());
    EXPECT_EQ(nullptr, lut.ChannelTables());
    EXPECT_EQ(grid, lut.Grid());

    const std::vector<uint8_t> other = BuildLutBytes(RandomLut(rng, 5, 3, true, false, false));
    MemoryStream fourth(other);
    ASSERT_TRUE(lut.LoadFromStream(&fourth, (uint32_t)other.size()));
    EXPECT_EQ(nullptr, lut.Grid());
    EXPECT_EQ(nullptr, lut.IndexTable());
    EXPECT_EQ(5, lut.GridPoints());
    EXPECT_NE(nullptr, lut.Curves());
}

TEST(ColourLutArrays, FailedLoadLeavesTheLutEmpty)
{
    CColorLUT lut;
    const std::vector<uint8_t> bytes = BuildLutBytes(ComplementGridLut(5, 4));
    MemoryStream good(bytes);
    ASSERT_TRUE(lut.LoadFromStream(&good, (uint32_t)bytes.size()));
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
    MemoryStream bad(cut);
    EXPECT_FALSE(lut.LoadFromStream(&bad, (uint32_t)cut.size()));
    EXPECT_EQ((uint32_t)ERROR_INVALID_DATA, lut.GetError());
    EXPECT_EQ(nullptr, lut.Grid());
    EXPECT_EQ(0, lut.Channels());
    EXPECT_EQ(0, lut.GridPoints());
}

TEST(ColourFlowTables, StaleOnEveryAdjustmentAndLoadValidAfterConversion)
{
    CColorFlow flow;
    EXPECT_FALSE(flow.TablesValid());
    MemoryStream stream(BuildLutBytes(LutSpec()));
    ASSERT_TRUE(flow.LoadLUTFromStream(&stream, 16));
    const uint8_t pixel[3] = {1, 2, 3};
    uint8_t planes[3];
    auto convert = [&]() {
        return flow.ColorConvert({pixel, 1, 1, 3, COLOR_FMT_BGR24}, planes, 1, 1, 1, COLOR_FMT_PLANAR3);
    };
    ASSERT_TRUE(convert());
    EXPECT_TRUE(flow.TablesValid());
    flow.SetSharpen(30);
    flow.SetSaturated(30);
    flow.SetResinModelMediaMode(2, 2, 0, 1);
    EXPECT_TRUE(flow.TablesValid());
    flow.SetBrightness(1, 1, 1);
    EXPECT_FALSE(flow.TablesValid());
    ASSERT_TRUE(convert());
    flow.SetContrast(1, 1, 1);
    EXPECT_FALSE(flow.TablesValid());
    ASSERT_TRUE(convert());
    flow.SetGamma(1, 1, 1);
    EXPECT_FALSE(flow.TablesValid());
    ASSERT_TRUE(convert());
    flow.SetColorCorrect(1, 1, 1);
    EXPECT_FALSE(flow.TablesValid());
    ASSERT_TRUE(convert());
    EXPECT_FALSE(flow.LoadLUT(nullptr, 0));
    EXPECT_FALSE(flow.TablesValid());
}

TEST(ColourFlowTables, FourthOutputTableFollowsTheLut)
{
    CColorFlow flow;
    LutSpec spec;
    spec.channels = 4;
    spec.tables = true;
    spec.tableData.assign(4 * 256, 100.0f);
    for (int j = 0; j < 256; j++)
        spec.tableData[3 * 256 + j] = 300.5f + j;
    MemoryStream stream(BuildLutBytes(spec));
    ASSERT_TRUE(flow.LoadLUTFromStream(&stream, 16));
    const uint8_t pixel[3] = {1, 2, 3};
    uint8_t planes[3];
    ASSERT_TRUE(flow.ColorConvert({pixel, 1, 1, 3, COLOR_FMT_BGR24}, planes, 1, 1, 1, COLOR_FMT_PLANAR4));
    // Truncated, then taken modulo 256: 300.5 -> 44.
    EXPECT_EQ(44, flow.OutputTables()[3][0]);
    EXPECT_EQ(43, flow.OutputTables()[3][255]);
    EXPECT_EQ(100, flow.OutputTables()[1][7]);
}

// ---- saturation ----

TEST(ColourSaturation, CurveForEveryKindOfValue)
{
    ZbSatue satue;
    EXPECT_EQ(0, satue.Value());
    EXPECT_EQ(7.0f / 255.0f, satue.Curve()[7]);
    satue.SetCurve(126);
    EXPECT_EQ(0.0f, satue.Curve()[0]);
    EXPECT_FLOAT_EQ(1.0f / 3.0f, satue.Curve()[1]);
    EXPECT_FLOAT_EQ(2.0f / 3.0f, satue.Curve()[2]);
    EXPECT_EQ(1.0f, satue.Curve()[3]);
    EXPECT_EQ(1.0f, satue.Curve()[255]);
    satue.SetCurve(127);
    EXPECT_EQ(0.0f, satue.Curve()[0]);
    EXPECT_EQ(1.0f, satue.Curve()[1]);
    satue.SetCurve(-128);
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(0.0f, satue.Curve()[i]);
    satue.SetCurve(-127);
    EXPECT_FLOAT_EQ(255.0f / 65025.0f, satue.Curve()[255]);
    satue.SetCurve(0);
    EXPECT_FLOAT_EQ(1.0f, satue.Curve()[255]);
    EXPECT_EQ(0, satue.Value());
}

TEST(ColourSaturation, SameValueLeavesTheCurve)
{
    ZbSatue satue;
    const float initial = satue.Curve()[100];
    satue.SetCurve(0);
    EXPECT_EQ(initial, satue.Curve()[100]);
    satue.SetCurve(60);
    const float sixty = satue.Curve()[100];
    satue.SetCurve(60);
    EXPECT_EQ(sixty, satue.Curve()[100]);
    EXPECT_EQ(60, satue.Value());
}

TEST(ColourSaturation, PixelsKeepLightnessAndHue)
{
    ZbSatue satue;
    satue.SetCurve(127);
    EXPECT_EQ(PackRGB(250, 83, 0), satue.Saturate(200, 100, 50));
    // Each ordering of the channels lands the same way.
    EXPECT_EQ(PackRGB(0, 250, 83), satue.Saturate(50, 200, 100));
    EXPECT_EQ(PackRGB(83, 0, 250), satue.Saturate(100, 50, 200));
    satue.SetCurve(-128);
    EXPECT_EQ(PackRGB(126, 126, 126), satue.Saturate(201, 100, 50));
}

TEST(ColourSaturation, GreyPixelsStayForEveryValue)
{
    ZbSatue satue;
    for (int b = -128; b <= 127; b++) {
        satue.SetCurve((int8_t)b);
        for (unsigned level = 0; level < 256; level++)
            ASSERT_EQ(PackRGB(level, level, level), satue.Saturate(level, level, level)) << b << " " << level;
    }
}

// ---- resin level maps ----

TEST(ColourResinMap, DiffusionMediaMapsByModel)
{
    CResinCvt resin;
    EXPECT_EQ(1, resin.Model());
    EXPECT_TRUE(resin.Inverted());
    EXPECT_FALSE(resin.Diffusion());
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(i, resin.LevelMap()[i]);

    resin.SetModelMediaMode(4, 2, 0, 1);
    EXPECT_TRUE(resin.Diffusion());
    EXPECT_EQ(0, resin.LevelMap()[255]);
    EXPECT_EQ(255, resin.LevelMap()[0]);
    EXPECT_EQ(255 - 90, resin.LevelMap()[32]);

    resin.SetModelMediaMode(1, 2, 0, 1);
    CTableCal calc;
    uint8_t curve[256];
    calc.ByteGammaCurve(curve, 1.3f);
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(255 - curve[i], resin.LevelMap()[i]);
    resin.SetModelMediaMode(2, 2, 0, 1);
    EXPECT_EQ(255 - curve[100], resin.LevelMap()[100]);
    resin.SetModelMediaMode(3, 2, 0, 1);
    EXPECT_EQ(155, resin.LevelMap()[100]);

    resin.SetModelMediaMode(3, 2, 0, 0);
    EXPECT_FALSE(resin.Inverted());
    EXPECT_TRUE(resin.Diffusion());
    EXPECT_EQ(100, resin.LevelMap()[100]);
    resin.SetModelMediaMode(1, 3, 0, 0);
    EXPECT_FALSE(resin.Diffusion());
}

// ---- streams ----

TEST(ColourStreams, BaseStreamDeliversNothing)
{
    CZbIO base{ZbIOBaseTable()};
    char buffer[4];
    EXPECT_EQ(0, base.lpVtbl->Read(&base, buffer, 4));
    EXPECT_EQ(0, base.lpVtbl->Write(&base, buffer, 4));
    EXPECT_EQ(0u, base.lpVtbl->GetSize(&base));
    EXPECT_EQ(-1, base.lpVtbl->Seek(&base, 0, SEEK_SET));
    EXPECT_EQ(0, base.lpVtbl->Tell(&base));
    base.lpVtbl->Close(&base);
    EXPECT_EQ(&base, base.lpVtbl->DeletingDestructor(&base, 0));
    // A LUT from it fails on its first header byte.
    CColorLUT lut;
    EXPECT_FALSE(lut.LoadFromStream(&base, 100));
    EXPECT_EQ((uint32_t)ERROR_INVALID_DATA, lut.GetError());
}

class ColourFileStream : public testing::Test {
protected:
    void SetUp() override
    {
        m_Path = std::filesystem::temp_directory_path() / ("qelcolour-file-" + std::to_string(std::rand()));
        std::ofstream out(m_Path, std::ios::binary);
        out << "0123456789";
    }
    void TearDown() override { std::filesystem::remove(m_Path); }
    std::filesystem::path m_Path;
};

TEST_F(ColourFileStream, ReadsSizesSeeksAndTells)
{
    FILE* file = OpenFileForReading(m_Path.u16string().c_str());
    ASSERT_NE(nullptr, file);
    CZbFileIO stream(file);
    char buffer[8] = {};
    EXPECT_EQ(3, stream.lpVtbl->Read(&stream, buffer, 3));
    EXPECT_EQ(0, memcmp("012", buffer, 3));
    // The size leaves the position where it was.
    EXPECT_EQ(10u, stream.lpVtbl->GetSize(&stream));
    EXPECT_EQ(3, stream.lpVtbl->Tell(&stream));
    EXPECT_EQ(8, stream.lpVtbl->Seek(&stream, -2, SEEK_END));
    EXPECT_EQ(2, stream.lpVtbl->Read(&stream, buffer, 8));
    EXPECT_EQ(0, memcmp("89", buffer, 2));
    EXPECT_EQ(-1, stream.lpVtbl->Seek(&stream, -20, SEEK_SET));
    EXPECT_EQ(0, stream.lpVtbl->Write(&stream, buffer, 2));
    stream.lpVtbl->Close(&stream);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(0, stream.lpVtbl->Read(&stream, buffer, 3));
    EXPECT_EQ(0u, stream.lpVtbl->GetSize(&stream));
    EXPECT_EQ(-1, stream.lpVtbl->Seek(&stream, 0, SEEK_SET));
    EXPECT_EQ(-1, stream.lpVtbl->Tell(&stream));
}

TEST_F(ColourFileStream, MissingFileDoesNotOpen)
{
    EXPECT_EQ(nullptr, OpenFileForReading((m_Path.u16string() + u"-none").c_str()));
}

// ---- the instruction set ----

TEST(ColourSimdLevel, TheLimitHoldsAndTheProcessorDecidesBelowIt)
{
    const SimdLevel active = ActiveSimdLevel();
    LimitSimdLevel(SIMD_BASELINE);
    EXPECT_EQ(SIMD_BASELINE, ActiveSimdLevel());
    LimitSimdLevel(SIMD_AVX2);
#if defined(QEL_COLOUR_SCALAR)
    EXPECT_EQ(SIMD_BASELINE, ActiveSimdLevel());
#else
    EXPECT_EQ(__builtin_cpu_supports("avx2") ? SIMD_AVX2 : SIMD_BASELINE, ActiveSimdLevel());
#endif
    LimitSimdLevel(active);
}

} // namespace
