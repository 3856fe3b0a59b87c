#pragma once
// The pixel-chain effects: eleven whole-image primitives and the fifteen
// fixed sequences of them offered in the Effects menu.
//
// Every primitive works on the whole image it is given; to confine an effect
// to a selection, the caller copies the selected area out, applies the effect
// to the copy and pastes it back, so every pixel order below is taken over
// the copy's own width and height.
//
// Only red, green and blue take part: the XORs, the exchanges of the row
// shift-reverse, the gray and the inversion change the colour bits and leave
// each pixel's top byte (alpha of a 32-bit image) where it is.
//
// Pixel orders over a W x H image (N = W*H pixels p0 .. p(N-1)):
//   row order           rows top to bottom, each left to right;
//   column order        columns left to right, each top to bottom;
//   anti-diagonal order by x+y ascending, ties by x ascending
//                       (first (0, 0), last (W-1, H-1));
//   diagonal order      by (W-1-x)+y ascending, ties by x descending
//                       (first (W-1, 0), last (0, H-1)).
// Chains over an order (v before, v' after):
//   suffix accumulation v'(p(N-1)) = v(p(N-1)), v'(pi) = v(pi) ^ v'(p(i+1));
//   suffix difference   v'(pi) = v(pi) ^ v(p(i+1)), last unchanged;
//   prefix accumulation v'(p0) = v(p0), v'(pi) = v(pi) ^ v'(p(i-1));
//   prefix difference   v'(pi) = v(pi) ^ v(p(i-1)), first unchanged.
// Each difference undoes the accumulation of the same order exactly.

#include <span>
#include <string_view>

#include "core/image.h"

namespace tarnel {

enum class ChainPrimitive {
    RowAccumulate,            // RA: suffix accumulation in row order
    RowDifference,            // RD: suffix difference in row order
    ColumnAccumulate,         // CA: suffix accumulation in column order
    ColumnDifference,         // CD: suffix difference in column order
    AntiDiagonalAccumulate,   // AA: prefix accumulation in anti-diagonal order
    AntiDiagonalDifference,   // AD: prefix difference in anti-diagonal order
    DiagonalAccumulate,       // DA: prefix accumulation in diagonal order
    DiagonalDifference,       // DD: prefix difference in diagonal order
    RowShiftReverse,          // SR: reverse columns 0 .. W-2 of every row; column W-1 stays
    LumaGray,                 // LG: (306 R + 601 G + 117 B) >> 10 into all three channels
    Invert,                   // IN: colour XOR 0xFFFFFF
};

// Applies one primitive to the whole image. A null image is left alone; an
// image of one row or one column runs the chains along that single line.
void applyPrimitive(Image& image, ChainPrimitive primitive);

// The fifteen effects, in the order of the Effects menu (which lists
// "Gaussian Blur" first; that one is a filter of its own, see gaussian_blur.h).
enum class Effect {
    EdgeDetect,
    Pencil,
    Artist,
    Glowie,
    Blush,
    Spacy,
    Spectrum,
    Scratch,
    Noise,
    Phantom,
    Demon,
    Faded,
    XFactor,
    Scramble,
    Unscramble,
};

inline constexpr int kEffectCount = 15;
inline constexpr Effect kAllEffects[kEffectCount] = {
    Effect::EdgeDetect, Effect::Pencil, Effect::Artist,  Effect::Glowie,  Effect::Blush,
    Effect::Spacy,      Effect::Spectrum, Effect::Scratch, Effect::Noise, Effect::Phantom,
    Effect::Demon,      Effect::Faded,  Effect::XFactor, Effect::Scramble, Effect::Unscramble,
};

// The text of the effect's entry in the main Effects menu ("Edge detect" ..
// "scramble", "unscramble") and in the pop-up "effects..." submenu, which
// capitalises "Scramble" and "Unscramble" and is otherwise the same.
std::string_view effectMenuText(Effect effect);
std::string_view effectPopupText(Effect effect);

// The primitives the effect applies, left to right.
std::span<const ChainPrimitive> effectSequence(Effect effect);

// Applies the effect's sequence to the whole image. "scramble" followed by
// "unscramble" (or the other way round) restores every pixel exactly.
void applyEffect(Image& image, Effect effect);

// The effect on a copy of the area (clipped to the image), pasted back: the
// pixel orders run over the area's own width and height, and pixels outside
// it are neither read nor changed. Callers that work from what the view shows
// grab their own copy and use the whole-image form instead.
void applyEffect(Image& image, const Rect& area, Effect effect);

}  // namespace tarnel
