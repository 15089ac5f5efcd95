// The exported interface: handles, their life cycle and the last error.
#include "ColourTestFlow.h"

namespace {

const uint8_t kPixel[3] = {90, 120, 150};

TEST(ColourHandle, GetLastErrorCodeWithNullHandleIsInvalidHandle)
{
    EXPECT_EQ(kInvalidHandle, GetLastErrorCode_o(nullptr));
}

TEST(ColourHandle, FreshFlowHasNoError)
{
    CColorFlow* flow = CreatZbColorFlow_o();
    ASSERT_NE(nullptr, flow);
    EXPECT_EQ(0u, GetLastErrorCode_o(flow));
    EXPECT_TRUE(ReleaseZbColorFlow_o(&flow));
}

TEST(ColourHandle, EveryFunctionRefusesNullHandle)
{
    uint8_t dst[3] = {1, 2, 3};
    const uint8_t untouched[3] = {1, 2, 3};
    MemoryStream stream(std::vector<uint8_t>(16, 0));
    EXPECT_FALSE(ColorConvert_o(nullptr, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 1, COLOR_FMT_PLANAR3));
    EXPECT_FALSE(ConvertRGB2Resin_o(nullptr, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 1, COLOR_FMT_GRAY8));
    EXPECT_FALSE(LoadColorLUTFromZbIO(nullptr, 16, &stream));
    EXPECT_FALSE(LoadColorLUT_o(nullptr, u"C:\\", 0, 0, 0, 0));
    EXPECT_FALSE(SetBrightnessValueByReal_o(nullptr, 1, 2, 3));
    EXPECT_FALSE(SetColorCorrectValueByReal_o(nullptr, 1, 2, 3));
    EXPECT_FALSE(SetContrastValueByReal_o(nullptr, 1, 2, 3));
    EXPECT_FALSE(SetGammaValueByReal_o(nullptr, 2.2f, 2.2f, 2.2f));
    EXPECT_FALSE(SetResinModelMediaMode_o(nullptr, 0, 1, 1, 128, 1));
    EXPECT_FALSE(SetSaturated_o(nullptr, 50));
    EXPECT_FALSE(SetSharpen_o(nullptr, 100));
    EXPECT_EQ(0, memcmp(dst, untouched, 3));
    EXPECT_TRUE(stream.Calls().empty());
}

TEST(ColourHandle, ReleaseRefusesNullPointerAndNullHandle)
{
    EXPECT_FALSE(ReleaseZbColorFlow_o(nullptr));
    CColorFlow* none = nullptr;
    EXPECT_FALSE(ReleaseZbColorFlow_o(&none));
    EXPECT_EQ(nullptr, none);
}

TEST(ColourHandle, ReleaseLeavesTheCallersVariable)
{
    CColorFlow* flow = CreatZbColorFlow_o();
    ASSERT_NE(nullptr, flow);
    CColorFlow* const held = flow;
    EXPECT_TRUE(ReleaseZbColorFlow_o(&flow));
    EXPECT_EQ(held, flow);
}

TEST(ColourHandle, FlowsKeepTheirOwnErrors)
{
    CColorFlow* a = CreatZbColorFlow_o();
    CColorFlow* b = CreatZbColorFlow_o();
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(LoadColorLUT_o(a, nullptr, 0, 0, 0, 0));
    EXPECT_EQ(kInvalidAccess, GetLastErrorCode_o(a));
    EXPECT_EQ(0u, GetLastErrorCode_o(b));
    ReleaseZbColorFlow_o(&a);
    ReleaseZbColorFlow_o(&b);
}

using ColourLastError = FlowTest;

TEST_F(ColourLastError, ConvertOnFreshFlowFailsWithInvalidData)
{
    uint8_t dst[3] = {7, 7, 7};
    EXPECT_FALSE(ColorConvert_o(m_pFlow, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 1, COLOR_FMT_PLANAR3));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(7, dst[0]);
    EXPECT_EQ(7, dst[1]);
    EXPECT_EQ(7, dst[2]);
}

TEST_F(ColourLastError, SuccessfulCallsLeaveTheLastErrorAlone)
{
    PrimeLastError();
    EXPECT_TRUE(SetBrightnessValueByReal_o(m_pFlow, 1, 2, 3));
    EXPECT_TRUE(SetContrastValueByReal_o(m_pFlow, 1, 2, 3));
    EXPECT_TRUE(SetColorCorrectValueByReal_o(m_pFlow, 1, 2, 3));
    EXPECT_TRUE(SetGammaValueByReal_o(m_pFlow, 1.0f, 1.0f, 1.0f));
    EXPECT_TRUE(SetSaturated_o(m_pFlow, 10));
    EXPECT_TRUE(SetSharpen_o(m_pFlow, 10));
    EXPECT_TRUE(SetResinModelMediaMode_o(m_pFlow, 0, 1, 1, 128, 1));
    EXPECT_TRUE(LoadPlainLut());
    uint8_t dst[3];
    EXPECT_TRUE(ColorConvert_o(m_pFlow, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 1, COLOR_FMT_PLANAR3));
    EXPECT_TRUE(ConvertRGB2Resin_o(m_pFlow, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 1, COLOR_FMT_GRAY8));
    EXPECT_EQ(kMarkerError, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourLastError, FailedCallsReplaceTheCode)
{
    PrimeLastError();
    MemoryStream stream(std::vector<uint8_t>(20, 0));
    EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 15, &stream));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
    EXPECT_FALSE(LoadColorLUT_o(m_pFlow, nullptr, 0, 0, 0, 3));
    EXPECT_EQ(kInvalidAccess, GetLastErrorCode_o(m_pFlow));
    uint8_t dst[3];
    EXPECT_FALSE(ConvertRGB2Resin_o(m_pFlow, kPixel, 1, 1, 3, COLOR_FMT_BGR24, dst, 1, 1, 0, COLOR_FMT_GRAY8));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

// Only the low byte of an integer argument counts; a pair of flows, one
// given the plain value and one the value with higher bits set, must print
// the same.
class ColourLowByte : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, m_pPlain = CreatZbColorFlow_o());
        ASSERT_NE(nullptr, m_pHigh = CreatZbColorFlow_o());
        LutSpec spec;
        const std::vector<uint8_t> bytes = BuildLutBytes(spec);
        for (CColorFlow* flow : {m_pPlain, m_pHigh}) {
            MemoryStream stream(bytes);
            ASSERT_TRUE(LoadColorLUTFromZbIO(flow, (uint32_t)bytes.size(), &stream));
        }
        m_Image = PhotoImage(12, 16, 48, COLOR_FMT_BGR24, 3);
    }
    void TearDown() override
    {
        ReleaseZbColorFlow_o(&m_pPlain);
        ReleaseZbColorFlow_o(&m_pHigh);
    }
    std::vector<uint8_t> Convert(CColorFlow* flow)
    {
        std::vector<uint8_t> planes(12 * 16 * 3);
        EXPECT_TRUE(ColorConvert_o(flow, m_Image.data(), 12, 16, 48, COLOR_FMT_BGR24, planes.data(), 12, 16, 16,
                                   COLOR_FMT_PLANAR3));
        return planes;
    }
    std::vector<uint8_t> Resin(CColorFlow* flow)
    {
        std::vector<uint8_t> out(12 * 16);
        EXPECT_TRUE(ConvertRGB2Resin_o(flow, m_Image.data(), 12, 16, 48, COLOR_FMT_BGR24, out.data(), 12, 16, 16,
                                       COLOR_FMT_GRAY8));
        return out;
    }

    CColorFlow* m_pPlain = nullptr;
    CColorFlow* m_pHigh = nullptr;
    std::vector<uint8_t> m_Image;
};

TEST_F(ColourLowByte, AdjustmentsTakeTheSignedLowByte)
{
    SetBrightnessValueByReal_o(m_pPlain, -20, 15, 0);
    SetBrightnessValueByReal_o(m_pHigh, 0x7FEC, 0x10F, 0x300);
    SetContrastValueByReal_o(m_pPlain, 40, -40, 3);
    SetContrastValueByReal_o(m_pHigh, 0x1228, -0x1028, 0x203);
    SetColorCorrectValueByReal_o(m_pPlain, 5, -5, 100);
    SetColorCorrectValueByReal_o(m_pHigh, 0x105, 0x7FFFFFFB, 0x164);
    SetSaturated_o(m_pPlain, 127);
    SetSaturated_o(m_pHigh, 0x17F);
    const std::vector<uint8_t> plain = Convert(m_pPlain);
    EXPECT_EQ(plain, Convert(m_pHigh));

    // And the values were not simply ignored.
    CColorFlow* neutral = CreatZbColorFlow_o();
    ASSERT_TRUE(neutral);
    MemoryStream stream(BuildLutBytes(LutSpec()));
    ASSERT_TRUE(LoadColorLUTFromZbIO(neutral, 16, &stream));
    EXPECT_NE(plain, Convert(neutral));
    ReleaseZbColorFlow_o(&neutral);
}

TEST_F(ColourLowByte, SharpenLevel256IsOff)
{
    SetSharpen_o(m_pHigh, 0x100);
    EXPECT_EQ(Convert(m_pPlain), Convert(m_pHigh));
    SetSharpen_o(m_pHigh, 0x1FF);
    SetSharpen_o(m_pPlain, 0xFF);
    EXPECT_EQ(Convert(m_pPlain), Convert(m_pHigh));
}

TEST_F(ColourLowByte, ResinThresholdAndInvertTakeTheLowByte)
{
    SetResinModelMediaMode_o(m_pPlain, 0, 0, 1, 128, 0);
    SetResinModelMediaMode_o(m_pHigh, 12345, 0, 1, 0x180, 0x100);
    EXPECT_EQ(Resin(m_pPlain), Resin(m_pHigh));
}

} // namespace
