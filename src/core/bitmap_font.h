#pragma once
// A small built-in 5 x 7 pixel font for labels drawn without a window
// system: capital letters (small letters are drawn as capitals), digits and
// " .,:-_()/=%+". Other characters draw as a blank cell.

#include <string_view>

#include "core/image.h"

namespace tarnel {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;  // one blank column between characters

// Width in pixels of text drawn at scale (no trailing blank column).
int textWidth(std::string_view text, int scale);

// Draws text with its top-left corner at (x, y), each font pixel a
// scale x scale square of color (all four bytes written), clipped to the
// image.
void drawText(Image& image, int x, int y, std::string_view text, Color color, int scale);

}  // namespace tarnel
