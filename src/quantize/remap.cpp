#include "quantize/remap.h"

#include <algorithm>
#include <memory>

namespace tarnel {

namespace {

constexpr Color kRealEntry = 0xFF000000u;
constexpr Color kAlphaMask = 0xFF000000u;

constexpr std::uint16_t sortKey(Color c) { return static_cast<std::uint16_t>(c & 0xFFFFu); }

// Remembers recent nearest() results keyed by colour. Direct mapped: a
// colour whose slot holds another colour is searched again, so every result
// is exactly what nearest() returns.
class NearestCache {
public:
    explicit NearestCache(const SearchPalette& palette)
        : m_palette(palette), m_slots(new std::uint64_t[kSlots]()) {}

    Color nearest(Color c) {
        const std::uint32_t key = (c & kColorMask) | kValid;
        std::uint64_t& slot = m_slots[(key * 0x9E3779B1u) >> (32 - kBits)];
        if (static_cast<std::uint32_t>(slot >> 32) == key)
            return static_cast<Color>(slot);
        const Color q = m_palette.nearest(c);
        slot = (static_cast<std::uint64_t>(key) << 32) | q;
        return q;
    }

private:
    static constexpr int kBits = 18;
    static constexpr std::size_t kSlots = std::size_t{1} << kBits;
    // Set in every stored key, so that a zeroed slot matches no colour.
    static constexpr std::uint32_t kValid = 0x01000000u;

    const SearchPalette& m_palette;
    std::unique_ptr<std::uint64_t[]> m_slots;
};

struct ChannelErrors {
    int red = 0;
    int green = 0;
    int blue = 0;
};

void remapPlain(Image& image, const Rect& area, NearestCache& cache) {
    for (int y = area.top; y <= area.bottom; ++y) {
        Color* row = image.row(y);
        Color lastIn = ~row[area.left];
        Color lastOut = 0;
        for (int x = area.left; x <= area.right; ++x) {
            const Color c = row[x];
            if (((c ^ lastIn) & kColorMask) != 0) {
                lastIn = c;
                lastOut = cache.nearest(c) & kColorMask;
            }
            row[x] = (c & kAlphaMask) | lastOut;
        }
    }
}

// Error diffusion. Each pixel's error e (half the difference between the
// diffused colour and its palette colour) goes fully to the right
// neighbour's "left" term and is averaged with the left neighbour's error
// into the error row, which the pixel below reads as its "up" term. Both
// terms are scaled by strength / 256 with an arithmetic shift (floor).
void remapDiffused(Image& image, const Rect& area, NearestCache& cache, int strength) {
    const int width = area.width();
    std::vector<ChannelErrors> errorRow(static_cast<std::size_t>(width) + 1);
    for (int y = area.top; y <= area.bottom; ++y) {
        Color* row = image.row(y) + area.left;
        ChannelErrors left;
        for (int x = 0; x < width; ++x) {
            const Color c = row[x];
            ChannelErrors& up = errorRow[static_cast<std::size_t>(x)];
            const int r = std::clamp(redOf(c) + (((up.red + left.red) * strength) >> 8), 0, 255);
            const int g = std::clamp(greenOf(c) + (((up.green + left.green) * strength) >> 8), 0, 255);
            const int b = std::clamp(blueOf(c) + (((up.blue + left.blue) * strength) >> 8), 0, 255);
            const Color q = cache.nearest(rgb(r, g, b));
            row[x] = (c & kAlphaMask) | (q & kColorMask);
            const ChannelErrors e{(r - redOf(q)) >> 1, (g - greenOf(q)) >> 1, (b - blueOf(q)) >> 1};
            up = ChannelErrors{(e.red + left.red) >> 1, (e.green + left.green) >> 1, (e.blue + left.blue) >> 1};
            left = e;
        }
    }
}

}  // namespace

SearchPalette::SearchPalette(const Palette& palette) : m_count(static_cast<int>(palette.size())) {
    m_entries.assign(palette.size() + 2, 0);
    for (std::size_t i = 0; i < palette.size(); ++i)
        m_entries[i + 1] = palette[i] | kRealEntry;
    std::stable_sort(m_entries.begin() + 1, m_entries.end() - 1,
                     [](Color a, Color b) { return sortKey(a) < sortKey(b); });

    int k = 1;
    for (int g = 0; g < 256; ++g) {
        const int start = k;
        while (k <= m_count && greenOf(m_entries[static_cast<std::size_t>(k)]) == g)
            ++k;
        m_greenIndex[static_cast<std::size_t>(g)] = (start + k) >> 1;
    }

    m_red.resize(m_entries.size());
    m_green.resize(m_entries.size());
    m_blue.resize(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_red[i] = redOf(m_entries[i]);
        m_green[i] = greenOf(m_entries[i]);
        m_blue[i] = blueOf(m_entries[i]);
    }
}

Color SearchPalette::nearest(Color c) const {
    const int r = redOf(c);
    const int g = greenOf(c);
    const int b = blueOf(c);
    const int* red = m_red.data();
    const int* green = m_green.data();
    const int* blue = m_blue.data();
    const int end = m_count + 1;

    std::uint32_t best = kNoDistance;
    int result = 0;
    int up = m_greenIndex[static_cast<std::size_t>(g)];
    int down = up - 1;
    bool downOpen = true;
    bool upOpen = true;
    // One entry per walk and round, the downward walk first; a walk ends at
    // an end marker or where the green difference alone is no better.
    auto visit = [&](int i) {
        const int dg = g - green[i];
        const std::uint32_t a = static_cast<std::uint32_t>(dg * dg * 2048);
        if (a >= best)
            return false;
        const int dr = r - red[i];
        const int db = b - blue[i];
        const int s = r + red[i];
        const std::uint32_t distance = a + static_cast<std::uint32_t>(dr * dr * (s + 1024) + db * db * (1534 - s));
        if (distance < best) {
            best = distance;
            result = i;
        }
        return true;
    };
    while (downOpen || upOpen) {
        if (downOpen) {
            downOpen = down > 0 && visit(down);
            --down;
        }
        if (upOpen) {
            upOpen = up < end && visit(up);
            ++up;
        }
    }
    return m_entries[static_cast<std::size_t>(result)];
}

void remapPass(Image& image, const Rect& area, const SearchPalette& palette, int strength) {
    if (image.isNull() || palette.empty())
        return;
    const Rect clipped = intersected(area, image.rect());
    if (clipped.isEmpty())
        return;
    NearestCache cache(palette);
    if (strength == 0)
        remapPlain(image, clipped, cache);
    else
        remapDiffused(image, clipped, cache, strength);
}

void remap(Image& image, const Rect& area, const Palette& palette, const RemapOptions& options) {
    if (palette.empty())
        return;
    remapPass(image, area, SearchPalette(palette), options.dither ? kDiffusionStrength : 0);
}

}  // namespace tarnel
