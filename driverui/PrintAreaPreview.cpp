#include "PrintAreaPreview.h"

#include "PaperTable.h"

namespace {

const int CORNER = 16;
// One grid line every this many dots.
const DWORD GRID_DOTS = 50;
const DWORD PALETTE_ENTRIES = 256;
const COLORREF SELECTION_COLOUR = RGB(255, 0, 0);

struct GreyBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[PALETTE_ENTRIES];
};

// The card's origin and size in pixels, and the entry's card in dots.
struct CardMap {
    int cx, cy;
    DWORD cw, ch, pw, ph;
    RECT Map(const RECT& dots) const
    {
        RECT r;
        r.left = cx + static_cast<int>(static_cast<DWORD>(dots.left) * cw / pw);
        r.top = cy + static_cast<int>(static_cast<DWORD>(dots.top) * ch / ph);
        r.right = r.left + static_cast<int>(static_cast<DWORD>(dots.right - dots.left) * cw / pw);
        r.bottom = r.top + static_cast<int>(static_cast<DWORD>(dots.bottom - dots.top) * ch / ph);
        return r;
    }
};

// The mask over the whole card. The reader keeps the blue level of 8-bit
// pictures, so their indexes are shown through a grey colour table.
void DrawMask(HDC dc, const CardMap& card, const BitmapImage& mask)
{
    GreyBitmapInfo info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = mask.lWidth;
    info.header.biHeight = mask.lHeight;
    info.header.biPlanes = mask.wPlanes;
    info.header.biBitCount = mask.wBitCount;
    info.header.biCompression = BI_RGB;
    if (mask.wBitCount == 8) {
        for (DWORD i = 0; i < PALETTE_ENTRIES; ++i) {
            info.colours[i].rgbBlue = info.colours[i].rgbGreen = info.colours[i].rgbRed = static_cast<BYTE>(i);
        }
    } else if (mask.wBitCount != 24) {
        return;
    }
    StretchDIBits(dc, card.cx, card.cy, static_cast<int>(card.cw), static_cast<int>(card.ch), 0, 0, mask.lWidth,
                  mask.lHeight, mask.pBits, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    HGDIOBJ brush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    RoundRect(dc, card.cx - 1, card.cy - 1, card.cx + static_cast<int>(card.cw) + 1,
              card.cy + static_cast<int>(card.ch) + 1, CORNER, CORNER);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
}

void DrawRectangles(HDC dc, const CardMap& card, const PrintAreaRecord& entry, int selected,
                    const BitmapImage& mask)
{
    if (mask.pBits)
        DrawMask(dc, card, mask);
    // A card narrower than a grid step, or an entry without a card size,
    // gets no grid and no rectangles: there is nothing to step or scale by.
    if (card.pw == 0 || card.ph == 0)
        return;
    const bool white = entry.dwInsideColor == 0xFFFFFF;
    HBRUSH fill = static_cast<HBRUSH>(GetStockObject(white ? WHITE_BRUSH : BLACK_BRUSH));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(white ? WHITE_PEN : BLACK_PEN));
    const DWORD step = card.cw < card.ch ? card.cw * GRID_DOTS / card.pw : card.ch * GRID_DOTS / card.ph;
    const int right = card.cx + static_cast<int>(card.cw), bottom = card.cy + static_cast<int>(card.ch);
    if (step > 0) {
        for (DWORD k = 1; card.cy + static_cast<int>(k * step) < bottom; ++k) {
            MoveToEx(dc, card.cx, card.cy + static_cast<int>(k * step), nullptr);
            LineTo(dc, right, card.cy + static_cast<int>(k * step));
        }
        for (DWORD k = 1; card.cx + static_cast<int>(k * step) < right; ++k) {
            MoveToEx(dc, card.cx + static_cast<int>(k * step), card.cy, nullptr);
            LineTo(dc, card.cx + static_cast<int>(k * step), bottom);
        }
    }
    SelectObject(dc, oldPen);

    const DWORD count = entry.dwRectCount < PRINT_AREA_RECT_MAX ? entry.dwRectCount : PRINT_AREA_RECT_MAX;
    for (DWORD i = 0; i < count; ++i) {
        RECT r = card.Map(entry.rcAreas[i]);
        FillRect(dc, &r, fill);
    }
    if (selected >= 0 && static_cast<DWORD>(selected) < count) {
        RECT r = card.Map(entry.rcAreas[selected]);
        HPEN dotted = CreatePen(PS_DOT, 1, SELECTION_COLOUR);
        HGDIOBJ pen = SelectObject(dc, dotted);
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, pen);
        DeleteObject(dotted);
    }
    SelectObject(dc, oldBrush);
}

} // namespace

RECT GetPreviewCardRect(const RECT& frame, BYTE orientation)
{
    const PaperTableRow& paper = PaperTable[0];
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    RECT card = frame;
    if (orientation == DMORIENT_PORTRAIT) {
        const int cw = static_cast<int>(paper.dwWidthDots) * fh / static_cast<int>(paper.dwHeightDots);
        card.left = frame.left + (fw - cw) / 2;
        card.right = card.left + cw;
    } else {
        const int ch = static_cast<int>(paper.dwWidthDots) * fw / static_cast<int>(paper.dwHeightDots);
        card.top = frame.top + (fh - ch) / 2;
        card.bottom = card.top + ch;
    }
    return card;
}

void PaintPrintAreaPreview(HDC dc, const RECT& frame, const PrintAreaRecord& entry, int selected,
                           const BitmapImage& mask)
{
    const RECT card = GetPreviewCardRect(frame, entry.byOrientation);
    HGDIOBJ brush = SelectObject(dc, GetStockObject(entry.dwOutsideColor ? WHITE_BRUSH : BLACK_BRUSH));
    RoundRect(dc, card.left, card.top, card.right, card.bottom, CORNER, CORNER);
    SelectObject(dc, brush);
    if (selected < 0 || entry.dwRectCount == 0 || card.right <= card.left || card.bottom <= card.top)
        return;
    CardMap map = {card.left,
                   card.top,
                   static_cast<DWORD>(card.right - card.left),
                   static_cast<DWORD>(card.bottom - card.top),
                   entry.dwPageWidth,
                   entry.dwPageHeight};
    DrawRectangles(dc, map, entry, selected, mask);
}
