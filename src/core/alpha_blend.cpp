#include "core/alpha_blend.h"

#include <algorithm>

namespace tarnel {

Rect blendImage(Image& dst, const Image& src, int x, int y, BlendOnto onto) {
    if (dst.isNull() || src.isNull()) return Rect{0, 0, -1, -1};
    // Wide arithmetic: a position far outside must not overflow the edges.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + src.width(), dst.width()) - 1;
    const long long bottom = std::min<long long>(static_cast<long long>(y) + src.height(), dst.height()) - 1;
    if (right < left || bottom < top) return Rect{0, 0, -1, -1};
    const bool opaque = onto == BlendOnto::Opaque || dst.depth() != 32;
    const int width = static_cast<int>(right - left + 1);
    for (long long row = top; row <= bottom; ++row) {
        const Color* s = src.row(static_cast<int>(row - y)) + (left - x);
        Color* d = dst.row(static_cast<int>(row)) + left;
        if (opaque) {
            for (int i = 0; i < width; ++i) d[i] = blendOpaque(d[i], s[i]);
        } else {
            for (int i = 0; i < width; ++i) d[i] = alphaBlend(d[i], s[i]);
        }
    }
    return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

}  // namespace tarnel
