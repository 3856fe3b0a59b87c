#include "twocolors/two_colors.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/parallel.h"
#include "core/simd.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

constexpr int kLuminanceDivisor = 7;

// 2 R + 4 G + B, the luminance before its division by 7.
inline int weightedSum(Color c) { return 2 * redOf(c) + 4 * greenOf(c) + blueOf(c); }

// lum < t exactly when 2 R + 4 G + B < 7 t (the sum is never negative), so
// the threshold passes need no division.
inline Color pickColor(Color c, Color read, int limit, Color color1, Color color2) {
    return (c & ~kColorMask) | (weightedSum(read) < limit ? color1 : color2);
}

#if defined(TARNEL_SIMD_SSE2)
// Four pixels at a time: the dither offsets are added to the colour bytes
// with unsigned saturation, which is exactly the clamp to 0..255 of the
// dither read.
void orderedRowSse2(Color* row, int x, int end, int y, int limit, Color color1, Color color2) {
    // Offsets of the four lanes; the pattern repeats every 4 columns.
    alignas(16) std::uint8_t plus[16] = {};
    alignas(16) std::uint8_t minus[16] = {};
    for (int lane = 0; lane < 4; ++lane) {
        const int offset = kDitherMatrix[y & 3][(x + lane) & 3];
        for (int channel = 0; channel < 3; ++channel) {
            plus[lane * 4 + channel] = static_cast<std::uint8_t>(std::max(offset, 0));
            minus[lane * 4 + channel] = static_cast<std::uint8_t>(std::max(-offset, 0));
        }
    }
    const __m128i plusV = _mm_load_si128(reinterpret_cast<const __m128i*>(plus));
    const __m128i minusV = _mm_load_si128(reinterpret_cast<const __m128i*>(minus));
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    const __m128i limitV = _mm_set1_epi32(limit);
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(~kColorMask));
    const __m128i color1V = _mm_set1_epi32(static_cast<int>(color1));
    const __m128i color2V = _mm_set1_epi32(static_cast<int>(color2));
    for (; x + 4 <= end; x += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        const __m128i d = _mm_subs_epu8(_mm_adds_epu8(c, plusV), minusV);
        const __m128i red = _mm_and_si128(d, byteMask);
        const __m128i green = _mm_and_si128(_mm_srli_epi32(d, 8), byteMask);
        const __m128i blue = _mm_and_si128(_mm_srli_epi32(d, 16), byteMask);
        const __m128i sum = _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(red, 1), _mm_slli_epi32(green, 2)), blue);
        const __m128i below = _mm_cmplt_epi32(sum, limitV);
        const __m128i pick = _mm_or_si128(_mm_and_si128(below, color1V), _mm_andnot_si128(below, color2V));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_or_si128(_mm_and_si128(c, alphaMask), pick));
    }
    for (; x < end; ++x) row[x] = pickColor(row[x], ditherColor(row[x], x, y), limit, color1, color2);
}
#endif

template <bool Ordered>
void thresholdPass(Image& image, const Rect& r, int threshold, Color color1, Color color2) {
    const int limit = std::clamp(threshold, 0, kTwoColorSliderMax) * kLuminanceDivisor;
    // Each pixel on its own (the ordered dither depends on the position
    // alone): bands of rows on every core.
    parallelRows(r.top, r.bottom, r.width(), [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y) {
            Color* row = image.row(y);
#if defined(TARNEL_SIMD_SSE2)
            if constexpr (Ordered) {
                orderedRowSse2(row, r.left, r.right + 1, y, limit, color1, color2);
                continue;
            }
#endif
            for (int x = r.left; x <= r.right; ++x) {
                const Color c = row[x];
                row[x] = pickColor(c, Ordered ? ditherColor(c, x, y) : c, limit, color1, color2);
            }
        }
    });
}

void sierraLitePass(Image& image, const Rect& r, int threshold, Color color1, Color color2) {
    const int width = r.width();
    // errors[k] holds the error for column k - 1 of the next row; errors[0]
    // collects what falls off the left edge and is never read.
    std::vector<int> errors(static_cast<std::size_t>(width) + 1, 0);
    int* e = errors.data();
    for (int y = r.top; y <= r.bottom; ++y) {
        Color* row = image.row(y) + r.left;
        int carry = 0;  // a quarter of the error of the pixel to the left
        for (int x = 0; x < width; ++x) {
            carry += e[x + 1];
            const Color c = row[x];
            const int v = luminance(c) + carry;
            // Above the threshold the pixel takes colour 2 and the error is
            // v - 255, below it colour 1 and the error v; an error of the
            // wrong sign is dropped. Written without branches: the choice
            // is close to random in dithered areas.
            const bool high = v >= threshold;
            const int error = high ? std::min(v - 255, 0) : std::max(v, 0);
            row[x] = (c & ~kColorMask) | (high ? color2 : color1);
            carry = error >> 2;
            e[x + 1] = carry >> 1;
            e[x] += e[x + 1];
        }
    }
}

}  // namespace

void convertTwoColors(Image& image, const Rect& area, const TwoColorOptions& options) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    const Color color1 = options.color1 & kColorMask;
    const Color color2 = options.color2 & kColorMask;
    switch (options.dither) {
    case TwoColorDither::None:
        thresholdPass<false>(image, r, options.threshold, color1, color2);
        break;
    case TwoColorDither::Ordered:
        thresholdPass<true>(image, r, options.threshold, color1, color2);
        break;
    case TwoColorDither::SierraLite:
        sierraLitePass(image, r, options.threshold, color1, color2);
        break;
    }
}

}  // namespace tarnel
