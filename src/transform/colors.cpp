#include "transform/colors.h"

#include "core/parallel.h"
#include "core/simd.h"

namespace tarnel {
namespace {

// Gray weights: red 2, green 4, blue 1, divided by their sum 7 and truncated.
constexpr unsigned kGrayRed = 2;
constexpr unsigned kGrayGreen = 4;
constexpr unsigned kGrayBlue = 1;
constexpr unsigned kGrayDivisor = kGrayRed + kGrayGreen + kGrayBlue;
constexpr unsigned kGrayMaxSum = kGrayDivisor * 255;

// floor(sum / 7) as a multiply and shift, which vectorises where a division
// does not; exact over every sum the weights can produce.
constexpr unsigned kDivideBy7Factor = 9363;  // ceil(65536 / 7)
constexpr unsigned kDivideBy7Shift = 16;  // a 16-bit multiply-high
constexpr unsigned divideBy7(unsigned sum) { return (sum * kDivideBy7Factor) >> kDivideBy7Shift; }
constexpr bool divideBy7IsExact() {
    for (unsigned sum = 0; sum <= kGrayMaxSum; ++sum)
        if (divideBy7(sum) != sum / kGrayDivisor) return false;
    return true;
}
static_assert(divideBy7IsExact());

constexpr Color kTopByte = ~kColorMask;

// Rows top .. bottom of area r.
void grayRows(Image& image, const Rect& r, int top, int bottom) {
    for (int y = top; y <= bottom; ++y) {
        Color* p = image.row(y) + r.left;
        int x = 0;
#if defined(TARNEL_SIMD_SSE2)
        // Four pixels at a time: madd forms 2R + 4G and B + 0 per pixel, the
        // pairs are added, narrowed to 16 bits (at most 1785) and divided by
        // the same multiply-high as below.
        const __m128i zero = _mm_setzero_si128();
        const __m128i weights = _mm_set_epi16(0, kGrayBlue, kGrayGreen, kGrayRed, 0, kGrayBlue, kGrayGreen, kGrayRed);
        const __m128i factor = _mm_set1_epi16(static_cast<short>(kDivideBy7Factor));
        const __m128i topMask = _mm_set1_epi32(static_cast<int>(kTopByte));
        for (; x + 4 <= r.width(); x += 4) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
            __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi8(c, zero), weights);
            __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi8(c, zero), weights);
            lo = _mm_add_epi32(lo, _mm_srli_epi64(lo, 32));  // sums in 32-bit lanes 0 and 2
            hi = _mm_add_epi32(hi, _mm_srli_epi64(hi, 32));
            const __m128i sums = _mm_unpacklo_epi64(_mm_shuffle_epi32(lo, _MM_SHUFFLE(3, 1, 2, 0)),
                                                    _mm_shuffle_epi32(hi, _MM_SHUFFLE(3, 1, 2, 0)));
            const __m128i sums16 = _mm_packs_epi32(sums, zero);
            const __m128i g = _mm_unpacklo_epi16(_mm_mulhi_epu16(sums16, factor), zero);
            const __m128i spread = _mm_or_si128(_mm_or_si128(g, _mm_slli_epi32(g, 8)), _mm_slli_epi32(g, 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), _mm_or_si128(_mm_and_si128(c, topMask), spread));
        }
#endif
        for (; x < r.width(); ++x) {
            const Color c = p[x];
            const Color g = divideBy7(kGrayRed * (c & 0xFFu) + kGrayGreen * ((c >> 8) & 0xFFu) +
                                      kGrayBlue * ((c >> 16) & 0xFFu));
            p[x] = (c & kTopByte) | g | (g << 8) | (g << 16);
        }
    }
}

}  // namespace

void negative(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    parallelRows(r.top, r.bottom, r.width(), [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y) {
            Color* p = image.row(y) + r.left;
            for (int x = 0; x < r.width(); ++x) p[x] ^= kColorMask;
        }
    });
}

void negative(Image& image) { negative(image, image.rect()); }

void grayScale(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    parallelRows(r.top, r.bottom, r.width(), [&](int top, int bottom) { grayRows(image, r, top, bottom); });
}

void grayScale(Image& image) { grayScale(image, image.rect()); }

}  // namespace tarnel
