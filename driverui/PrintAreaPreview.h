// The picture of the card on the Print Area page: the card in its outside
// colour and, while a rectangle is selected, the mask picture, a grid every
// 50 dots and the rectangles in the inside colour, the selected one outlined.
#pragma once

#include <windows.h>

#include "PrintAreaRecord.h"
#include "Utilities.h"

// The card inside the preview frame: as high as the frame when portrait
// (orientation 1) and centred across it, else as wide and centred down it.
RECT GetPreviewCardRect(const RECT& frame, BYTE orientation);

// Paints entry into frame (coordinates of dc); selected is the selected
// rectangle, -1 for none; mask may be empty (no pixels).
void PaintPrintAreaPreview(HDC dc, const RECT& frame, const PrintAreaRecord& entry, int selected,
                           const BitmapImage& mask);
