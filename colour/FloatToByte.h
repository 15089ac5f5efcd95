// Conversions of reals to level bytes. Every one is total: the value is
// truncated toward zero and its low byte kept; NaN, the infinities and values
// outside the 32-bit integers give 0. That is also what the processor's
// truncating conversion gives for a whole vector (its out-of-range answer,
// 0x80000000, has a low byte of 0), which the SSE2 paths rely on; the scalar
// conversions below spell the rule out, since a compiler folding a constant
// through the conversion instruction answers differently.
#pragma once

#include <cstdint>

#if defined(__SSE2__) && !defined(QEL_COLOUR_SCALAR)
#define QEL_COLOUR_SSE2 1
#include <emmintrin.h>
#endif

inline uint8_t FloatToByte(float v)
{
    if (!(v >= -2147483648.0f && v < 2147483648.0f))
        return 0;
    return (uint8_t)(uint32_t)(int32_t)v;
}

inline uint8_t DoubleToByte(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return 0;
    return (uint8_t)(uint32_t)(int32_t)v;
}

// Truncation toward zero for a value that only needs to be an int; the same
// totality rule, with 0 for what no int holds.
inline int32_t FloatToInt(float v)
{
    if (!(v >= -2147483648.0f && v < 2147483648.0f))
        return 0;
    return (int32_t)v;
}

// Clamps a real to 0..hi; NaN becomes 0.
inline float ClampLevel(float v, float hi)
{
    if (!(v >= 0.0f))
        return 0.0f;
    return v > hi ? hi : v;
}
