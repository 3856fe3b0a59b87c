#include "quantize/palette_methods.h"

#include "core/zeroed_memory.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "core/simd.h"
#include "core/zeroed_memory.h"
#include "quantize/color_count.h"
#include "quantize/dither.h"
#include "quantize/fixed_palettes.h"
#include "quantize/neuquant.h"

namespace tarnel {

namespace {

// --- Direct per-pixel methods -------------------------------------------

// A per-channel quantizer with at most 16 output levels: code[v] names the
// level of input v, value[code] is that level's output. Distinct codes give
// distinct outputs.
struct ChannelLevels {
    std::array<std::uint8_t, 256> code{};
    std::array<std::uint8_t, 16> value{};
};

constexpr int kCodeBits = 4;
constexpr int kCodeCount = 1 << (3 * kCodeBits);  // one per (red, green, blue) code triple

// Maps every pixel of area through the three channel quantizers and returns
// the distinct output colours (ascending by code triple). Pixels are looked
// up as a 12-bit code triple: red code in bits 8-11, green 4-7, blue 0-3.
using SeenCodes = std::array<std::uint8_t, kCodeCount>;

#if defined(TARNEL_SIMD_SSE2)
// The vector form of a channel quantizer: transform(pixels) takes four
// pixels already read (dithered when asked) and returns their outputs
// (top bytes left to the caller) and their code triples as 32-bit lanes.
struct VectorResult {
    __m128i out;
    __m128i codes;
};

// Maps every pixel of area four at a time; a row's last one to three
// pixels go through the same steps in a small buffer. The dither offsets
// are added with saturating byte arithmetic, which is the clamp of the
// dither read.
template <typename Transform>
void applyVector(Image& image, const Rect& area, bool dither, const Transform& transform, SeenCodes& seen) {
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(kAlphaMask));
    for (int y = area.top; y <= area.bottom; ++y) {
        // Offsets of the four pixels of a group, whose first column is
        // area.left plus a multiple of four.
        alignas(16) std::uint8_t add[16] = {}, subtract[16] = {};
        if (dither)
            for (int j = 0; j < 4; ++j) {
                const int offset = kDitherMatrix[y & 3][(area.left + j) & 3];
                for (int channel = 0; channel < 3; ++channel) {
                    add[4 * j + channel] = static_cast<std::uint8_t>(std::max(offset, 0));
                    subtract[4 * j + channel] = static_cast<std::uint8_t>(std::max(-offset, 0));
                }
            }
        const __m128i up = _mm_load_si128(reinterpret_cast<const __m128i*>(add));
        const __m128i down = _mm_load_si128(reinterpret_cast<const __m128i*>(subtract));
        const auto group = [&](Color* pixels, int lanes) {
            const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
            const __m128i read = _mm_subs_epu8(_mm_adds_epu8(in, up), down);
            const VectorResult result = transform(read);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels),
                             _mm_or_si128(_mm_andnot_si128(alpha, result.out), _mm_and_si128(alpha, in)));
            alignas(16) std::uint32_t codes[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(codes), result.codes);
            for (int j = 0; j < lanes; ++j)
                seen[codes[j]] = 1;
        };
        Color* row = image.row(y) + area.left;
        const int width = area.width();
        int x = 0;
        for (; x + 4 <= width; x += 4)
            group(row + x, 4);
        if (x < width) {
            // The leftover pixels sit at the start of a group, so they take
            // the first offsets; the unused lanes repeat a real pixel.
            Color rest[4];
            for (int j = 0; j < 4; ++j)
                rest[j] = row[std::min(x + j, width - 1)];
            group(rest, width - x);
            for (int j = 0; x + j < width; ++j)
                row[x + j] = rest[j];
        }
    }
}

// Code triples (red code in bits 8-11, green 4-7, blue 0-3) of outputs
// whose channels keep their code in the top four bits.
inline __m128i codesOfHighNibbles(__m128i out) {
    const __m128i f0 = _mm_set1_epi32(0xF0);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_and_si128(out, f0), 4),
                                     _mm_and_si128(_mm_srli_epi32(out, 8), f0)),
                        _mm_and_si128(_mm_srli_epi32(out, 20), _mm_set1_epi32(0x0F)));
}
#endif

Palette applyChannelLevels(Image& image, const Rect& area, const ChannelLevels& red, const ChannelLevels& green,
                           const ChannelLevels& blue, bool dither, [[maybe_unused]] const auto& vectorTransform) {
    std::array<Color, kCodeCount> colorOfCode{};
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b)
                colorOfCode[static_cast<std::size_t>((r << 8) | (g << 4) | b)] =
                    rgb(red.value[static_cast<std::size_t>(r)], green.value[static_cast<std::size_t>(g)],
                        blue.value[static_cast<std::size_t>(b)]);

    SeenCodes seen{};
#if defined(TARNEL_SIMD_SSE2)
    if constexpr (!std::is_same_v<std::decay_t<decltype(vectorTransform)>, std::nullptr_t>) {
        applyVector(image, area, dither, vectorTransform, seen);
    } else
#endif
    {
        // Code tables for each of the 16 dither offsets (or the plain read),
        // the offset and its saturation folded in.
        struct CodeTables {
            std::array<std::uint16_t, 256> red, green, blue;
        };
        const int tableCount = dither ? 16 : 1;
        std::vector<CodeTables> tables(static_cast<std::size_t>(tableCount));
        for (int t = 0; t < tableCount; ++t) {
            const int offset = dither ? kDitherMatrix[t >> 2][t & 3] : 0;
            for (int v = 0; v < 256; ++v) {
                const std::size_t in = static_cast<std::size_t>(std::clamp(v + offset, 0, 255));
                tables[static_cast<std::size_t>(t)].red[static_cast<std::size_t>(v)] =
                    static_cast<std::uint16_t>(red.code[in] << 8);
                tables[static_cast<std::size_t>(t)].green[static_cast<std::size_t>(v)] =
                    static_cast<std::uint16_t>(green.code[in] << 4);
                tables[static_cast<std::size_t>(t)].blue[static_cast<std::size_t>(v)] = blue.code[in];
            }
        }

        for (int y = area.top; y <= area.bottom; ++y) {
            Color* row = image.row(y);
            // The table for column x is rowTables[x & 3].
            const CodeTables* rowTables[4];
            for (int j = 0; j < 4; ++j)
                rowTables[j] = &tables[dither ? static_cast<std::size_t>(((y & 3) << 2) | j) : 0];
            for (int x = area.left; x <= area.right; ++x) {
                const Color c = row[x];
                const CodeTables& t = *rowTables[x & 3];
                const unsigned code = t.red[c & 0xFFu] | t.green[(c >> 8) & 0xFFu] | t.blue[(c >> 16) & 0xFFu];
                seen[code] = 1;
                row[x] = (c & kAlphaMask) | colorOfCode[code];
            }
        }
    }

    Palette palette;
    for (std::size_t code = 0; code < seen.size(); ++code)
        if (seen[code])
            palette.push_back(colorOfCode[code]);
    return palette;
}

ChannelLevels maskLevels(std::uint8_t mask) {
    ChannelLevels levels;
    for (int v = 0; v < 256; ++v)
        levels.code[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v & mask) >> kCodeBits);
    for (int c = 0; c < 16; ++c)
        levels.value[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(((c << kCodeBits) & mask) | 0x0F);
    return levels;
}

// --- Popularity ------------------------------------------------------------

// Pre-reduction masks, coarsest first, and the limits that choose them.
constexpr std::uint8_t kCoarseMask = 0xC0;  // 64 colours
constexpr std::uint8_t kMediumMask = 0xE0;  // 512 colours
constexpr std::uint8_t kFineMask = 0xF0;    // 4096 colours
constexpr int kCoarseLimit = 48;            // the coarse level only for fewer colours than this
constexpr int kSpareColors = 10;            // a level must leave at least limit + this many colours

// Brightness 2R + 4G + B (0..1785) splits the colours into four classes.
constexpr int kBrightA = 1338;  // A: above
constexpr int kBrightB = 892;   // B: above, up to A
constexpr int kBrightC = 446;   // C: above, up to B; D: up to C

// Bin of a colour by the top four bits of each channel: red in bits 8-11,
// green 4-7, blue 0-3.
constexpr unsigned binOf(Color c) {
    return ((c << 4) & 0xF00u) | ((c >> 8) & 0xF0u) | ((c >> 20) & 0x0Fu);
}
// The colour a bin stands for after (v AND mask) OR 0x0F, mask keeping at
// most the top four bits.
constexpr Color reducedColor(unsigned bin, std::uint8_t mask) {
    const auto channel = [mask](unsigned code) { return static_cast<int>(((code << 4) & mask) | 0x0Fu); };
    return rgb(channel((bin >> 8) & 0xFu), channel((bin >> 4) & 0xFu), channel(bin & 0xFu));
}

struct ColorCount {
    Color color;
    std::uint64_t count;
};

// --- Adaptive ------------------------------------------------------------

// The area's pixel values 0x00BBGGRR as a sorted list, without sorting the
// whole list: a counting sort by blue-green pair (the top 16 bits) places
// each pixel's red in its pair's slice; a slice's reds are counted only when
// a rank inside it is asked for.
class SortedSamples {
public:
    SortedSamples(const Image& image, const Rect& area) : m_pairStart(kPairs + 1, 0) {
        std::vector<std::size_t> next(kPairs, 0);
        for (int y = area.top; y <= area.bottom; ++y) {
            const Color* row = image.row(y);
            for (int x = area.left; x <= area.right; ++x)
                ++next[(row[x] >> 8) & 0xFFFFu];
        }
        for (std::size_t p = 0; p < kPairs; ++p) {
            m_pairStart[p + 1] = m_pairStart[p] + next[p];
            next[p] = m_pairStart[p];
        }
        m_size = m_pairStart[kPairs];
        m_memory = allocateZeroed(std::max<std::size_t>(m_size, 1));
        std::uint8_t* reds = this->reds();
        for (int y = area.top; y <= area.bottom; ++y) {
            const Color* row = image.row(y);
            for (int x = area.left; x <= area.right; ++x)
                reds[next[(row[x] >> 8) & 0xFFFFu]++] = static_cast<std::uint8_t>(row[x]);
        }
    }

    std::size_t size() const { return m_size; }

    // sample[rank]; ranks past the end read the last sample.
    Color at(std::size_t rank) const {
        rank = std::min(rank, size() - 1);
        const auto it = std::upper_bound(m_pairStart.begin(), m_pairStart.end(), rank);
        const std::size_t pair = static_cast<std::size_t>(it - m_pairStart.begin()) - 1;
        const RedCounts& counts = redCounts(pair);
        std::size_t seen = m_pairStart[pair];
        for (std::uint32_t red = 0;; ++red) {
            seen += counts[red];
            if (seen > rank)
                return static_cast<Color>((pair << 8) | red);
        }
    }

    // The rank just after the last sample equal to v.
    std::size_t endOf(Color v) const {
        const std::size_t pair = (v >> 8) & 0xFFFFu;
        const RedCounts& counts = redCounts(pair);
        std::size_t end = m_pairStart[pair];
        for (std::uint32_t red = 0; red <= (v & 0xFFu); ++red)
            end += counts[red];
        return end;
    }

private:
    static constexpr std::size_t kPairs = std::size_t{1} << 16;
    using RedCounts = std::array<std::uint32_t, 256>;

    const RedCounts& redCounts(std::size_t pair) const {
        auto [it, added] = m_redCounts.try_emplace(pair);
        if (added) {
            RedCounts& counts = it->second;
            counts.fill(0);
            const std::uint8_t* reds = this->reds();
            for (std::size_t i = m_pairStart[pair]; i < m_pairStart[pair + 1]; ++i)
                ++counts[reds[i]];
        }
        return it->second;
    }

    std::uint8_t* reds() const { return static_cast<std::uint8_t*>(m_memory.get()); }

    std::vector<std::size_t> m_pairStart;
    // Each pixel's red, grouped by blue-green pair; memory the system
    // zeroes (in large pages for large areas) rather than a cleared vector.
    ZeroedMemory m_memory;
    std::size_t m_size = 0;
    mutable std::unordered_map<std::size_t, RedCounts> m_redCounts;
};

Rect clippedArea(const Image& image, const Rect& area) {
    return image.isNull() ? Rect{} : intersected(area, image.rect());
}

}  // namespace

Palette uniformQuantize(Image& image, const Rect& area, int levels, bool dither) {
    const Rect clipped = clippedArea(image, area);
    if (clipped.isEmpty())
        return {};
    const int n = std::clamp(levels, kUniformMinLevels, kUniformMaxLevels);
    const int step = static_cast<int>(255.0 / (n - 1));
    // std::round rounds halves away from zero.
    const int width = static_cast<int>(std::round(255.0 / (n - 0.5)));
    ChannelLevels channel;
    for (int v = 0; v < 256; ++v)
        channel.code[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v / width);
    // floor(255 / width) <= n - 1 for every n, so no level passes 255.
    for (int c = 0; c <= 255 / width; ++c)
        channel.value[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c * step);
#if defined(TARNEL_SIMD_SSE2)
    // floor(v / width) = (v * (65536 / width + 1)) >> 16 exactly while
    // v * width < 65536, which holds for v <= 255 and width <= 170.
    const __m128i multiplier = _mm_set1_epi16(static_cast<short>(65536 / width + 1));
    const __m128i stepVector = _mm_set1_epi16(static_cast<short>(step));
    const auto transform = [multiplier, stepVector](__m128i read) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i low = _mm_mulhi_epu16(_mm_unpacklo_epi8(read, zero), multiplier);
        const __m128i high = _mm_mulhi_epu16(_mm_unpackhi_epi8(read, zero), multiplier);
        const __m128i out = _mm_packus_epi16(_mm_mullo_epi16(low, stepVector), _mm_mullo_epi16(high, stepVector));
        // One code per byte: red code in byte 0, green 1, blue 2.
        const __m128i code = _mm_packus_epi16(low, high);
        const __m128i codes = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi32(_mm_and_si128(code, _mm_set1_epi32(0x0F)), 8),
                         _mm_and_si128(_mm_srli_epi32(code, 4), _mm_set1_epi32(0xF0))),
            _mm_and_si128(_mm_srli_epi32(code, 16), _mm_set1_epi32(0x0F)));
        return VectorResult{out, codes};
    };
#else
    const std::nullptr_t transform = nullptr;
#endif
    return applyChannelLevels(image, clipped, channel, channel, channel, dither, transform);
}

ChannelMasks methodMasks(QuantizeMethod method) {
    switch (method) {
    case QuantizeMethod::Flat8: return {0x80, 0x80, 0x80};
    case QuantizeMethod::Flat64: return {0xC0, 0xC0, 0xC0};
    case QuantizeMethod::Flat512: return {0xE0, 0xE0, 0xE0};
    case QuantizeMethod::Flat4096: return {0xF0, 0xF0, 0xF0};
    case QuantizeMethod::Lemon128: return {0xE0, 0xE0, 0x80};
    case QuantizeMethod::Berry128: return {0xE0, 0x80, 0xE0};
    case QuantizeMethod::Ocean128: return {0x80, 0xE0, 0xE0};
    default: return {};
    }
}

Palette maskQuantize(Image& image, const Rect& area, const ChannelMasks& masks, bool dither) {
    const Rect clipped = clippedArea(image, area);
    if (clipped.isEmpty())
        return {};
    // Only the top four bits of a mask can survive the OR with 0x0F.
    const auto levels = [](std::uint8_t mask) { return maskLevels(static_cast<std::uint8_t>(mask & 0xF0)); };
#if defined(TARNEL_SIMD_SSE2)
    const __m128i keep = _mm_set1_epi32(static_cast<int>(rgb(masks.red & 0xF0, masks.green & 0xF0, masks.blue & 0xF0)));
    const auto transform = [keep](__m128i read) {
        const __m128i out = _mm_or_si128(_mm_and_si128(read, keep), _mm_set1_epi32(0x0F0F0F));
        return VectorResult{out, codesOfHighNibbles(out)};
    };
#else
    const std::nullptr_t transform = nullptr;
#endif
    return applyChannelLevels(image, clipped, levels(masks.red), levels(masks.green), levels(masks.blue), dither,
                              transform);
}

const Palette& fixedPalette(QuantizeMethod method) {
    static const auto convert = [](const auto& table) {
        Palette palette;
        palette.reserve(table.size());
        for (std::uint32_t hex : table)
            palette.push_back(fromRgbHex(hex));
        return palette;
    };
    static const Palette cga = convert(kCgaPaletteHex);
    static const Palette ega = convert(kEgaPaletteHex);
    static const Palette truColor = convert(kTruColorPaletteHex);
    static const Palette human = convert(kHumanPaletteHex);
    static const Palette none;
    switch (method) {
    case QuantizeMethod::Cga16: return cga;
    case QuantizeMethod::Ega64: return ega;
    case QuantizeMethod::TruColor256: return truColor;
    case QuantizeMethod::Human256: return human;
    default: return none;
    }
}

Palette popularityPalette(const Image& image, const Rect& area, int limit) {
    const Rect clipped = clippedArea(image, area);
    if (clipped.isEmpty())
        return {};
    const bool wholeImage = clipped == image.rect();
    const int k = std::min(std::clamp(limit, kPaletteMinColors, kMethodMaxColors), countColors(image));

    // Every pre-reduction keeps at most the top four bits of each channel,
    // so one histogram over those bits serves all three levels.
    std::vector<std::uint64_t> bins(kCodeCount, 0);
    for (int y = clipped.top; y <= clipped.bottom; ++y) {
        const Color* row = image.row(y);
        for (int x = clipped.left; x <= clipped.right; ++x)
            ++bins[binOf(row[x])];
    }

    // The colours outside the area, which the counts below include unreduced.
    std::optional<ColorSet> outside;
    int outsideColors = 0;
    const auto reducedImageColors = [&](std::uint8_t mask) {
        std::array<bool, kCodeCount> present{};
        int colors = 0;
        for (unsigned bin = 0; bin < kCodeCount; ++bin) {
            const unsigned reduced = binOf(reducedColor(bin, mask));
            if (bins[bin] != 0 && !present[reduced]) {
                present[reduced] = true;
                ++colors;
            }
        }
        if (wholeImage)
            return colors;
        if (!outside) {
            outside.emplace();
            const int w = image.width(), h = image.height();
            const Rect parts[4] = {{0, 0, w - 1, clipped.top - 1},
                                   {0, clipped.bottom + 1, w - 1, h - 1},
                                   {0, clipped.top, clipped.left - 1, clipped.bottom},
                                   {clipped.right + 1, clipped.top, w - 1, clipped.bottom}};
            for (const Rect& part : parts)
                if (!part.isEmpty())
                    outsideColors += outside->insertArea(image, part);
        }
        colors += outsideColors;
        for (unsigned reduced = 0; reduced < kCodeCount; ++reduced)
            if (present[reduced] && outside->contains(reducedColor(reduced, 0xF0)))
                --colors;
        return colors;
    };

    std::uint8_t mask = kFineMask;
    int colors = 0;
    if (k < kCoarseLimit) {
        colors = reducedImageColors(kCoarseMask);
        mask = kCoarseMask;
    }
    if (colors < k + kSpareColors)
        mask = reducedImageColors(kMediumMask) < k + kSpareColors ? kFineMask : kMediumMask;

    // Histogram of the reduced area.
    std::vector<std::uint64_t> counts(kCodeCount, 0);
    for (unsigned bin = 0; bin < kCodeCount; ++bin)
        counts[binOf(reducedColor(bin, mask))] += bins[bin];

    // Classes in round-robin order A, D, B, C.
    std::array<std::vector<ColorCount>, 4> classes;
    std::size_t histogramColors = 0;
    for (unsigned bin = 0; bin < kCodeCount; ++bin) {
        if (counts[bin] == 0)
            continue;
        ++histogramColors;
        const Color c = reducedColor(bin, 0xF0);
        const int brightness = 2 * redOf(c) + 4 * greenOf(c) + blueOf(c);
        const std::size_t cls = brightness > kBrightA ? 0 : brightness > kBrightB ? 2 : brightness > kBrightC ? 3 : 1;
        classes[cls].push_back({c, counts[bin]});
    }
    for (auto& cls : classes)
        std::sort(cls.begin(), cls.end(), [](const ColorCount& a, const ColorCount& b) {
            return a.count != b.count ? a.count > b.count : a.color < b.color;
        });

    const std::size_t wanted = std::min(static_cast<std::size_t>(k), histogramColors);
    Palette palette;
    palette.reserve(wanted);
    std::array<std::size_t, 4> taken{};
    while (palette.size() < wanted)
        for (std::size_t cls = 0; cls < classes.size() && palette.size() < wanted; ++cls)
            if (taken[cls] < classes[cls].size())
                palette.push_back(classes[cls][taken[cls]++].color);
    return palette;
}

Palette adaptivePalette(const Image& image, const Rect& area, int limit) {
    const Rect clipped = clippedArea(image, area);
    if (clipped.isEmpty())
        return {};
    const int k = std::clamp(limit, kPaletteMinColors, kMethodMaxColors);
    const SortedSamples sample(image, clipped);
    using Rank = std::int64_t;
    const Rank last = static_cast<Rank>(sample.size()) - 1;
    const auto at = [&sample](Rank rank) { return sample.at(static_cast<std::size_t>(rank)); };

    Palette palette(static_cast<std::size_t>(k));
    Rank m = last / k;
    Rank h = 0;
    Color previous = at(0) - 1;  // wraps for black: no sample equals it either way
    for (int i = 0; i < k; ++i) {
        Color c = at(h);
        if (c != previous) {
            h += m;
        } else {
            // The step landed in the run of the colour just taken: skip the
            // run and spread the remaining picks over what is left.
            h = std::min(last, static_cast<Rank>(sample.endOf(previous)));
            m = (last - h) / (k - i);
            // With a single sample the step would reach rank -1.
            h = std::max<Rank>(0, h + m - 1);
            c = at(h);
        }
        palette[static_cast<std::size_t>(i)] = c;
        previous = c;
    }
    return palette;
}

Palette runMethod(Image& image, const Rect& area, QuantizeMethod method, const QuantizeOptions& options,
                  const Palette& currentPalette) {
    if (clippedArea(image, area).isEmpty())
        return currentPalette;
    const RemapOptions remapOptions{options.dither};
    switch (method) {
    case QuantizeMethod::Uniform:
        return uniformQuantize(image, area, options.limit, options.dither);
    case QuantizeMethod::Popularity: {
        Palette palette = popularityPalette(image, area, options.limit);
        remap(image, area, palette, remapOptions);
        return palette;
    }
    case QuantizeMethod::Adaptive: {
        Palette palette = adaptivePalette(image, area, options.limit);
        remap(image, area, palette, remapOptions);
        return palette;
    }
    case QuantizeMethod::Cga16:
    case QuantizeMethod::Ega64:
    case QuantizeMethod::TruColor256:
    case QuantizeMethod::Human256:
        remap(image, area, fixedPalette(method), remapOptions);
        return currentPalette;
    case QuantizeMethod::Neuquant256:
        // NeuQuant maps with its own search and ordered dither; its palette
        // does not become the current one.
        neuquantQuantize(image, area, options.dither);
        return currentPalette;
    case QuantizeMethod::Flat8:
    case QuantizeMethod::Flat64:
    case QuantizeMethod::Flat512:
    case QuantizeMethod::Flat4096:
    case QuantizeMethod::Lemon128:
    case QuantizeMethod::Berry128:
    case QuantizeMethod::Ocean128:
        return maskQuantize(image, area, methodMasks(method), options.dither);
    }
    return currentPalette;
}

}  // namespace tarnel
