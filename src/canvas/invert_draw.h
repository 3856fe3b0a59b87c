#pragma once
// Drawing in inverting mode on a canvas image: every covered pixel gets its
// colour bits complemented (alpha is left alone), so drawing the same shape
// twice restores the canvas exactly. Shapes are clipped to the image.

#include "core/image.h"

namespace tarnel {

// One-pixel rectangle frame at (x, y) of signed size w x h. A positive
// width covers columns x .. x + w - 1, a negative one x + w .. x - 1 (it
// extends to the left of x); zero draws nothing. Height likewise. Each frame
// pixel is inverted exactly once, also for frames one pixel wide or high.
void invertOutline(Image& canvas, int x, int y, int w, int h);

// Filled rectangle with the same size rules.
void invertFill(Image& canvas, int x, int y, int w, int h);

}  // namespace tarnel
