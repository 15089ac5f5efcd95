// The grey level (and sharpen luminance) of an R, G, B triple.
#pragma once

#include <cstdint>

// The engine defines grey by float32 weights added in this order:
// trunc(0.6f*G + (0.3f*R + 0.5f) + 0.1f*B). For every one of the 2^24
// triples that sum truncates to the integer form below, which is what is
// computed (the tests hold the two against each other over all triples).
inline uint8_t GreyLevel(unsigned r, unsigned g, unsigned b)
{
    return (uint8_t)((6 * g + 3 * r + b + 5) / 10);
}
