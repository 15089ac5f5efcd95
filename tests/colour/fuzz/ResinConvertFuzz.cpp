// Fuzz target: ConvertRGB2Resin_o with fuzzed sizes, strides, formats and
// resin settings. A success must match the reference implementation.
#include "ColourTestSupport.h"
#include "FuzzInput.h"
#include "QelColor.h"
#include "ReferenceColor.h"

namespace {

const uint32_t kFormats[] = {0, 1, 0x80, 0x81, 0x82, 0x83, 0x05, 0x85, 0xA000, 0xC000, 0xC080, 0x4000, 0x8000, 0xC001};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const FuzzImages a(in, kFormats, kFormats);

    ReferenceResinSettings settings;
    settings.fresh = in.Byte() % 4 == 0;
    settings.model = in.Byte() % 6;
    settings.mediaMode = in.Byte() % 5;
    settings.threshold = in.Byte();
    settings.invert = in.Byte() % 3 == 0 ? 0 : 1;

    const std::vector<uint8_t> source = in.Fill(ImageSpan(a.srcRows, a.srcCols, a.srcStride, a.srcFormat));
    std::vector<uint8_t> got(ImageSpan(a.dstRows, a.dstCols, a.dstStride, a.dstFormat), 0xCD);
    const std::vector<uint8_t> before = got;

    CColorFlow* flow = CreatZbColorFlow_o();
    if (!settings.fresh)
        SetResinModelMediaMode_o(flow, 0, settings.model, settings.mediaMode, settings.threshold, settings.invert);
    const bool converted = ConvertRGB2Resin_o(flow, source.data(), a.srcRows, a.srcCols, a.srcStride, a.srcFormat,
                                              got.data(), a.dstRows, a.dstCols, a.dstStride, a.dstFormat);
    FuzzCheckOutcome(converted, GetLastErrorCode_o(flow), {13, 8}, got, before, [&](uint8_t* want) {
        return ReferenceConvertRGB2Resin(settings, source.data(), a.srcRows, a.srcCols, a.srcStride, a.srcFormat,
                                         want, a.dstRows, a.dstCols, a.dstStride, a.dstFormat);
    });
    ReleaseZbColorFlow_o(&flow);
    return 0;
}
