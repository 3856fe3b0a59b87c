#include "quantize/neuquant.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "core/parallel.h"
#include "core/simd.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

constexpr int kNetSize = kNeuQuantColors;
constexpr int kMaxSampleFactor = 30;

// Pixel components are presented scaled by 16 (4 fractional bits).
constexpr int kComponentShift = 4;

constexpr int kCycles = 100;  // learning phases
constexpr int kAlphaShift = 10;
constexpr std::int32_t kInitialAlpha = 1 << kAlphaShift;
constexpr int kAlphaDecBase = 30;
constexpr int kRadiusShift = 6;
constexpr std::int32_t kInitialRadius = 32 << kRadiusShift;
constexpr std::int32_t kRadiusDecrement = 15;
constexpr int kRadPowerScale = 256;
constexpr int kNeighbourShift = kAlphaShift + 8;  // alpha and the radpower scale of 256

// Frequency and bias keep 16 fractional bits.
constexpr std::int32_t kInitialFreq = 65536 / kNetSize;
constexpr int kBetaShift = 10;                  // freq decays by freq >> 10
constexpr std::int32_t kBeta = 65536 >> 10;     // freq gain of the closest neuron
constexpr int kGammaShift = 10;                 // bias gain is the freq decay << 10
constexpr std::int32_t kBetaGamma = 65536;      // bias loss of the closest neuron
constexpr int kBiasDistShift = 12;              // bias as used in the contest

// Stepping primes, tried in this order: the first that does not divide the
// pixel count gives a walk that visits every pixel.
constexpr int kPrimes[] = {499, 491, 487, 503};
constexpr int kSmallStride = 7;
constexpr int kTinyImagePixels = 7;

// Above any Manhattan distance of two colours (at most 3 x 255 = 765).
constexpr int kSearchStartDistance = 768;

// 32-bit wrapping arithmetic: the frequencies, biases and neighbour products
// are defined as 32-bit values, and a long run must not turn their overflow
// into undefined behaviour.
inline std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// n moves towards p by (factor x (n - p)) >> shift, where the product is
// rounded up by one when negative before the arithmetic shift.
inline void moveTowards(std::int32_t& n, std::int32_t p, std::int32_t factor, int shift) {
    const std::int32_t d = wrapMul(factor, n - p);
    n -= (d + (d < 0 ? 1 : 0)) >> shift;
}

using Neurons = NeuQuantNetwork::Neurons;

void computeRadPower(Neurons& net) {
    const std::int32_t rad2 = net.rad * net.rad;
    for (int i = 0; i < net.rad; ++i) net.radPower[i] = (net.alpha * ((rad2 - i * i) * kRadPowerScale)) / rad2;
}

// One presentation of the pixel p = (pr, pg, pb) (components scaled by 16):
// the contest, then the winner and its neighbours move towards p.
TARNEL_FORCE_INLINE inline void contestAndUpdate(Neurons& net, std::int32_t pr, std::int32_t pg, std::int32_t pb) {
    // The index rides in the low 8 bits of each key, so the smallest key is
    // the first neuron with the smallest distance.
    std::int32_t bestKey = std::numeric_limits<std::int32_t>::max();
    std::int32_t bestBiasKey = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < kNetSize; ++i) {
        const std::int32_t dist = std::abs(net.red[i] - pr) + std::abs(net.green[i] - pg) + std::abs(net.blue[i] - pb);
        const std::int32_t biasDist = dist - (net.bias[i] >> kBiasDistShift);
        bestKey = std::min(bestKey, dist * 256 + i);
        bestBiasKey = std::min(bestBiasKey, biasDist * 256 + i);
        const std::int32_t betaFreq = net.freq[i] >> kBetaShift;
        net.freq[i] -= betaFreq;
        net.bias[i] = wrapAdd(net.bias[i], betaFreq << kGammaShift);
    }
    const int bestPos = bestKey & 0xFF;
    const int j = bestBiasKey & 0xFF;
    net.freq[bestPos] = wrapAdd(net.freq[bestPos], kBeta);
    net.bias[bestPos] = wrapAdd(net.bias[bestPos], -kBetaGamma);

    moveTowards(net.red[j], pr, net.alpha, kAlphaShift);
    moveTowards(net.green[j], pg, net.alpha, kAlphaShift);
    moveTowards(net.blue[j], pb, net.alpha, kAlphaShift);
    if (net.rad == 0) return;
    const int hi = std::min(j + net.rad, kNetSize);
    for (int m = j + 1; m < hi; ++m) {
        const std::int32_t a = net.radPower[m - j];
        moveTowards(net.red[m], pr, a, kNeighbourShift);
        moveTowards(net.green[m], pg, a, kNeighbourShift);
        moveTowards(net.blue[m], pb, a, kNeighbourShift);
    }
    const int lo = std::max(j - net.rad, -1);
    for (int m = j - 1; m > lo; --m) {
        const std::int32_t a = net.radPower[j - m];
        moveTowards(net.red[m], pr, a, kNeighbourShift);
        moveTowards(net.green[m], pg, a, kNeighbourShift);
        moveTowards(net.blue[m], pb, a, kNeighbourShift);
    }
}

// The learning walk over area r of image.
TARNEL_FORCE_INLINE inline void learnWalk(Neurons& net, const Image& image, const Rect& r, int sampleFactor) {
    const int width = r.width();
    const int height = r.height();
    const NeuQuantSampling s = neuquantSampling(width, height, sampleFactor);
    const std::int32_t alphaDec = kAlphaDecBase + (sampleFactor - 1) / 3;

    net.alpha = kInitialAlpha;
    std::int32_t radius = kInitialRadius;
    net.rad = radius >> kRadiusShift;
    if (net.rad <= 1) net.rad = 0;
    computeRadPower(net);

    int x = 0;
    int y = 0;
    int k = 0;
    for (int i = 0; i < s.samplePixels; ++i) {
        const Color c = image.row(r.top + y)[r.left + x];
        contestAndUpdate(net, redOf(c) << kComponentShift, greenOf(c) << kComponentShift,
                         blueOf(c) << kComponentShift);
        x += s.strideX;
        if (x >= width) {
            x -= width;
            ++y;
        }
        y += s.strideY;
        if (y >= height) y -= height;
        // With delta 0 the count never matches: the rate and radius stay put.
        if (++k == s.delta) {
            net.alpha -= net.alpha / alphaDec;
            radius -= radius / kRadiusDecrement;
            net.rad = radius >> kRadiusShift;
            if (net.rad <= 1) net.rad = 0;
            computeRadPower(net);
            k = 0;
        }
    }
}

void learnWalkDefault(Neurons& net, const Image& image, const Rect& r, int sampleFactor) {
    learnWalk(net, image, r, sampleFactor);
}

// The contest dominates learning; where the compiler can target AVX2 for one
// function, the same code is built a second time for it and chosen at run
// time. Both builds compute identical integers.
#if defined(TARNEL_SIMD_AVX2)
TARNEL_TARGET_AVX2 void learnWalkAvx2(Neurons& net, const Image& image, const Rect& r, int sampleFactor) {
    learnWalk(net, image, r, sampleFactor);
}
#endif

}  // namespace

NeuQuantSampling neuquantSampling(int width, int height, int sampleFactor) {
    NeuQuantSampling s;
    if (width <= 0 || height <= 0) return s;
    const std::int64_t n64 = static_cast<std::int64_t>(width) * height;
    const int n = static_cast<int>(std::min<std::int64_t>(n64, std::numeric_limits<int>::max()));
    const int f = std::clamp(sampleFactor, 1, kMaxSampleFactor);
    s.samplePixels = n / f;
    s.delta = s.samplePixels / kCycles;
    int stride = 0;
    if (n % kPrimes[0] != 0) {
        if (n > kPrimes[0]) {
            stride = kPrimes[0];
        } else {
            // Small areas are presented in full, every pixel once. A stride
            // of 7 visits them all only when 7 does not divide the count; a
            // count of 14, 21, ... steps one pixel at a time instead, as the
            // tiniest areas do (a 7 x 7 area would otherwise be learned
            // from its first pixel alone).
            s.samplePixels = n;
            s.delta = n / kCycles;
            if (n <= kTinyImagePixels || n % kSmallStride == 0) {
                s.strideX = 1;
                return s;
            }
            stride = kSmallStride;
        }
    } else if (n % kPrimes[1] != 0) {
        stride = kPrimes[1];
    } else if (n % kPrimes[2] != 0) {
        stride = kPrimes[2];
    } else {
        stride = kPrimes[3];
    }
    s.strideY = stride / width;
    s.strideX = stride - s.strideY * width;
    return s;
}

NeuQuantNetwork::NeuQuantNetwork() {
    for (int i = 0; i < kNetSize; ++i) {
        m_net.red[i] = m_net.green[i] = m_net.blue[i] = i << kComponentShift;
        m_net.freq[i] = kInitialFreq;
        m_net.bias[i] = 0;
    }
}

void NeuQuantNetwork::learn(const Image& image, const Rect& area, int sampleFactor) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    const int f = std::clamp(sampleFactor, 1, kMaxSampleFactor);
#if defined(TARNEL_SIMD_AVX2)
    if (cpuHasAvx2()) {
        learnWalkAvx2(m_net, image, r, f);
        return;
    }
#endif
    learnWalkDefault(m_net, image, r, f);
}

void NeuQuantNetwork::finish() {
    // Unbias: round away the 4 fractional bits.
    auto unbias = [](std::int32_t v) {
        return std::min((v + (1 << (kComponentShift - 1))) >> kComponentShift, 255);
    };
    struct Neuron {
        std::int32_t red, green, blue, index;
    };
    Neuron sorted[kNetSize];
    for (int i = 0; i < kNetSize; ++i) {
        m_net.red[i] = unbias(m_net.red[i]);
        m_net.green[i] = unbias(m_net.green[i]);
        m_net.blue[i] = unbias(m_net.blue[i]);
        m_palette[i] = rgb(m_net.red[i], m_net.green[i], m_net.blue[i]);
        sorted[i] = Neuron{m_net.red[i], m_net.green[i], m_net.blue[i], i};
    }

    // Selection sort by green (the first smallest wins ties); start[g]
    // points into the middle of the run of green g, or to the first neuron
    // of a greater green when there is none.
    std::int32_t* start = m_index.start;
    int previous = 0;
    int startPos = 0;
    for (int i = 0; i < kNetSize; ++i) {
        int smallest = i;
        for (int j = i + 1; j < kNetSize; ++j)
            if (sorted[j].green < sorted[smallest].green) smallest = j;
        std::swap(sorted[i], sorted[smallest]);
        const int g = sorted[i].green;
        if (g != previous) {
            start[previous] = (startPos + i) >> 1;
            for (int v = previous + 1; v < g; ++v) start[v] = i;
            previous = g;
            startPos = i;
        }
    }
    start[previous] = (startPos + kNetSize - 1) >> 1;
    for (int v = previous + 1; v < 256; ++v) start[v] = kNetSize - 1;

    for (int i = 0; i < kNetSize; ++i) {
        m_index.red[i] = sorted[i].red;
        m_index.green[i] = sorted[i].green;
        m_index.blue[i] = sorted[i].blue;
        m_index.paletteIndex[i] = sorted[i].index;
    }
}

int NeuQuantNetwork::search(Color c) const {
    const int r = redOf(c);
    const int g = greenOf(c);
    const int b = blueOf(c);
    int best = kSearchStartDistance;
    int result = kSearchStartDistance;
    int up = m_index.start[g];
    if (up == 0) up = 1;
    int down = up - 1;
    bool upActive = up < kNetSize;
    bool downActive = down >= 0;
    // Neurons are sorted by green, so a walk ends once the green difference
    // alone reaches the best distance. The upward neuron goes first.
    auto examine = [&](int pos, bool& active) {
        const int greenDist = std::abs(m_index.green[pos] - g);
        const int before = best;
        const int dist = greenDist + std::abs(m_index.red[pos] - r) + std::abs(m_index.blue[pos] - b);
        if (dist < best) {
            best = dist;
            result = m_index.paletteIndex[pos];
        }
        if (greenDist >= before) active = false;
    };
    while (upActive || downActive) {
        if (upActive) {
            examine(up, upActive);
            if (++up >= kNetSize) upActive = false;
        }
        if (downActive) {
            examine(down, downActive);
            if (--down < 0) downActive = false;
        }
    }
    return result;
}

namespace {

// searchAll: the walk starting at position up0 reaches position p in round
// p - up0 (upward, examined first) or up0 - 1 - p (downward), so rank
// max(2 (p - up0), 2 (up0 - p) - 1) orders the neurons as the walk meets
// them. A neuron the walk never reaches lies behind one whose green
// difference alone is at least the best distance found by then, so it can
// neither beat nor tie-break against the walk's answer: the smallest
// (distance, rank) over all neurons is the walk's answer.
constexpr int kRankBits = 9;

TARNEL_FORCE_INLINE inline int searchAllNeurons(const NeuQuantNetwork::SearchIndex& index, Color c) {
    const std::int32_t r = redOf(c);
    const std::int32_t g = greenOf(c);
    const std::int32_t b = blueOf(c);
    std::int32_t up0 = index.start[g];
    if (up0 == 0) up0 = 1;
    const std::int32_t twoUp = 2 * up0;
    std::int32_t bestKey = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t p = 0; p < kNetSize; ++p) {
        const std::int32_t dist = std::abs(index.red[p] - r) + std::abs(index.green[p] - g) + std::abs(index.blue[p] - b);
        const std::int32_t rank = std::max(2 * p - twoUp, twoUp - 1 - 2 * p);
        bestKey = std::min(bestKey, (dist << kRankBits) | rank);
    }
    const std::int32_t rank = bestKey & ((1 << kRankBits) - 1);
    const std::int32_t pos = (rank & 1) ? up0 - 1 - (rank >> 1) : up0 + (rank >> 1);
    return index.paletteIndex[pos];
}

// A small direct-mapped memory of search answers, sized to stay in the
// processor's cache: neighbouring pixels of a picture mostly repeat colours
// seen a few rows before. Entry = colour << 8 | palette index.
constexpr int kMemoBits = 16;

inline std::uint32_t memoSlot(Color c) { return (c * 0x9E3779B1u) >> (32 - kMemoBits); }

TARNEL_FORCE_INLINE inline void mapArea(const NeuQuantNetwork::SearchIndex& index, const Color* palette,
                                         Image& image, const Rect& r, bool dither) {
    // Colour 0 hashes to slot 0 and colour 1 elsewhere, so slot 0 starts out
    // holding colour 1 and every other slot colour 0: a starting entry can
    // never be taken for an answer.
    std::vector<std::uint32_t> memo(std::size_t{1} << kMemoBits, 0);
    memo[0] = 1u << 8;
    for (int y = r.top; y <= r.bottom; ++y) {
        Color* row = image.row(y);
        for (int x = r.left; x <= r.right; ++x) {
            const Color c = row[x];
            const Color read = (dither ? ditherColor(c, x, y) : c) & kColorMask;
            std::uint32_t& entry = memo[memoSlot(read)];
            if ((entry >> 8) != read) entry = (read << 8) | static_cast<std::uint32_t>(searchAllNeurons(index, read));
            row[x] = (c & ~kColorMask) | palette[entry & 0xFF];
        }
    }
}

void mapAreaDefault(const NeuQuantNetwork::SearchIndex& index, const Color* palette, Image& image, const Rect& r,
                    bool dither) {
    mapArea(index, palette, image, r, dither);
}

#if defined(TARNEL_SIMD_AVX2)
TARNEL_TARGET_AVX2 void mapAreaAvx2(const NeuQuantNetwork::SearchIndex& index, const Color* palette, Image& image,
                                    const Rect& r, bool dither) {
    mapArea(index, palette, image, r, dither);
}
#endif

}  // namespace

int NeuQuantNetwork::searchAll(Color c) const { return searchAllNeurons(m_index, c); }

void NeuQuantNetwork::map(Image& image, const Rect& area, bool dither) const {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    // Rows map independently (the dither depends on the position alone), so
    // bands run on every core, each with its own memory of answers.
    parallelRows(r.top, r.bottom, r.width(), [&](int top, int bottom) {
        const Rect band{r.left, top, r.right, bottom};
#if defined(TARNEL_SIMD_AVX2)
        if (cpuHasAvx2()) {
            mapAreaAvx2(m_index, m_palette.data(), image, band, dither);
            return;
        }
#endif
        mapAreaDefault(m_index, m_palette.data(), image, band, dither);
    });
}

std::vector<Color> neuquantQuantize(Image& image, const Rect& area, const NeuQuantOptions& options) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return {};

    NeuQuantNetwork network;
    network.learn(image, r, options.sampleFactor);
    network.finish();
    network.map(image, r, options.dither);
    const auto& palette = network.palette();
    return std::vector<Color>(palette.begin(), palette.end());
}

std::vector<Color> neuquantQuantize(Image& image, const Rect& area, bool dither) {
    NeuQuantOptions options;
    options.dither = dither;
    return neuquantQuantize(image, area, options);
}

}  // namespace tarnel
