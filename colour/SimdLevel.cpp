#include "SimdLevel.h"

#include <atomic>

#if defined(QEL_COLOUR_AVX2)
#include <cpuid.h>
#endif

namespace {

// -1 until the processor was asked. Flows on different threads may ask at
// once; they find the same answer, so a plain atomic store serves.
std::atomic<int> g_nDetected{-1};
std::atomic<int> g_nLimit{SIMD_AVX2};

int DetectLevel()
{
#if defined(QEL_COLOUR_AVX2)
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX))
        return SIMD_BASELINE;
    // The system must save the XMM and YMM state (XCR0 bits 1 and 2).
    unsigned low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & 6) != 6 || __get_cpuid_max(0, nullptr) < 7)
        return SIMD_BASELINE;
    __cpuid_count(7, 0, a, b, c, d);
    if (b & bit_AVX2)
        return SIMD_AVX2;
#endif
    return SIMD_BASELINE;
}

} // namespace

SimdLevel ActiveSimdLevel()
{
    int detected = g_nDetected.load(std::memory_order_relaxed);
    if (detected < 0) {
        detected = DetectLevel();
        g_nDetected.store(detected, std::memory_order_relaxed);
    }
    const int limit = g_nLimit.load(std::memory_order_relaxed);
    return (SimdLevel)(detected < limit ? detected : limit);
}

void LimitSimdLevel(SimdLevel highest)
{
    g_nLimit.store(highest, std::memory_order_relaxed);
}
