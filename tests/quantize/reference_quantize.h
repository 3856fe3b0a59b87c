#pragma once
// Slow, plainly written versions of the nearest-colour search and the remap
// pass, transcribed step by step, for checking the optimised ones.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/image.h"
#include "quantize/remap.h"

namespace tarnel::test {

struct ReferenceSearch {
    std::vector<Color> entries;  // 0, sorted palette with top byte 0xFF, 0
    int index[256] = {};

    explicit ReferenceSearch(const Palette& palette) {
        const int count = static_cast<int>(palette.size());
        entries.assign(palette.size() + 2, 0);
        for (int i = 1; i <= count; ++i)
            entries[i] = palette[i - 1] | 0xFF000000u;
        std::stable_sort(entries.begin() + 1, entries.end() - 1,
                         [](Color a, Color b) { return (a & 0xFFFF) < (b & 0xFFFF); });
        int k = 1;
        for (int g = 0; g < 256; ++g) {
            const int start = k;
            while (entries[k] != 0 && static_cast<int>((entries[k] >> 8) & 0xFF) == g)
                k = k + 1;
            index[g] = (start + k) >> 1;
        }
    }

    Color nearest(Color c) const {
        const int R = c & 0xFF, G = (c >> 8) & 0xFF, B = (c >> 16) & 0xFF;
        std::uint32_t best = 0x12000000;
        Color result = 0;
        int up = index[G];
        int down = up - 1;
        bool downRunning = true, upRunning = true;
        auto step = [&](int& position, int direction, bool& running) {
            const Color entry = entries[position];
            if (entry == 0) {
                running = false;
                return;
            }
            const int er = entry & 0xFF, eg = (entry >> 8) & 0xFF, eb = (entry >> 16) & 0xFF;
            const std::uint32_t a = static_cast<std::uint32_t>((G - eg) * (G - eg)) * 2048u;
            if (a >= best) {
                running = false;
                return;
            }
            const int s = R + er;
            const std::uint32_t distance = a + static_cast<std::uint32_t>((R - er) * (R - er) * (s + 1024)) +
                                           static_cast<std::uint32_t>((B - eb) * (B - eb) * (1534 - s));
            if (distance < best) {
                best = distance;
                result = entry;
            }
            position += direction;
        };
        while (downRunning || upRunning) {
            if (downRunning)
                step(down, -1, downRunning);
            if (upRunning)
                step(up, +1, upRunning);
        }
        return result;
    }
};

// The smallest distance from c to any palette colour, by trying them all.
inline std::uint32_t bruteForceDistance(const Palette& palette, Color c) {
    std::uint32_t best = 0xFFFFFFFFu;
    for (Color p : palette)
        best = std::min(best, colorDistance(c, p));
    return best;
}

// The remap pass on a whole image: a copy is mapped pixel by pixel; the
// alpha byte of each source pixel is kept.
inline Image referenceRemap(const Image& source, const Palette& palette, int strength) {
    const ReferenceSearch search(palette);
    Image image = source;
    const int W = image.width(), H = image.height();
    auto channel = [](Color c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    if (strength == 0) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const Color c = image.pixel(x, y);
                image.setPixel(x, y, (c & 0xFF000000u) | (search.nearest(c) & 0xFFFFFF));
            }
        return image;
    }
    struct Error {
        int e[3] = {0, 0, 0};
    };
    std::vector<Error> errorRow(static_cast<std::size_t>(W) + 1);
    for (int y = 0; y < H; ++y) {
        Error left;
        for (int x = 0; x < W; ++x) {
            const Color c = image.pixel(x, y);
            const Error up = errorRow[x];
            int t[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int sum = up.e[ch] + left.e[ch];
                // floor((up + left) * s / 256)
                const int diffused = static_cast<int>(std::floor(sum * strength / 256.0));
                t[ch] = std::clamp(channel(c, 8 * ch) + diffused, 0, 255);
            }
            const Color q = search.nearest(rgb(t[0], t[1], t[2]));
            image.setPixel(x, y, (c & 0xFF000000u) | (q & 0xFFFFFF));
            Error e;
            for (int ch = 0; ch < 3; ++ch) {
                e.e[ch] = static_cast<int>(std::floor((t[ch] - channel(q, 8 * ch)) / 2.0));
                errorRow[x].e[ch] = static_cast<int>(std::floor((e.e[ch] + left.e[ch]) / 2.0));
            }
            left = e;
        }
    }
    return image;
}

}  // namespace tarnel::test
