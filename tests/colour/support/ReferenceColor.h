// A plain, literal transcription of the colour engine's conversions, kept
// apart from the engine and written for reading rather than speed: the
// optimised engine must give the same bytes.
#pragma once

#include <cstdint>
#include <vector>

struct ReferenceSettings {
    int8_t brightness[3] = {0, 0, 0};
    int8_t contrast[3] = {0, 0, 0};
    int8_t colorCorrect[3] = {0, 0, 0};
    float gamma[3] = {1.0f, 1.0f, 1.0f};
    bool gammaForm = false;
    int8_t saturation = 0;
    uint8_t sharpenLevel = 0;
    // The LUT as its file bytes: the 16-byte header and its sections.
    std::vector<uint8_t> lut;
};

// The whole colour conversion. Returns false (writing nothing) where the
// engine fails; only the arguments a valid call can have are supported.
bool ReferenceColorConvert(const ReferenceSettings& settings, const uint8_t* src, int srcRows, int srcCols,
                           int srcStride, uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                           uint32_t dstFormat);

// The saturation step of one pixel, for a saturation value other than 0.
void ReferenceSaturatePixel(int8_t value, uint8_t& r, uint8_t& g, uint8_t& b);

struct ReferenceResinSettings {
    int model = 1;
    int mediaMode = 0;
    uint8_t threshold = 0;
    uint8_t invert = 1;
    // Set when SetResinModelMediaMode_o was never called: identity map,
    // model 1, no diffusion.
    bool fresh = true;
};

std::vector<uint8_t> ReferenceResinLevelMap(const ReferenceResinSettings& settings);

bool ReferenceConvertRGB2Resin(const ReferenceResinSettings& settings, const uint8_t* src, int srcRows, int srcCols,
                               int srcStride, uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols,
                               int dstStride, uint32_t dstFormat);
