#pragma once
// Negative and gray scale. Both change red, green and blue and keep each
// pixel's top byte (alpha of a 32-bit image). The area is inclusive and
// clipped to the image; the overloads without one work on the whole image.

#include "core/image.h"

namespace tarnel {

// Each of red, green and blue becomes 255 minus itself (colour XOR 0xFFFFFF).
// Applying it twice restores the image.
void negative(Image& image, const Rect& area);
void negative(Image& image);

// g = floor((2 R + 4 G + B) / 7) into all three channels: white stays 255,
// pure red gives 72, green 145, blue 36. A gray image is left as it is.
void grayScale(Image& image, const Rect& area);
void grayScale(Image& image);

}  // namespace tarnel
