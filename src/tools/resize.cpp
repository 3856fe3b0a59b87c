#include "tools/resize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarnel {
namespace {

constexpr int kChannels = 4;  // all four bytes of a pixel are filtered
constexpr double kKernelRadius = 2.0;
constexpr double kB = 1.0 / 3.0;
constexpr double kC = 1.0 / 3.0;
// Above this many bytes the vertical pass stops keeping converted source
// rows and converts each row again for every output row that uses it.
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

void unpackRow(const Color* p, int n, float* out) {
    for (int x = 0; x < n; ++x) {
        const Color c = p[x];
        out[kChannels * x + 0] = static_cast<float>(c & 0xFF);
        out[kChannels * x + 1] = static_cast<float>((c >> 8) & 0xFF);
        out[kChannels * x + 2] = static_cast<float>((c >> 16) & 0xFF);
        out[kChannels * x + 3] = static_cast<float>(c >> 24);
    }
}

void packRow(const float* sums, int n, Color* p) {
    for (int x = 0; x < n; ++x) {
        const float* s = sums + kChannels * x;
        p[x] = toByte(s[0]) | (toByte(s[1]) << 8) | (toByte(s[2]) << 16) | (toByte(s[3]) << 24);
    }
}

Image resampleHorizontal(const Image& src, int newWidth) {
    const Taps taps = buildTaps(src.width(), newWidth);
    Image dst(newWidth, src.height(), src.depth());
    std::vector<float> line(static_cast<std::size_t>(src.width()) * kChannels);
    std::vector<float> sums(static_cast<std::size_t>(newWidth) * kChannels);
    for (int y = 0; y < src.height(); ++y) {
        unpackRow(src.row(y), src.width(), line.data());
        for (int i = 0; i < newWidth; ++i) {
            const float* w = taps.weights.data() + taps.offset[i];
            const float* p = line.data() + static_cast<std::size_t>(taps.first[i]) * kChannels;
            float acc[kChannels] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int k = 0; k < taps.count[i]; ++k, p += kChannels)
                for (int c = 0; c < kChannels; ++c) acc[c] += w[k] * p[c];
            std::memcpy(sums.data() + static_cast<std::size_t>(i) * kChannels, acc, sizeof acc);
        }
        packRow(sums.data(), newWidth, dst.row(y));
    }
    return dst;
}

// Source rows converted to floats, kept while consecutive output rows use
// them. The source windows of consecutive outputs only move forward and hold
// at most maxCount rows, so row j can live in slot j mod capacity.
class RowCache {
public:
    RowCache(const Image& src, int capacity)
        : m_src(src), m_stride(static_cast<std::size_t>(src.width()) * kChannels), m_capacity(capacity),
          m_rows(m_stride * static_cast<std::size_t>(capacity)), m_tags(capacity, -1) {}

    const float* row(int j) {
        const int slot = j % m_capacity;
        float* p = m_rows.data() + m_stride * static_cast<std::size_t>(slot);
        if (m_tags[slot] != j) {
            unpackRow(m_src.row(j), m_src.width(), p);
            m_tags[slot] = j;
        }
        return p;
    }

private:
    const Image& m_src;
    std::size_t m_stride;
    int m_capacity;
    std::vector<float> m_rows;
    std::vector<int> m_tags;
};

Image resampleVertical(const Image& src, int newHeight) {
    const Taps taps = buildTaps(src.height(), newHeight);
    Image dst(src.width(), newHeight, src.depth());
    const std::size_t n = static_cast<std::size_t>(src.width()) * kChannels;
    const std::size_t rowBytes = n * sizeof(float);
    // A window of maxCount rows never repeats a slot; one slot only works
    // when every output reads a single row, otherwise rows are converted
    // again each time (still correct, the tags keep slots honest).
    int capacity = taps.maxCount;
    if (rowBytes * static_cast<std::size_t>(capacity) > kRowCacheBudget) capacity = 1;
    RowCache cache(src, capacity);
    std::vector<float> sums(n);
    for (int y = 0; y < newHeight; ++y) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        const float* w = taps.weights.data() + taps.offset[y];
        for (int k = 0; k < taps.count[y]; ++k) {
            const float wk = w[k];
            const float* p = cache.row(taps.first[y] + k);
            float* acc = sums.data();
            for (std::size_t q = 0; q < n; ++q) acc[q] += wk * p[q];
        }
        packRow(sums.data(), src.width(), dst.row(y));
    }
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

inline std::uint32_t divideRounded(std::uint64_t sum, std::uint64_t total) {
    std::uint64_t q = sum / total;
    const std::uint64_t r2 = 2 * (sum % total);
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
    if (verticalFirst) return resampleHorizontal(resampleVertical(image, newHeight), newWidth);
    return resampleVertical(resampleHorizontal(image, newWidth), newHeight);
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
    Image dst(newWidth, newHeight, image.depth());
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(newWidth) * 3);
    for (int y = 0; y < newHeight; ++y) {
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
            out[x] = rgb(static_cast<int>(divideRounded(sums[3 * x], total)),
                         static_cast<int>(divideRounded(sums[3 * x + 1], total)),
                         static_cast<int>(divideRounded(sums[3 * x + 2], total)));
    }
    return dst;
}

Image smoothResize(const Image& image, int newWidth, int newHeight) {
    if (image.isNull()) return Image();
    if ((newWidth <= 0 || newWidth == image.width()) && (newHeight <= 0 || newHeight == image.height())) return image;
    if (image.depth() == 32) return resampleMitchell(image, newWidth, newHeight);
    return stretchAreaAverage(image, newWidth, newHeight);
}

}  // namespace tarnel
