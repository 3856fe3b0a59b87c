#include "effects/gaussian_blur.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "core/simd.h"

namespace tarnel {
namespace {

// Lines shorter than this are left unchanged.
constexpr int kMinLineLength = 3;
// Each pass divides by the kernel sum 16 = 1 << kKernelShift.
constexpr unsigned kKernelShift = 4;
constexpr unsigned kRemainderMask = (1u << kKernelShift) - 1;

// One step of the one-dimensional pass for `bytes` independent channels at
// once: cur holds s(k) and is overwritten by out(k); p2, p1, n1, n2 hold
// s(k-2), s(k-1), s(k+1), s(k+2) from before the pass; e is the carried
// remainder per channel; the old s(k) is saved to `save` (which may be p1 or
// p2 when they hold the same values). T never exceeds 16*255 + 15, so out
// needs no saturation and fits a byte, and all sums fit 16 bits.
using RowStepFn = void (*)(const std::uint8_t* p2, const std::uint8_t* p1, std::uint8_t* cur,
                           const std::uint8_t* n1, const std::uint8_t* n2, std::uint8_t* e, std::uint8_t* save,
                           std::size_t bytes);

void rowStepPlain(const std::uint8_t* p2, const std::uint8_t* p1, std::uint8_t* cur, const std::uint8_t* n1,
                  const std::uint8_t* n2, std::uint8_t* e, std::uint8_t* save, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned c = cur[i];
        const unsigned t = p2[i] + 4u * p1[i] + 6u * c + 4u * n1[i] + n2[i] + e[i];
        save[i] = static_cast<std::uint8_t>(c);
        cur[i] = static_cast<std::uint8_t>(t >> kKernelShift);
        e[i] = static_cast<std::uint8_t>(t & kRemainderMask);
    }
}

#ifdef TARNEL_SIMD_SSE2
// The arithmetic of one step on 16-bit lanes, shared by the SSE2 and AVX2
// forms: T = (s(k-2) + s(k+2)) + 4 (s(k-1) + s(k) + s(k+1)) + 2 s(k) + e.
#define TARNEL_BLUR_TAPS(add, shl, m2, m1, c, p1, p2, e) \
    add(add(add(m2, p2), shl(add(add(m1, p1), c), 2)), add(shl(c, 1), e))

void rowStepSse2(const std::uint8_t* p2, const std::uint8_t* p1, std::uint8_t* cur, const std::uint8_t* n1,
                 const std::uint8_t* n2, std::uint8_t* e, std::uint8_t* save, std::size_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i remMask = _mm_set1_epi16(static_cast<short>(kRemainderMask));
    std::size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        auto load = [&](const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)); };
        const __m128i va2 = load(p2), va1 = load(p1), vc = load(cur), vb1 = load(n1), vb2 = load(n2), ve = load(e);
        __m128i out[2], rem[2];
        for (int h = 0; h < 2; ++h) {
            auto widen = [&](__m128i v) { return h ? _mm_unpackhi_epi8(v, zero) : _mm_unpacklo_epi8(v, zero); };
            const __m128i t = TARNEL_BLUR_TAPS(_mm_add_epi16, _mm_slli_epi16, widen(va2), widen(va1),
                                               widen(vc), widen(vb1), widen(vb2), widen(ve));
            rem[h] = _mm_and_si128(t, remMask);
            out[h] = _mm_srli_epi16(t, kKernelShift);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(save + i), vc);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + i), _mm_packus_epi16(out[0], out[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(e + i), _mm_packus_epi16(rem[0], rem[1]));
    }
    rowStepPlain(p2 + i, p1 + i, cur + i, n1 + i, n2 + i, e + i, save + i, bytes - i);
}
#endif

#ifdef TARNEL_SIMD_AVX2
// Unpacking and packing work within each 128-bit half, so widening with
// unpacklo/unpackhi and narrowing with packus keeps every byte in place.
TARNEL_TARGET_AVX2 void rowStepAvx2(const std::uint8_t* p2, const std::uint8_t* p1, std::uint8_t* cur,
                                    const std::uint8_t* n1, const std::uint8_t* n2, std::uint8_t* e,
                                    std::uint8_t* save, std::size_t bytes) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i remMask = _mm256_set1_epi16(static_cast<short>(kRemainderMask));
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        // (no lambdas here: they would not inherit the AVX2 target)
#define TARNEL_LOAD256(p) _mm256_loadu_si256(reinterpret_cast<const __m256i*>((p) + i))
        const __m256i va2 = TARNEL_LOAD256(p2), va1 = TARNEL_LOAD256(p1), vc = TARNEL_LOAD256(cur);
        const __m256i vb1 = TARNEL_LOAD256(n1), vb2 = TARNEL_LOAD256(n2), ve = TARNEL_LOAD256(e);
#undef TARNEL_LOAD256
        const __m256i tLo = TARNEL_BLUR_TAPS(_mm256_add_epi16, _mm256_slli_epi16,
                                             _mm256_unpacklo_epi8(va2, zero), _mm256_unpacklo_epi8(va1, zero),
                                             _mm256_unpacklo_epi8(vc, zero), _mm256_unpacklo_epi8(vb1, zero),
                                             _mm256_unpacklo_epi8(vb2, zero), _mm256_unpacklo_epi8(ve, zero));
        const __m256i tHi = TARNEL_BLUR_TAPS(_mm256_add_epi16, _mm256_slli_epi16,
                                             _mm256_unpackhi_epi8(va2, zero), _mm256_unpackhi_epi8(va1, zero),
                                             _mm256_unpackhi_epi8(vc, zero), _mm256_unpackhi_epi8(vb1, zero),
                                             _mm256_unpackhi_epi8(vb2, zero), _mm256_unpackhi_epi8(ve, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(save + i), vc);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(cur + i),
            _mm256_packus_epi16(_mm256_srli_epi16(tLo, kKernelShift), _mm256_srli_epi16(tHi, kKernelShift)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(e + i),
                            _mm256_packus_epi16(_mm256_and_si256(tLo, remMask), _mm256_and_si256(tHi, remMask)));
    }
    rowStepPlain(p2 + i, p1 + i, cur + i, n1 + i, n2 + i, e + i, save + i, bytes - i);
}
#endif

// The column pass: all columns at once, one whole row of channels per step,
// with wide loads. Scratch holds the original values of the two rows before
// the current one and the remainders. Step k needs rows k .. k+2 as the row
// pass left them, so the caller can run the steps as soon as those rows are
// done, while they are still in the cache.
class ColumnFilter {
public:
    ColumnFilter(Color* lines, int lanes, int count, std::ptrdiff_t stride, RowStepFn step)
        : m_lines(lines),
          m_lanes(lanes),
          m_count(count),
          m_stride(stride),
          m_step(step),
          m_saved(3 * static_cast<std::size_t>(lanes)),
          m_remainders(4 * static_cast<std::size_t>(lanes), 0) {}

    int stepsDone() const { return m_next; }

    // Runs every step whose rows lie below rowsReady.
    void advance(int rowsReady) {
        if (m_count < kMinLineLength) return;
        for (; m_next < m_count && std::min(m_next + 2, m_count - 1) < rowsReady; ++m_next) step(m_next);
    }

private:
    void step(int k) {
        const std::size_t bytes = 4 * static_cast<std::size_t>(m_lanes);
        auto rowAt = [&](int i) { return reinterpret_cast<std::uint8_t*>(m_lines + i * m_stride); };
        auto saved = [&](int i) { return reinterpret_cast<std::uint8_t*>(m_saved.data() + (i % 3) * m_lanes); };
        // Step k keeps the old row k in saved(k); before the line the edge
        // pixel stands in for s(-1) and s(-2).
        if (k == 0) std::memcpy(saved(0), rowAt(0), bytes);
        m_step(saved(std::max(k - 2, 0)), saved(std::max(k - 1, 0)), rowAt(k), rowAt(std::min(k + 1, m_count - 1)),
               rowAt(std::min(k + 2, m_count - 1)), m_remainders.data(), saved(k), bytes);
    }

    Color* m_lines;
    int m_lanes;
    int m_count;
    std::ptrdiff_t m_stride;
    RowStepFn m_step;
    int m_next = 0;
    std::vector<Color> m_saved;
    std::vector<std::uint8_t> m_remainders;
};

// One pass along a single line, one byte channel at a time: the plain form
// of the row pass.
void filterLine(std::uint8_t* start, int count, std::ptrdiff_t step) {
    if (count < kMinLineLength) return;
    for (int channel = 0; channel < 4; ++channel) {
        std::uint8_t* p = start + channel;
        unsigned m2 = p[0], m1 = p[0], c = p[0], p1 = p[step];
        unsigned e = 0;
        for (int k = 0; k < count; ++k) {
            const unsigned p2 = p[std::min(k + 2, count - 1) * step];
            const unsigned t = m2 + 4 * m1 + 6 * c + 4 * p1 + p2 + e;
            p[k * step] = static_cast<std::uint8_t>(t >> kKernelShift);
            e = t & kRemainderMask;
            m2 = m1;
            m1 = c;
            c = p1;
            p1 = p2;
        }
    }
}

#ifdef TARNEL_SIMD_SSE2

// Rows filtered together by the row pass: two groups of four, so that two
// independent remainder chains keep the processor busy.
constexpr int kRowGroups = 2;
constexpr int kStripRows = 4 * kRowGroups;

// 4 x 4 transpose of 32-bit elements.
inline void transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i ab0 = _mm_unpacklo_epi32(a, b);
    const __m128i ab1 = _mm_unpackhi_epi32(a, b);
    const __m128i cd0 = _mm_unpacklo_epi32(c, d);
    const __m128i cd1 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(ab0, cd0);
    b = _mm_unpackhi_epi64(ab0, cd0);
    c = _mm_unpacklo_epi64(ab1, cd1);
    d = _mm_unpackhi_epi64(ab1, cd1);
}

// Pixel x of the rows of a strip lies in the strip buffer as element x of
// kStripRows pixels: group g (16 bytes) holds pixel x of rows 4g .. 4g+3.
void loadStrip(Color* const* rows, int width, Color* strip) {
    int x = 0;
    for (; x + 4 <= width; x += 4)
        for (int g = 0; g < kRowGroups; ++g) {
            __m128i v[4];
            for (int i = 0; i < 4; ++i) v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[4 * g + i] + x));
            transpose4(v[0], v[1], v[2], v[3]);
            for (int k = 0; k < 4; ++k)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(strip + (x + k) * kStripRows + 4 * g), v[k]);
        }
    for (; x < width; ++x)
        for (int r = 0; r < kStripRows; ++r) strip[x * kStripRows + r] = rows[r][x];
}

void storeStrip(const Color* strip, int width, Color* const* rows, int rowCount) {
    int x = 0;
    for (; x + 4 <= width; x += 4)
        for (int g = 0; g < kRowGroups; ++g) {
            __m128i v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(strip + (x + k) * kStripRows + 4 * g));
            transpose4(v[0], v[1], v[2], v[3]);
            for (int i = 0; i < 4; ++i)
                if (4 * g + i < rowCount) _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[4 * g + i] + x), v[i]);
        }
    for (; x < width; ++x)
        for (int r = 0; r < rowCount; ++r) rows[r][x] = strip[x * kStripRows + r];
}

// The pass along all kStripRows lines of a strip at once, the window of five
// pixels and the remainders held in registers as 16-bit lanes. Pixel k+2 is
// read before pixel k is written, so every tap sees the value from before
// the pass.
void filterStripSse2(Color* strip, int count) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i remMask = _mm_set1_epi16(static_cast<short>(kRemainderMask));
    constexpr int kHalves = 2 * kRowGroups;  // 8 channels of 16 bits per half
    auto element = [&](int k) { return reinterpret_cast<__m128i*>(strip + k * kStripRows); };
    __m128i m2[kHalves], m1[kHalves], c[kHalves], p1[kHalves], e[kHalves];
    auto widen = [&](const __m128i* at, __m128i* out) {
        for (int g = 0; g < kRowGroups; ++g) {
            const __m128i v = _mm_loadu_si128(at + g);
            out[2 * g] = _mm_unpacklo_epi8(v, zero);
            out[2 * g + 1] = _mm_unpackhi_epi8(v, zero);
        }
    };
    widen(element(0), c);
    widen(element(1), p1);
    for (int h = 0; h < kHalves; ++h) {
        m2[h] = m1[h] = c[h];
        e[h] = zero;
    }
    for (int k = 0; k < count; ++k) {
        __m128i p2[kHalves], out[kHalves];
        widen(element(std::min(k + 2, count - 1)), p2);
        for (int h = 0; h < kHalves; ++h) {
            const __m128i t = TARNEL_BLUR_TAPS(_mm_add_epi16, _mm_slli_epi16, m2[h], m1[h], c[h], p1[h],
                                               p2[h], e[h]);
            e[h] = _mm_and_si128(t, remMask);
            out[h] = _mm_srli_epi16(t, kKernelShift);
            m2[h] = m1[h];
            m1[h] = c[h];
            c[h] = p1[h];
            p1[h] = p2[h];
        }
        for (int g = 0; g < kRowGroups; ++g)
            _mm_storeu_si128(element(k) + g, _mm_packus_epi16(out[2 * g], out[2 * g + 1]));
    }
}

#ifdef TARNEL_SIMD_AVX2
// The same with one 256-bit register covering both groups of a strip element.
TARNEL_TARGET_AVX2 void filterStripAvx2(Color* strip, int count) {
    static_assert(kStripRows == 8, "one 256-bit register per strip element");
    const __m256i zero = _mm256_setzero_si256();
    const __m256i remMask = _mm256_set1_epi16(static_cast<short>(kRemainderMask));
    auto element = [&](int k) { return reinterpret_cast<__m256i*>(strip + k * kStripRows); };
    __m256i m2[2], m1[2], c[2], p1[2], e[2];
    // (a macro, not a lambda: lambdas do not inherit the AVX2 target)
#define TARNEL_WIDEN256(at, out)                              \
    do {                                                      \
        const __m256i v = _mm256_loadu_si256(at);             \
        (out)[0] = _mm256_unpacklo_epi8(v, zero);             \
        (out)[1] = _mm256_unpackhi_epi8(v, zero);             \
    } while (false)
    TARNEL_WIDEN256(element(0), c);
    TARNEL_WIDEN256(element(1), p1);
    for (int h = 0; h < 2; ++h) {
        m2[h] = m1[h] = c[h];
        e[h] = zero;
    }
    for (int k = 0; k < count; ++k) {
        __m256i p2[2], out[2];
        TARNEL_WIDEN256(element(std::min(k + 2, count - 1)), p2);
        for (int h = 0; h < 2; ++h) {
            const __m256i t = TARNEL_BLUR_TAPS(_mm256_add_epi16, _mm256_slli_epi16, m2[h], m1[h], c[h],
                                               p1[h], p2[h], e[h]);
            e[h] = _mm256_and_si256(t, remMask);
            out[h] = _mm256_srli_epi16(t, kKernelShift);
            m2[h] = m1[h];
            m1[h] = c[h];
            c[h] = p1[h];
            p1[h] = p2[h];
        }
        _mm256_storeu_si256(element(k), _mm256_packus_epi16(out[0], out[1]));
    }
#undef TARNEL_WIDEN256
}
#endif

#endif  // TARNEL_SIMD_SSE2

// The routines one blur runs with.
struct Kernels {
    RowStepFn rowStep = rowStepPlain;
    void (*strip)(Color* strip, int count) = nullptr;  // null: rows one at a time
};

Kernels kernelsFor(detail::BlurSimd simd) {
    Kernels k;
#ifdef TARNEL_SIMD_SSE2
    k.rowStep = rowStepSse2;
    k.strip = filterStripSse2;
#ifdef TARNEL_SIMD_AVX2
    static const bool avx2 = cpuHasAvx2();
    if (simd == detail::BlurSimd::Widest && avx2) {
        k.rowStep = rowStepAvx2;
        k.strip = filterStripAvx2;
    }
#endif
#endif
    if (simd == detail::BlurSimd::None) k = Kernels{};
    return k;
}

// Rows filtered together by the row pass.
#ifdef TARNEL_SIMD_SSE2
constexpr int kRowPassStrip = kStripRows;
#else
constexpr int kRowPassStrip = 8;
#endif

// The row pass. Each row is a serial chain through its remainder, so with
// vectors the rows are filtered kStripRows at a time: turned on their side
// into a small buffer (one element per pixel position), filtered there with
// one register lane per channel of each row, and turned back.
class RowFilter {
public:
    RowFilter(int width, const Kernels& kernels) : m_width(width), m_kernels(kernels) {
#ifdef TARNEL_SIMD_SSE2
        if (kernels.strip && width >= kMinLineLength) {
            m_strip.resize(static_cast<std::size_t>(width) * kStripRows);
            m_padding.assign(static_cast<std::size_t>(width), 0);  // stands in for rows below the image
        }
#endif
    }

    // Filters rowCount (at most kRowPassStrip) rows starting at first.
    void filter(Color* first, int rowCount, std::ptrdiff_t stride) {
        if (m_width < kMinLineLength) return;
#ifdef TARNEL_SIMD_SSE2
        if (m_kernels.strip) {
            Color* rows[kStripRows];
            for (int r = 0; r < kStripRows; ++r) rows[r] = r < rowCount ? first + r * stride : m_padding.data();
            loadStrip(rows, m_width, m_strip.data());
            m_kernels.strip(m_strip.data(), m_width);
            storeStrip(m_strip.data(), m_width, rows, rowCount);
            return;
        }
#endif
        for (int r = 0; r < rowCount; ++r) filterLine(reinterpret_cast<std::uint8_t*>(first + r * stride), m_width, 4);
    }

private:
    int m_width;
    Kernels m_kernels;
    std::vector<Color> m_strip;
    std::vector<Color> m_padding;
};

// `filterings` rows-then-columns filterings in one sweep down the buffer.
// Each filtering is a stage: its row strips run as soon as the stage before
// has finished those rows, and its column steps trail its own strips by two
// rows. Every step sees exactly the values it would see if the filterings
// ran one after another over the whole buffer, but each strip is fetched
// from memory once for all of them.
void sweep(Color* buffer, int width, int height, std::ptrdiff_t stride, int filterings, const Kernels& kernels) {
    struct Stage {
        RowFilter rows;
        ColumnFilter columns;
        int rowsFiltered = 0;
    };
    std::vector<Stage> stages;
    stages.reserve(static_cast<std::size_t>(filterings));
    for (int i = 0; i < filterings; ++i)
        stages.push_back(
            Stage{RowFilter(width, kernels), ColumnFilter(buffer, width, height, stride, kernels.rowStep)});
    // Rows 0 .. finished(i)-1 are final for stage i.
    auto finished = [&](const Stage& stage) {
        return height < kMinLineLength ? stage.rowsFiltered : stage.columns.stepsDone();
    };
    while (finished(stages.back()) < height) {
        for (std::size_t i = 0; i < stages.size(); ++i) {
            Stage& stage = stages[i];
            const int available = i == 0 ? height : finished(stages[i - 1]);
            while (stage.rowsFiltered < height && std::min(stage.rowsFiltered + kRowPassStrip, height) <= available) {
                const int rowCount = std::min(kRowPassStrip, height - stage.rowsFiltered);
                stage.rows.filter(buffer + stage.rowsFiltered * stride, rowCount, stride);
                stage.rowsFiltered += rowCount;
                stage.columns.advance(stage.rowsFiltered);
            }
        }
    }
}

// Filterings sharing one sweep; each stage holds about two rows of scratch
// and a strip, so large repeat counts are swept in groups of this many.
constexpr int kMaxStagesPerSweep = 4;

// Column strips for threads start at multiples of this many pixels, so that
// the vector steps see whole registers.
constexpr int kStripAlign = 8;

// One filtering on several threads: the row pass in bands of rows, then the
// column pass in strips of columns. Each row's and each column's chain is
// the one the sweep runs, so the pixels are the same; the image is only
// fetched twice as often.
void filterInPasses(Color* buffer, int width, int height, std::ptrdiff_t stride, const Kernels& kernels,
                    int threads) {
    parallelRows(0, height - 1, width, [&](int top, int bottom) {
        RowFilter rows(width, kernels);
        for (int y = top; y <= bottom; y += kRowPassStrip)
            rows.filter(buffer + y * stride, std::min(kRowPassStrip, bottom - y + 1), stride);
    });
    const int units = (width + kStripAlign - 1) / kStripAlign;
    const int strips = std::min(threads, units);
    runTasks(strips, std::int64_t{width} * height, [&](int i) {
        const int left = units * i / strips * kStripAlign;
        const int right = std::min(width, units * (i + 1) / strips * kStripAlign);
        ColumnFilter columns(buffer + left, right - left, height, stride, kernels.rowStep);
        columns.advance(height);
    });
}

void filterBuffer(Color* buffer, int width, int height, std::ptrdiff_t stride, int filterings,
                  const Kernels& kernels) {
    if (!buffer || width <= 0 || height <= 0) return;
    if (stride == 0) stride = width;
    if (const int threads = threadsFor(std::int64_t{width} * height); threads > 1) {
        for (int i = 0; i < filterings; ++i) filterInPasses(buffer, width, height, stride, kernels, threads);
        return;
    }
    for (int done = 0; done < filterings; done += kMaxStagesPerSweep)
        sweep(buffer, width, height, stride, std::min(kMaxStagesPerSweep, filterings - done), kernels);
}

bool topBytesAreZero(const Image& image) {
    const Color* p = image.data();
    Color any = 0;
    for (std::size_t i = 0; i < image.pixelCount(); ++i) any |= p[i];
    return (any & ~kColorMask) == 0;
}

}  // namespace

void blurFilterBuffer(Color* buffer, int width, int height, std::ptrdiff_t stride) {
    filterBuffer(buffer, width, height, stride, 1, kernelsFor(detail::BlurSimd::Widest));
}

void blurImage(Image& image, int repeatCount) { detail::blurImage(image, repeatCount, detail::BlurSimd::Widest); }

void blurImage(Image& image, const Rect& area, int repeatCount) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    if (r == image.rect()) return blurImage(image, repeatCount);
    Image part = image.copy(r);
    blurImage(part, repeatCount);
    image.paste(part, r.left, r.top);
}

namespace detail {

void blurImage(Image& image, int repeatCount, BlurSimd simd) {
    if (image.isNull() || repeatCount < 0) return;
    const Kernels kernels = kernelsFor(simd);
    const int w = image.width();
    const int h = image.height();
    // A 32-bit image is filtered in place, alpha included. A 24-bit image is
    // filtered with its top byte cleared (a channel of zeros stays zero) and
    // only its colour bits change; when the top bytes are all zero already,
    // as in every image the program makes, that is the image itself.
    if (image.depth() == 32 || topBytesAreZero(image)) {
        filterBuffer(image.data(), w, h, w, repeatCount + 1, kernels);
        return;
    }
    const std::size_t n = image.pixelCount();
    std::vector<Color> work(n);
    const Color* src = image.data();
    for (std::size_t i = 0; i < n; ++i) work[i] = src[i] & kColorMask;
    filterBuffer(work.data(), w, h, w, repeatCount + 1, kernels);
    Color* dst = image.data();
    for (std::size_t i = 0; i < n; ++i) dst[i] = (dst[i] & ~kColorMask) | work[i];
}

}  // namespace detail
}  // namespace tarnel
