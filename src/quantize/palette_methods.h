#pragma once
// The palette methods of the quantize window: each quantizes an area of an
// image in place and reports the palette it produced.
//
// Three families:
//  - direct per-pixel methods (Uniform and the seven mask methods): each
//    output colour follows from its input colour alone; with dither the
//    input is read through the 4 x 4 ordered dither (image coordinates);
//  - fixed palettes (CGA, EGA, TruColor, Human): a remap to a built-in table;
//  - image-dependent palettes (Popularity, Adaptive): a palette chosen from
//    the image, then a remap to it.
// Remaps diffuse the error when dither is on. Areas are clipped to the image;
// every method keeps each pixel's top byte (alpha).

#include <cstdint>

#include "core/image.h"
#include "quantize/quantize_method.h"
#include "quantize/remap.h"

namespace tarnel {

struct QuantizeOptions {
    // Levels per channel for Uniform (2..16); colours for Popularity and
    // Adaptive (2..256). Values outside the range are clamped to it. The
    // other methods ignore it.
    int limit = 32;
    bool dither = false;
};

// Uniform: levels per channel; each channel v becomes floor(v / width) * step
// with step = trunc(255 / (levels - 1)) and width = 255 / (levels - 0.5)
// rounded half away from zero. Returns the distinct output colours.
Palette uniformQuantize(Image& image, const Rect& area, int levels, bool dither);

// The bits each channel keeps in a mask method: v becomes (v AND mask) OR 0x0F.
struct ChannelMasks {
    std::uint8_t red = 0xFF;
    std::uint8_t green = 0xFF;
    std::uint8_t blue = 0xFF;
};
// The masks of flat_8 .. Ocean_128; a method without masks gives 0xFF each.
ChannelMasks methodMasks(QuantizeMethod method);
// Returns the distinct output colours.
Palette maskQuantize(Image& image, const Rect& area, const ChannelMasks& masks, bool dither);

// The built-in table of CGA (16), EGA (64), TruColor 256 or Human 256, in
// table order; empty for any other method.
const Palette& fixedPalette(QuantizeMethod method);

// Popularity: the most frequent colours of the area after a pre-reduction
// to 64, 512 or 4096 levels, taken in turn from four brightness classes
// (bright, dark, mid-bright, mid-dark). At most limit colours, and never
// more than the whole image has. The counts that choose the pre-reduction
// cover the whole image, with only the area reduced.
Palette popularityPalette(const Image& image, const Rect& area, int limit);

// Adaptive: limit colours taken at evenly spaced ranks of the area's pixels
// sorted by value 0x00BBGGRR (blue, then green, then red), re-spaced when a
// pick would repeat the previous colour. With fewer distinct colours than
// limit, entries repeat.
Palette adaptivePalette(const Image& image, const Rect& area, int limit);

// Whether the method replaces the current palette (the fixed palettes and
// NeuQuant leave it as it was).
constexpr bool replacesCurrentPalette(QuantizeMethod method) {
    switch (method) {
    case QuantizeMethod::Cga16:
    case QuantizeMethod::Ega64:
    case QuantizeMethod::TruColor256:
    case QuantizeMethod::Human256:
    case QuantizeMethod::Neuquant256:
        return false;
    default:
        return true;
    }
}

// Runs the method on area of image and returns the current palette after
// it: the palette the method produced, or currentPalette for the methods
// that keep it. A null image or an empty area changes nothing.
Palette runMethod(Image& image, const Rect& area, QuantizeMethod method, const QuantizeOptions& options,
                  const Palette& currentPalette = {});

}  // namespace tarnel
