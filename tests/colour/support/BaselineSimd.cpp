// Linked into the test programs that run the colour engine's checks on its
// baseline kernels: before any test, the engine is held below AVX2.
#include "SimdLevel.h"

#include <gtest/gtest.h>

namespace {

const bool g_bHeld = (LimitSimdLevel(SIMD_BASELINE), true);

TEST(ColourSimdLevel, HeldAtTheBaseline)
{
    EXPECT_TRUE(g_bHeld);
    EXPECT_EQ(SIMD_BASELINE, ActiveSimdLevel());
}

} // namespace
