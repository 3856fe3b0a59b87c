#include "io/png_indexed.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <tuple>

#include "io/png_write.h"

namespace tarnel {
namespace {

constexpr std::uint8_t kFilterNone = 0;

// Open addressing over a power of two four times the palette limit, so a
// probe sequence stays short even when the table is full.
constexpr std::uint32_t kTableBits = 10;
constexpr std::uint32_t kTableSize = 1u << kTableBits;

class ColorTable {
public:
    // The slot of c, inserted when new; -1 when c is new and the table
    // already holds 256 colours.
    int find(Color c) {
        std::uint32_t slot = (c * 0x9E3779B1u) >> (32 - kTableBits);
        while (m_used[slot]) {
            if (m_key[slot] == c) return static_cast<int>(slot);
            slot = (slot + 1) & (kTableSize - 1);
        }
        if (m_size == kMaxPaletteColors) return -1;
        m_used[slot] = true;
        m_key[slot] = c;
        m_slots[static_cast<std::size_t>(m_size++)] = static_cast<std::uint16_t>(slot);
        return static_cast<int>(slot);
    }
    int size() const { return m_size; }
    Color key(int slot) const { return m_key[static_cast<std::size_t>(slot)]; }
    int slotOf(int entry) const { return m_slots[static_cast<std::size_t>(entry)]; }

private:
    std::array<Color, kTableSize> m_key{};
    std::array<bool, kTableSize> m_used{};
    std::array<std::uint16_t, kMaxPaletteColors> m_slots{};
    int m_size = 0;
};

// Packs one row of indices at depth bits each, leftmost pixel in the high
// bits of each byte, as PNG stores them.
void packRow(const std::uint8_t* indices, int width, int depth, std::uint8_t* out) {
    if (depth == 8) {
        std::memcpy(out, indices, static_cast<std::size_t>(width));
        return;
    }
    const int perByte = 8 / depth;
    const int bytes = (width + perByte - 1) / perByte;
    for (int b = 0, x = 0; b < bytes; ++b) {
        unsigned value = 0;
        for (int k = 0; k < perByte; ++k, ++x)
            value = (value << depth) | (x < width ? indices[x] : 0u);
        out[b] = static_cast<std::uint8_t>(value);
    }
}

}  // namespace

int pngBitDepthFor(int paletteSize) {
    if (paletteSize <= 2) return 1;
    if (paletteSize <= 4) return 2;
    if (paletteSize <= 16) return 4;
    return 8;
}

std::optional<IndexedPixels> indexPixels(const Image& image) {
    if (image.isNull()) return std::nullopt;
    // A 24-bit image's top byte means nothing: its colours are written opaque.
    const Color keep = image.depth() == 32 ? 0xFFFFFFFFu : kColorMask;
    const Color add = image.depth() == 32 ? 0u : kAlphaMask;
    ColorTable table;
    // Calls visit(slot) for every pixel in order; false when a pixel's colour
    // is one too many. Runs of one colour are common in quantized images: the
    // last colour's slot is kept to skip the hash for them.
    auto eachPixel = [&](auto visit) {
        Color last = 0;
        int lastSlot = -1;
        for (int y = 0; y < image.height(); ++y) {
            const Color* row = image.row(y);
            for (int x = 0; x < image.width(); ++x) {
                const Color c = (row[x] & keep) | add;
                if (c != last || lastSlot < 0) {
                    lastSlot = table.find(c);
                    if (lastSlot < 0) return false;
                    last = c;
                }
                visit(static_cast<std::size_t>(lastSlot));
            }
        }
        return true;
    };
    std::array<std::uint64_t, kTableSize> counts{};
    if (!eachPixel([&](std::size_t slot) { ++counts[slot]; })) return std::nullopt;

    std::vector<int> order(static_cast<std::size_t>(table.size()));
    std::iota(order.begin(), order.end(), 0);
    auto sortKey = [&](int entry) {
        const int slot = table.slotOf(entry);
        const Color c = table.key(slot);
        return std::tuple(alphaOf(c) == 255, ~counts[static_cast<std::size_t>(slot)], c);
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return sortKey(a) < sortKey(b); });

    IndexedPixels result;
    std::array<std::uint8_t, kTableSize> indexOfSlot{};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int slot = table.slotOf(order[i]);
        result.palette.push_back(table.key(slot));
        indexOfSlot[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(i);
    }
    result.indices.resize(image.pixelCount());
    std::uint8_t* out = result.indices.data();
    eachPixel([&](std::size_t slot) { *out++ = indexOfSlot[slot]; });
    return result;
}

std::string encodeIndexedPng(const IndexedPixels& pixels, int width, int height, ByteSink& out) {
    const std::size_t count = pixels.palette.size();
    if (count == 0 || count > static_cast<std::size_t>(kMaxPaletteColors)) return "a palette PNG needs 1 to 256 colours";
    const PngLayout layout{.width = width,
                           .height = height,
                           .bitDepth = pngBitDepthFor(static_cast<int>(count)),
                           .colorType = PngColorType::Palette,
                           .palette = pixels.palette};
    const std::uint8_t* indices = pixels.indices.data();
    return writePng(
        layout,
        [&](int y, std::uint8_t* row) {
            *row = kFilterNone;
            packRow(indices + static_cast<std::size_t>(y) * static_cast<std::size_t>(width), width, layout.bitDepth,
                    row + 1);
        },
        out);
}

std::string encodeIndexedPng(const Image& image, ByteSink& out) {
    if (image.isNull()) return "there is no image to write";
    const std::optional<IndexedPixels> pixels = indexPixels(image);
    if (!pixels) return kTooManyColorsForPalette;
    return encodeIndexedPng(*pixels, image.width(), image.height(), out);
}

}  // namespace tarnel
