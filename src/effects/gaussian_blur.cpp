#include "effects/gaussian_blur.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TARNEL_BLUR_SSE2 1
#endif

namespace tarnel {
namespace {

// Lines shorter than this are left unchanged.
constexpr int kMinLineLength = 3;
// Each pass divides by the kernel sum 16 = 1 << kKernelShift.
constexpr unsigned kKernelShift = 4;
constexpr unsigned kRemainderMask = (1u << kKernelShift) - 1;
// Rows filtered together by the row pass (see rowPass).
constexpr int kStripRows = 16;

// One step of the one-dimensional pass for `bytes` independent channels at
// once: cur holds s(k) and is overwritten by out(k); p2, p1, n1, n2 hold
// s(k-2), s(k-1), s(k+1), s(k+2) from before the pass; e is the carried
// remainder per channel; the old s(k) is saved to `save` (which may be p1 or
// p2 when they hold the same values). T never exceeds 16*255 + 15, so out
// needs no saturation and fits a byte, and all sums fit 16 bits.
void filterStep(const std::uint8_t* p2, const std::uint8_t* p1, std::uint8_t* cur, const std::uint8_t* n1,
                const std::uint8_t* n2, std::uint8_t* e, std::uint8_t* save, std::size_t bytes) {
    std::size_t i = 0;
#ifdef TARNEL_BLUR_SSE2
    const __m128i zero = _mm_setzero_si128();
    const __m128i remMask = _mm_set1_epi16(static_cast<short>(kRemainderMask));
    auto half = [&](__m128i a2, __m128i a1, __m128i c, __m128i b1, __m128i b2, __m128i r, __m128i& remOut) {
        const __m128i outer = _mm_add_epi16(a2, b2);
        const __m128i inner = _mm_add_epi16(a1, b1);
        __m128i t = _mm_add_epi16(outer, r);
        t = _mm_add_epi16(t, _mm_slli_epi16(_mm_add_epi16(inner, c), 2));
        t = _mm_add_epi16(t, _mm_slli_epi16(c, 1));
        remOut = _mm_and_si128(t, remMask);
        return _mm_srli_epi16(t, kKernelShift);
    };
    for (; i + 16 <= bytes; i += 16) {
        const __m128i va2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p2 + i));
        const __m128i va1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + i));
        const __m128i vc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        const __m128i vb1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n1 + i));
        const __m128i vb2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n2 + i));
        const __m128i ve = _mm_loadu_si128(reinterpret_cast<const __m128i*>(e + i));
        __m128i remLo, remHi;
        const __m128i outLo = half(_mm_unpacklo_epi8(va2, zero), _mm_unpacklo_epi8(va1, zero),
                                   _mm_unpacklo_epi8(vc, zero), _mm_unpacklo_epi8(vb1, zero),
                                   _mm_unpacklo_epi8(vb2, zero), _mm_unpacklo_epi8(ve, zero), remLo);
        const __m128i outHi = half(_mm_unpackhi_epi8(va2, zero), _mm_unpackhi_epi8(va1, zero),
                                   _mm_unpackhi_epi8(vc, zero), _mm_unpackhi_epi8(vb1, zero),
                                   _mm_unpackhi_epi8(vb2, zero), _mm_unpackhi_epi8(ve, zero), remHi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(save + i), vc);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + i), _mm_packus_epi16(outLo, outHi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(e + i), _mm_packus_epi16(remLo, remHi));
    }
#endif
    for (; i < bytes; ++i) {
        const unsigned c = cur[i];
        const unsigned t = p2[i] + 4u * p1[i] + 6u * c + 4u * n1[i] + n2[i] + e[i];
        save[i] = static_cast<std::uint8_t>(c);
        cur[i] = static_cast<std::uint8_t>(t >> kKernelShift);
        e[i] = static_cast<std::uint8_t>(t & kRemainderMask);
    }
}

// Filters `lanes` parallel lines of `count` pixels each, in place: pixel k of
// line l is lines[k * stride + l]. The lines run across memory rows, so every
// step handles whole rows of pixels with wide loads. Scratch holds the
// original values of the two rows before the current one and the remainders.
class ParallelLineFilter {
public:
    explicit ParallelLineFilter(int lanes)
        : m_lanes(lanes), m_saved(3 * static_cast<std::size_t>(lanes)), m_remainders(4 * static_cast<std::size_t>(lanes)) {}

    void run(Color* lines, int count, std::ptrdiff_t stride) {
        if (count < kMinLineLength) return;
        const std::size_t bytes = 4 * static_cast<std::size_t>(m_lanes);
        std::fill(m_remainders.begin(), m_remainders.end(), std::uint8_t{0});
        auto rowAt = [&](int k) { return reinterpret_cast<std::uint8_t*>(lines + k * stride); };
        auto saved = [&](int k) { return reinterpret_cast<std::uint8_t*>(m_saved.data() + (k % 3) * m_lanes); };
        // Step k keeps the old row k in saved(k); before the line the edge
        // pixel stands in for s(-1) and s(-2).
        std::memcpy(saved(0), rowAt(0), bytes);
        for (int k = 0; k < count; ++k) {
            const int k1 = std::min(k + 1, count - 1);
            const int k2 = std::min(k + 2, count - 1);
            filterStep(saved(std::max(k - 2, 0)), saved(std::max(k - 1, 0)), rowAt(k), rowAt(k1), rowAt(k2),
                       m_remainders.data(), saved(k), bytes);
        }
    }

private:
    int m_lanes;
    std::vector<Color> m_saved;
    std::vector<std::uint8_t> m_remainders;
};

// Copies a block of `rows` rows x `cols` pixels into its transpose:
// to[x * toStride + r] = from[r * fromStride + x].
void transposeBlock(const Color* from, std::ptrdiff_t fromStride, Color* to, std::ptrdiff_t toStride, int rows,
                    int cols) {
    int r = 0;
#ifdef TARNEL_BLUR_SSE2
    for (; r + 4 <= rows; r += 4) {
        const Color* f0 = from + r * fromStride;
        int x = 0;
        for (; x + 4 <= cols; x += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f0 + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f0 + fromStride + x));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f0 + 2 * fromStride + x));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f0 + 3 * fromStride + x));
            const __m128i ab0 = _mm_unpacklo_epi32(a, b);  // a0 b0 a1 b1
            const __m128i ab1 = _mm_unpackhi_epi32(a, b);  // a2 b2 a3 b3
            const __m128i cd0 = _mm_unpacklo_epi32(c, d);
            const __m128i cd1 = _mm_unpackhi_epi32(c, d);
            Color* t = to + x * toStride + r;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t), _mm_unpacklo_epi64(ab0, cd0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + toStride), _mm_unpackhi_epi64(ab0, cd0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 2 * toStride), _mm_unpacklo_epi64(ab1, cd1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 3 * toStride), _mm_unpackhi_epi64(ab1, cd1));
        }
        for (; x < cols; ++x)
            for (int i = 0; i < 4; ++i) to[x * toStride + r + i] = f0[i * fromStride + x];
    }
#endif
    for (; r < rows; ++r)
        for (int x = 0; x < cols; ++x) to[x * toStride + r] = from[r * fromStride + x];
}

// The row pass. Rows are independent lines but each is a serial chain through
// its remainder, so strips of rows are turned on their side into a small
// buffer, filtered there as parallel lines, and turned back.
void rowPass(Color* buffer, int width, int height, std::ptrdiff_t stride) {
    if (width < kMinLineLength) return;
    std::vector<Color> strip(static_cast<std::size_t>(width) * kStripRows);
    ParallelLineFilter filter(kStripRows);
    for (int y0 = 0; y0 < height; y0 += kStripRows) {
        const int rows = std::min(kStripRows, height - y0);
        Color* top = buffer + y0 * stride;
        transposeBlock(top, stride, strip.data(), rows, rows, width);
        if (rows == kStripRows) {
            filter.run(strip.data(), width, rows);
        } else {
            ParallelLineFilter(rows).run(strip.data(), width, rows);
        }
        transposeBlock(strip.data(), rows, top, stride, width, rows);
    }
}

void columnPass(Color* buffer, int width, int height, std::ptrdiff_t stride) {
    if (height < kMinLineLength) return;
    ParallelLineFilter(width).run(buffer, height, stride);
}

}  // namespace

void blurFilterBuffer(Color* buffer, int width, int height, std::ptrdiff_t stride) {
    if (!buffer || width <= 0 || height <= 0) return;
    if (stride == 0) stride = width;
    rowPass(buffer, width, height, stride);
    columnPass(buffer, width, height, stride);
}

void blurImage(Image& image, int repeatCount) {
    if (image.isNull() || repeatCount < 0) return;
    const int w = image.width();
    const int h = image.height();
    if (image.depth() == 32) {
        for (int pass = 0; pass <= repeatCount; ++pass) blurFilterBuffer(image.data(), w, h, w);
        return;
    }
    // 24-bit: filter a copy whose top byte is 0 (it stays 0 through the
    // filter), then write back the colour bits only.
    const std::size_t n = image.pixelCount();
    std::vector<Color> work(n);
    const Color* src = image.data();
    for (std::size_t i = 0; i < n; ++i) work[i] = src[i] & kColorMask;
    for (int pass = 0; pass <= repeatCount; ++pass) blurFilterBuffer(work.data(), w, h, w);
    Color* dst = image.data();
    for (std::size_t i = 0; i < n; ++i) dst[i] = (dst[i] & ~kColorMask) | work[i];
}

}  // namespace tarnel
