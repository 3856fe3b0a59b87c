#pragma once
// Palette PNG files for images of at most 256 distinct colours.
//
// The palette holds every distinct colour of the image. In a 32-bit image a
// colour is all four bytes, so pixels that differ only in alpha are separate
// entries; in a 24-bit image the top byte carries no meaning and is ignored.
// Order: entries with alpha below 255 first (so the tRNS chunk stays as short
// as it can be), then by falling pixel count, ties by rising value
// 0xAABBGGRR. Frequent colours get small indices, which keeps the packed
// rows of small palettes regular and compressible.
//
// The file: colour type 3, a PLTE chunk, a tRNS chunk only when some entry's
// alpha is below 255, the smallest bit depth that indexes the palette (1, 2,
// 4 or 8) with rows packed, no interlacing, filter None, deflate level 9 (the
// settings of the RGB writer). A file without tRNS reads back as a 24-bit
// image; with tRNS as a 32-bit one: the colours and alphas are the same.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/codec.h"

namespace tarnel {

inline constexpr int kMaxPaletteColors = 256;

// An image as palette entries and one index per pixel, rows top down.
struct IndexedPixels {
    std::vector<Color> palette;  // 1..256 entries in the order above
    std::vector<std::uint8_t> indices;
};

// The image in palette form, or nothing when it has more than 256 colours
// (the scan stops at the 257th) or is null.
std::optional<IndexedPixels> indexPixels(const Image& image);

// Bits per index for a palette of this many entries: 1, 2, 4 or 8.
int pngBitDepthFor(int paletteSize);

// The refusal encodeIndexedPng gives for an image of too many colours.
inline constexpr const char* kTooManyColorsForPalette = "the image has more than 256 colours, too many for a palette PNG";

// Writes the palette PNG; returns an empty string or the reason (too many
// colours included).
std::string encodeIndexedPng(const Image& image, ByteSink& out);
// The same from an image already in palette form.
std::string encodeIndexedPng(const IndexedPixels& pixels, int width, int height, ByteSink& out);
inline EncodeResult encodeIndexedPng(const Image& image) {
    return encodeToMemory([&](ByteSink& out) { return encodeIndexedPng(image, out); });
}

}  // namespace tarnel
