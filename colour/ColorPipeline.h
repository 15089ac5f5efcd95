// The per-call part of the colour conversion: the dark-image step,
// saturation, sharpening and the mapping of every pixel into the planes.
#pragma once

#include "ColorLUT.h"
#include "PixelFormat.h"
#include "ZbSatue.h"
#include "ZbSharpen.h"

#include <cstdint>

struct PipelineSetup {
    const CColorLUT* lut;
    const float (*working)[256];
    const uint8_t (*output)[256];
    // Null when the step is off.
    const ZbSatue* satue;
    CZbSharpen* sharpen;
};

// Converts an interleaved colour image of the destination's size into the
// planes of the destination. Returns 0, or the error code of a failure, which
// always comes before the first byte is written.
uint32_t RunColorPipeline(const PipelineSetup& setup, const ImageRef& image, uint8_t* dst, int dstStride,
                          const PixelLayout& dstLayout);
