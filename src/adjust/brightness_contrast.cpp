#include "adjust/brightness_contrast.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "adjust/rounding.h"

#include "core/parallel.h"
#include "core/simd.h"

namespace tarnel {
namespace {

// L = 2R + 4G + B of white.
constexpr int kLumaWhite = 2 * 255 + 4 * 255 + 255;
// In ratio mode a largest channel below this counts as this, so that dark
// pixels still move by a useful step.
constexpr int kRatioFloor = 16;
constexpr int kChannelMax = 255;

constexpr int luma(int r, int g, int b) { return 2 * r + 4 * g + b; }

// The amount after the proportional scaling, for every L. Brightening
// scales by the distance from white, darkening by the distance from black.
// 1785 is odd, so the quotient never lies exactly halfway.
std::array<int, kLumaWhite + 1> proportionalAmounts(int amount) {
    std::array<int, kLumaWhite + 1> table{};
    for (int l = 0; l <= kLumaWhite; ++l) {
        const std::int64_t product = amount > 0 ? std::int64_t{amount} * (kLumaWhite - l) : std::int64_t{amount} * l;
        table[l] = roundHalfEven(static_cast<double>(product) / kLumaWhite);
    }
    return table;
}

struct Enables {
    bool red;
    bool green;
    bool blue;
};

// One channel scaled to total T by its single-precision share of S.
inline int ratioChannel(int value, int sum, int total) {
    const float share = static_cast<float>(value) / static_cast<float>(sum);
    return roundHalfEven(static_cast<double>(total) * static_cast<double>(share));
}

template <BrightnessLimit Limit>
inline int limitChannel(int v) {
    if constexpr (Limit == BrightnessLimit::Wrap) {
        // Every spread result lies within -128..383, where one wrap by 256
        // and the low eight bits agree.
        return v & 0xFF;
    } else {
        // Hold ratio keeps channels in range by construction; the clamp only
        // guards the packing.
        return std::clamp(v, 0, kChannelMax);
    }
}

// The brightness of one pixel for an amount b != 0 whose proportional
// amounts (indexed by L) are in amounts, or nullptr when not proportional.
template <BrightnessLimit Limit, bool Ratio>
inline Color brightenPixel(Color c, int b, const int* amounts, Enables on) {
    int r = redOf(c);
    int g = greenOf(c);
    int bl = blueOf(c);
    int a = amounts ? amounts[luma(r, g, bl)] : b;
    if constexpr (Limit == BrightnessLimit::HoldRatio) {
        if (b > 0) {
            const int largest = std::max({r, g, bl});
            if (largest + a > kChannelMax) a = kChannelMax - largest;
        } else {
            const int smallest = std::min({r, g, bl});
            if (smallest + a < 0) a = -smallest;
        }
    }
    if constexpr (Ratio) {
        const int sum = r + g + bl;
        if (sum == 0) return c & kAlphaMask;  // black keeps 0 in every channel
        const int base = std::max({r, g, bl, kRatioFloor});
        // C++ division truncates toward zero, as the total must.
        const int total = sum * (base + a) / base;
        const int nr = on.red ? ratioChannel(r, sum, total) : r;
        const int ng = on.green ? ratioChannel(g, sum, total) : g;
        const int nb = on.blue ? ratioChannel(bl, sum, total) : bl;
        r = nr;
        g = ng;
        bl = nb;
    } else {
        if (on.red) r += a;
        if (on.green) g += a;
        if (on.blue) bl += a;
    }
    return (c & kAlphaMask) | rgb(limitChannel<Limit>(r), limitChannel<Limit>(g), limitChannel<Limit>(bl));
}

#ifdef TARNEL_SIMD_SSE2
// Four pixels at a time, with the results of brightenPixel:
// - channels, amounts and limits are 32-bit lanes holding values within
//   -32768..32767, whose upper halves are the sign extension of the lower
//   ones, so the 16-bit max/min of SSE2 serve as 32-bit ones;
// - the total S (M' + a) / M' is below 2^19 in magnitude, so it is exact in
//   single precision, and its correctly rounded quotient (|T| <= 1149)
//   cannot reach the next integer, so truncating it is the integer division;
// - round(T * share) with share = fl(c / S) is round(T c / S) unless T c / S
//   lies exactly halfway, where the share's own rounding decides. T c is
//   exact in single precision, and x = fl(T c * fl(1 / S)) is within
//   1149 * 2^-23 < 1.4e-4 of T c / S, while a quotient by S <= 765 that is
//   not halfway lies at least 1 / 1530 > 6.5e-4 from the half: rounding x
//   gives the answer whenever x is not within kTieBand of a half, and the
//   rare pixels where it is are redone one by one.
constexpr float kTieBand = 3.3e-4f;

inline __m128i selectBits(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// round(T c / S) for the four lanes, widening `distance` to the largest
// distance of any channel's x from its nearest integer.
inline __m128i ratioChannels(__m128i value, __m128 inverseSum, __m128 total, __m128& distance) {
    const __m128 x = _mm_mul_ps(_mm_mul_ps(total, _mm_cvtepi32_ps(value)), inverseSum);
    const __m128i nearest = _mm_cvtps_epi32(x);  // halves to even under the default rounding mode
    distance = _mm_max_ps(distance, _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ps(x, _mm_cvtepi32_ps(nearest))));
    return nearest;
}

// Packs four pixels from 32-bit channel lanes, each clamped to 0..255 by
// the saturating packs (after the wrap, if any).
template <BrightnessLimit Limit>
inline __m128i packPixels(__m128i r, __m128i g, __m128i b, __m128i original) {
    if constexpr (Limit == BrightnessLimit::Wrap) {
        const __m128i byte = _mm_set1_epi32(0xFF);
        r = _mm_and_si128(r, byte);
        g = _mm_and_si128(g, byte);
        b = _mm_and_si128(b, byte);
    }
    const __m128i alpha = _mm_srli_epi32(original, 24);
    // r0..r3 g0..g3 b0..b3 a0..a3, then transposed to r0 g0 b0 a0 r1 ...
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(r, g), _mm_packs_epi32(b, alpha));
    const __m128i pairs = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 8));
    return _mm_unpacklo_epi8(pairs, _mm_srli_si128(pairs, 8));
}

template <BrightnessLimit Limit, bool Ratio, bool AllOn>
void brightenRowSse2(Color* p, int n, int b, const int* amounts, Enables on) {
    const __m128i byte = _mm_set1_epi32(0xFF);
    const __m128i top = _mm_set1_epi32(kChannelMax);
    const __m128i one = _mm_set1_epi32(1);
    const __m128i ratioFloor = _mm_set1_epi32(kRatioFloor);
    const __m128i onRed = _mm_set1_epi32(on.red ? -1 : 0);
    const __m128i onGreen = _mm_set1_epi32(on.green ? -1 : 0);
    const __m128i onBlue = _mm_set1_epi32(on.blue ? -1 : 0);
    const __m128 amountPerLuma = _mm_set1_ps(static_cast<float>(b) * (1.0f / kLumaWhite));
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
        const __m128i r = _mm_and_si128(c, byte);
        const __m128i g = _mm_and_si128(_mm_srli_epi32(c, 8), byte);
        const __m128i bl = _mm_and_si128(_mm_srli_epi32(c, 16), byte);
        __m128i a;
        if (amounts) {
            // The table's values, computed in place: b (1785 - L) / 1785 or
            // b L / 1785 is never within 1 / 3570 of a half, and the weight
            // times fl(fl(1 / 1785) b) is off from it by less than 3e-5.
            const __m128i luma = _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(r, 1), _mm_slli_epi32(g, 2)), bl);
            const __m128i weight = b > 0 ? _mm_sub_epi32(_mm_set1_epi32(kLumaWhite), luma) : luma;
            a = _mm_cvtps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(weight), amountPerLuma));
        } else {
            a = _mm_set1_epi32(b);
        }
        const __m128i largest = _mm_max_epi16(_mm_max_epi16(r, g), bl);
        if constexpr (Limit == BrightnessLimit::HoldRatio) {
            if (b > 0)
                a = _mm_min_epi16(a, _mm_sub_epi32(top, largest));
            else
                a = _mm_max_epi16(a, _mm_sub_epi32(_mm_setzero_si128(), _mm_min_epi16(_mm_min_epi16(r, g), bl)));
        }
        __m128i nr, ng, nb;
        __m128 nearHalf = _mm_setzero_ps();
        if constexpr (Ratio) {
            const __m128i sumInt = _mm_add_epi32(_mm_add_epi32(r, g), bl);
            const __m128 base = _mm_cvtepi32_ps(_mm_max_epi16(largest, ratioFloor));
            const __m128 scaled = _mm_mul_ps(_mm_cvtepi32_ps(sumInt), _mm_add_ps(base, _mm_cvtepi32_ps(a)));
            const __m128 total = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_div_ps(scaled, base)));
            // Black has total 0; dividing by 1 instead of 0 then gives its 0 channels.
            const __m128 inverseSum = _mm_div_ps(_mm_set1_ps(1.0f), _mm_cvtepi32_ps(_mm_max_epi16(sumInt, one)));
            __m128 distance = _mm_setzero_ps();
            nr = ratioChannels(r, inverseSum, total, distance);
            ng = ratioChannels(g, inverseSum, total, distance);
            nb = ratioChannels(bl, inverseSum, total, distance);
            nearHalf = _mm_cmpgt_ps(distance, _mm_set1_ps(0.5f - kTieBand));
        } else {
            nr = _mm_add_epi32(r, a);
            ng = _mm_add_epi32(g, a);
            nb = _mm_add_epi32(bl, a);
        }
        if constexpr (!AllOn) {
            nr = selectBits(onRed, nr, r);
            ng = selectBits(onGreen, ng, g);
            nb = selectBits(onBlue, nb, bl);
        }
        const __m128i out = packPixels<Limit>(nr, ng, nb, c);
        if (const int redo = Ratio ? _mm_movemask_ps(nearHalf) : 0) {
            // Exactly halfway or nearly so: the exact arithmetic decides.
            alignas(16) Color fixed[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(fixed), out);
            for (int lane = 0; lane < 4; ++lane)
                if (redo & (1 << lane)) fixed[lane] = brightenPixel<Limit, Ratio>(p[x + lane], b, amounts, on);
            std::memcpy(p + x, fixed, sizeof fixed);
        } else {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), out);
        }
    }
    for (; x < n; ++x) p[x] = brightenPixel<Limit, Ratio>(p[x], b, amounts, on);
}

#endif  // TARNEL_SIMD_SSE2

#ifdef TARNEL_SIMD_AVX2
// Eight pixels at a time: the four-pixel steps above, lane for lane.
TARNEL_TARGET_AVX2 inline __m256i ratioChannels8(__m256i value, __m256 inverseSum, __m256 total, __m256& distance) {
    const __m256 x = _mm256_mul_ps(_mm256_mul_ps(total, _mm256_cvtepi32_ps(value)), inverseSum);
    const __m256i nearest = _mm256_cvtps_epi32(x);
    distance = _mm256_max_ps(distance,
                             _mm256_andnot_ps(_mm256_set1_ps(-0.0f), _mm256_sub_ps(x, _mm256_cvtepi32_ps(nearest))));
    return nearest;
}

// The packs and unpacks work within each 128-bit half, as in packPixels.
template <BrightnessLimit Limit>
TARNEL_TARGET_AVX2 inline __m256i packPixels8(__m256i r, __m256i g, __m256i b, __m256i original) {
    if constexpr (Limit == BrightnessLimit::Wrap) {
        const __m256i byte = _mm256_set1_epi32(0xFF);
        r = _mm256_and_si256(r, byte);
        g = _mm256_and_si256(g, byte);
        b = _mm256_and_si256(b, byte);
    }
    const __m256i alpha = _mm256_srli_epi32(original, 24);
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(r, g), _mm256_packs_epi32(b, alpha));
    const __m256i pairs = _mm256_unpacklo_epi8(bytes, _mm256_srli_si256(bytes, 8));
    return _mm256_unpacklo_epi8(pairs, _mm256_srli_si256(pairs, 8));
}

template <BrightnessLimit Limit, bool Ratio, bool AllOn>
TARNEL_TARGET_AVX2 void brightenRowAvx2(Color* p, int n, int b, const int* amounts, Enables on) {
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i top = _mm256_set1_epi32(kChannelMax);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i ratioFloor = _mm256_set1_epi32(kRatioFloor);
    const __m256i onRed = _mm256_set1_epi32(on.red ? -1 : 0);
    const __m256i onGreen = _mm256_set1_epi32(on.green ? -1 : 0);
    const __m256i onBlue = _mm256_set1_epi32(on.blue ? -1 : 0);
    const __m256 amountPerLuma = _mm256_set1_ps(static_cast<float>(b) * (1.0f / kLumaWhite));
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + x));
        const __m256i r = _mm256_and_si256(c, byte);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(c, 8), byte);
        const __m256i bl = _mm256_and_si256(_mm256_srli_epi32(c, 16), byte);
        __m256i a;
        if (amounts) {
            const __m256i luma =
                _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(r, 1), _mm256_slli_epi32(g, 2)), bl);
            const __m256i weight = b > 0 ? _mm256_sub_epi32(_mm256_set1_epi32(kLumaWhite), luma) : luma;
            a = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(weight), amountPerLuma));
        } else {
            a = _mm256_set1_epi32(b);
        }
        const __m256i largest = _mm256_max_epi32(_mm256_max_epi32(r, g), bl);
        if constexpr (Limit == BrightnessLimit::HoldRatio) {
            if (b > 0)
                a = _mm256_min_epi32(a, _mm256_sub_epi32(top, largest));
            else
                a = _mm256_max_epi32(
                    a, _mm256_sub_epi32(_mm256_setzero_si256(), _mm256_min_epi32(_mm256_min_epi32(r, g), bl)));
        }
        __m256i nr, ng, nb;
        __m256 nearHalf = _mm256_setzero_ps();
        if constexpr (Ratio) {
            const __m256i sumInt = _mm256_add_epi32(_mm256_add_epi32(r, g), bl);
            const __m256 base = _mm256_cvtepi32_ps(_mm256_max_epi32(largest, ratioFloor));
            const __m256 scaled =
                _mm256_mul_ps(_mm256_cvtepi32_ps(sumInt), _mm256_add_ps(base, _mm256_cvtepi32_ps(a)));
            const __m256 total = _mm256_cvtepi32_ps(_mm256_cvttps_epi32(_mm256_div_ps(scaled, base)));
            const __m256 inverseSum =
                _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_cvtepi32_ps(_mm256_max_epi32(sumInt, one)));
            __m256 distance = _mm256_setzero_ps();
            nr = ratioChannels8(r, inverseSum, total, distance);
            ng = ratioChannels8(g, inverseSum, total, distance);
            nb = ratioChannels8(bl, inverseSum, total, distance);
            nearHalf = _mm256_cmp_ps(distance, _mm256_set1_ps(0.5f - kTieBand), _CMP_GT_OQ);
        } else {
            nr = _mm256_add_epi32(r, a);
            ng = _mm256_add_epi32(g, a);
            nb = _mm256_add_epi32(bl, a);
        }
        if constexpr (!AllOn) {
            nr = _mm256_blendv_epi8(r, nr, onRed);
            ng = _mm256_blendv_epi8(g, ng, onGreen);
            nb = _mm256_blendv_epi8(bl, nb, onBlue);
        }
        const __m256i out = packPixels8<Limit>(nr, ng, nb, c);
        if (const int redo = Ratio ? _mm256_movemask_ps(nearHalf) : 0) {
            alignas(32) Color fixed[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(fixed), out);
            for (int lane = 0; lane < 8; ++lane)
                if (redo & (1 << lane)) fixed[lane] = brightenPixel<Limit, Ratio>(p[x + lane], b, amounts, on);
            std::memcpy(p + x, fixed, sizeof fixed);
        } else {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + x), out);
        }
    }
    // The rest, fewer than eight, four at a time and then one by one.
    if (x < n) brightenRowSse2<Limit, Ratio, AllOn>(p + x, n - x, b, amounts, on);
}
#endif  // TARNEL_SIMD_AVX2

template <BrightnessLimit Limit, bool Ratio>
void brightenRowPlain(Color* p, int n, int b, const int* amounts, Enables on) {
    for (int x = 0; x < n; ++x) p[x] = brightenPixel<Limit, Ratio>(p[x], b, amounts, on);
}

using RowFn = void (*)(Color* p, int n, int b, const int* amounts, Enables on);

// The row routine for a path; a path the build or the processor lacks falls
// back to the next narrower one.
template <BrightnessLimit Limit, bool Ratio>
RowFn rowFunction(detail::BrightnessPath path, bool allOn) {
    using detail::BrightnessPath;
#ifdef TARNEL_SIMD_AVX2
    if ((path == BrightnessPath::Best || path == BrightnessPath::Avx2) && cpuHasAvx2())
        return allOn ? brightenRowAvx2<Limit, Ratio, true> : brightenRowAvx2<Limit, Ratio, false>;
#endif
#ifdef TARNEL_SIMD_SSE2
    if (path != BrightnessPath::Plain)
        return allOn ? brightenRowSse2<Limit, Ratio, true> : brightenRowSse2<Limit, Ratio, false>;
#endif
    return brightenRowPlain<Limit, Ratio>;
}

template <BrightnessLimit Limit>
void brightenArea(Image& image, const Rect& area, int b, const int* amounts, Enables on, bool ratio,
                  detail::BrightnessPath path) {
    const bool allOn = on.red && on.green && on.blue;
    const RowFn row = ratio ? rowFunction<Limit, true>(path, allOn) : rowFunction<Limit, false>(path, allOn);
    parallelRows(area.top, area.bottom, area.width(), [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y) row(image.row(y) + area.left, area.width(), b, amounts, on);
    });
}

// Equal mode with a fixed amount under clamp or wrap: each channel maps on
// its own, so three tables do the whole pixel.
void brightenByTables(Image& image, const Rect& area, int b, const BrightnessOptions& options) {
    std::array<std::uint32_t, 256> red{}, green{}, blue{};
    for (int v = 0; v < 256; ++v) {
        const int moved = v + b;
        const int out = options.limit == BrightnessLimit::Wrap ? limitChannel<BrightnessLimit::Wrap>(moved)
                                                               : limitChannel<BrightnessLimit::Clamp>(moved);
        red[v] = static_cast<std::uint32_t>(options.red ? out : v);
        green[v] = static_cast<std::uint32_t>(options.green ? out : v) << 8;
        blue[v] = static_cast<std::uint32_t>(options.blue ? out : v) << 16;
    }
    parallelRows(area.top, area.bottom, area.width(), [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y) {
            Color* p = image.row(y);
            for (int x = area.left; x <= area.right; ++x) {
                const Color c = p[x];
                p[x] = (c & kAlphaMask) | red[c & 0xFF] | green[(c >> 8) & 0xFF] | blue[(c >> 16) & 0xFF];
            }
        }
    });
}

}  // namespace

void adjustBrightness(Image& image, const Rect& area, int amount, const BrightnessOptions& options) {
    detail::adjustBrightnessWith(image, area, amount, options, detail::BrightnessPath::Best);
}

void detail::adjustBrightnessWith(Image& image, const Rect& area, int amount, const BrightnessOptions& options,
                                  BrightnessPath path) {
    const int b = std::clamp(amount, kBrightnessMin, kBrightnessMax);
    const Rect clip = intersected(area, image.rect());
    // Zero moves nothing in any mode (a ratio spread by 0 gives each channel back).
    if (b == 0 || clip.isEmpty() || image.isNull()) return;
#ifdef TARNEL_SIMD_SSE2
    const bool vectors = path != BrightnessPath::Plain;  // faster than the tables
#else
    const bool vectors = false;
#endif
    if (!vectors && !options.ratio && !options.proportional && options.limit != BrightnessLimit::HoldRatio) {
        brightenByTables(image, clip, b, options);
        return;
    }
    const Enables on{options.red, options.green, options.blue};
    std::array<int, kLumaWhite + 1> table{};
    const int* amounts = nullptr;
    if (options.proportional) {
        table = proportionalAmounts(b);
        amounts = table.data();
    }
    switch (options.limit) {
    case BrightnessLimit::HoldRatio:
        brightenArea<BrightnessLimit::HoldRatio>(image, clip, b, amounts, on, options.ratio, path);
        break;
    case BrightnessLimit::Clamp:
        brightenArea<BrightnessLimit::Clamp>(image, clip, b, amounts, on, options.ratio, path);
        break;
    case BrightnessLimit::Wrap:
        brightenArea<BrightnessLimit::Wrap>(image, clip, b, amounts, on, options.ratio, path);
        break;
    }
}

Color brightnessOf(Color color, int amount, const BrightnessOptions& options) {
    Image one(1, 1, 24, color & kColorMask);
    adjustBrightness(one, one.rect(), amount, options);
    return one.pixel(0, 0);
}

int contrastOf(int channel, int value) {
    const float k = static_cast<float>(std::clamp(value, kContrastMin, kContrastMax)) / 100.0f;
    const int v = std::clamp(channel, 0, kChannelMax);
    // The bright half pivots on 128, the dark half on 127.
    if (v >= 128) return std::min(roundHalfEven(v + static_cast<double>(k) * (v - 128)), kChannelMax);
    return std::max(roundHalfEven(v - static_cast<double>(k) * (127 - v)), 0);
}

void adjustContrast(Image& image, const Rect& area, int value) {
    const Rect clip = intersected(area, image.rect());
    if (clip.isEmpty() || image.isNull()) return;
    std::array<std::uint32_t, 256> channel{};
    for (int v = 0; v < 256; ++v) channel[v] = static_cast<std::uint32_t>(contrastOf(v, value));
    // Red and green together through one table of 65536 pairs: two lookups
    // per pixel instead of three.
    std::vector<std::uint16_t> redGreen(std::size_t{1} << 16);
    for (std::uint32_t i = 0; i < redGreen.size(); ++i)
        redGreen[i] = static_cast<std::uint16_t>(channel[i & 0xFF] | (channel[i >> 8] << 8));
    parallelRows(clip.top, clip.bottom, clip.width(), [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y) {
            Color* p = image.row(y);
            for (int x = clip.left; x <= clip.right; ++x) {
                const Color c = p[x];
                p[x] = (c & kAlphaMask) | redGreen[c & 0xFFFF] | (channel[(c >> 16) & 0xFF] << 16);
            }
        }
    });
}

}  // namespace tarnel
