// Fuzz target: the LUT loader fed any bytes through a caller's stream; a LUT
// that loads is then used for a small conversion, checked against the
// reference implementation.
#include "ColourTestSupport.h"
#include "FuzzInput.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CColorFlow* flow = CreatZbColorFlow_o();
    std::vector<uint8_t> bytes(data, data + size);
    MemoryStream stream(bytes);
    const bool loaded = LoadColorLUTFromZbIO(flow, (uint32_t)size, &stream);
    FuzzCheck(loaded || GetLastErrorCode_o(flow) == 13 || GetLastErrorCode_o(flow) == 8);
    for (const std::string& call : stream.Calls())
        FuzzCheck(call == "Read");

    if (loaded && size >= 5 && (data[3] == 3 || data[3] == 4)) {
        const uint32_t format = data[3] == 4 ? 0xC080 : 0xC000;
        const int rows = 3, cols = 5;
        const std::vector<uint8_t> image = PhotoImage(rows, cols, cols * 3, 0, (uint32_t)size);
        std::vector<uint8_t> got(rows * cols * 3, 0xCD), want(rows * cols * 3, 0xCD);
        FuzzCheck(ColorConvert_o(flow, image.data(), rows, cols, cols * 3, 0, got.data(), rows, cols, cols, format));
        ReferenceSettings settings;
        settings.lut = bytes;
        FuzzCheck(ReferenceColorConvert(settings, image.data(), rows, cols, cols * 3, 0, want.data(), rows, cols,
                                        cols, format));
        FuzzCheck(got == want);
    }
    ReleaseZbColorFlow_o(&flow);
    return 0;
}
