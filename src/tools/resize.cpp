#include "tools/resize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "core/simd.h"

namespace tarnel {
namespace {

constexpr int kChannels = 4;  // all four bytes of a pixel are filtered
constexpr double kKernelRadius = 2.0;
constexpr double kB = 1.0 / 3.0;
constexpr double kC = 1.0 / 3.0;
// Above this many bytes the vertical pass stops keeping a window of
// converted source rows and converts each row again for every output row
// that uses it.
constexpr std::size_t kRowCacheBudget = std::size_t{64} << 20;

// The filter of one pass: for every output index, the first source index
// and its weights (count[i] of them at weights[offset[i]]).
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::size_t> offset;
    std::vector<float> weights;
    int maxCount = 0;
};

Taps buildTaps(int oldLength, int newLength) {
    Taps taps;
    const double s = static_cast<double>(newLength) / oldLength;
    const bool shrinking = s < 1.0;
    const double radius = shrinking ? kKernelRadius / s : kKernelRadius;
    const double argumentScale = shrinking ? s : 1.0;
    taps.first.resize(newLength);
    taps.count.resize(newLength);
    taps.offset.resize(newLength);
    std::vector<double> w;
    for (int i = 0; i < newLength; ++i) {
        const double e = (i + 0.5) / s - 0.5;
        const int j0 = static_cast<int>(std::max(0.0, std::floor(e - radius)));
        const int j1 = static_cast<int>(std::min(static_cast<double>(oldLength - 1), std::ceil(e + radius)));
        w.clear();
        double sum = 0.0;
        for (int j = j0; j <= j1; ++j) {
            w.push_back(mitchellKernel((j - e) * argumentScale));
            sum += w.back();
        }
        if (sum > 0.0 && sum != 1.0)
            for (double& v : w) v /= sum;
        taps.first[i] = j0;
        taps.count[i] = static_cast<int>(w.size());
        taps.offset[i] = taps.weights.size();
        for (double v : w) taps.weights.push_back(static_cast<float>(v));
        taps.maxCount = std::max(taps.maxCount, taps.count[i]);
    }
    return taps;
}

inline std::uint32_t toByte(float sum) {
    const int v = static_cast<int>(sum + 0.5f);  // truncation toward zero
    return static_cast<std::uint32_t>(std::clamp(v, 0, 255));
}

#if defined(TARNEL_SIMD_SSE2)
// One pixel's four channels as four float lanes; the sums are formed lane by
// lane in the same order as the scalar code, so the results are identical.
inline __m128 loadPixel(const float* p) { return _mm_loadu_ps(p); }

// Four pixels of sums to bytes: plus 0.5, truncated toward zero, clamped to
// 0..255 by the saturating packs.
inline __m128i packFour(__m128 a, __m128 b, __m128 c, __m128 d) {
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128i ab = _mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(a, half)), _mm_cvttps_epi32(_mm_add_ps(b, half)));
    const __m128i cd = _mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(c, half)), _mm_cvttps_epi32(_mm_add_ps(d, half)));
    return _mm_packus_epi16(ab, cd);
}
#endif

void unpackRow(const Color* p, int n, float* out) {
    int x = 0;
#if defined(TARNEL_SIMD_SSE2)
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= n; x += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
        const __m128i lo = _mm_unpacklo_epi8(bytes, zero);
        const __m128i hi = _mm_unpackhi_epi8(bytes, zero);
        float* o = out + kChannels * x;
        _mm_storeu_ps(o, _mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero)));
        _mm_storeu_ps(o + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero)));
        _mm_storeu_ps(o + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero)));
        _mm_storeu_ps(o + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero)));
    }
#endif
    for (; x < n; ++x) {
        const Color c = p[x];
        out[kChannels * x + 0] = static_cast<float>(c & 0xFF);
        out[kChannels * x + 1] = static_cast<float>((c >> 8) & 0xFF);
        out[kChannels * x + 2] = static_cast<float>((c >> 16) & 0xFF);
        out[kChannels * x + 3] = static_cast<float>(c >> 24);
    }
}

void packRow(const float* sums, int n, Color* p) {
    int x = 0;
#if defined(TARNEL_SIMD_SSE2)
    for (; x + 4 <= n; x += 4) {
        const float* s = sums + kChannels * x;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x),
                         packFour(_mm_loadu_ps(s), _mm_loadu_ps(s + 4), _mm_loadu_ps(s + 8), _mm_loadu_ps(s + 12)));
    }
#endif
    for (; x < n; ++x) {
        const float* s = sums + kChannels * x;
        p[x] = toByte(s[0]) | (toByte(s[1]) << 8) | (toByte(s[2]) << 16) | (toByte(s[3]) << 24);
    }
}

// Sums of one output pixel of the horizontal pass: line holds the source row
// as floats, four per pixel.
inline void horizontalSums(const float* line, const Taps& taps, int i, float* out) {
    const float* w = taps.weights.data() + taps.offset[i];
    const float* p = line + static_cast<std::size_t>(taps.first[i]) * kChannels;
    const int count = taps.count[i];
#if defined(TARNEL_SIMD_SSE2)
    __m128 acc = _mm_setzero_ps();
    for (int k = 0; k < count; ++k, p += kChannels) acc = _mm_add_ps(acc, _mm_mul_ps(_mm_set1_ps(w[k]), loadPixel(p)));
    _mm_storeu_ps(out, acc);
#else
    float acc[kChannels] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int k = 0; k < count; ++k, p += kChannels)
        for (int c = 0; c < kChannels; ++c) acc[c] += w[k] * p[c];
    std::memcpy(out, acc, sizeof acc);
#endif
}

// One row of the horizontal pass: src (n pixels) to out (taps.first.size()
// pixels); line and sums are scratch of 4 n and 4 out floats.
void horizontalRow(const Color* src, int n, const Taps& taps, float* line, float* sums, Color* out) {
    const int newWidth = static_cast<int>(taps.first.size());
    unpackRow(src, n, line);
    for (int i = 0; i < newWidth; ++i) horizontalSums(line, taps, i, sums + std::size_t(i) * kChannels);
    packRow(sums, newWidth, out);
}

Image resampleHorizontal(const Image& src, int newWidth) {
    const Taps taps = buildTaps(src.width(), newWidth);
    Image dst(newWidth, src.height(), src.depth());
    parallelRows(0, src.height() - 1, src.width(), [&](int top, int bottom) {
        std::vector<float> line(static_cast<std::size_t>(src.width()) * kChannels);
        std::vector<float> sums(static_cast<std::size_t>(newWidth) * kChannels);
        for (int y = top; y <= bottom; ++y)
            horizontalRow(src.row(y), src.width(), taps, line.data(), sums.data(), dst.row(y));
    });
    return dst;
}

// Rows of the vertical pass's input as floats, made by fill(j, out) when
// first needed and kept while consecutive output rows use them. The windows
// of consecutive outputs only move forward and hold at most maxCount rows,
// so with that many slots row j can live in slot j mod capacity and a whole
// window is available at once.
template <class FillRow>
class RowCache {
public:
    RowCache(int width, int capacity, FillRow& fill)
        : m_fill(fill),
          m_stride(static_cast<std::size_t>(width) * kChannels),
          m_capacity(capacity),
          m_rows(m_stride * static_cast<std::size_t>(capacity)),
          m_tags(capacity, -1) {}

    const float* row(int j) {
        const int slot = j % m_capacity;
        float* p = m_rows.data() + m_stride * static_cast<std::size_t>(slot);
        if (m_tags[slot] != j) {
            m_fill(j, p);
            m_tags[slot] = j;
        }
        return p;
    }

private:
    FillRow& m_fill;
    std::size_t m_stride;
    int m_capacity;
    std::vector<float> m_rows;
    std::vector<int> m_tags;
};

bool windowFits(const Taps& taps, int width) {
    return static_cast<std::size_t>(width) * kChannels * sizeof(float) * static_cast<std::size_t>(taps.maxCount) <=
           kRowCacheBudget;
}

// One output row from a window of source rows: every pixel's sums run over
// the rows in order, kept in registers across the window.
void verticalRow(const float* const* rows, const float* w, int count, int width, Color* out) {
    int x = 0;
#if defined(TARNEL_SIMD_SSE2)
    for (; x + 4 <= width; x += 4) {
        const std::size_t q = std::size_t(x) * kChannels;
        __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), a2 = _mm_setzero_ps(), a3 = _mm_setzero_ps();
        for (int k = 0; k < count; ++k) {
            const __m128 wk = _mm_set1_ps(w[k]);
            const float* p = rows[k] + q;
            a0 = _mm_add_ps(a0, _mm_mul_ps(wk, _mm_loadu_ps(p)));
            a1 = _mm_add_ps(a1, _mm_mul_ps(wk, _mm_loadu_ps(p + 4)));
            a2 = _mm_add_ps(a2, _mm_mul_ps(wk, _mm_loadu_ps(p + 8)));
            a3 = _mm_add_ps(a3, _mm_mul_ps(wk, _mm_loadu_ps(p + 12)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), packFour(a0, a1, a2, a3));
    }
#endif
    for (; x < width; ++x) {
        const std::size_t q = std::size_t(x) * kChannels;
        float acc[kChannels] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int k = 0; k < count; ++k)
            for (int c = 0; c < kChannels; ++c) acc[c] += w[k] * rows[k][q + c];
        packRow(acc, 1, out + x);
    }
}

// The vertical pass over `width`-pixel rows made by fill, rows top .. bottom
// of the result, row y handed to emit(y, pixels). The window of input rows
// must fit.
template <class FillRow, class EmitRow>
void verticalPass(const Taps& taps, int width, int top, int bottom, FillRow fill, EmitRow emit) {
    RowCache<FillRow> cache(width, taps.maxCount, fill);
    std::vector<const float*> rows(taps.maxCount);
    std::vector<Color> out(width);
    for (int y = top; y <= bottom; ++y) {
        for (int k = 0; k < taps.count[y]; ++k) rows[k] = cache.row(taps.first[y] + k);
        verticalRow(rows.data(), taps.weights.data() + taps.offset[y], taps.count[y], width, out.data());
        emit(y, out.data());
    }
}

Image resampleVertical(const Image& src, int newHeight) {
    const Taps taps = buildTaps(src.height(), newHeight);
    Image dst(src.width(), newHeight, src.depth());
    const std::size_t n = static_cast<std::size_t>(src.width()) * kChannels;
    // Bands of output rows; a band's first window is made again by the band
    // itself, so the bands share nothing.
    const std::int64_t rowWork = std::int64_t{src.width()} * taps.maxCount;
    if (windowFits(taps, src.width())) {
        parallelRows(0, newHeight - 1, rowWork, [&](int top, int bottom) {
            verticalPass(
                taps, src.width(), top, bottom, [&](int j, float* out) { unpackRow(src.row(j), src.width(), out); },
                [&](int y, const Color* row) { std::memcpy(dst.row(y), row, sizeof(Color) * src.width()); });
        });
        return dst;
    }
    // Very strong shrinking: too many rows per output to keep, so each source
    // row is converted and added in turn, in the same order.
    parallelRows(0, newHeight - 1, rowWork, [&](int top, int bottom) {
        std::vector<float> line(n), sums(n);
        for (int y = top; y <= bottom; ++y) {
            std::fill(sums.begin(), sums.end(), 0.0f);
            const float* w = taps.weights.data() + taps.offset[y];
            for (int k = 0; k < taps.count[y]; ++k) {
                unpackRow(src.row(taps.first[y] + k), src.width(), line.data());
                const float wk = w[k];
                for (std::size_t q = 0; q < n; ++q) sums[q] += wk * line[q];
            }
            packRow(sums.data(), src.width(), dst.row(y));
        }
    });
    return dst;
}

// Both passes, row by row, without an intermediate image: the rows between
// the passes are rounded to bytes exactly as a stored intermediate would be.
Image resampleBoth(const Image& src, int newWidth, int newHeight, bool verticalFirst) {
    const Taps across = buildTaps(src.width(), newWidth);
    const Taps down = buildTaps(src.height(), newHeight);
    const int betweenWidth = verticalFirst ? src.width() : newWidth;
    if (!windowFits(down, betweenWidth)) {
        return verticalFirst ? resampleHorizontal(resampleVertical(src, newHeight), newWidth)
                             : resampleVertical(resampleHorizontal(src, newWidth), newHeight);
    }
    Image dst(newWidth, newHeight, src.depth());
    const std::int64_t rowWork = std::int64_t{std::max(src.width(), newWidth)} * down.maxCount;
    parallelRows(0, newHeight - 1, rowWork, [&](int top, int bottom) {
        std::vector<float> line(static_cast<std::size_t>(src.width()) * kChannels);
        std::vector<float> sums(static_cast<std::size_t>(newWidth) * kChannels);
        if (verticalFirst) {
            verticalPass(
                down, src.width(), top, bottom, [&](int j, float* out) { unpackRow(src.row(j), src.width(), out); },
                [&](int y, const Color* row) {
                    horizontalRow(row, src.width(), across, line.data(), sums.data(), dst.row(y));
                });
        } else {
            std::vector<Color> between(newWidth);
            verticalPass(
                down, newWidth, top, bottom,
                [&](int j, float* out) {
                    horizontalRow(src.row(j), src.width(), across, line.data(), sums.data(), between.data());
                    unpackRow(between.data(), newWidth, out);
                },
                [&](int y, const Color* row) { std::memcpy(dst.row(y), row, sizeof(Color) * newWidth); });
        }
    });
    return dst;
}

// Overlap of output cell `out` (scaled by oldLength) with the source cells
// (scaled by newLength): the run of source indices it meets and the shared
// length with each.
struct Coverage {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::size_t> offset;
    std::vector<std::uint32_t> weights;
};

Coverage buildCoverage(int oldLength, int newLength) {
    Coverage cov;
    cov.first.resize(newLength);
    cov.count.resize(newLength);
    cov.offset.resize(newLength);
    const std::int64_t oldL = oldLength, newL = newLength;
    for (int i = 0; i < newLength; ++i) {
        // Output i spans [i * old, (i + 1) * old); source j spans [j * new, (j + 1) * new).
        const std::int64_t begin = i * oldL, end = (i + 1) * oldL;
        const int j0 = static_cast<int>(begin / newL);
        const int j1 = static_cast<int>((end - 1) / newL);
        cov.first[i] = j0;
        cov.count[i] = j1 - j0 + 1;
        cov.offset[i] = cov.weights.size();
        for (int j = j0; j <= j1; ++j) {
            const std::int64_t shared = std::min(end, (j + 1) * newL) - std::max(begin, j * newL);
            cov.weights.push_back(static_cast<std::uint32_t>(shared));
        }
    }
    return cov;
}

// sum / total rounded to nearest, a half to even. The quotient is at most
// 255: a floating-point estimate, corrected with exact integer products,
// spares a 64-bit division per channel.
inline std::uint32_t divideRounded(std::uint64_t sum, std::uint64_t total, double inverseTotal) {
    std::uint64_t q = static_cast<std::uint64_t>(static_cast<double>(sum) * inverseTotal);
    while (q > 0 && q * total > sum) --q;
    while ((q + 1) * total <= sum) ++q;
    const std::uint64_t r2 = 2 * (sum - q * total);
    if (r2 > total || (r2 == total && (q & 1))) ++q;
    return static_cast<std::uint32_t>(q);
}

}  // namespace

double mitchellKernel(double x) {
    x = std::fabs(x);
    if (x < 1.0)
        return ((12.0 - 9.0 * kB - 6.0 * kC) * x * x * x + (-18.0 + 12.0 * kB + 6.0 * kC) * x * x + (6.0 - 2.0 * kB)) /
               6.0;
    if (x < 2.0)
        return ((-kB - 6.0 * kC) * x * x * x + (6.0 * kB + 30.0 * kC) * x * x + (-12.0 * kB - 48.0 * kC) * x +
                (8.0 * kB + 24.0 * kC)) /
               6.0;
    return 0.0;
}

Image resampleMitchell(const Image& image, int newWidth, int newHeight) {
    if (image.isNull()) return Image();
    if (newWidth <= 0) newWidth = image.width();
    if (newHeight <= 0) newHeight = image.height();
    const bool horizontal = newWidth != image.width();
    const bool vertical = newHeight != image.height();
    if (!horizontal && !vertical) return image;
    if (!horizontal) return resampleVertical(image, newHeight);
    if (!vertical) return resampleHorizontal(image, newWidth);
    const bool verticalFirst = std::int64_t{newHeight} * image.width() < std::int64_t{newWidth} * image.height();
    return resampleBoth(image, newWidth, newHeight, verticalFirst);
}

Image stretchAreaAverage(const Image& image, int newWidth, int newHeight) {
    if (image.isNull()) return Image();
    if (newWidth <= 0) newWidth = image.width();
    if (newHeight <= 0) newHeight = image.height();
    const int w = image.width(), h = image.height();
    const Coverage across = buildCoverage(w, newWidth);
    const Coverage down = buildCoverage(h, newHeight);
    // Horizontal sums reach 255 * w per channel; the full sum 255 * w * h.
    const std::uint64_t total = std::uint64_t(w) * std::uint64_t(h);
    const double inverseTotal = 1.0 / static_cast<double>(total);
    Image dst(newWidth, newHeight, image.depth());
    parallelRows(0, newHeight - 1, std::int64_t{w} * (h / newHeight + 1), [&](int top, int bottom) {
        std::vector<std::uint64_t> sums(static_cast<std::size_t>(newWidth) * 3);
        for (int y = top; y <= bottom; ++y) {
            std::fill(sums.begin(), sums.end(), 0);
            for (int k = 0; k < down.count[y]; ++k) {
                const std::uint64_t wy = down.weights[down.offset[y] + k];
                const Color* p = image.row(down.first[y] + k);
                for (int x = 0; x < newWidth; ++x) {
                    std::uint64_t r = 0, g = 0, b = 0;
                    const std::uint32_t* wx = across.weights.data() + across.offset[x];
                    const Color* q = p + across.first[x];
                    for (int j = 0; j < across.count[x]; ++j) {
                        r += std::uint64_t(wx[j]) * (q[j] & 0xFF);
                        g += std::uint64_t(wx[j]) * ((q[j] >> 8) & 0xFF);
                        b += std::uint64_t(wx[j]) * ((q[j] >> 16) & 0xFF);
                    }
                    sums[3 * x] += wy * r;
                    sums[3 * x + 1] += wy * g;
                    sums[3 * x + 2] += wy * b;
                }
            }
            Color* out = dst.row(y);
            for (int x = 0; x < newWidth; ++x)
                out[x] = rgb(static_cast<int>(divideRounded(sums[3 * x], total, inverseTotal)),
                             static_cast<int>(divideRounded(sums[3 * x + 1], total, inverseTotal)),
                             static_cast<int>(divideRounded(sums[3 * x + 2], total, inverseTotal)));
        }
    });
    return dst;
}

Image smoothResize(const Image& image, int newWidth, int newHeight) {
    if (image.isNull()) return Image();
    if ((newWidth <= 0 || newWidth == image.width()) && (newHeight <= 0 || newHeight == image.height())) return image;
    if (image.depth() == 32) return resampleMitchell(image, newWidth, newHeight);
    return stretchAreaAverage(image, newWidth, newHeight);
}

}  // namespace tarnel
