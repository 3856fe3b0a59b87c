#pragma once
// Alpha-blended plotting: a colour whose top byte is its alpha a_s drawn
// over a pixel of colour c_d and alpha a_d. With a_s = 0 the pixel is left
// unchanged; otherwise each channel becomes
//   (c_s * a_s * 255 + c_d * a_d * (255 - a_s)) / (a_d * (255 - a_s) + a_s * 255)
// and the alpha (a_s * 255 + a_d * (255 - a_s)) / 255, integer divisions.
// Over a fully transparent pixel (a_d = 0) the result is the source itself.

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

// Plots colour at (x, y) in alpha-blend mode; positions outside are ignored.
inline void plotBlended(Image& image, int x, int y, Color color) {
    if (!image.contains(x, y)) return;
    Color& p = image.row(y)[x];
    p = alphaBlend(p, color);
}

}  // namespace tarnel
