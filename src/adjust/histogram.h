#pragma once
// Channel histograms of an image and the graph the histogram window shows.

#include <array>
#include <cstdint>
#include <string>

#include "core/image.h"

namespace tarnel {

enum HistogramChannel { kHistRed = 0, kHistGreen = 1, kHistBlue = 2, kHistChannels = 3 };

inline constexpr int kHistogramValues = 256;
inline constexpr int kHistogramGraphWidth = 256;
inline constexpr int kHistogramGraphHeight = 128;
// With "ExEx" the maxima skip the five darkest and five brightest values.
inline constexpr int kExtremeLow = 5;
inline constexpr int kExtremeHigh = 250;

struct Histogram {
    // counts[channel][value]: how many pixels have that channel value.
    std::array<std::array<std::int64_t, kHistogramValues>, kHistChannels> counts{};
    // Per channel: sum of the values divided by the pixel count, truncated.
    std::array<int, kHistChannels> average{};
    // Per channel: the largest count, over 0..255 or, with the extremes
    // excluded, over 5..250 only.
    std::array<std::int64_t, kHistChannels> maximum{};

    // average red | green << 8 | blue << 16.
    Color averageColor() const { return rgb(average[kHistRed], average[kHistGreen], average[kHistBlue]); }
};

// Histogram of the pixels of area (clipped to the image). An empty area or
// null image gives all zeros.
Histogram computeHistogram(const Image& image, const Rect& area, bool excludeExtremes = true);

// The check boxes of the histogram window, with their defaults.
struct HistogramOptions {
    bool red = true;              // "RED"
    bool green = true;            // "GRN"
    bool blue = true;             // "BLU"
    bool excludeExtremes = true;  // "ExEx"
    bool averageLines = true;     // "AVG"
};

inline constexpr Color kHistogramRedInk = 0x0000FF;
inline constexpr Color kHistogramGreenInk = 0x00FF00;
inline constexpr Color kHistogramBlueInk = 0xFF0000;

// Everything the histogram window shows besides the window itself.
struct HistogramGraph {
    // 256 x 128, 24-bit: one column per value, bars XORed so that overlaps
    // mix (red + green = yellow), average lines drawn over them.
    Image image;
    // Averages with unchecked channels set to 0, and their colour (the
    // caption's and the window's background).
    std::array<int, kHistChannels> average{};
    Color averageColor = 0;
    // Caption text colour: black on light averages, white on dark ones.
    Color textColor = 0;
    std::string caption;  // RGB Ratio = (0.500, 0.250, 0.250)
    std::string title;    // Histogram | RGB Average = (100, 50, 50)
};

// Draws the graph of histogram (whose maxima must have been computed with
// options.excludeExtremes). When no checked channel has a non-zero maximum
// there is no scale and no bars are drawn; the average lines still are.
HistogramGraph drawHistogramGraph(const Histogram& histogram, const HistogramOptions& options = {});

}  // namespace tarnel
