#include "app/startup_image.h"

#include <cstdint>

#include "app/view.h"
#include "core/alpha_blend.h"

namespace tarnel {

namespace {
constexpr int kShadowOffset = 4;
constexpr const char* kTitleLines[] = {"Tarnel 2.0", "by", "Hollendry"};
}  // namespace

FontSpec titleFont() {
    return FontSpec{.family = "Arial", .pointSize = 36, .bold = true, .italic = true, .highQuality = true};
}

void drawStartupPattern(Image& image) {
    // The accumulator runs on over every row: it is never reset.
    std::uint64_t b = 0;
    for (int y = 0; y < image.height(); ++y) {
        Color* row = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            const std::uint64_t a = (static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(y)) | 0x55u;
            b |= static_cast<std::uint64_t>(x + y);
            const std::uint64_t c = (a ^ b) + ((a | b) << 8) + ((a | b) << 16) + (a << 27);
            row[x] = alphaBlend(row[x], static_cast<Color>(c));
        }
    }
}

void drawStartupTitle(Image& image, Platform& platform) {
    const FontSpec font = titleFont();
    const int lineHeight = platform.textSize("Ag", font).height;
    // y = round(height / 2 - 1.5 L), the half height taken as an integer first.
    int y = roundHalfEvenOfHalf(2LL * (image.height() / 2) - 3LL * lineHeight);
    for (const char* line : kTitleLines) {
        const int x = (image.width() - platform.textSize(line, font).width) / 2;
        platform.drawText(image, line, font, kTitleShadowColor, x + kShadowOffset, y + kShadowOffset);
        platform.drawText(image, line, font, kTitleColor, x, y);
        y += lineHeight;
    }
}

Image makeStartupImage(Platform& platform) {
    Image image(kStartupWidth, kStartupHeight, 32, 0);
    drawStartupPattern(image);
    drawStartupTitle(image, platform);
    return image;
}

}  // namespace tarnel
