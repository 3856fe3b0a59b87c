#pragma once
// NeuQuant: a Kohonen self-organising network of 256 neurons trained on a
// sample of the pixels of an area, giving a 256-colour palette, followed by
// a mapping of the area to that palette with the network's own green-indexed
// search.
//
// Everything is fixed-point integer arithmetic; results are reproducible to
// the bit on every platform. The network lives inside one call: nothing is
// kept between runs.

#include <array>
#include <cstdint>
#include <vector>

#include "core/image.h"

namespace tarnel {

inline constexpr int kNeuQuantColors = 256;
inline constexpr int kNeuQuantDefaultSampleFactor = 10;

struct NeuQuantOptions {
    // Read each pixel through the 4 x 4 ordered dither before searching it.
    bool dither = false;
    // One pixel in sampleFactor is presented to the network (1..30).
    int sampleFactor = kNeuQuantDefaultSampleFactor;
};

// How the learning walk visits a width x height area: samplePixels
// presentations from the top-left pixel on, stepping strideX columns (a
// column overflow carries into the next row) and strideY rows each time,
// wrapping around the area, with the learning rate and radius decaying every
// `delta` presentations (never when delta is 0). Areas of fewer than 499
// pixels present every pixel once.
struct NeuQuantSampling {
    int samplePixels = 0;
    int delta = 0;
    int strideX = 0;
    int strideY = 0;
};
NeuQuantSampling neuquantSampling(int width, int height, int sampleFactor = kNeuQuantDefaultSampleFactor);

// The network itself, exposed so that its steps can be checked one by one.
// Use: learn, then finish (unbias and index), then search.
class NeuQuantNetwork {
public:
    NeuQuantNetwork();

    // Trains a fresh network on the pixels of area (clipped to the image;
    // alpha is ignored); call once. The walk runs over the area as if it
    // were an image of its own.
    void learn(const Image& image, const Rect& area, int sampleFactor = kNeuQuantDefaultSampleFactor);
    // Rounds the neurons to 8-bit colours, fills the palette and builds the
    // green index. Call once, after learning.
    void finish();

    // The palette entry the network picks for a colour (its top byte is
    // ignored): the walk outwards from the green index. Valid after finish().
    int search(Color c) const;
    // The same answer as search(), found by scoring every neuron by its
    // distance and then by the order in which the walk would reach it. No
    // branches: the form map() uses.
    int searchAll(Color c) const;
    // Replaces every pixel of area (clipped to the image) by the palette
    // colour of its search answer, keeping the pixel's top byte. With dither
    // each pixel is read through the 4 x 4 ordered dither at its image
    // coordinates first.
    void map(Image& image, const Rect& area, bool dither) const;
    // Entry i is the colour of neuron i as learned (top byte 0).
    const std::array<Color, kNeuQuantColors>& palette() const { return m_palette; }

    // The learning state: neuron components scaled by 16 (0..255 after
    // finish()), frequencies and biases with 16 fractional bits, and the
    // neighbourhood weights of the current phase.
    struct Neurons {
        alignas(64) std::int32_t red[kNeuQuantColors];
        alignas(64) std::int32_t green[kNeuQuantColors];
        alignas(64) std::int32_t blue[kNeuQuantColors];
        alignas(64) std::int32_t freq[kNeuQuantColors];
        alignas(64) std::int32_t bias[kNeuQuantColors];
        std::int32_t radPower[32];
        std::int32_t alpha;
        std::int32_t rad;
    };

    // After finish(): the neurons sorted by green, each with its palette
    // index, and for every green value the position where a search starts.
    struct SearchIndex {
        alignas(64) std::int32_t red[kNeuQuantColors];
        alignas(64) std::int32_t green[kNeuQuantColors];
        alignas(64) std::int32_t blue[kNeuQuantColors];
        std::int32_t paletteIndex[kNeuQuantColors];
        std::int32_t start[256];
    };

private:
    Neurons m_net{};
    SearchIndex m_index{};
    std::array<Color, kNeuQuantColors> m_palette{};
};

// Learns a palette from the area of image (clipped to it) and replaces every
// pixel of the area by its palette colour, keeping each pixel's top byte.
// Pixels outside the area are untouched. Returns the 256-colour palette
// (top bytes 0), or an empty list when the area misses the image.
std::vector<Color> neuquantQuantize(Image& image, const Rect& area, const NeuQuantOptions& options);
std::vector<Color> neuquantQuantize(Image& image, const Rect& area, bool dither);

}  // namespace tarnel
