// The dark-image step of the colour conversion: a dark image has its top
// output levels compressed so that large dark areas do not print muddy.
#pragma once

#include "PixelFormat.h"

#include <cstdint>

// True when more than 40 % of the pixels have a level of at most 20 in R, in
// G or in B. An image without pixels is not dark.
bool IsDarkImage(const ImageRef& image);

// Every level above 210 of each table moves into 210..230.
void CompressDarkLevels(uint8_t (*tables)[256], int count);
