#include "adjust/brightness_contrast.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "adjust/rounding.h"

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
        if (sum == 0) return c & 0xFF000000u;  // black keeps 0 in every channel
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
    return (c & 0xFF000000u) | rgb(limitChannel<Limit>(r), limitChannel<Limit>(g), limitChannel<Limit>(bl));
}

template <BrightnessLimit Limit, bool Ratio>
void brightenArea(Image& image, const Rect& area, int b, const int* amounts, Enables on) {
    for (int y = area.top; y <= area.bottom; ++y) {
        Color* p = image.row(y);
        for (int x = area.left; x <= area.right; ++x) p[x] = brightenPixel<Limit, Ratio>(p[x], b, amounts, on);
    }
}

template <BrightnessLimit Limit>
void brightenArea(Image& image, const Rect& area, int b, const int* amounts, Enables on, bool ratio) {
    if (ratio)
        brightenArea<Limit, true>(image, area, b, amounts, on);
    else
        brightenArea<Limit, false>(image, area, b, amounts, on);
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
    for (int y = area.top; y <= area.bottom; ++y) {
        Color* p = image.row(y);
        for (int x = area.left; x <= area.right; ++x) {
            const Color c = p[x];
            p[x] = (c & 0xFF000000u) | red[c & 0xFF] | green[(c >> 8) & 0xFF] | blue[(c >> 16) & 0xFF];
        }
    }
}

}  // namespace

void adjustBrightness(Image& image, const Rect& area, int amount, const BrightnessOptions& options) {
    const int b = std::clamp(amount, kBrightnessMin, kBrightnessMax);
    const Rect clip = intersected(area, image.rect());
    // Zero moves nothing in any mode (a ratio spread by 0 gives each channel back).
    if (b == 0 || clip.isEmpty() || image.isNull()) return;
    if (!options.ratio && !options.proportional && options.limit != BrightnessLimit::HoldRatio) {
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
        brightenArea<BrightnessLimit::HoldRatio>(image, clip, b, amounts, on, options.ratio);
        break;
    case BrightnessLimit::Clamp:
        brightenArea<BrightnessLimit::Clamp>(image, clip, b, amounts, on, options.ratio);
        break;
    case BrightnessLimit::Wrap:
        brightenArea<BrightnessLimit::Wrap>(image, clip, b, amounts, on, options.ratio);
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
    std::array<std::uint32_t, 256> red{}, green{}, blue{};
    for (int v = 0; v < 256; ++v) {
        const auto out = static_cast<std::uint32_t>(contrastOf(v, value));
        red[v] = out;
        green[v] = out << 8;
        blue[v] = out << 16;
    }
    for (int y = clip.top; y <= clip.bottom; ++y) {
        Color* p = image.row(y);
        for (int x = clip.left; x <= clip.right; ++x) {
            const Color c = p[x];
            p[x] = (c & 0xFF000000u) | red[c & 0xFF] | green[(c >> 8) & 0xFF] | blue[(c >> 16) & 0xFF];
        }
    }
}

}  // namespace tarnel
