#include "quantize/remap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "core/simd.h"

namespace tarnel {

namespace {

constexpr Color kRealEntry = kAlphaMask;

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

// NearestTable::nearest with the table's arrays held in locals, for the
// pixel loops.
struct RememberedLookup {
    explicit RememberedLookup(NearestTable& t) : table(&t), known(t.positions()), entries(t.entries()) {}

    TARNEL_FORCE_INLINE Color nearest(Color c) const {
        const std::uint32_t place =
            kPlaceParts[0][c & 0xFFu] | kPlaceParts[1][(c >> 8) & 0xFFu] | kPlaceParts[2][(c >> 16) & 0xFFu];
        if (known[place] == 0) [[unlikely]]
            table->decideCube(place >> NearestTable::kFinePlaceShift, c);
        return entries[known[place]];
    }

    // placeOf(c) is the OR of the places of c's red, green and blue alone.
    static constexpr auto kPlaceParts = [] {
        std::array<std::array<std::uint32_t, 256>, 3> parts{};
        for (std::uint32_t v = 0; v < 256; ++v)
            for (int channel = 0; channel < 3; ++channel)
                parts[static_cast<std::size_t>(channel)][v] = NearestTable::placeOf(v << (8 * channel));
        return parts;
    }();

    NearestTable* table;
    const std::uint16_t* known;
    const Color* entries;
};

template <typename Lookup>
void remapPlain(Image& image, const Rect& area, Lookup& cache) {
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
//
// Every pixel waits for its left neighbour, so one row is a long chain of
// dependent steps. A few rows are therefore processed together, each one
// pixel behind the row above: pixel (x, y + 1) still comes after (x, y) and
// (x + 1, y), the pixels whose error-row entries it reads and overwrites,
// so every pixel sees exactly the values of a row-by-row pass, while the
// processor overlaps the independent chains.
//
// startRows(y, rows) is called before each group of rows; step.template
// operator()<k>(x) diffuses pixel x (counted from the area's left edge) of
// the group's row k. Row numbers are compile-time constants, so that each
// row's running terms can live in registers.
constexpr int kRowsTogether = 6;
constexpr auto kGroupRows = std::make_integer_sequence<int, kRowsTogether>{};

// Step x of the staircase: row k works on pixel x - k.
template <int... k, typename Step>
TARNEL_FORCE_INLINE inline void allRows(std::integer_sequence<int, k...>, Step& step, int x) {
    (step.template operator()<k>(x - k), ...);
}

// The same where the staircase is cut off: by the area's left and right
// edges, or by its bottom (rows past it).
template <int... k, typename Step>
TARNEL_FORCE_INLINE inline void rowsInside(std::integer_sequence<int, k...>, Step& step, int x, int width, int rows) {
    ((k < rows && static_cast<unsigned>(x - k) < static_cast<unsigned>(width) ? step.template operator()<k>(x - k)
                                                                                : void()),
     ...);
}

template <typename StartRows, typename Step>
TARNEL_FORCE_INLINE inline void diffusionOrder(const Rect& area, StartRows&& startRows, Step&& step) {
    const int width = area.width();
    const int steps = width + kRowsTogether - 1;
    for (int y = area.top; y <= area.bottom; y += kRowsTogether) {
        const int rows = std::min(kRowsTogether, area.bottom - y + 1);
        startRows(y, rows);
        if (rows < kRowsTogether || width < kRowsTogether) {
            for (int x = 0; x < steps; ++x)
                rowsInside(kGroupRows, step, x, width, rows);
            continue;
        }
        for (int x = 0; x < kRowsTogether - 1; ++x)
            rowsInside(kGroupRows, step, x, width, rows);
        for (int x = kRowsTogether - 1; x < width; ++x)
            allRows(kGroupRows, step, x);
        for (int x = width; x < steps; ++x)
            rowsInside(kGroupRows, step, x, width, rows);
    }
}

template <typename Lookup>
void remapDiffusedPlain(Image& image, const Rect& area, Lookup& cache, int strength) {
    std::vector<ChannelErrors> errorRow(static_cast<std::size_t>(area.width()) + 1);
    Color* row[kRowsTogether];
    ChannelErrors left[kRowsTogether];
    const auto startRows = [&](int y, int rows) {
        for (int k = 0; k < kRowsTogether; ++k) {
            row[k] = image.row(y + std::min(k, rows - 1)) + area.left;
            left[k] = ChannelErrors{};
        }
    };
    const auto step = [&]<int k>(int x) TARNEL_FORCE_INLINE {
        const Color c = row[k][x];
        ChannelErrors& up = errorRow[static_cast<std::size_t>(x)];
        ChannelErrors& l = left[k];
        const int r = std::clamp(redOf(c) + (((up.red + l.red) * strength) >> 8), 0, 255);
        const int g = std::clamp(greenOf(c) + (((up.green + l.green) * strength) >> 8), 0, 255);
        const int b = std::clamp(blueOf(c) + (((up.blue + l.blue) * strength) >> 8), 0, 255);
        const Color q = cache.nearest(rgb(r, g, b));
        row[k][x] = (c & kAlphaMask) | (q & kColorMask);
        const ChannelErrors e{(r - redOf(q)) >> 1, (g - greenOf(q)) >> 1, (b - blueOf(q)) >> 1};
        up = ChannelErrors{(e.red + l.red) >> 1, (e.green + l.green) >> 1, (e.blue + l.blue) >> 1};
        l = e;
    };
    diffusionOrder(area, startRows, step);
}

#if defined(TARNEL_SIMD_SSE2)
// Strengths the vector steps handle: the scaled sum below must fit 16 bits.
constexpr bool vectorStrength(int strength) { return strength > 0 && strength < 256; }

// The same steps on the three channels at once, as 16-bit lanes (red,
// green, blue, 0): the error-row entry is one 64-bit load and store, the
// clamp to 0..255 is the saturating pack. floor(sum * strength / 256) is
// the high half of (2 * sum) * (strength * 128), exact for sums of two
// errors (-256..254).
template <typename Lookup>
TARNEL_FORCE_INLINE inline void remapDiffusedSse2(Image& image, const Rect& area, Lookup& cache, int strength) {
    std::vector<std::uint64_t> errorRow(static_cast<std::size_t>(area.width()) + 1, 0);
    const __m128i zero = _mm_setzero_si128();
    const __m128i scale = _mm_set1_epi16(static_cast<short>(strength * 128));
    Color* row[kRowsTogether];
    __m128i left[kRowsTogether];
    const auto startRows = [&](int y, int rows) {
        for (int k = 0; k < kRowsTogether; ++k) {
            row[k] = image.row(y + std::min(k, rows - 1)) + area.left;
            left[k] = zero;
        }
    };
    const auto widen = [zero](Color c) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(c)), zero); };
    const auto step = [&]<int k>(int x) TARNEL_FORCE_INLINE {
        const Color c = row[k][x];
        std::uint64_t* upSlot = &errorRow[static_cast<std::size_t>(x)];
        const __m128i up = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(upSlot));
        const __m128i sum = _mm_add_epi16(up, left[k]);
        const __m128i spread = _mm_mulhi_epi16(_mm_add_epi16(sum, sum), scale);
        const __m128i t8 = _mm_packus_epi16(_mm_add_epi16(widen(c & kColorMask), spread), zero);
        const Color q = cache.nearest(static_cast<Color>(_mm_cvtsi128_si32(t8))) & kColorMask;
        row[k][x] = (c & kAlphaMask) | q;
        const __m128i e = _mm_srai_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(t8, zero), widen(q)), 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(upSlot), _mm_srai_epi16(_mm_add_epi16(e, left[k]), 1));
        left[k] = e;
    };
    diffusionOrder(area, startRows, step);
}
#endif

#if defined(TARNEL_SIMD_AVX2)
// The same instructions with the shorter three-operand encoding.
// The lookup is a local copy, so that its fields can stay in registers.
TARNEL_TARGET_AVX2 void remapDiffusedAvx2(Image& image, const Rect& area, RememberedLookup lookup, int strength) {
    remapDiffusedSse2(image, area, lookup, strength);
}
#endif

template <typename Lookup>
void remapDiffused(Image& image, const Rect& area, Lookup& cache, int strength) {
#if defined(TARNEL_SIMD_AVX2)
    if constexpr (std::is_same_v<Lookup, RememberedLookup>) {
        static const bool avx2 = cpuHasAvx2();
        if (avx2 && vectorStrength(strength)) {
            remapDiffusedAvx2(image, area, cache, strength);
            return;
        }
    }
#endif
#if defined(TARNEL_SIMD_SSE2)
    if (vectorStrength(strength)) {
        remapDiffusedSse2(image, area, cache, strength);
        return;
    }
#endif
    remapDiffusedPlain(image, area, cache, strength);
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
        const std::uint32_t a = greenDistance(dg);
        if (a >= best)
            return false;
        const std::uint32_t distance = a + redBlueDistance(r - red[i], b - blue[i], r + red[i]);
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

// --- NearestTable ---------------------------------------------------------

namespace {

constexpr int kCoarseShift = 4;  // cubes of 16 values a side
constexpr int kFineShift = 2;    // cubes of 4 values a side

constexpr std::uint32_t cubeOf(std::uint32_t v, int shift) {
    const int bits = 8 - shift;
    return ((v & 0xFFu) >> shift) << (2 * bits) | (((v >> 8) & 0xFFu) >> shift) << bits | ((v >> 16) & 0xFFu) >> shift;
}

// Bounds of the distance from an entry to any colour of a cube: the
// distance grows with each channel difference, and its red and blue weights
// with the red sum s, which lies between the cube's lowest and highest red
// plus the entry's red.
// (Every bound fits 32 bits: at most 255^2 * (kGreenWeight + 2 kBlueWeightBase).)
struct DistanceBounds {
    std::int32_t low;
    std::int32_t high;
};

inline DistanceBounds cubeBounds(int r0, int g0, int b0, int side, int er, int eg, int eb) {
    const auto nearFar = [side](int lo, int e, int& dmin, int& dmax) {
        const int hi = lo + side - 1;
        dmin = std::max({lo - e, e - hi, 0});
        dmax = std::max(std::abs(e - lo), std::abs(e - hi));
    };
    int rMin, rMax, gMin, gMax, bMin, bMax;
    nearFar(r0, er, rMin, rMax);
    nearFar(g0, eg, gMin, gMax);
    nearFar(b0, eb, bMin, bMax);
    const int sLow = r0 + er, sHigh = r0 + side - 1 + er;
    return {gMin * gMin * kGreenWeight + rMin * rMin * (sLow + kRedWeightBase) + bMin * bMin * (kBlueWeightBase - sHigh),
            gMax * gMax * kGreenWeight + rMax * rMax * (sHigh + kRedWeightBase) + bMax * bMax * (kBlueWeightBase - sLow)};
}

}  // namespace

NearestTable::NearestTable(const SearchPalette& palette)
    : m_palette(palette),
      m_entries(palette.m_entries.data()),
      m_coarse(std::size_t{1} << (3 * (8 - kCoarseShift))),
      m_memory(allocateZeroed(kTableBytes)),
      m_known(static_cast<std::uint16_t*>(m_memory.get())) {}

NearestTable::~NearestTable() {
    // Cube by cube while that is less than the whole table.
    const std::size_t cubeBytes = sizeof(std::uint16_t) << kFinePlaceShift;
    if (m_decidedCubes.size() * cubeBytes < kTableBytes / 2) {
        for (std::uint32_t cube : m_decidedCubes)
            std::memset(m_known + (std::size_t{cube} << kFinePlaceShift), 0, cubeBytes);
    } else {
        std::memset(m_known, 0, kTableBytes);
    }
    recycleZeroed(std::move(m_memory), kTableBytes);
}

namespace {

constexpr int cubeCorner(Color c, int shift, int channel) {
    return static_cast<int>((c >> (8 * channel)) & 0xFFu) & ~((1 << shift) - 1);
}

// The walk's examination rank of the entry at position p for colours whose
// green index is up0: up0 - 1 - j is examined in round j before up0 + j.
constexpr int walkRank(int p, int up0) { return p < up0 ? 2 * (up0 - 1 - p) : 2 * (p - up0) + 1; }

}  // namespace

NearestTable::Cube NearestTable::coarseCube(Color c) {
    Cube& cube = m_coarse[cubeOf(c & kColorMask, kCoarseShift)];
    if (cube.count != 0)
        return cube;
    const int side = 1 << kCoarseShift;
    const int r0 = cubeCorner(c, kCoarseShift, 0), g0 = cubeCorner(c, kCoarseShift, 1), b0 = cubeCorner(c, kCoarseShift, 2);
    const int count = m_palette.m_count;
    std::vector<std::int32_t>& low = m_lowBounds;
    low.resize(static_cast<std::size_t>(count) + 1);
    std::int32_t threshold = INT32_MAX;
    for (int p = 1; p <= count; ++p) {
        const DistanceBounds b = cubeBounds(r0, g0, b0, side, m_palette.m_red[p], m_palette.m_green[p], m_palette.m_blue[p]);
        low[static_cast<std::size_t>(p)] = b.low;
        threshold = std::min(threshold, b.high);
    }
    cube.start = static_cast<std::uint32_t>(m_coarsePool.size());
    for (int p = 1; p <= count; ++p)
        if (low[static_cast<std::size_t>(p)] <= threshold)
            m_coarsePool.push_back({static_cast<std::int16_t>(m_palette.m_red[p]),
                                    static_cast<std::int16_t>(m_palette.m_green[p]),
                                    static_cast<std::int16_t>(m_palette.m_blue[p]), static_cast<std::uint16_t>(p)});
    cube.count = static_cast<std::uint32_t>(m_coarsePool.size()) - cube.start;
    return cube;
}

void NearestTable::fineCandidates(Color c) {
    m_candidates.clear();
    const Cube parent = coarseCube(c);
    const int side = 1 << kFineShift;
    const int r0 = cubeCorner(c, kFineShift, 0), g0 = cubeCorner(c, kFineShift, 1), b0 = cubeCorner(c, kFineShift, 2);
    std::vector<std::int32_t>& low = m_lowBounds;
    low.resize(parent.count);
    std::int32_t threshold = INT32_MAX;
    for (std::uint32_t i = 0; i < parent.count; ++i) {
        const Candidate& e = m_coarsePool[parent.start + i];
        const DistanceBounds b = cubeBounds(r0, g0, b0, side, e.red, e.green, e.blue);
        low[i] = b.low;
        threshold = std::min(threshold, b.high);
    }
    for (std::uint32_t i = 0; i < parent.count; ++i)
        if (low[i] <= threshold)
            m_candidates.push_back(m_coarsePool[parent.start + i]);
}

namespace {

// The 16 colours of a fine cube that share a green: red r0 + i / 4 and
// blue b0 + i % 4 in lane i. Candidates come in the walk's examination
// order, so a later one wins only when strictly nearer.
struct CubeSlice {
    int r0, g, b0;
};
struct RankedCandidate {
    int rank, red, green, blue, position;
};

void decideSlicePlain(const CubeSlice& slice, const RankedCandidate* candidates, int count, int* result) {
    std::uint32_t best[16];
    std::fill(best, best + 16, SearchPalette::kNoDistance);
    for (const RankedCandidate* e = candidates; e != candidates + count; ++e) {
        const int dg = slice.g - e->green;
        const std::uint32_t a = greenDistance(dg);
        for (int i = 0; i < 16; ++i) {
            const int r = slice.r0 + (i >> 2), b = slice.b0 + (i & 3);
            const std::uint32_t distance = a + redBlueDistance(r - e->red, b - e->blue, r + e->red);
            if (distance < best[i]) {
                best[i] = distance;
                result[i] = e->position;
            }
        }
    }
}

#if defined(TARNEL_SIMD_AVX2)
// Distances stay below 2^29, so signed comparisons order them.
TARNEL_TARGET_AVX2 void decideSliceAvx2(const CubeSlice& slice, const RankedCandidate* candidates, int count,
                                        int* result) {
    const __m256i red[2] = {_mm256_add_epi32(_mm256_set1_epi32(slice.r0), _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1)),
                            _mm256_add_epi32(_mm256_set1_epi32(slice.r0), _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3))};
    const __m256i blue = _mm256_add_epi32(_mm256_set1_epi32(slice.b0), _mm256_setr_epi32(0, 1, 2, 3, 0, 1, 2, 3));
    __m256i best[2] = {_mm256_set1_epi32(static_cast<int>(SearchPalette::kNoDistance)),
                       _mm256_set1_epi32(static_cast<int>(SearchPalette::kNoDistance))};
    __m256i found[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    const __m256i redWeight = _mm256_set1_epi32(kRedWeightBase);
    const __m256i blueWeight = _mm256_set1_epi32(kBlueWeightBase);
    for (const RankedCandidate* e = candidates; e != candidates + count; ++e) {
        const int dg = slice.g - e->green;
        const __m256i a = _mm256_set1_epi32(dg * dg * kGreenWeight);
        const __m256i er = _mm256_set1_epi32(e->red);
        const __m256i db = _mm256_sub_epi32(blue, _mm256_set1_epi32(e->blue));
        const __m256i db2 = _mm256_mullo_epi32(db, db);
        const __m256i position = _mm256_set1_epi32(e->position);
        for (int v = 0; v < 2; ++v) {
            const __m256i dr = _mm256_sub_epi32(red[v], er);
            const __m256i s = _mm256_add_epi32(red[v], er);
            const __m256i distance =
                _mm256_add_epi32(a, _mm256_add_epi32(_mm256_mullo_epi32(_mm256_mullo_epi32(dr, dr), _mm256_add_epi32(s, redWeight)),
                                                     _mm256_mullo_epi32(db2, _mm256_sub_epi32(blueWeight, s))));
            const __m256i nearer = _mm256_cmpgt_epi32(best[v], distance);
            best[v] = _mm256_min_epi32(best[v], distance);
            found[v] = _mm256_blendv_epi8(found[v], position, nearer);
        }
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(result), found[0]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(result + 8), found[1]);
}
#endif

}  // namespace

void NearestTable::decideCube(std::uint32_t cubeIndex, Color c) {
    if (m_palette.empty())  // nothing to find: entry 0, the end marker
        return;
    std::uint16_t* known = m_known + (std::size_t{cubeIndex} << kFinePlaceShift);
    m_decidedCubes.push_back(cubeIndex);  // before any write, for the clean-up
    fineCandidates(c);
    if (m_candidates.size() == 1) {
        std::fill_n(known, std::size_t{1} << kFinePlaceShift, m_candidates[0].position);
        return;
    }
#if defined(TARNEL_SIMD_AVX2)
    static const bool avx2 = cpuHasAvx2();
#endif
    const int count = static_cast<int>(m_candidates.size());
    // Usually a handful; many only for palettes full of equal colours.
    RankedCandidate few[32];
    std::vector<RankedCandidate> many;
    RankedCandidate* ranked = few;
    if (count > 32) {
        many.resize(m_candidates.size());
        ranked = many.data();
    }
    int result[16];
    const int r0 = cubeCorner(c, kFineShift, 0), g0 = cubeCorner(c, kFineShift, 1), b0 = cubeCorner(c, kFineShift, 2);
    for (int gi = 0; gi < (1 << kFineShift); ++gi) {
        const CubeSlice slice{r0, g0 + gi, b0};
        const int up0 = m_palette.m_greenIndex[static_cast<std::size_t>(slice.g)];
        // The walk's examination order.
        for (int i = 0; i < count; ++i) {
            const Candidate& e = m_candidates[static_cast<std::size_t>(i)];
            ranked[i] = {walkRank(e.position, up0), e.red, e.green, e.blue, e.position};
        }
        const auto byRank = [](const RankedCandidate& a, const RankedCandidate& b) { return a.rank < b.rank; };
        if (count <= 8) {  // the usual handful: an insertion sort
            for (int i = 1; i < count; ++i)
                for (int j = i; j > 0 && byRank(ranked[j], ranked[j - 1]); --j)
                    std::swap(ranked[j], ranked[j - 1]);
        } else {
            std::sort(ranked, ranked + count, byRank);
        }
#if defined(TARNEL_SIMD_AVX2)
        if (avx2)
            decideSliceAvx2(slice, ranked, count, result);
        else
#endif
            decideSlicePlain(slice, ranked, count, result);
        for (int i = 0; i < 16; ++i)
            known[placeOf(rgb(i >> 2, gi, i & 3))] = static_cast<std::uint16_t>(result[i]);
    }
}


namespace {

// Calls run(lookup) with the fastest lookup for the palette.
template <typename Run>
void withLookup(const SearchPalette& palette, Run&& run) {
    if (palette.size() > NearestTable::kMaxEntries) {
        NearestCache cache(palette);
        run(cache);
        return;
    }
    NearestTable table(palette);
    RememberedLookup lookup(table);
    run(lookup);
}

}  // namespace

void remapPass(Image& image, const Rect& area, const SearchPalette& palette, int strength) {
    if (image.isNull() || palette.empty())
        return;
    const Rect clipped = intersected(area, image.rect());
    if (clipped.isEmpty())
        return;
    // One thread: the lookups fill in as they are asked, so bands on other
    // threads would each decide again the colours their neighbours decided
    // (measured slower than one thread on a photo).
    withLookup(palette, [&](auto& lookup) {
        if (strength == 0)
            remapPlain(image, clipped, lookup);
        else
            remapDiffused(image, clipped, lookup, strength);
    });
}

void remap(Image& image, const Rect& area, const Palette& palette, const RemapOptions& options) {
    if (palette.empty())
        return;
    remapPass(image, area, SearchPalette(palette), options.dither ? kDiffusionStrength : 0);
}

}  // namespace tarnel
