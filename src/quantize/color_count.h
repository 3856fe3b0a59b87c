#pragma once
// Counting the distinct colours of an image.
//
// Only red, green and blue count: pixels that differ in the top byte alone
// (alpha, or whatever a 24-bit image carries there) are one colour. The
// result is exact; memory use is a 2 MiB bit set whatever the size (one per
// thread for large images).

#include <cstdint>
#include <memory>

#include "core/image.h"
#include "core/zeroed_memory.h"

namespace tarnel {

// Distinct 24-bit colours in area (clipped to the image; an empty area or a
// null image counts 0).
int countColors(const Image& image, const Rect& area);
inline int countColors(const Image& image) { return countColors(image, image.rect()); }

// One bit for each of the 2^24 colours 0xBBGGRR, all clear when made.
class ColorSet {
public:
    static constexpr std::uint32_t kColors = 1u << 24;

    ColorSet();

    // Adds the colour (top byte ignored); returns true when it was new.
    bool insert(Color c) {
        const std::uint32_t v = c & kColorMask;
        std::uint8_t& byte = bits()[v >> 3];
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << (v & 7u));
        if (byte & bit)
            return false;
        byte |= bit;
        return true;
    }
    bool contains(Color c) const {
        const std::uint32_t v = c & kColorMask;
        return (bits()[v >> 3] >> (v & 7u)) & 1u;
    }
    // Adds every pixel of area (already clipped); returns how many were new.
    int insertArea(const Image& image, const Rect& area);
    // The same without counting (faster for large areas).
    void markArea(const Image& image, const Rect& area);
    // Adds every colour of other.
    void unite(const ColorSet& other);
    // The number of colours in the set.
    int size() const;

private:
    std::uint8_t* bits() const { return static_cast<std::uint8_t*>(m_memory.get()); }

    ZeroedMemory m_memory;
};

}  // namespace tarnel
