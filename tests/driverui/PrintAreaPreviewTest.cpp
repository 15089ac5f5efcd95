// The preview of the Print Area page painted into a 32-bit DIB section and
// checked on exact pixels; the page's blank picture and row flip.
#include "AreaImage.h"
#include "MaskBitmap.h"
#include "PrintAreaPreview.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const DWORD kGrey = 0x808080, kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000;
const int kSize = 200;
// A 160 x 160 frame: the portrait card is 102 x 160 pixels at (39, 10), the
// landscape card 160 x 102 at (10, 39); grid lines every 7 pixels.
const RECT kFrame = {10, 10, 170, 170};

class Canvas {
public:
    Canvas()
    {
        BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < kSize * kSize; ++i)
            m_pixels[i] = kGrey;
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    DWORD At(int x, int y) const
    {
        GdiFlush();
        return m_pixels[y * kSize + x] & 0xFFFFFF;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD* m_pixels = nullptr;
};

PrintAreaRecord Entry(BYTE orientation, DWORD outside, DWORD inside, std::vector<RECT> rects)
{
    PrintAreaRecord record;
    memcpy(&record, AreaImage(L"Preview", orientation).Dword(156, outside).Dword(160, inside).Rects(rects).data(),
           sizeof(record));
    return record;
}

// Portrait dots (100, 200)-(300, 500) map to the pixels (54, 41)-(85, 88).
const RECT kArea = {100, 200, 300, 500};
const BitmapImage kNoMask = {};

struct Pixel {
    int x, y;
    DWORD colour;
};

void ExpectPixels(const Canvas& canvas, const std::vector<Pixel>& pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << "at " << p.x << ", " << p.y;
}

TEST(PreviewCard, FillsTheFrameHeightOrWidth)
{
    struct {
        RECT frame;
        BYTE orientation;
        RECT card;
    } cases[] = {
        {kFrame, 1, {39, 10, 141, 170}},
        {kFrame, 2, {10, 39, 170, 141}},
        {kFrame, 0, {10, 39, 170, 141}},
        {{0, 0, 300, 100}, 1, {118, 0, 182, 100}},
        {{0, 0, 0, 0}, 1, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        RECT card = GetPreviewCardRect(c.frame, c.orientation);
        EXPECT_TRUE(EqualRect(&c.card, &card)) << card.left << "," << card.top << "," << card.right << ","
                                               << card.bottom;
    }
}

TEST(Preview, WithoutASelectionShowsOnlyTheCard)
{
    for (int selected : {-1, 0}) {
        Canvas canvas;
        PrintAreaRecord entry = Entry(1, 0, kWhite, {kArea});
        if (selected == 0)
            entry.dwRectCount = 0;
        PaintPrintAreaPreview(canvas.dc(), kFrame, entry, selected, kNoMask);
        ExpectPixels(canvas, {{90, 90, kBlack}, {60, 50, kBlack}, {46, 90, kBlack}, {20, 90, kGrey}, {150, 90, kGrey}});
    }
}

TEST(Preview, DrawsGridRectanglesAndTheSelectionInTheInsideColour)
{
    struct {
        const char* what;
        BYTE orientation;
        DWORD outside, inside;
        std::vector<Pixel> pixels;
    } cases[] = {
        {"white on black", 1, kBlack, kWhite,
         {{46, 90, kWhite}, {80, 17, kWhite}, {80, 18, kBlack}, {52, 50, kBlack}, {60, 50, kWhite},
          {70, 86, kWhite}, {70, 88, kBlack}, {85, 60, kBlack}, {20, 90, kGrey}}},
        {"black on white", 1, kWhite, kBlack,
         {{46, 90, kBlack}, {80, 17, kBlack}, {80, 18, kWhite}, {52, 50, kWhite}, {60, 50, kBlack},
          {85, 60, kWhite}}},
        // Landscape: 160 x 102 pixels for 1012 x 648 dots, grid every 7.
        {"landscape", 2, kBlack, kWhite, {{17, 90, kWhite}, {18, 90, kBlack}, {30, 20, kGrey}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas;
        PaintPrintAreaPreview(canvas.dc(), kFrame, Entry(c.orientation, c.outside, c.inside, {kArea}), 0, kNoMask);
        ExpectPixels(canvas, c.pixels);
    }
    // The selected rectangle is outlined by a dotted red pen over its fill,
    // an unselected one only filled.
    Canvas canvas;
    PaintPrintAreaPreview(canvas.dc(), kFrame, Entry(1, kBlack, kWhite, {{0, 0, 10, 10}, kArea}), 1, kNoMask);
    int red = 0;
    for (int x = 54; x < 85; ++x) {
        DWORD colour = canvas.At(x, 41);
        EXPECT_TRUE(colour == kRed || colour == kWhite) << x;
        red += colour == kRed;
    }
    EXPECT_GE(red, 10);
    EXPECT_EQ(kWhite, canvas.At(60, 50));
    EXPECT_EQ(kWhite, canvas.At(39, 10));
    EXPECT_EQ(kGrey, canvas.At(40, 11));
}

TEST(Preview, ACardTooSmallOrWithoutASizeDrawsWhatItCan)
{
    // 6 x 10 pixels: a grid step of 0 lines.
    Canvas small;
    PaintPrintAreaPreview(small.dc(), {0, 0, 10, 10}, Entry(1, 0, kWhite, {{0, 0, 648, 1012}}), 0, kNoMask);
    EXPECT_EQ(kWhite, small.At(4, 5));
    // No frame at all: nothing is scaled to it.
    Canvas none;
    PaintPrintAreaPreview(none.dc(), {5, 5, 5, 5}, Entry(1, 0, kWhite, {kArea}), 0, kNoMask);
    EXPECT_EQ(kGrey, none.At(5, 5));
    // No card size in the entry: the card alone.
    Canvas sizeless;
    PrintAreaRecord entry = Entry(1, 0, kWhite, {kArea});
    entry.dwPageWidth = 0;
    PaintPrintAreaPreview(sizeless.dc(), kFrame, entry, 0, kNoMask);
    ExpectPixels(sizeless, {{60, 50, kBlack}, {46, 90, kBlack}});
}

TEST(Preview, TheMaskCoversTheCardUnderGridAndRectangles)
{
    // Two rows, bottom-up: the card's lower half 0x20, the upper 0xC0.
    for (WORD bits : {8, 24}) {
        SCOPED_TRACE(bits);
        BitmapImage mask = {};
        ASSERT_TRUE(CreateBlankBitmap(&mask, 2, 2, bits, 0x20));
        memset(mask.pBits + mask.dwStride, 0xC0, mask.dwStride);
        Canvas canvas;
        PaintPrintAreaPreview(canvas.dc(), kFrame, Entry(1, 0, kWhite, {kArea}), 0, mask);
        ExpectPixels(canvas, {{100, 50, 0xC0C0C0}, {100, 152, 0x202020}, {60, 50, kWhite}, {46, 150, kWhite},
                              {90, 9, kBlack}, {20, 90, kGrey}});
        ReleaseBitmapImage(&mask);
        EXPECT_EQ(nullptr, mask.pBits);
    }
}

TEST(MaskBitmap, BlankPicturesHaveAlignedRowsAndFlipThroughTheHeap)
{
    struct {
        LONG width, height;
        WORD bits;
        DWORD stride;
    } cases[] = {{3, 2, 8, 4}, {5, 1, 8, 8}, {1, 3, 24, 4}, {4, 1, 24, 12}};
    for (const auto& c : cases) {
        BitmapImage image;
        memset(&image, 0xEE, sizeof(image));
        ASSERT_TRUE(CreateBlankBitmap(&image, c.width, c.height, c.bits, 0x7F));
        EXPECT_EQ((std::vector<LONG>{0, c.width, c.height, LONG(c.stride), 1, c.bits}),
                  (std::vector<LONG>{LONG(image.dwReserved), image.lWidth, image.lHeight, LONG(image.dwStride),
                                     image.wPlanes, image.wBitCount}));
        EXPECT_EQ(std::string(c.stride * c.height, '\x7F'), std::string(reinterpret_cast<char*>(image.pBits),
                                                                         c.stride * c.height));
        ReleaseBitmapImage(&image);
    }
    BitmapImage image = {};
    for (LONG size : {0, -1, 0x7FFFFFFF})
        EXPECT_FALSE(CreateBlankBitmap(&image, size, size, 24, 0));
    EXPECT_FALSE(CreateBlankBitmap(&image, 1, 1, 16, 0));
    EXPECT_FALSE(CreateBlankBitmap(nullptr, 1, 1, 8, 0));
    EXPECT_EQ(nullptr, image.pBits);

    ASSERT_TRUE(CreateBlankBitmap(&image, 4, 3, 8, 0));
    memcpy(image.pBits, "AAAABBBBCCCC", 12);
    EXPECT_EQ(0u, FlipMaskRows(&image));
    EXPECT_EQ(std::string("CCCCBBBBAAAA"), std::string(reinterpret_cast<char*>(image.pBits), 12));
    ReleaseBitmapImage(&image);
    SetLastError(0xC0FFEE);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), FlipMaskRows(&image));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
