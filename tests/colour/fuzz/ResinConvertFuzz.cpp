// Fuzz target: ConvertRGB2Resin_o with fuzzed sizes, strides, formats and
// resin settings. A success must match the reference implementation.
#include "ColourTestSupport.h"
#include "FuzzInput.h"
#include "QelColor.h"
#include "ReferenceColor.h"

namespace {

const uint32_t kFormats[] = {0, 1, 0x80, 0x81, 0x82, 0x83, 0x05, 0x85, 0xA000, 0xC000, 0xC080, 0x4000, 0x8000, 0xC001};

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
    const uint32_t srcFormat = in.Pick(kFormats), dstFormat = in.Pick(kFormats);
    const int srcStride = Stride(in, srcCols, srcFormat), dstStride = Stride(in, dstCols, dstFormat);

    ReferenceResinSettings settings;
    settings.fresh = in.Byte() % 4 == 0;
    settings.model = in.Byte() % 6;
    settings.mediaMode = in.Byte() % 5;
    settings.threshold = in.Byte();
    settings.invert = in.Byte() % 3 == 0 ? 0 : 1;

    const std::vector<uint8_t> source = in.Fill(ImageSpan(srcRows, srcCols, srcStride, srcFormat));
    std::vector<uint8_t> got(ImageSpan(dstRows, dstCols, dstStride, dstFormat), 0xCD);
    const std::vector<uint8_t> before = got;

    CColorFlow* flow = CreatZbColorFlow_o();
    if (!settings.fresh)
        SetResinModelMediaMode_o(flow, 0, settings.model, settings.mediaMode, settings.threshold, settings.invert);
    const bool converted = ConvertRGB2Resin_o(flow, source.data(), srcRows, srcCols, srcStride, srcFormat,
                                              got.data(), dstRows, dstCols, dstStride, dstFormat);
    if (!converted) {
        const uint32_t error = GetLastErrorCode_o(flow);
        FuzzCheck(error == 13 || error == 8);
        FuzzCheck(got == before);
    } else {
        std::vector<uint8_t> want = before;
        FuzzCheck(ReferenceConvertRGB2Resin(settings, source.data(), srcRows, srcCols, srcStride, srcFormat,
                                            want.data(), dstRows, dstCols, dstStride, dstFormat));
        FuzzCheck(got == want);
    }
    ReleaseZbColorFlow_o(&flow);
    return 0;
}
