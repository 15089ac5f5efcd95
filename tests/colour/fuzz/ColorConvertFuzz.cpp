// Fuzz target: ColorConvert_o with fuzzed sizes, strides, formats, settings
// and LUTs. A failure must leave the destination untouched; a success must
// match the reference implementation byte for byte.
#include "ColourTestSupport.h"
#include "FuzzInput.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <cstring>

namespace {

const uint32_t kSourceFormats[] = {0, 1, 0x80, 0x81, 0x82, 0x83, 0x05, 0x85, 0x2000, 0xA000, 0xC000, 0x4000, 0x8000};
const uint32_t kTargetFormats[] = {0xC000, 0xC080, 0xC000, 0xC080, 0xC001, 0x8000, 0};
const uint8_t kGridPoints[] = {3, 5, 9, 17, 3, 5, 9, 33, 2, 4, 0};
const uint8_t kChannels[] = {3, 4, 3, 4, 0, 1, 5};
const float kGammas[] = {1.0f, 2.2f, 0.45f, 1.5f, 0.6667f, 1.3f, 3.0f};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const FuzzImages a(in, kSourceFormats, kTargetFormats);

    ReferenceSettings settings;
    const uint8_t adjust = in.Byte();
    for (int c = 0; c < 3; c++) {
        settings.brightness[c] = (adjust & 1) ? (int8_t)in.Byte() : 0;
        settings.contrast[c] = (adjust & 2) ? (int8_t)in.Byte() : 0;
        settings.colorCorrect[c] = (adjust & 4) ? (int8_t)in.Byte() : 0;
        settings.gamma[c] = in.Pick(kGammas);
    }
    settings.gammaForm = (adjust & 8) != 0;
    settings.saturation = (adjust & 16) ? (int8_t)in.Byte() : 0;
    settings.sharpenLevel = (adjust & 32) ? in.Byte() : 0;

    LutSpec lut;
    const uint8_t flags = in.Byte();
    lut.curves = flags & 1;
    lut.tables = flags & 2;
    lut.grid = flags & 4;
    lut.channels = in.Pick(kChannels);
    lut.gridPoints = in.Pick(kGridPoints);
    auto reals = [&](size_t count) {
        std::vector<float> out(count);
        const std::vector<uint8_t> raw = in.Fill(count * 4);
        const bool wild = flags & 8;
        for (size_t i = 0; i < count; i++) {
            if (wild)
                std::memcpy(&out[i], &raw[i * 4], 4);
            else
                out[i] = (float)(raw[i * 4] | raw[i * 4 + 1] << 8) / 256.0f;
        }
        return out;
    };
    if (lut.curves)
        lut.curveData = reals(768);
    if (lut.tables)
        lut.tableData = reals((size_t)lut.channels * 256);
    if (lut.grid)
        lut.gridData = in.Fill((size_t)lut.gridPoints * lut.gridPoints * lut.gridPoints * lut.channels);
    settings.lut = BuildLutBytes(lut);

    const std::vector<uint8_t> source = in.Fill(ImageSpan(a.srcRows, a.srcCols, a.srcStride, a.srcFormat));
    std::vector<uint8_t> got(ImageSpan(a.dstRows, a.dstCols, a.dstStride, a.dstFormat), 0xCD);
    const std::vector<uint8_t> before = got;

    CColorFlow* flow = CreatZbColorFlow_o();
    ApplySettings(flow, settings);

    const bool converted = ColorConvert_o(flow, source.data(), a.srcRows, a.srcCols, a.srcStride, a.srcFormat,
                                          got.data(), a.dstRows, a.dstCols, a.dstStride, a.dstFormat);
    FuzzCheckOutcome(converted, GetLastErrorCode_o(flow), {13, 14, 8}, got, before, [&](uint8_t* want) {
        return ReferenceColorConvert(settings, source.data(), a.srcRows, a.srcCols, a.srcStride, a.srcFormat, want,
                                     a.dstRows, a.dstCols, a.dstStride, a.dstFormat);
    });
    ReleaseZbColorFlow_o(&flow);
    return 0;
}
