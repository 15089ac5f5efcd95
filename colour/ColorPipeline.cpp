#include "ColorPipeline.h"

#include "ColorError.h"
#include "DarkImage.h"
#include "DirectMapper.h"
#include "GridMapper.h"
#include "NewArray.h"
#include "PackedPixel.h"

#include <cstring>
#include <memory>

namespace {

class CRowSource {
public:
    CRowSource(const ImageRef& image, const ZbSatue* satue)
        : m_Image(image), m_Layout(DecodePixelFormat(image.format, 0)), m_pSatue(satue)
    {
    }

    // Row r of the image as packed pixels, saturated when that step is on.
    void Fetch(int r, uint32_t* out) const
    {
        const uint8_t* row = m_Image.data + (size_t)r * (size_t)m_Image.stride;
        if (m_pSatue)
            m_pSatue->SaturateRow(row, m_Layout, m_Image.cols, out);
        else
            PackRow(row, m_Layout, m_Image.cols, out);
    }

private:
    const ImageRef& m_Image;
    PixelLayout m_Layout;
    const ZbSatue* m_pSatue;
};

template <class Mapper>
void ConvertRows(Mapper& mapper, const CRowSource& source, CZbSharpen* sharpen, uint32_t* buffers, int rows,
                 int cols, uint8_t* dst, int dstStride, const PixelLayout& dstLayout)
{
    uint32_t* cur = buffers;
    auto mapRow = [&](int r, const uint32_t* pixels) {
        uint8_t* row = dst + (size_t)r * (size_t)dstStride;
        mapper.MapRow(pixels, cols, row + dstLayout.offR, row + dstLayout.offG, row + dstLayout.offB);
    };

    if (rows == 0)
        return;
    if (!sharpen) {
        for (int r = 0; r < rows; r++) {
            source.Fetch(r, cur);
            mapRow(r, cur);
        }
        return;
    }

    uint32_t* next = buffers + cols;
    uint32_t* sharpened = buffers + 2 * (size_t)cols;
    int16_t* prevLum = sharpen->PreviousRow();
    int16_t* curLum = sharpen->CurrentRow();
    int16_t* nextLum = sharpen->NextRow();
    // Row -1 stands for row 0 and the row after the last for the last.
    source.Fetch(0, cur);
    CZbSharpen::LuminanceRow(cur, curLum, (uint32_t)cols);
    const int16_t* above = curLum;
    for (int r = 0; r < rows; r++) {
        const int16_t* below = curLum;
        if (r + 1 < rows) {
            source.Fetch(r + 1, next);
            CZbSharpen::LuminanceRow(next, nextLum, (uint32_t)cols);
            below = nextLum;
        }
        sharpen->FilterRow(cur, sharpened, (uint32_t)cols, above, curLum, below);
        mapRow(r, sharpened);

        int16_t* spare = prevLum;
        prevLum = curLum;
        curLum = nextLum;
        nextLum = spare;
        above = prevLum;
        uint32_t* swap = cur;
        cur = next;
        next = swap;
    }
}

} // namespace

uint32_t RunColorPipeline(const PipelineSetup& setup, const ImageRef& image, uint8_t* dst, int dstStride,
                          const PixelLayout& dstLayout)
{
    const int rows = image.rows, cols = image.cols;

    // Packed rows: the current one, and with sharpening the next one and the
    // sharpened one.
    const size_t rowCount = setup.sharpen ? 3 : 1;
    size_t units;
    std::unique_ptr<uint32_t[]> buffers;
    if (MulSize((size_t)cols, rowCount, &units))
        buffers = NewArray<uint32_t>(units);
    if (!buffers)
        return ERROR_OUTOFMEMORY;
    if (setup.sharpen && !setup.sharpen->Prepare((uint32_t)cols))
        return setup.sharpen->GetError();

    // The dark-image step changes only this call's copy of the tables.
    uint8_t output[3][256];
    std::memcpy(output, setup.output, sizeof output);
    if (IsDarkImage(image))
        CompressDarkLevels(output, 3);

    const CRowSource source(image, setup.satue);
    if (setup.lut->Grid()) {
        CGridMapper mapper(*setup.lut, setup.working, output);
        ConvertRows(mapper, source, setup.sharpen, buffers.get(), rows, cols, dst, dstStride, dstLayout);
    } else {
        CDirectMapper mapper(setup.working, output);
        ConvertRows(mapper, source, setup.sharpen, buffers.get(), rows, cols, dst, dstStride, dstLayout);
    }
    return 0;
}
