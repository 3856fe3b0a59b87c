#pragma once
// Brightness and contrast: per-pixel tone changes of the colour channels
// inside an area of an image.
//
// Both change only red, green and blue; the top byte of every pixel (alpha
// of a 32-bit image) is kept. The area is clipped to the image; pixels
// outside it are untouched. Rounding of every floating-point value to an
// integer is to the nearest integer with halves to the even neighbour.

#include "core/image.h"

namespace tarnel {

// What happens when the brightness amount would push a channel past 0 or 255.
enum class BrightnessLimit {
    HoldRatio,  // shrink the amount so the largest (smallest) channel just reaches 255 (0)
    Clamp,      // clip each channel to 0..255 on its own
    Wrap,       // let each channel wrap around modulo 256
};

// The brightness options with the window's defaults.
struct BrightnessOptions {
    BrightnessLimit limit = BrightnessLimit::HoldRatio;
    // On: scale all enabled channels by the same factor (M' + a) / M', where
    // M' is the largest channel but at least 16, keeping the hue. Off: add
    // the amount to each enabled channel.
    bool ratio = true;
    // Scale the amount by the pixel's distance from white (brightening) or
    // black (darkening), measured on L = 2R + 4G + B.
    bool proportional = true;
    bool red = true;
    bool green = true;
    bool blue = true;
};

inline constexpr int kBrightnessMin = -128;
inline constexpr int kBrightnessMax = 128;
inline constexpr int kContrastMin = -100;
inline constexpr int kContrastMax = 100;

// Adds amount (clamped to -128..128) to the brightness of every pixel of
// area. Amount 0 changes nothing.
void adjustBrightness(Image& image, const Rect& area, int amount, const BrightnessOptions& options = {});

// The brightness of one colour (top byte dropped), as adjustBrightness
// computes it; for callers that need a single value and for checks.
Color brightnessOf(Color color, int amount, const BrightnessOptions& options = {});

namespace detail {
// The routine adjustBrightness runs: Best picks the widest vector path the
// processor has; the others force one (for tests and benchmarks; a path the
// build or processor lacks falls back to a narrower one). Every path gives
// the same pixels.
enum class BrightnessPath { Best, Plain, Sse2, Avx2 };
void adjustBrightnessWith(Image& image, const Rect& area, int amount, const BrightnessOptions& options,
                          BrightnessPath path);
}  // namespace detail

// Pushes each colour channel away from the middle (value > 0) or toward it
// (value < 0); value is clamped to -100..100. With k = value / 100 as a
// single-precision float, a channel v >= 128 becomes round(v + k(v - 128))
// (at most 255) and v < 128 becomes round(v - k(127 - v)) (at least 0).
void adjustContrast(Image& image, const Rect& area, int value);

// The contrast mapping of one channel value 0..255.
int contrastOf(int channel, int value);

}  // namespace tarnel
