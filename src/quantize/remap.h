#pragma once
// Mapping an area of an image to the nearest colours of a palette.
//
// "Nearest" uses a weighted colour distance: 512 times the low-cost
// redmean approximation, that is
//     dg^2 * 2048 + dr^2 * (s + 1024) + db^2 * (1534 - s),  s = r1 + r2,
// which fits in 32 bits for any two colours. The search runs over a copy of
// the palette sorted by green (then red) and starts at the entries whose
// green equals the colour's, walking down and up until the green difference
// alone is no better than the best found. Ties keep the entry examined first
// in the order down, up, down, up, ...
//
// Only red, green and blue are read and written: every pixel keeps its top
// byte (alpha) as it was.

#include <array>
#include <cstdint>
#include <vector>

#include "core/image.h"

namespace tarnel {

// A list of colours 0x00BBGGRR (the top byte of an entry is ignored).
using Palette = std::vector<Color>;

// The error-diffusion strength of a dithered remap, out of 256: half of
// each pixel's quantization error is spread to its neighbours.
inline constexpr int kDiffusionStrength = 128;

// The weighted distance between the colours of a and b (top bytes ignored).
constexpr std::uint32_t colorDistance(Color a, Color b) {
    const int dr = redOf(a) - redOf(b);
    const int dg = greenOf(a) - greenOf(b);
    const int db = blueOf(a) - blueOf(b);
    const int s = redOf(a) + redOf(b);
    return static_cast<std::uint32_t>(dg * dg * 2048 + dr * dr * (s + 1024) + db * db * (1534 - s));
}

// The palette prepared for nearest-colour searches.
class SearchPalette {
public:
    // Above any distance two colours can have.
    static constexpr std::uint32_t kNoDistance = 0x12000000u;

    explicit SearchPalette(const Palette& palette);

    int size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    // Entries 0 .. size() + 1: 0 at both ends, between them the palette
    // colours with top byte 0xFF, sorted by green * 256 + red (equal keys
    // keep their palette order).
    const std::vector<Color>& entries() const { return m_entries; }
    // For each green value, the middle of the run of entries with that
    // green, or the first entry with a greater green when there is none.
    const std::array<int, 256>& greenIndex() const { return m_greenIndex; }

    // The palette colour nearest to c, with top byte 0xFF; 0 when the
    // palette is empty.
    Color nearest(Color c) const;

private:
    int m_count = 0;
    std::vector<Color> m_entries;
    // The channels of each entry, apart for the search loop.
    std::vector<int> m_red, m_green, m_blue;
    std::array<int, 256> m_greenIndex{};
};

struct RemapOptions {
    // Error diffusion (strength kDiffusionStrength) instead of a plain
    // nearest-colour map.
    bool dither = false;
};

// Maps every pixel of area (clipped to the image) to its nearest palette
// colour. With dither, the error diffusion runs inside the area as if it
// were an image of its own: rows top to bottom, each left to right. An
// empty palette leaves the image unchanged.
void remap(Image& image, const Rect& area, const Palette& palette, const RemapOptions& options = {});

// The same with an explicit diffusion strength (0 = none, out of 256).
void remapPass(Image& image, const Rect& area, const SearchPalette& palette, int strength);

}  // namespace tarnel
