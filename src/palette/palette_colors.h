#pragma once
// The palette tool without its window: collecting the distinct colours of an
// image (giving up past 512), drawing them as a grid of square swatches over
// a light grey texture, and replacing one colour by another.

#include <cstddef>
#include <string>
#include <vector>

#include "core/image.h"

namespace tarnel {

// At most this many swatches are shown.
inline constexpr int kSwatchMaxColors = 512;
// The swatch image, the client area of the palette window.
inline constexpr int kSwatchImageWidth = 176;
inline constexpr int kSwatchImageHeight = 352;

// The distinct 24-bit colours of the area (clipped to the image; top bytes
// are ignored) in the order they first occur, rows top to bottom, columns
// left to right. The scan stops before any pixel once more than 512 colours
// are known, so the list holds at most 513 entries and 513 means "more than
// 512".
std::vector<Color> collectColors(const Image& image, const Rect& area);

// " Palette = n" for up to 512 colours (the leading space belongs to it),
// "Palette > 512" beyond.
std::string paletteTitle(std::size_t colorCount);

// The grid for n colours (n capped at 512): `columns` cells per row, square
// cells of `cell` pixels; at most 2 x columns rows, which always fit the
// image. Zero colours give a grid without cells.
struct SwatchGrid {
    int columns = 0;
    int cell = 0;
};
SwatchGrid swatchGrid(std::size_t colorCount);

// The 176 x 352 24-bit texture drawn under the swatches: pixel (x, y) is
// v | v << 8 | v << 16 | 0xC0C0C0 cut to 24 bits, with v = x XOR y.
Image swatchBackground();

// The swatch image: the background with the first (up to) 512 colours as
// squares, left to right and then down, from the top-left corner. Cells
// after the last colour show the background.
Image drawSwatches(const std::vector<Color>& colors);

// Every pixel of the whole image whose 24-bit colour is `from` takes the
// colour `to` (its top byte kept). Returns the number of pixels changed.
std::size_t replaceColor(Image& image, Color from, Color to);

// The first entry of the palette whose 24-bit colour is `from` takes the
// colour `to` (its top byte kept).
// Returns false when there is none.
bool replacePaletteEntry(std::vector<Color>& palette, Color from, Color to);

}  // namespace tarnel
