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

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/image.h"
#include "core/zeroed_memory.h"

namespace tarnel {

// A list of colours 0x00BBGGRR (the top byte of an entry is ignored).
using Palette = std::vector<Color>;

// The error-diffusion strength of a dithered remap, out of 256: half of
// each pixel's quantization error is spread to its neighbours.
inline constexpr int kDiffusionStrength = 128;

// The weights of the distance: green's is fixed; the red sum s moves weight
// from blue to red.
inline constexpr int kGreenWeight = 2048;
inline constexpr int kRedWeightBase = 1024;
inline constexpr int kBlueWeightBase = 1534;

// The distance in two parts, so that a search can give up on the green
// part alone: dg^2 * 2048, and dr^2 * (s + 1024) + db^2 * (1534 - s).
constexpr std::uint32_t greenDistance(int dg) { return static_cast<std::uint32_t>(dg * dg * kGreenWeight); }
constexpr std::uint32_t redBlueDistance(int dr, int db, int s) {
    return static_cast<std::uint32_t>(dr * dr * (s + kRedWeightBase) + db * db * (kBlueWeightBase - s));
}

// The weighted distance between the colours of a and b (top bytes ignored).
constexpr std::uint32_t colorDistance(Color a, Color b) {
    return greenDistance(greenOf(a) - greenOf(b)) +
           redBlueDistance(redOf(a) - redOf(b), blueOf(a) - blueOf(b), redOf(a) + redOf(b));
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
    friend class NearestTable;

    int m_count = 0;
    std::vector<Color> m_entries;
    // The channels of each entry, apart for the search loop.
    std::vector<int> m_red, m_green, m_blue;
    std::array<int, 256> m_greenIndex{};
};

// A faster nearest() for searching millions of pixels. Returns exactly what
// SearchPalette::nearest returns: among the entries at the smallest
// distance, the one the walk examines first.
//
// How: colour space is cut into cubes (16 and, inside those, 4 values a
// side). For a cube, bounds of each entry's distance over the cube's colours
// leave only the entries that can be nearest to one of them - usually one to
// three. The first colour asked of a 4-value cube decides all 64 colours of
// that cube among its candidates, the walk's examination order breaking
// ties, into a table of all 2^24 colours. Only the pages of the table that
// are used are ever touched.
class NearestTable {
public:
    // Entry positions are kept in 16 bits: palettes up to this size.
    static constexpr int kMaxEntries = 65535;

    // Where a colour's result is kept, a 24-bit number laid out so that
    // similar colours are close together: the 16-value cube (12 bits:
    // blue, green, red from low to high), then the 4-value cube inside it
    // and the colour inside that (6 bits each: red, green, blue from low to
    // high, 2 bits each). A 4-value cube's 64 colours are consecutive.
    static constexpr std::uint32_t placeOf(Color c) {
        // Each multiplication gathers a field of every channel side by side
        // without carries: the channels sit 8 bits apart, the copies made
        // by the multiplier land on distinct bits.
        const std::uint32_t fine = ((c & 0x030303u) * kGatherTwoBits >> 20) & 0x3Fu;
        const std::uint32_t middle = (((c >> 2) & 0x030303u) * kGatherTwoBits >> 20) & 0x3Fu;
        const std::uint32_t coarse = (((c >> 4) & 0x0F0F0Fu) * kGatherFourBits >> 16) & 0xFFFu;
        return coarse << 12 | middle << 6 | fine;
    }
    // A place without its low bits is the 4-value cube's number.
    static constexpr int kFinePlaceShift = 6;

    // palette must outlive the table and hold at most kMaxEntries colours.
    explicit NearestTable(const SearchPalette& palette);
    // Clears what it wrote and hands the table back for the next one.
    ~NearestTable();
    NearestTable(const NearestTable&) = delete;
    NearestTable& operator=(const NearestTable&) = delete;

    Color nearest(Color c) {
        const std::uint32_t place = placeOf(c);
        if (m_known[place] == 0)
            decideCube(place >> kFinePlaceShift, c);
        return m_entries[m_known[place]];
    }

    // For loops that look up many colours themselves: positions()[place]
    // is the entry position of the colour at place, or 0 while its cube is
    // not decided; decideCube then fills the cube numbered cubeIndex, which
    // holds c.
    const std::uint16_t* positions() const { return m_known; }
    const Color* entries() const { return m_entries; }
    void decideCube(std::uint32_t cubeIndex, Color c);

private:
    static constexpr std::size_t kTableBytes = (std::size_t{1} << 24) * sizeof(std::uint16_t);
    static constexpr std::uint32_t kGatherTwoBits = (1u << 20) | (1u << 14) | (1u << 8);
    static constexpr std::uint32_t kGatherFourBits = (1u << 24) | (1u << 12) | 1u;

    struct Cube {
        std::uint32_t start = 0;  // where the candidates start in the pool
        std::uint32_t count = 0;  // 0 until worked out; then at least 1
    };
    struct Candidate {
        std::int16_t red, green, blue;
        std::uint16_t position;
    };

    Cube coarseCube(Color c);
    // The candidates of the 4-value cube holding c, into m_candidates.
    void fineCandidates(Color c);

    const SearchPalette& m_palette;
    const Color* m_entries;
    std::vector<Cube> m_coarse;
    std::vector<Candidate> m_coarsePool;  // each cube's candidates are a run
    ZeroedMemory m_memory;
    std::uint16_t* m_known;  // by place; 0 = not decided
    std::vector<std::uint32_t> m_decidedCubes;
    std::vector<std::int32_t> m_lowBounds;  // scratch for working out a cube
    std::vector<Candidate> m_candidates;
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
