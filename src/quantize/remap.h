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
// three. A colour is then decided among its cube's candidates, the walk's
// examination order breaking ties. Cubes are worked out on first use.
class NearestTable {
public:
    // Entry positions are kept in 16 bits: palettes up to this size.
    static constexpr int kMaxEntries = 65535;
    // Palettes up to this size can remember results (one byte per colour).
    static constexpr int kMaxRemembered = 256;

    // Where a colour's result is kept, a 24-bit number laid out so that
    // similar colours are close together: the 16-value cube (12 bits:
    // blue, green, red from low to high), then the 4-value cube inside it
    // and the colour inside that (6 bits each: red, green, blue from low to
    // high, 2 bits each). A 4-value cube's 64 colours are 64 consecutive
    // bytes, a 16-value cube's 4096 colours one memory page.
    static constexpr std::uint32_t placeOf(Color c) {
        // Each multiplication gathers a field of every channel side by side
        // without carries: the channels sit 8 bits apart, the copies made
        // by the multiplier land on distinct bits.
        const std::uint32_t fine = ((c & 0x030303u) * kGatherTwoBits >> 20) & 0x3Fu;
        const std::uint32_t middle = (((c >> 2) & 0x030303u) * kGatherTwoBits >> 20) & 0x3Fu;
        const std::uint32_t coarse = (((c >> 4) & 0x0F0F0Fu) * kGatherFourBits >> 16) & 0xFFFu;
        return coarse << 12 | middle << 6 | fine;
    }
    static constexpr std::uint32_t kGatherTwoBits = (1u << 20) | (1u << 14) | (1u << 8);
    static constexpr std::uint32_t kGatherFourBits = (1u << 24) | (1u << 12) | 1u;
    // A place without its low bits is the 4-value cube's number.
    static constexpr int kFinePlaceShift = 6;

    // palette must outlive the table and hold at most kMaxEntries colours.
    explicit NearestTable(const SearchPalette& palette);

    Color nearest(Color c) {
        if (m_fine.empty())
            m_fine.resize(kFineCubes);
        const std::uint32_t cubeIndex = placeOf(c) >> kFinePlaceShift;
        Cube cube = m_fine[cubeIndex];
        if (cube.count == 0)
            cube = fillFine(cubeIndex, c);
        if (cube.count == 1)
            return m_entries[cube.start];
        return m_entries[decide(c, cube)];
    }

    // The same, remembering the results for images with millions of
    // pixels: the first colour asked of a 4-value cube decides all 64
    // colours of that cube at once, into a table of all 2^24 colours (one
    // byte each, at placeOf). Only the pages of the table that are used are
    // ever touched.
    Color rememberedNearest(Color c) {
        if (!m_known)
            return nearest(c);
        const std::uint32_t place = placeOf(c);
        const std::uint32_t cubeIndex = place >> kFinePlaceShift;
        if (!isDecided(cubeIndex))
            decideCube(cubeIndex, c);
        return m_entries[std::size_t{m_known.get()[place]} + 1];
    }

    // Whether rememberedNearest keeps results (palettes of 1 to
    // kMaxRemembered colours).
    bool remembers() const { return m_known != nullptr; }

    // The remembered table, for loops that look up many colours at once
    // (only when remembers()). Bit (i & 31) of decidedWords()[i >> 5] says
    // whether cube i is decided; then knownBytes()[place] is its colours'
    // entry position - 1, and positions 1.. are at rememberedEntries() - 1.
    // The byte table has 3 readable bytes past its end, for 32-bit reads.
    bool isDecided(std::uint32_t cubeIndex) const { return ((m_decided[cubeIndex >> 5] >> (cubeIndex & 31)) & 1) != 0; }
    // Decides every colour of the cube holding c (its number cubeIndex).
    void decideCube(std::uint32_t cubeIndex, Color c);
    const std::uint8_t* knownBytes() const { return m_known.get(); }
    const std::uint32_t* decidedWords() const { return m_decided.data(); }
    const Color* rememberedEntries() const { return m_entries + 1; }

private:
    struct Cube {
        // Where the candidates start in the pool; with a single candidate,
        // its entry position instead.
        std::uint32_t start = 0;
        std::uint32_t count = 0;  // 0 until worked out; then at least 1
    };
    struct Candidate {
        std::int16_t red, green, blue;
        std::uint16_t position;
    };
    static constexpr std::size_t kFineCubes = std::size_t{1} << 18;

    Cube coarseCube(Color c);
    // The candidates of the fine cube holding c, appended to out.
    void fineCandidates(Color c, std::vector<Candidate>& out);
    Cube fillFine(std::uint32_t cubeIndex, Color c);
    int decide(Color c, Cube cube) const;

    const SearchPalette& m_palette;
    const Color* m_entries;
    std::vector<Cube> m_coarse, m_fine;
    // Each cube's candidates are a run of its pool.
    std::vector<Candidate> m_coarsePool, m_finePool;
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };
    // Position - 1 of each colour's entry, valid in the decided cubes; null
    // when the palette does not remember.
    std::unique_ptr<std::uint8_t, FreeDeleter> m_known;
    std::vector<std::uint32_t> m_decided;  // a bit per fine cube
    std::vector<std::int64_t> m_lowBounds;  // scratch for working out a cube
    std::vector<Candidate> m_scratch;
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
