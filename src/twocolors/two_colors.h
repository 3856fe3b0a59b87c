#pragma once
// Two-colour conversion: every pixel of an area becomes one of two colours
// depending on whether its luminance falls below a threshold, read plainly,
// through the 4 x 4 ordered dither, or with a half-strength Sierra Lite
// error diffusion.

#include "core/image.h"

namespace tarnel {

enum class TwoColorDither {
    None = 0,
    Ordered = 1,     // "4X4 ordered"
    SierraLite = 2,  // "Sierra Lite"
};

inline constexpr Color kDefaultTwoColor1 = 0x000000;  // black
inline constexpr Color kDefaultTwoColor2 = 0xFFFFFF;  // white
inline constexpr int kTwoColorSliderMax = 256;
inline constexpr int kTwoColorDefaultSlider = 128;

// lum = (2 R + 4 G + B) / 7, truncated: 0..255.
constexpr int luminance(Color c) { return (2 * redOf(c) + 4 * greenOf(c) + blueOf(c)) / 7; }

// The slider runs 0..256 and works as a brightness control: the threshold
// is 256 minus its value, so moving it right turns more pixels into colour 2.
constexpr int twoColorThreshold(int sliderValue) { return kTwoColorSliderMax - sliderValue; }

struct TwoColorOptions {
    // Pixels whose luminance is below the threshold become color1, all
    // others color2. 256 or more makes every plain pixel color1, 0 or less
    // every pixel color2.
    int threshold = twoColorThreshold(kTwoColorDefaultSlider);
    Color color1 = kDefaultTwoColor1;
    Color color2 = kDefaultTwoColor2;
    TwoColorDither dither = TwoColorDither::None;
};

// Converts the area of image (clipped to it) in place; pixels outside it are
// untouched and every pixel keeps its top byte (the colours' top bytes are
// ignored). The ordered dither reads each pixel at its image coordinates.
// Sierra Lite treats the area as an image of its own: its error diffusion
// starts afresh at the area's left and top edges and runs left to right in
// every row, with right 1/4, below 1/8 and below-left 1/8 of the error.
void convertTwoColors(Image& image, const Rect& area, const TwoColorOptions& options);

}  // namespace tarnel
