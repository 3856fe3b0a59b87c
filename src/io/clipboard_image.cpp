#include "io/clipboard_image.h"

#include <algorithm>

namespace tarnel {

namespace {

constexpr Color kOpaque = kAlphaMask;

}  // namespace

Image clipboardImageAtDepth(Image image, int depth) {
    if (image.isNull()) return image;
    Color* const begin = image.data();
    Color* const end = begin + image.pixelCount();
    if (depth != 32) {
        std::for_each(begin, end, [](Color& c) { c &= kColorMask; });
        image.setDepth(24);
        return image;
    }
    const bool keepAlpha =
        image.depth() == 32 && std::any_of(begin, end, [](Color c) { return (c & kOpaque) != 0; });
    if (!keepAlpha) std::for_each(begin, end, [](Color& c) { c |= kOpaque; });
    image.setDepth(32);
    return image;
}

}  // namespace tarnel
