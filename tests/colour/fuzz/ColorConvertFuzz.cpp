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

int Stride(FuzzInput& in, int cols, uint32_t format)
{
    const int bpp = (format & 0x8000) ? 1 : (format & 0x80) ? 4 : 3;
    if (format == 0xC000 || format == 0xC080)
        return cols + ((in.Byte() % 8) == 0 ? 1 : 0);
    return cols * bpp + (int)(in.Byte() % 9) - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int srcRows = in.Byte() % 24, srcCols = in.Byte() % 24;
    const bool sameSize = in.Byte() % 2;
    const int dstRows = sameSize ? srcRows : in.Byte() % 24, dstCols = sameSize ? srcCols : in.Byte() % 24;
    const uint32_t srcFormat = in.Pick(kSourceFormats), dstFormat = in.Pick(kTargetFormats);
    const int srcStride = Stride(in, srcCols, srcFormat), dstStride = Stride(in, dstCols, dstFormat);

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

    const std::vector<uint8_t> source = in.Fill(ImageSpan(srcRows, srcCols, srcStride, srcFormat));
    std::vector<uint8_t> got(ImageSpan(dstRows, dstCols, dstStride, dstFormat), 0xCD);
    const std::vector<uint8_t> before = got;

    CColorFlow* flow = CreatZbColorFlow_o();
    SetBrightnessValueByReal_o(flow, settings.brightness[0], settings.brightness[1], settings.brightness[2]);
    SetContrastValueByReal_o(flow, settings.contrast[0], settings.contrast[1], settings.contrast[2]);
    SetColorCorrectValueByReal_o(flow, settings.colorCorrect[0], settings.colorCorrect[1], settings.colorCorrect[2]);
    if (settings.gammaForm)
        SetGammaValueByReal_o(flow, settings.gamma[0], settings.gamma[1], settings.gamma[2]);
    SetSaturated_o(flow, settings.saturation);
    SetSharpen_o(flow, settings.sharpenLevel);
    MemoryStream stream(settings.lut);
    LoadColorLUTFromZbIO(flow, (uint32_t)settings.lut.size(), &stream);

    const bool converted = ColorConvert_o(flow, source.data(), srcRows, srcCols, srcStride, srcFormat, got.data(),
                                          dstRows, dstCols, dstStride, dstFormat);
    if (!converted) {
        const uint32_t error = GetLastErrorCode_o(flow);
        FuzzCheck(error == 13 || error == 14 || error == 8);
        FuzzCheck(got == before);
    } else {
        std::vector<uint8_t> want = before;
        FuzzCheck(ReferenceColorConvert(settings, source.data(), srcRows, srcCols, srcStride, srcFormat, want.data(),
                                        dstRows, dstCols, dstStride, dstFormat));
        FuzzCheck(got == want);
    }
    ReleaseZbColorFlow_o(&flow);
    return 0;
}
