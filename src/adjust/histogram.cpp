#include "adjust/histogram.h"

#include <algorithm>
#include <cstdio>

#include "adjust/rounding.h"

namespace tarnel {
namespace {

// Neighbouring pixels often share a value; counting them into separate
// tables keeps each increment from waiting on the one before it.
constexpr int kCountLanes = 4;

using Counts = std::array<std::array<std::int64_t, kHistogramValues>, kHistChannels>;

void countRow(const Color* p, int n, Counts* lanes) {
    int x = 0;
    for (; x + kCountLanes <= n; x += kCountLanes) {
        for (int lane = 0; lane < kCountLanes; ++lane) {
            const Color c = p[x + lane];
            ++lanes[lane][kHistRed][c & 0xFF];
            ++lanes[lane][kHistGreen][(c >> 8) & 0xFF];
            ++lanes[lane][kHistBlue][(c >> 16) & 0xFF];
        }
    }
    for (; x < n; ++x) {
        const Color c = p[x];
        ++lanes[0][kHistRed][c & 0xFF];
        ++lanes[0][kHistGreen][(c >> 8) & 0xFF];
        ++lanes[0][kHistBlue][(c >> 16) & 0xFF];
    }
}

// Draws the column x from row y0 up to row y1 (both included, y1 <= y0),
// clipped to the graph, XORing ink into it.
void xorColumn(Image& graph, int x, int y0, int y1, Color ink) {
    const int top = std::max(y1, 0);
    for (int y = std::min(y0, graph.height() - 1); y >= top; --y) graph.row(y)[x] ^= ink;
}

std::string formatCaption(const std::array<int, kHistChannels>& average, int total) {
    char text[96];
    const float t = static_cast<float>(total);
    std::snprintf(text, sizeof text, "RGB Ratio = (%.3f, %.3f, %.3f)",
                  static_cast<double>(static_cast<float>(average[kHistRed]) / t),
                  static_cast<double>(static_cast<float>(average[kHistGreen]) / t),
                  static_cast<double>(static_cast<float>(average[kHistBlue]) / t));
    return text;
}

std::string formatTitle(const std::array<int, kHistChannels>& average) {
    char text[96];
    std::snprintf(text, sizeof text, "Histogram | RGB Average = (%d, %d, %d)", average[kHistRed], average[kHistGreen],
                  average[kHistBlue]);
    return text;
}

}  // namespace

Histogram computeHistogram(const Image& image, const Rect& area, bool excludeExtremes) {
    Histogram h;
    const Rect clip = intersected(area, image.rect());
    if (image.isNull() || clip.isEmpty()) return h;

    Counts lanes[kCountLanes] = {};
    for (int y = clip.top; y <= clip.bottom; ++y) countRow(image.row(y) + clip.left, clip.width(), lanes);

    const std::int64_t pixels = std::int64_t{clip.width()} * clip.height();
    const int first = excludeExtremes ? kExtremeLow : 0;
    const int last = excludeExtremes ? kExtremeHigh : kHistogramValues - 1;
    for (int ch = 0; ch < kHistChannels; ++ch) {
        std::int64_t sum = 0;  // the same as summing the channel over every pixel
        for (int v = 0; v < kHistogramValues; ++v) {
            std::int64_t count = 0;
            for (const Counts& lane : lanes) count += lane[ch][v];
            h.counts[ch][v] = count;
            sum += count * v;
        }
        h.average[ch] = static_cast<int>(sum / pixels);
        h.maximum[ch] = *std::max_element(h.counts[ch].begin() + first, h.counts[ch].begin() + last + 1);
    }
    return h;
}

HistogramGraph drawHistogramGraph(const Histogram& histogram, const HistogramOptions& options) {
    HistogramGraph out;
    out.image = Image(kHistogramGraphWidth, kHistogramGraphHeight, 24, 0);

    const bool checked[kHistChannels] = {options.red, options.green, options.blue};
    const Color inks[kHistChannels] = {kHistogramRedInk, kHistogramGreenInk, kHistogramBlueInk};
    std::int64_t scaleCount = 0;  // the largest maximum among the checked channels
    for (int ch = 0; ch < kHistChannels; ++ch)
        if (checked[ch]) scaleCount = std::max(scaleCount, histogram.maximum[ch]);

    // Bars: XORed, so an unchecked channel (ink 0) changes nothing. Both end
    // points of a bar are drawn, so every checked channel marks the bottom
    // row; counts above the scale (possible with the extremes excluded) run
    // off the top.
    const int bottom = kHistogramGraphHeight - 1;
    if (scaleCount > 0) {
        const float scale = static_cast<float>(kHistogramGraphHeight) / static_cast<float>(scaleCount);
        for (int v = 0; v < kHistogramValues; ++v) {
            for (int ch = 0; ch < kHistChannels; ++ch) {
                if (!checked[ch]) continue;
                const double height = static_cast<double>(histogram.counts[ch][v]) * static_cast<double>(scale);
                // Far beyond the top is clipped anyway; keep the rounding in range.
                const int top = roundHalfEven(std::max(static_cast<double>(bottom) - height, -1.0));
                xorColumn(out.image, v, bottom, top, inks[ch]);
            }
        }
    }

    int total = 0;
    for (int ch = 0; ch < kHistChannels; ++ch) {
        if (checked[ch]) {
            out.average[ch] = histogram.average[ch];
            total += out.average[ch];
            if (options.averageLines) {
                const int x = std::clamp(out.average[ch], 0, kHistogramGraphWidth - 1);
                for (int y = 0; y < kHistogramGraphHeight; ++y) out.image.row(y)[x] = inks[ch];
            }
        } else {
            out.average[ch] = 0;
        }
    }
    out.averageColor = rgb(out.average[kHistRed], out.average[kHistGreen], out.average[kHistBlue]);
    const int lightness = (2 * out.average[kHistRed] + 4 * out.average[kHistGreen] + out.average[kHistBlue]) / 7;
    out.textColor = lightness >= 128 ? 0x000000 : 0xFFFFFF;
    out.caption = formatCaption(out.average, total == 0 ? 1 : total);
    out.title = formatTitle(out.average);
    return out;
}

}  // namespace tarnel
