#pragma once
// Alpha-blended plotting: a colour whose top byte is its alpha a_s drawn
// over a pixel of colour c_d and alpha a_d. With a_s = 0 the pixel is left
// unchanged; otherwise each channel becomes
//   (c_s * a_s * 255 + c_d * a_d * (255 - a_s)) / (a_d * (255 - a_s) + a_s * 255)
// and the alpha (a_s * 255 + a_d * (255 - a_s)) / 255, integer divisions.
// Over a fully transparent pixel (a_d = 0) the result is the source itself.
//
// A 24-bit image has no alpha: its pixels are opaque whatever their top byte
// holds, so blending onto one uses blendOpaque(), which is alphaBlend() with
// a_d = 255 and keeps the destination's top byte.

#include "core/image.h"

namespace tarnel {

inline Color alphaBlend(Color dst, Color src) {
    const unsigned as = src >> 24;
    if (as == 0) return dst;
    const unsigned ad = dst >> 24;
    const unsigned keep = ad * (255u - as);
    const unsigned denom = keep + as * 255u;
    auto channel = [&](int shift) {
        const unsigned cs = (src >> shift) & 0xFFu;
        const unsigned cd = (dst >> shift) & 0xFFu;
        return ((cs * as * 255u + cd * keep) / denom) << shift;
    };
    const unsigned alpha = (as * 255u + keep) / 255u;
    return channel(0) | channel(8) | channel(16) | (alpha << 24);
}

// Each channel becomes (c_s * a_s + c_d * (255 - a_s)) / 255; the top byte
// of dst is kept.
inline Color blendOpaque(Color dst, Color src) {
    const unsigned as = src >> 24;
    if (as == 0) return dst;
    if (as == 255) return (src & kColorMask) | (dst & ~kColorMask);
    const unsigned keep = 255u - as;
    auto channel = [&](int shift) {
        const unsigned cs = (src >> shift) & 0xFFu;
        const unsigned cd = (dst >> shift) & 0xFFu;
        return ((cs * as + cd * keep) / 255u) << shift;
    };
    return channel(0) | channel(8) | channel(16) | (dst & ~kColorMask);
}

// How blendImage() treats the destination's top byte.
enum class BlendOnto {
    ImageDepth,  // alpha for a 32-bit destination, opaque for a 24-bit one
    Opaque,      // always opaque (a view canvas, shown without alpha)
};

// Blends the 32-bit src by its alpha onto dst with src's top-left at (x, y),
// clipped to dst. Returns the rectangle of dst it covered (empty when none).
Rect blendImage(Image& dst, const Image& src, int x, int y, BlendOnto onto = BlendOnto::ImageDepth);

// Plots colour at (x, y) in alpha-blend mode; positions outside are ignored.
inline void plotBlended(Image& image, int x, int y, Color color) {
    if (!image.contains(x, y)) return;
    Color& p = image.row(y)[x];
    p = alphaBlend(p, color);
}

}  // namespace tarnel
