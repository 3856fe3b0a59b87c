#include "effects/pixel_chain.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/simd.h"

namespace tarnel {
namespace {

// Every chain is linear in XOR, so each one is computed in whatever memory
// order is fastest (whole rows at a time) as long as every pixel ends up with
// exactly the value its definition gives. Only the colour bits are XORed in:
// the top byte of each pixel stays where it is.
constexpr Color kTopByte = ~kColorMask;

// RA: suffix accumulation in row order. Rows are stored back to back, so row
// order is memory order and the chain is one backward running XOR.
void rowAccumulate(Image& image) {
    Color* p = image.data();
    const std::size_t n = image.pixelCount();
    Color carry = p[n - 1] & kColorMask;
    for (std::size_t i = n - 1; i-- > 0;) {
        p[i] ^= carry;
        carry = p[i] & kColorMask;
    }
}

// RD: suffix difference in row order; every pixel takes in its successor as
// it was before the pass, so a forward walk reads only unchanged values.
void rowDifference(Image& image) {
    Color* p = image.data();
    const std::size_t n = image.pixelCount();
    for (std::size_t i = 0; i + 1 < n; ++i) p[i] ^= p[i + 1] & kColorMask;
}

// CA: suffix accumulation in column order, where the successor of (x, H-1) is
// (x+1, 0). Within a column every pixel takes in the XOR of the pixels below
// it; on top of that the whole column takes in the finished value of the top
// of the next column, which is the XOR of every later column's pixels. So:
// one pass for the column totals, then one bottom-up pass of whole rows.
void columnAccumulate(Image& image) {
    const int w = image.width();
    const int h = image.height();
    std::vector<Color> carry(static_cast<std::size_t>(w), 0);
    for (int y = 0; y < h; ++y) {
        const Color* row = image.row(y);
        for (int x = 0; x < w; ++x) carry[x] ^= row[x];
    }
    // carry[x] = XOR of all columns right of x (colour bits only)
    Color later = 0;
    for (int x = w - 1; x >= 0; --x) {
        const Color total = carry[x] & kColorMask;
        carry[x] = later;
        later ^= total;
    }
    Color* bottom = image.row(h - 1);
    for (int x = 0; x < w; ++x) bottom[x] ^= carry[x];
    for (int y = h - 2; y >= 0; --y) {
        Color* row = image.row(y);
        const Color* below = image.row(y + 1);
        for (int x = 0; x < w; ++x) row[x] ^= below[x] & kColorMask;
    }
}

// CD: suffix difference in column order. Top to bottom every row takes in the
// unchanged row below; the bottom row then takes in the old top row shifted
// by one column (the start of the next column).
void columnDifference(Image& image) {
    const int w = image.width();
    const int h = image.height();
    std::vector<Color> top(image.row(0), image.row(0) + w);
    for (int y = 0; y + 1 < h; ++y) {
        Color* row = image.row(y);
        const Color* below = image.row(y + 1);
        for (int x = 0; x < w; ++x) row[x] ^= below[x] & kColorMask;
    }
    Color* bottom = image.row(h - 1);
    for (int x = 0; x + 1 < w; ++x) bottom[x] ^= top[x + 1] & kColorMask;
}

// The two diagonal orders share one shape. For the anti-diagonal order a
// line is k = x + y, walked from its lower-left end up to the right, so the
// in-line predecessor of (x, y) is (x-1, y+1); lines start on the left column
// or the bottom row and end on the top row or the right column. The diagonal
// order is its mirror image: k = (W-1-x) + y, predecessor (x+1, y+1), lines
// starting on the right column or the bottom row.
template <bool kDiagonal>
struct DiagonalGeometry {
    int w, h;
    int line(int x, int y) const { return (kDiagonal ? w - 1 - x : x) + y; }
    // The column whose pixels start a line (besides the bottom row).
    int startColumn() const { return kDiagonal ? w - 1 : 0; }
    // Offset, within the row below, of a pixel's in-line predecessor.
    static constexpr int kBelowOffset = kDiagonal ? 1 : -1;
    // The last pixel of line k: on the top row, else on the far column.
    Color lastOf(const Image& image, int k) const {
        if (k <= w - 1) return image.pixel(kDiagonal ? w - 1 - k : k, 0);
        return image.pixel(kDiagonal ? 0 : w - 1, k - (w - 1));
    }
};

// AA / DA: prefix accumulation. The first pixel of line k takes in the
// finished last pixel of line k-1, which is the XOR of every pixel on lines
// 0 .. k-1; every other pixel takes in its finished in-line predecessor in
// the row below. One pass for the line totals, one bottom-up pass of rows.
template <bool kDiagonal>
void diagonalAccumulate(Image& image) {
    const DiagonalGeometry<kDiagonal> g{image.width(), image.height()};
    const int w = g.w, h = g.h;
    std::vector<Color> carry(static_cast<std::size_t>(w + h - 1), 0);
    for (int y = 0; y < h; ++y) {
        const Color* row = image.row(y);
        Color* lines = carry.data() + y;  // line of (x, y) is y + x, or y + (W-1-x)
        if (kDiagonal)
            for (int x = 0; x < w; ++x) lines[w - 1 - x] ^= row[x];
        else
            for (int x = 0; x < w; ++x) lines[x] ^= row[x];
    }
    Color before = 0;
    for (Color& c : carry) {
        const Color total = c & kColorMask;
        c = before;
        before ^= total;
    }
    Color* bottom = image.row(h - 1);
    for (int x = 0; x < w; ++x) bottom[x] ^= carry[g.line(x, h - 1)];
    const int first = kDiagonal ? 0 : 1;  // x range whose predecessor lies in the row below
    const int last = kDiagonal ? w - 2 : w - 1;
    for (int y = h - 2; y >= 0; --y) {
        Color* row = image.row(y);
        const Color* below = image.row(y + 1) + DiagonalGeometry<kDiagonal>::kBelowOffset;
        row[g.startColumn()] ^= carry[g.line(g.startColumn(), y)];
        for (int x = first; x <= last; ++x) row[x] ^= below[x] & kColorMask;
    }
}

// AD / DD: prefix difference. Every pixel takes in its predecessor as it was
// before the pass: in-line predecessors lie in the row below, which a
// top-down walk has not reached yet; the first pixel of line k takes in the
// old last pixel of line k-1, saved before any row changes.
template <bool kDiagonal>
void diagonalDifference(Image& image) {
    const DiagonalGeometry<kDiagonal> g{image.width(), image.height()};
    const int w = g.w, h = g.h;
    const int lineCount = w + h - 1;
    std::vector<Color> lastBefore(static_cast<std::size_t>(lineCount), 0);
    for (int k = 0; k < lineCount; ++k) lastBefore[k] = g.lastOf(image, k) & kColorMask;
    const int first = kDiagonal ? 0 : 1;
    const int last = kDiagonal ? w - 2 : w - 1;
    for (int y = 0; y < h; ++y) {
        Color* row = image.row(y);
        if (y == h - 1) {
            // bottom row: every pixel starts a line
            for (int x = 0; x < w; ++x) {
                const int k = g.line(x, y);
                if (k > 0) row[x] ^= lastBefore[k - 1];
            }
            break;
        }
        const Color* below = image.row(y + 1) + DiagonalGeometry<kDiagonal>::kBelowOffset;
        const int k = g.line(g.startColumn(), y);
        if (k > 0) row[g.startColumn()] ^= lastBefore[k - 1];
        for (int x = first; x <= last; ++x) row[x] ^= below[x] & kColorMask;
    }
}

// SR: exchanges colours only; each pixel's top byte stays in its place.
void rowShiftReverse(Image& image) {
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        Color* row = image.row(y);
        int i = 0, j = w - 2;
#if defined(TARNEL_SIMD_SSE2)
        // four pixels from each end at a time while the two blocks are apart
        const __m128i colourMask = _mm_set1_epi32(static_cast<int>(kColorMask));
        for (; i + 4 <= j - 3; i += 4, j -= 4) {
            const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j - 3));
            const __m128i leftReversed = _mm_shuffle_epi32(left, _MM_SHUFFLE(0, 1, 2, 3));
            const __m128i rightReversed = _mm_shuffle_epi32(right, _MM_SHUFFLE(0, 1, 2, 3));
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(row + i),
                _mm_or_si128(_mm_andnot_si128(colourMask, left), _mm_and_si128(colourMask, rightReversed)));
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(row + j - 3),
                _mm_or_si128(_mm_andnot_si128(colourMask, right), _mm_and_si128(colourMask, leftReversed)));
        }
#endif
        for (; i < j; ++i, --j) {
            const Color a = row[i];
            const Color b = row[j];
            row[i] = (a & kTopByte) | (b & kColorMask);
            row[j] = (b & kTopByte) | (a & kColorMask);
        }
    }
}

// Weights of the luma gray; they add up to 1 << kLumaShift.
constexpr unsigned kLumaRed = 306;
constexpr unsigned kLumaGreen = 601;
constexpr unsigned kLumaBlue = 117;
constexpr unsigned kLumaShift = 10;
static_assert(kLumaRed + kLumaGreen + kLumaBlue == 1u << kLumaShift);

void lumaGray(Image& image) {
    Color* p = image.data();
    const std::size_t n = image.pixelCount();
    std::size_t i = 0;
#if defined(TARNEL_SIMD_SSE2)
    // Four pixels at a time: the channels widened to 16 bits, multiplied and
    // summed in pairs by madd (R*306 + G*601 and B*117 + top*0), the pairs
    // added, shifted, and the gray spread into the three channels.
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_set_epi16(0, kLumaBlue, kLumaGreen, kLumaRed, 0, kLumaBlue, kLumaGreen, kLumaRed);
    const __m128i topMask = _mm_set1_epi32(static_cast<int>(kTopByte));
    auto grayOfTwo = [&](__m128i pixels16) {
        const __m128i products = _mm_madd_epi16(pixels16, weights);
        const __m128i sums = _mm_add_epi32(products, _mm_srli_epi64(products, 32));
        return _mm_shuffle_epi32(_mm_srli_epi32(sums, kLumaShift), _MM_SHUFFLE(3, 1, 2, 0));  // lanes 0, 1
    };
    for (; i + 4 <= n; i += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i g =
            _mm_unpacklo_epi64(grayOfTwo(_mm_unpacklo_epi8(c, zero)), grayOfTwo(_mm_unpackhi_epi8(c, zero)));
        const __m128i spread = _mm_or_si128(_mm_or_si128(g, _mm_slli_epi32(g, 8)), _mm_slli_epi32(g, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_or_si128(_mm_and_si128(c, topMask), spread));
    }
#endif
    for (; i < n; ++i) {
        const Color c = p[i];
        const Color g = (kLumaRed * (c & 0xFFu) + kLumaGreen * ((c >> 8) & 0xFFu) + kLumaBlue * ((c >> 16) & 0xFFu)) >>
                        kLumaShift;
        p[i] = (c & kTopByte) | g | (g << 8) | (g << 16);
    }
}

void invert(Image& image) {
    Color* p = image.data();
    const std::size_t n = image.pixelCount();
    for (std::size_t i = 0; i < n; ++i) p[i] ^= kColorMask;
}

using P = ChainPrimitive;

struct EffectEntry {
    std::string_view menuText;
    std::string_view popupText;
    std::span<const ChainPrimitive> sequence;
};

constexpr P kScramble[] = {P::RowAccumulate, P::AntiDiagonalAccumulate, P::ColumnAccumulate, P::DiagonalAccumulate};
constexpr P kUnscramble[] = {P::DiagonalDifference, P::ColumnDifference, P::AntiDiagonalDifference,
                             P::RowDifference};
constexpr P kPencil[] = {P::DiagonalDifference, P::DiagonalDifference, P::LumaGray, P::Invert};
constexpr P kNoise[] = {P::DiagonalAccumulate, P::LumaGray, P::DiagonalDifference};
constexpr P kEdgeDetect[] = {P::AntiDiagonalDifference};
constexpr P kXFactor[] = {P::DiagonalAccumulate,     P::AntiDiagonalDifference, P::Invert,
                          P::AntiDiagonalAccumulate, P::DiagonalDifference,     P::AntiDiagonalAccumulate,
                          P::DiagonalDifference,     P::Invert,                 P::DiagonalAccumulate,
                          P::AntiDiagonalDifference};
constexpr P kScratch[] = {P::ColumnDifference, P::RowShiftReverse, P::ColumnAccumulate,
                          P::RowDifference,    P::RowShiftReverse, P::RowAccumulate};
constexpr P kGlowie[] = {P::ColumnAccumulate, P::Invert, P::RowDifference, P::ColumnDifference, P::RowAccumulate};
constexpr P kSpacy[] = {P::RowAccumulate, P::ColumnDifference, P::RowDifference, P::ColumnAccumulate};
constexpr P kPhantom[] = {P::DiagonalDifference, P::Invert, P::DiagonalAccumulate};
constexpr P kBlush[] = {P::RowAccumulate,    P::ColumnDifference, P::RowDifference, P::ColumnDifference,
                        P::ColumnAccumulate, P::ColumnAccumulate, P::Invert};
constexpr P kSpectrum[] = {P::RowDifference, P::ColumnDifference, P::RowAccumulate, P::AntiDiagonalDifference,
                           P::ColumnAccumulate};
constexpr P kDemon[] = {P::RowDifference, P::RowDifference,    P::ColumnAccumulate,
                        P::RowAccumulate, P::ColumnDifference, P::RowAccumulate};
constexpr P kFaded[] = {P::ColumnAccumulate, P::RowDifference, P::RowDifference,
                        P::ColumnDifference, P::RowAccumulate, P::RowAccumulate};
constexpr P kArtist[] = {P::AntiDiagonalDifference, P::Invert};

// Indexed by Effect, in menu order.
constexpr EffectEntry kEffects[kEffectCount] = {
    {"Edge detect", "Edge detect", kEdgeDetect},
    {"Pencil", "Pencil", kPencil},
    {"Artist", "Artist", kArtist},
    {"Glowie", "Glowie", kGlowie},
    {"Blush", "Blush", kBlush},
    {"Spacy", "Spacy", kSpacy},
    {"Spectrum", "Spectrum", kSpectrum},
    {"Scratch", "Scratch", kScratch},
    {"Noise", "Noise", kNoise},
    {"Phantom", "Phantom", kPhantom},
    {"Demon", "Demon", kDemon},
    {"Faded", "Faded", kFaded},
    {"X-factor", "X-factor", kXFactor},
    {"scramble", "Scramble", kScramble},
    {"unscramble", "Unscramble", kUnscramble},
};

const EffectEntry& entryOf(Effect effect) { return kEffects[static_cast<int>(effect)]; }

}  // namespace

void applyPrimitive(Image& image, ChainPrimitive primitive) {
    if (image.isNull()) return;
    switch (primitive) {
    case P::RowAccumulate: rowAccumulate(image); break;
    case P::RowDifference: rowDifference(image); break;
    case P::ColumnAccumulate: columnAccumulate(image); break;
    case P::ColumnDifference: columnDifference(image); break;
    case P::AntiDiagonalAccumulate: diagonalAccumulate<false>(image); break;
    case P::AntiDiagonalDifference: diagonalDifference<false>(image); break;
    case P::DiagonalAccumulate: diagonalAccumulate<true>(image); break;
    case P::DiagonalDifference: diagonalDifference<true>(image); break;
    case P::RowShiftReverse: rowShiftReverse(image); break;
    case P::LumaGray: lumaGray(image); break;
    case P::Invert: invert(image); break;
    }
}

std::string_view effectMenuText(Effect effect) { return entryOf(effect).menuText; }
std::string_view effectPopupText(Effect effect) { return entryOf(effect).popupText; }
std::span<const ChainPrimitive> effectSequence(Effect effect) { return entryOf(effect).sequence; }

void applyEffect(Image& image, Effect effect) {
    for (ChainPrimitive primitive : effectSequence(effect)) applyPrimitive(image, primitive);
}

void applyEffect(Image& image, const Rect& area, Effect effect) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    if (r == image.rect()) return applyEffect(image, effect);
    Image part = image.copy(r);
    applyEffect(part, effect);
    image.paste(part, r.left, r.top);
}

}  // namespace tarnel
