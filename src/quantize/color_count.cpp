#include "quantize/color_count.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/parallel.h"

namespace tarnel {

namespace {

// Areas of at least this many pixels are marked first and counted after.
constexpr std::int64_t kCountAtEndFromPixels = std::int64_t{1} << 18;

// Calls add(colour) for each pixel of area (top byte dropped) whose colour
// differs from its left neighbour's: neighbouring pixels often repeat a
// colour, and the last one seen needs no second look.
template <typename Add>
void forEachColourChange(const Image& image, const Rect& area, Add&& add) {
    for (int y = area.top; y <= area.bottom; ++y) {
        const Color* row = image.row(y);
        Color previous = ~row[area.left] & kColorMask;
        for (int x = area.left; x <= area.right; ++x) {
            const Color v = row[x] & kColorMask;
            if (v == previous)
                continue;
            previous = v;
            add(v);
        }
    }
}

}  // namespace

ColorSet::ColorSet() : m_memory(allocateZeroed(kColors / 8)) {}

int ColorSet::insertArea(const Image& image, const Rect& area) {
    int added = 0;
    forEachColourChange(image, area, [&](Color v) { added += insert(v) ? 1 : 0; });
    return added;
}

void ColorSet::markArea(const Image& image, const Rect& area) {
    // Setting a bit needs no test, so the loop has no branch on the colours;
    // repeats are skipped all the same, as setting the same byte again would
    // wait for the previous store.
    std::uint8_t* bits = this->bits();
    forEachColourChange(image, area, [bits](Color v) { bits[v >> 3] |= static_cast<std::uint8_t>(1u << (v & 7u)); });
}

void ColorSet::unite(const ColorSet& other) {
    std::uint8_t* bytes = bits();
    const std::uint8_t* more = other.bits();
    for (std::uint32_t i = 0; i < kColors / 8; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, bytes + i, sizeof a);
        std::memcpy(&b, more + i, sizeof b);
        a |= b;
        std::memcpy(bytes + i, &a, sizeof a);
    }
}

int ColorSet::size() const {
    const std::uint8_t* bytes = bits();
    int count = 0;
    for (std::uint32_t i = 0; i < kColors / 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        count += std::popcount(word);
    }
    return count;
}

int countColors(const Image& image, const Rect& area) {
    if (image.isNull())
        return 0;
    const Rect clipped = intersected(area, image.rect());
    if (clipped.isEmpty())
        return 0;
    ColorSet seen;
    // Counting the set bits once costs about as much as testing a few
    // hundred thousand pixels: small areas count as they go.
    if (static_cast<std::int64_t>(clipped.width()) * clipped.height() < kCountAtEndFromPixels)
        return seen.insertArea(image, clipped);
    // Bands of rows marked on every core, each into a set of its own, and
    // the sets joined.
    const int bands = std::min(workerCount(), clipped.height());
    std::vector<ColorSet> more(static_cast<std::size_t>(bands - 1));
    runTasks(bands, static_cast<std::int64_t>(clipped.width()) * clipped.height(), [&](int i) {
        const int top = clipped.top + static_cast<int>(std::int64_t{clipped.height()} * i / bands);
        const int bottom = clipped.top + static_cast<int>(std::int64_t{clipped.height()} * (i + 1) / bands) - 1;
        ColorSet& set = i == 0 ? seen : more[static_cast<std::size_t>(i - 1)];
        set.markArea(image, Rect{clipped.left, top, clipped.right, bottom});
    });
    for (const ColorSet& other : more) seen.unite(other);
    return seen.size();
}

}  // namespace tarnel
