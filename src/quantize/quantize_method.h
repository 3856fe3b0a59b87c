#pragma once
// The quantization methods, numbered as the quantize window's method list.

#include <array>
#include <string_view>

namespace tarnel {

enum class QuantizeMethod {
    Uniform = 0,
    Popularity = 1,
    Adaptive = 2,
    Cga16 = 3,
    Ega64 = 4,
    TruColor256 = 5,
    Human256 = 6,
    Neuquant256 = 7,
    Flat8 = 8,
    Flat64 = 9,
    Flat512 = 10,
    Flat4096 = 11,
    Lemon128 = 12,
    Berry128 = 13,
    Ocean128 = 14,
};

inline constexpr int kQuantizeMethodCount = 15;

// The method list entries, indexed by method number.
inline constexpr std::array<std::string_view, kQuantizeMethodCount> kQuantizeMethodNames = {
    "Uniform",      "Popularity", "Adaptive", "CGA (16)",  "EGA (64)",  "TruColor 256", "Human 256", "Neuquant_256",
    "flat_8",       "flat_64",    "flat_512", "flat_4096", "Lemon_128", "Berry_128",    "Ocean_128",
};

// The colour count a method with a fixed number of colours produces; 0 for
// the three methods whose limit is editable (Uniform, Popularity, Adaptive).
inline constexpr std::array<int, kQuantizeMethodCount> kQuantizeMethodColors = {
    0, 0, 0, 16, 64, 256, 256, 256, 8, 64, 512, 4096, 128, 128, 128,
};

// Limits of the editable methods: levels per channel for Uniform, colours
// for Popularity and Adaptive.
inline constexpr int kUniformMinLevels = 2;
inline constexpr int kUniformMaxLevels = 16;
inline constexpr int kPaletteMinColors = 2;
inline constexpr int kMethodMaxColors = 256;

constexpr std::string_view quantizeMethodName(QuantizeMethod method) {
    return kQuantizeMethodNames[static_cast<std::size_t>(method)];
}

}  // namespace tarnel
