#pragma once
// The picture in the working image at start-up: a bit pattern blended into a
// cleared image, then three title lines with a shadow.

#include "app/platform.h"
#include "core/image.h"

namespace tarnel {

inline constexpr int kStartupWidth = 800;
inline constexpr int kStartupHeight = 450;
inline constexpr Color kTitleShadowColor = 0x1F2D1D;
inline constexpr Color kTitleColor = 0x00FF3F;

// The title font (freed after start-up).
FontSpec titleFont();

// Alpha-blends the pattern over every pixel of image, rows top down and
// columns left to right, with one OR accumulator over the whole image.
void drawStartupPattern(Image& image);

// Draws the three title lines centred, each with its shadow 4 pixels down
// and right, through the platform's text drawing.
void drawStartupTitle(Image& image, Platform& platform);

// A cleared 800 x 450 32-bit image with the pattern and the title.
Image makeStartupImage(Platform& platform);

}  // namespace tarnel
