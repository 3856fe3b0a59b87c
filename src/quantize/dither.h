#pragma once
// The 4 x 4 ordered dither shared by Uniform, the mask methods, NeuQuant and
// the Two Colors window: a pixel read with an offset added to each of red,
// green and blue, saturated to 0..255.

#include <algorithm>

#include "core/image.h"

namespace tarnel {

// The 4 x 4 Bayer index matrix minus 7; row = y mod 4, column = x mod 4.
inline constexpr int kDitherMatrix[4][4] = {
    {-7, 1, -5, 3},
    {5, -3, 7, -1},
    {-4, 4, -6, 2},
    {8, 0, 6, -2},
};

// The colour c of the pixel at (x, y) (image coordinates) with the matrix
// offset added to each colour channel; the top byte is returned unchanged.
inline Color ditherColor(Color c, int x, int y) {
    const int offset = kDitherMatrix[y & 3][x & 3];
    const int r = std::clamp(redOf(c) + offset, 0, 255);
    const int g = std::clamp(greenOf(c) + offset, 0, 255);
    const int b = std::clamp(blueOf(c) + offset, 0, 255);
    return (c & kAlphaMask) | rgb(r, g, b);
}

inline Color ditherRead(const Image& image, int x, int y) { return ditherColor(image.pixel(x, y), x, y); }

}  // namespace tarnel
