#include "core/image.h"

#include <algorithm>
#include <cstring>

namespace tarnel {

Rect intersected(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Image::Image(int width, int height, int depth, Color fill) : m_depth(depth) {
    if (width <= 0 || height <= 0) return;
    m_width = width;
    m_height = height;
    m_pixels = allocatePixels(pixelCount() * sizeof(Color), true);
    if (fill != 0)
        this->fill(fill);
}

Image::Image(const Image& other) : m_width(other.m_width), m_height(other.m_height), m_depth(other.m_depth) {
    if (other.m_pixels) {
        m_pixels = allocatePixels(pixelCount() * sizeof(Color), false);
        std::memcpy(data(), other.data(), pixelCount() * sizeof(Color));
    }
}

Image& Image::operator=(const Image& other) {
    if (this == &other) return *this;
    // Same size: a copy into the memory this image already has.
    if (m_pixels && other.m_pixels && pixelCount() == other.pixelCount()) {
        m_width = other.m_width;
        m_height = other.m_height;
        m_depth = other.m_depth;
        std::memcpy(data(), other.data(), pixelCount() * sizeof(Color));
        return *this;
    }
    {
        Image copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Image::Image(Image&& other) noexcept
    : m_width(other.m_width), m_height(other.m_height), m_depth(other.m_depth), m_pixels(std::move(other.m_pixels)) {
    other.m_width = other.m_height = 0;
}

Image& Image::operator=(Image&& other) noexcept {
    m_width = other.m_width;
    m_height = other.m_height;
    m_depth = other.m_depth;
    m_pixels = std::move(other.m_pixels);
    other.m_width = other.m_height = 0;
    return *this;
}

void Image::fill(Color c) { std::fill_n(data(), pixelCount(), c); }

Image Image::copy(const Rect& r) const {
    const Rect clip = intersected(r, rect());
    if (clip.isEmpty()) return Image();
    Image out(clip.width(), clip.height(), m_depth);
    for (int y = 0; y < out.height(); ++y)
        std::memcpy(out.row(y), row(clip.top + y) + clip.left, sizeof(Color) * static_cast<std::size_t>(out.width()));
    return out;
}

void Image::paste(const Image& src, int x, int y) {
    const Rect target = intersected(Rect{x, y, x + src.width() - 1, y + src.height() - 1}, rect());
    if (target.isEmpty()) return;
    for (int ty = target.top; ty <= target.bottom; ++ty)
        std::memcpy(row(ty) + target.left, src.row(ty - y) + (target.left - x),
                    sizeof(Color) * static_cast<std::size_t>(target.width()));
}

bool Image::operator==(const Image& other) const {
    if (m_width != other.m_width || m_height != other.m_height || m_depth != other.m_depth) return false;
    if (isNull() || other.isNull()) return isNull() == other.isNull();
    return std::memcmp(data(), other.data(), pixelCount() * sizeof(Color)) == 0;
}

}  // namespace tarnel
