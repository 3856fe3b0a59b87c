#include "transform/rotate.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/simd.h"

namespace tarnel {
namespace {

// Square tiles. A tile is turned into a small contiguous buffer and then
// copied out whole destination row pieces at a time: rows of a 4096-pixel
// image lie a multiple of 4 KiB apart, so writing a tile's destination rows a
// few pixels at a time would keep evicting each other from the cache.
constexpr int kTile = 64;

// Destination of source pixel (sx, sy) in a W x H image turned by 90 degrees
// into an H x W one: clockwise (H-1-sy, sx), counter-clockwise (sy, W-1-sx).
// The tile covers source columns x0 .. x1-1 and rows y0 .. y1-1; buffer row i
// holds the destination row of source column x0+i, reading left to right.
template <bool kClockwise>
void rotateTile(const Image& src, Image& dst, int x0, int y0, int x1, int y1) {
    Color buffer[kTile * kTile];
    const int rows = y1 - y0;
    auto slot = [&](int sx, int sy) -> Color* {
        return buffer + (sx - x0) * kTile + (kClockwise ? y1 - 1 - sy : sy - y0);
    };
    int sy = y0;
#if defined(TARNEL_SIMD_SSE2)
    // 4 x 4 blocks: load four source rows, transpose in registers, and store
    // each source column as one piece of its destination row (reversed when
    // turning clockwise, where the source rows run right to left).
    for (; sy + 4 <= y1; sy += 4) {
        int sx = x0;
        for (; sx + 4 <= x1; sx += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(sy) + sx));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(sy + 1) + sx));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(sy + 2) + sx));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(sy + 3) + sx));
            const __m128i ab0 = _mm_unpacklo_epi32(a, b);
            const __m128i ab1 = _mm_unpackhi_epi32(a, b);
            const __m128i cd0 = _mm_unpacklo_epi32(c, d);
            const __m128i cd1 = _mm_unpackhi_epi32(c, d);
            const __m128i columns[4] = {_mm_unpacklo_epi64(ab0, cd0), _mm_unpackhi_epi64(ab0, cd0),
                                        _mm_unpacklo_epi64(ab1, cd1), _mm_unpackhi_epi64(ab1, cd1)};
            for (int k = 0; k < 4; ++k) {
                if (kClockwise) {
                    const __m128i reversed = _mm_shuffle_epi32(columns[k], _MM_SHUFFLE(0, 1, 2, 3));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(slot(sx + k, sy + 3)), reversed);
                } else {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(slot(sx + k, sy)), columns[k]);
                }
            }
        }
        for (; sx < x1; ++sx)
            for (int i = 0; i < 4; ++i) *slot(sx, sy + i) = src.row(sy + i)[sx];
    }
#endif
    for (; sy < y1; ++sy) {
        const Color* row = src.row(sy);
        for (int sx = x0; sx < x1; ++sx) *slot(sx, sy) = row[sx];
    }
    const int w = src.width();
    const int h = src.height();
    for (int sx = x0; sx < x1; ++sx) {
        Color* target = kClockwise ? dst.row(sx) + (h - y1) : dst.row(w - 1 - sx) + y0;
        std::memcpy(target, buffer + (sx - x0) * kTile, sizeof(Color) * static_cast<std::size_t>(rows));
    }
}

template <bool kClockwise>
void rotateInto(const Image& src, Image& dst) {
    for (int y0 = 0; y0 < src.height(); y0 += kTile)
        for (int x0 = 0; x0 < src.width(); x0 += kTile)
            rotateTile<kClockwise>(src, dst, x0, y0, std::min(x0 + kTile, src.width()),
                                   std::min(y0 + kTile, src.height()));
}

}  // namespace

Image rotate90(const Image& image, RotateDirection direction) {
    Image out;
    rotate90Into(image, out, direction);
    return out;
}

void rotate90Into(const Image& source, Image& target, RotateDirection direction) {
    if (&source == &target) {
        target = rotate90(source, direction);
        return;
    }
    if (source.isNull()) {
        target = Image();
        return;
    }
    if (target.width() != source.height() || target.height() != source.width() || target.depth() != source.depth())
        target = Image(source.height(), source.width(), source.depth());
    if (direction == RotateDirection::Clockwise)
        rotateInto<true>(source, target);
    else
        rotateInto<false>(source, target);
}

void rotate180(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    const int w = r.width();
    // Row top+i exchanges with row bottom-i, each read backwards; an odd
    // middle row is reversed on its own.
    for (int top = r.top, bottom = r.bottom; top < bottom; ++top, --bottom) {
        Color* a = image.row(top) + r.left;
        Color* b = image.row(bottom) + r.left;
        for (int x = 0, xr = w - 1; x < w; ++x, --xr) std::swap(a[x], b[xr]);
    }
    if (r.height() % 2 == 1) {
        Color* middle = image.row(r.top + r.height() / 2) + r.left;
        std::reverse(middle, middle + w);
    }
}

void rotate180(Image& image) { rotate180(image, image.rect()); }

}  // namespace tarnel
