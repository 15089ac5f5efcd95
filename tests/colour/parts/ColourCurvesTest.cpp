// The curve calculator and the adjustment curves.
#include "ColorAdjust.h"
#include "ColorError.h"
#include "TableCal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// powf through double differs from the real curve in the last bits only.
const float kPowTolerance = 1e-4f;

TEST(ColourAdjust, NeutralCurvesAndShiftsAreIdentities)
{
    CColorAdjust adjust;
    ASSERT_TRUE(adjust.Build());
    for (int c = 0; c < 3; c++) {
        for (int i = 0; i < 256; i++) {
            ASSERT_EQ((float)i, adjust.Curve(c)[i]);
            ASSERT_EQ(i, adjust.ShiftTable(c)[i]);
        }
    }
}

TEST(ColourAdjust, ContrastSteepensAndClamps)
{
    CColorAdjust adjust;
    adjust.SetContrast(127, -128, 0);
    ASSERT_TRUE(adjust.Build());
    EXPECT_EQ(255.0f, adjust.Curve(0)[171]);
    EXPECT_EQ(254.3359375f, adjust.Curve(0)[170]);
    EXPECT_EQ(127.5f, adjust.Curve(1)[255]);
    EXPECT_EQ(0.5f, adjust.Curve(1)[1]);
}

TEST(ColourAdjust, BrightnessShiftsAndClamps)
{
    CColorAdjust adjust;
    adjust.SetBrightness(-128, 127, 0);
    ASSERT_TRUE(adjust.Build());
    for (int i = 0; i <= 128; i++)
        EXPECT_EQ(0.0f, adjust.Curve(0)[i]) << i;
    EXPECT_EQ(1.0f, adjust.Curve(0)[129]);
    EXPECT_EQ(127.0f, adjust.Curve(0)[255]);
    EXPECT_EQ(127.0f, adjust.Curve(1)[0]);
    EXPECT_EQ(255.0f, adjust.Curve(1)[128]);
}

TEST(ColourAdjust, ColourCorrectShiftsOutputChannels)
{
    CColorAdjust adjust;
    adjust.SetColorCorrect(10, -10, 0);
    ASSERT_TRUE(adjust.Build());
    for (int j = 0; j <= 245; j++)
        EXPECT_EQ(j + 10, adjust.ShiftTable(0)[j]);
    for (int j = 246; j < 256; j++)
        EXPECT_EQ(255, adjust.ShiftTable(0)[j]);
    for (int j = 0; j <= 10; j++)
        EXPECT_EQ(0, adjust.ShiftTable(1)[j]);
    EXPECT_EQ(1, adjust.ShiftTable(1)[11]);
    EXPECT_EQ(245, adjust.ShiftTable(1)[255]);
    EXPECT_EQ(77, adjust.ShiftTable(2)[77]);
}

TEST(ColourAdjust, StrongGammaStartsWithTheToe)
{
    CColorAdjust adjust;
    adjust.SetGamma(2.2f, 1.0f, 0.45f);
    ASSERT_TRUE(adjust.Build());
    for (int c : {0, 2}) {
        const float* curve = adjust.Curve(c);
        EXPECT_EQ(0.0f, curve[0]);
        // Entry 32 is the plain gamma curve, the toe rises to it with a slope
        // of 1.4647 per 32nd.
        EXPECT_NEAR(std::pow(32.0f / 255.0f, 1.0f / (c ? 0.45f : 2.2f)) * 255.0f, curve[32], kPowTolerance);
        EXPECT_NEAR(curve[32] * 1.4647f / 32.0f, curve[1], 0.05f * curve[32] / 32.0f);
        for (int j = 1; j < 32; j++)
            EXPECT_LT(curve[j - 1], curve[j]) << j;
        EXPECT_LT(curve[31], curve[32]);
    }
    // Gamma 2.2 brightens: 1 / 2.2 as the exponent.
    EXPECT_GT(adjust.Curve(0)[128], 128.0f);
    EXPECT_LT(adjust.Curve(2)[128], 128.0f);
}

TEST(ColourAdjust, GammaOneInTheGammaFormIsLinear)
{
    CColorAdjust adjust;
    adjust.SetGamma(1.0f, 1.0f, 1.0f);
    adjust.SetBrightness(5, 0, -5);
    adjust.SetContrast(20, 0, 0);
    ASSERT_TRUE(adjust.Build());
    CColorAdjust linear;
    linear.SetBrightness(5, 0, -5);
    linear.SetContrast(20, 0, 0);
    ASSERT_TRUE(linear.Build());
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++)
            EXPECT_NEAR(linear.Curve(c)[i], adjust.Curve(c)[i], kPowTolerance) << c << " " << i;
}

TEST(ColourAdjust, GammaFormStaysOn)
{
    // Once a gamma is set, later brightness works on the gamma curve.
    CColorAdjust adjust;
    adjust.SetGamma(2.0f, 2.0f, 2.0f);
    adjust.SetBrightness(10, 10, 10);
    ASSERT_TRUE(adjust.Build());
    EXPECT_GT(adjust.Curve(0)[100], 110.0f + 30.0f);
}

TEST(ColourTableCal, ToeOnlyBeyondOnePointFiveAndTwoThirds)
{
    CTableCal calc;
    float curve[256];
    const float plainGammas[] = {1.5f, 0.6667f, 1.0f, 1.2f};
    for (float g : plainGammas) {
        ASSERT_TRUE(calc.GammaCurve(curve, g));
        EXPECT_NEAR(std::pow(1.0f / 255.0f, 1.0f / g) * 255.0f, curve[1], kPowTolerance) << g;
    }
    const float toeGammas[] = {1.5001f, 0.6666f, 3.0f};
    for (float g : toeGammas) {
        ASSERT_TRUE(calc.GammaCurve(curve, g));
        EXPECT_FLOAT_EQ(curve[32] * (1.4647f / 32 - 0.2327f / 1024 - 0.232f / 32768), curve[1]) << g;
    }
}

TEST(ColourTableCal, ByteGammaTwoHasItsToeAndFixedEnds)
{
    CTableCal calc;
    uint8_t table[256];
    ASSERT_TRUE(calc.ByteGammaCurve(table, 2.0f));
    EXPECT_EQ(90, table[32]);
    EXPECT_EQ(0, table[0]);
    EXPECT_EQ(255, table[255]);
    // The toe scaled to 90: x = 16/32 gives 0.5 x 1.4647 - 0.25 x 0.2327
    // - 0.125 x 0.232 = 0.6453, so 58.
    EXPECT_EQ(58, table[16]);
    EXPECT_EQ(4, table[1]);
    for (int i = 1; i < 256; i++)
        EXPECT_LE(table[i - 1], table[i]) << i;
}

TEST(ColourTableCal, ByteGammaOneIsTheIdentityAndOnePointThreeHasNoToe)
{
    CTableCal calc;
    uint8_t table[256];
    ASSERT_TRUE(calc.ByteGammaCurve(table, 1.0f));
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(i, table[i]);
    ASSERT_TRUE(calc.ByteGammaCurve(table, 1.3f));
    // powf(1/255, 1/1.3) x 255 = 3.58.
    EXPECT_EQ(4, table[1]);
    EXPECT_EQ(255, table[255]);
}

TEST(ColourTableCal, NullTargetsAreRefused)
{
    CTableCal calc;
    EXPECT_EQ(0u, calc.GetError());
    EXPECT_FALSE(calc.Ramp(nullptr, 1.0f, 0.0f, false, 1.0f));
    EXPECT_EQ((uint32_t)ERROR_INVALID_ACCESS, calc.GetError());
    CTableCal other;
    EXPECT_FALSE(other.GammaCurve(nullptr, 2.0f));
    EXPECT_FALSE(other.ShiftTable(nullptr, 3));
    EXPECT_FALSE(other.ByteGammaCurve(nullptr, 2.0f));
    EXPECT_EQ((uint32_t)ERROR_INVALID_ACCESS, other.GetError());
}

TEST(ColourTableCal, OddGammasStillGiveLevels)
{
    // A caller may pass any real: the curves stay within 0..255.
    CColorAdjust adjust;
    adjust.SetGamma(NAN, -2.0f, 0.0f);
    ASSERT_TRUE(adjust.Build());
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++) {
            const float v = adjust.Curve(c)[i];
            ASSERT_TRUE(v >= 0.0f && v <= 255.0f) << c << " " << i << " " << v;
        }
}

} // namespace
