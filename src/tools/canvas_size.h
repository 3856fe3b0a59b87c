#pragma once
// Canvas enlargement: the old image placed on a larger canvas of one colour.

#include "core/image.h"

namespace tarnel {

// The canvas never grows past this along either side.
inline constexpr int kCanvasMaxSide = 4096;
// Anchors number a 3 x 3 grid row by row from the top-left: 1 2 3 / 4 5 6 / 7 8 9.
inline constexpr int kCanvasAnchorCentre = 5;

struct CanvasOffset {
    int dx = 0;
    int dy = 0;
};

// Where the old image's top-left corner lands on the new canvas for an
// anchor 1..9 (any other anchor counts as the centre). Offsets halve the
// size difference with truncation toward zero, so they are negative when the
// new side is the smaller one.
CanvasOffset canvasAnchorOffset(int anchor, int oldWidth, int oldHeight, int newWidth, int newHeight);

// The size the canvas gets for requested sizes: never smaller than the image
// along a side, never larger than kCanvasMaxSide (which wins, so a side
// longer than that shrinks).
struct CanvasSize {
    int width = 0;
    int height = 0;
};
CanvasSize canvasSizeFor(int oldWidth, int oldHeight, int requestedWidth, int requestedHeight);

// A newWidth x newHeight 32-bit image filled with the opaque background
// colour (its top byte is ignored), with image drawn at the anchor's offset
// and clipped to the canvas. The old pixels are copied, not blended: a
// 32-bit image keeps its alpha, a 24-bit image (which has none) becomes
// opaque. Sizes are used as given; a null image or a non-positive size gives
// a null image.
Image enlargeCanvas(const Image& image, int newWidth, int newHeight, int anchor = kCanvasAnchorCentre,
                    Color background = 0);

}  // namespace tarnel
