#pragma once
// Flip and mirror, in place. Whole pixels move, alpha included.

#include "core/image.h"

namespace tarnel {

// Reverses top and bottom within the area (inclusive, clipped to the image):
// rows top+i and bottom-i exchange; with an odd number of rows the middle one
// stays. A one-row area is left unchanged.
void flip(Image& image, const Rect& area);
void flip(Image& image);

// Reverses left and right within the area (clipped to the image): in every
// row, columns left+i and right-i exchange; with an odd number of columns the
// middle one stays.
void mirror(Image& image, const Rect& area);
void mirror(Image& image);

}  // namespace tarnel
