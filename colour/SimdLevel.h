// Which vector instructions the engine's row kernels use: the baseline of the
// build (SSE2 on x86) or, where the processor and the system support it,
// AVX2. Every level gives the same bytes; only the speed differs.
#pragma once

enum SimdLevel { SIMD_BASELINE = 0, SIMD_AVX2 = 1 };

// The level in use: the highest one the processor reports (AVX2 needs the
// system to save the YMM registers too), held at or below the limit below.
SimdLevel ActiveSimdLevel();

// Holds the engine at or below a level from now on. Not exported: the tests
// run the baseline kernels through it on processors that have more.
void LimitSimdLevel(SimdLevel highest);
