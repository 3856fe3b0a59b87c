#include "app/startup_image.h"

#include <gtest/gtest.h>

#include "app/fake_platform.h"
#include "app/view.h"
#include "core/alpha_blend.h"

namespace tarnel {
namespace {

TEST(AlphaBlend, FormulaAndItsSpecialCases) {
    EXPECT_EQ(alphaBlend(0x11223344u, 0x00FFFFFFu), 0x11223344u) << "transparent source";
    EXPECT_EQ(alphaBlend(0u, 0x01ABCDEFu), 0x01ABCDEFu) << "over a transparent pixel";
    EXPECT_EQ(alphaBlend(0xFF000000u, 0xFFFFFFFFu), 0xFFFFFFFFu);
    // Half red over opaque blue: red = 255*128*255 / (255*127 + 128*255) = 128,
    // blue = 255*255*127 / 65025 = 127, alpha = 255.
    EXPECT_EQ(alphaBlend(0xFFFF0000u, 0x800000FFu), 0xFF7F0080u);
    // Over half-transparent black: alpha (200*255 + 100*55) / 255 = 221.
    EXPECT_EQ(alphaBlend(0x64000000u, 0xC8000000u) >> 24, 221u);
}

TEST(StartupImage, PatternPixels) {
    Image image(kStartupWidth, kStartupHeight, 32, 0);
    drawStartupPattern(image);
    // A = 0x55, B = 0: colour 0x55 in every channel, alpha 0xA8 (the bit of
    // A shifted past bit 31 is dropped).
    EXPECT_EQ(image.pixel(0, 0), 0xA8555555u);
    EXPECT_EQ(image.pixel(1, 0), 0xA8555554u);
    EXPECT_EQ(image.pixel(2, 0), 0xA8575756u);
    // The accumulator carries the whole first row (OR of 0..799 = 0x3FF)
    // into the second.
    EXPECT_EQ(image.pixel(0, 1), 0xAC0302AAu);
    EXPECT_EQ(image.pixel(799, 449), 0x7D847DA0u);
    // This pixel's colour has alpha 0, so it stays cleared.
    EXPECT_EQ(image.pixel(517, 2), 0u);
}

TEST(StartupImage, TitleLinesAreCentredWithTheirShadows) {
    test::FakePlatform platform;
    platform.textHeight = 41;  // y = round(225 - 61.5) = 164, the even neighbour
    const Image image = makeStartupImage(platform);
    ASSERT_EQ(platform.texts.size(), 6u);
    const test::FakePlatform::TextCall expected[] = {
        {"Tarnel 2.0", kTitleShadowColor, 304, 168}, {"Tarnel 2.0", kTitleColor, 300, 164},
        {"by", kTitleShadowColor, 384, 209},         {"by", kTitleColor, 380, 205},
        {"Hollendry", kTitleShadowColor, 314, 250},  {"Hollendry", kTitleColor, 310, 246},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(platform.texts[i].text, expected[i].text);
        EXPECT_EQ(platform.texts[i].color, expected[i].color);
        EXPECT_EQ(platform.texts[i].x, expected[i].x) << i;
        EXPECT_EQ(platform.texts[i].y, expected[i].y) << i;
    }
    EXPECT_EQ(image.pixel(300, 164) & kColorMask, kTitleColor);

    test::FakePlatform even;
    even.textHeight = 43;  // 225 - 64.5 = 160.5 -> 160
    makeStartupImage(even);
    EXPECT_EQ(even.texts[1].y, 160);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEvenOfHalf(327), 164);
    EXPECT_EQ(roundHalfEvenOfHalf(321), 160);
    EXPECT_EQ(roundHalfEvenOfHalf(10), 5);
    EXPECT_EQ(roundHalfEvenOfHalf(-1), 0);
    EXPECT_EQ(roundHalfEvenOfHalf(-3), -2);
    EXPECT_EQ(roundHalfEvenOfHalf(-4), -2);
}

}  // namespace
}  // namespace tarnel
