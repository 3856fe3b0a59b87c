#pragma once
// The image type every subsystem shares.
//
// Pixels are 32-bit colour values 0xAABBGGRR: red in bits 0-7, green in
// bits 8-15, blue in bits 16-23, alpha in bits 24-31. Rows are stored top
// down and tightly packed (row y starts at data() + y * width()).
//
// depth() is 24 or 32. A 24-bit image uses the same storage; its top byte
// carries no meaning, is 0 in every image this program creates or decodes,
// and operations keep whatever is there. A 32-bit image's top byte is its
// alpha (0 = transparent, 255 = opaque).

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pixel_memory.h"

namespace tarnel {

using Color = std::uint32_t;

constexpr int redOf(Color c) { return static_cast<int>(c & 0xFFu); }
constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFFu); }
constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFFu); }
constexpr int alphaOf(Color c) { return static_cast<int>(c >> 24); }
constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr Color rgba(int r, int g, int b, int a) { return rgb(r, g, b) | (static_cast<Color>(a) << 24); }
constexpr Color kColorMask = 0x00FFFFFFu;
constexpr Color kAlphaMask = 0xFF000000u;  // also: alpha 255, opaque

// A rectangle with inclusive edges, in pixel coordinates.
struct Rect {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    constexpr int width() const { return right - left + 1; }
    constexpr int height() const { return bottom - top + 1; }
    constexpr bool isEmpty() const { return right < left || bottom < top; }
    constexpr bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    constexpr bool operator==(const Rect&) const = default;
};

// Intersection of two rectangles (empty when they do not meet).
Rect intersected(const Rect& a, const Rect& b);

class Image {
public:
    Image() = default;
    // A width x height image of the given depth (24 or 32) with every pixel
    // set to fill. A zero or negative size gives a null image.
    Image(int width, int height, int depth = 32, Color fill = 0);
    Image(const Image& other);
    Image& operator=(const Image& other);
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    ~Image() = default;

    bool isNull() const { return !m_pixels; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int depth() const { return m_depth; }
    void setDepth(int depth) { m_depth = depth; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height); }
    Rect rect() const { return Rect{0, 0, m_width - 1, m_height - 1}; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    Color* data() { return static_cast<Color*>(m_pixels.get()); }
    const Color* data() const { return static_cast<const Color*>(m_pixels.get()); }
    Color* row(int y) { return data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    const Color* row(int y) const { return data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    Color pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, Color c) { row(y)[x] = c; }

    void fill(Color c);
    // A copy of the rectangle r (clipped to the image), same depth.
    Image copy(const Rect& r) const;
    // Copies src into this image with its top-left corner at (x, y), all four
    // bytes of each pixel, clipped to this image.
    void paste(const Image& src, int x, int y);

    // Same size, depth and pixels (all 32 bits of each).
    bool operator==(const Image& other) const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_depth = 32;
    PixelMemory m_pixels;  // large images in large pages, recycled (core/pixel_memory.h)
};

}  // namespace tarnel
