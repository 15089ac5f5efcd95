// Test fixtures over the exports: a flow that is released at the end of the
// test, LUT loading from bytes, and small images.
#pragma once

#include "ColourTestSupport.h"
#include "PixelFormat.h"
#include "QelColor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Error codes as the exports report them.
enum : uint32_t {
    kInvalidHandle = 6,
    kNotEnoughMemory = 8,
    kInvalidAccess = 12,
    kInvalidData = 13,
    kOutOfMemory = 14,
    kOpenFailed = 110,
    kPathTooLong = 206,
};

// The last error PrimeLastError leaves behind, to show that a later call set
// its own code or left this one alone.
const uint32_t kMarkerError = kInvalidAccess;

class FlowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, m_pFlow = CreatZbColorFlow_o()); }
    void TearDown() override { ReleaseZbColorFlow_o(&m_pFlow); }

    bool LoadLut(const std::vector<uint8_t>& bytes)
    {
        MemoryStream stream(bytes);
        return LoadColorLUTFromZbIO(m_pFlow, (uint32_t)bytes.size(), &stream);
    }
    bool LoadLut(const LutSpec& spec) { return LoadLut(BuildLutBytes(spec)); }
    // A LUT without sections: the direct path with its channel count.
    bool LoadPlainLut(uint8_t channels = 3)
    {
        LutSpec spec;
        spec.channels = channels;
        return LoadLut(spec);
    }
    // Puts the flow's last error at kMarkerError through a failing call that
    // changes nothing else (a LUT load without a directory).
    void PrimeLastError()
    {
        ASSERT_FALSE(LoadColorLUT_o(m_pFlow, nullptr, 0, 0, 0, 0));
        ASSERT_EQ(kMarkerError, GetLastErrorCode_o(m_pFlow));
    }

    CColorFlow* m_pFlow = nullptr;
};

// Planes of a converted image, each rows x cols.
struct Planes {
    int rows, cols;
    std::vector<uint8_t> bytes;
    uint8_t At(int plane, int r, int c) const { return bytes[(size_t)plane * rows * cols + (size_t)r * cols + c]; }
};
