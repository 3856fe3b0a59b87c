#include "transform/colors.h"

namespace tarnel {
namespace {

// Gray weights: red 2, green 4, blue 1, divided by their sum 7 and truncated.
constexpr unsigned kGrayRed = 2;
constexpr unsigned kGrayGreen = 4;
constexpr unsigned kGrayBlue = 1;
constexpr unsigned kGrayDivisor = kGrayRed + kGrayGreen + kGrayBlue;
constexpr unsigned kGrayMaxSum = kGrayDivisor * 255;

// floor(sum / 7) as a multiply and shift, which vectorises where a division
// does not; exact over every sum the weights can produce.
constexpr unsigned kDivideBy7Factor = 9363;  // ceil(65536 / 7)
constexpr unsigned kDivideBy7Shift = 16;
constexpr unsigned divideBy7(unsigned sum) { return (sum * kDivideBy7Factor) >> kDivideBy7Shift; }
constexpr bool divideBy7IsExact() {
    for (unsigned sum = 0; sum <= kGrayMaxSum; ++sum)
        if (divideBy7(sum) != sum / kGrayDivisor) return false;
    return true;
}
static_assert(divideBy7IsExact());

constexpr Color kTopByte = ~kColorMask;

}  // namespace

void negative(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    for (int y = r.top; y <= r.bottom; ++y) {
        Color* p = image.row(y) + r.left;
        for (int x = 0; x < r.width(); ++x) p[x] ^= kColorMask;
    }
}

void negative(Image& image) { negative(image, image.rect()); }

void grayScale(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    for (int y = r.top; y <= r.bottom; ++y) {
        Color* p = image.row(y) + r.left;
        for (int x = 0; x < r.width(); ++x) {
            const Color c = p[x];
            const Color g = divideBy7(kGrayRed * (c & 0xFFu) + kGrayGreen * ((c >> 8) & 0xFFu) +
                                      kGrayBlue * ((c >> 16) & 0xFFu));
            p[x] = (c & kTopByte) | g | (g << 8) | (g << 16);
        }
    }
}

void grayScale(Image& image) { grayScale(image, image.rect()); }

}  // namespace tarnel
