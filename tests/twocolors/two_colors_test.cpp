#include "twocolors/two_colors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_images.h"
#include "common/thread_check.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

TwoColorOptions withDither(TwoColorDither dither, int threshold = 128) {
    TwoColorOptions options;
    options.dither = dither;
    options.threshold = threshold;
    return options;
}

// One string per row, '1' for colour 1 and '2' for colour 2.
std::vector<std::string> pattern(const Image& image, const TwoColorOptions& options) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += (image.pixel(x, y) & kColorMask) == (options.color1 & kColorMask) ? '1' : '2';
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> convertedPattern(Image image, const TwoColorOptions& options) {
    convertTwoColors(image, image.rect(), options);
    return pattern(image, options);
}

TEST(TwoColors, Luminance) {
    EXPECT_EQ(luminance(rgb(255, 255, 255)), 255);
    EXPECT_EQ(luminance(rgb(128, 128, 128)), 128);
    EXPECT_EQ(luminance(rgb(255, 0, 0)), 72);   // 510 / 7
    EXPECT_EQ(luminance(rgb(0, 255, 0)), 145);  // 1020 / 7
    EXPECT_EQ(luminance(rgb(0, 0, 255)), 36);   // 255 / 7
    EXPECT_EQ(luminance(rgba(10, 20, 30, 255)), 18);  // 130 / 7; alpha plays no part
    EXPECT_EQ(twoColorThreshold(kTwoColorDefaultSlider), 128);
    EXPECT_EQ(twoColorThreshold(0), 256);
    EXPECT_EQ(twoColorThreshold(256), 0);
}

TEST(TwoColors, DefaultThresholdSplitsBetween127And128) {
    Image image(2, 1, 24);
    image.setPixel(0, 0, rgb(127, 127, 127));
    image.setPixel(1, 0, rgb(128, 128, 128));
    convertTwoColors(image, image.rect(), TwoColorOptions{});
    EXPECT_EQ(image.pixel(0, 0), kBlack);
    EXPECT_EQ(image.pixel(1, 0), kWhite);
}

TEST(TwoColors, SliderEndsGiveOneColourWithoutDiffusion) {
    const Image source = test::photoLikeImage(37, 23, 24, 6);
    for (const TwoColorDither dither : {TwoColorDither::None, TwoColorDither::Ordered}) {
        Image dark = source;
        convertTwoColors(dark, dark.rect(), withDither(dither, twoColorThreshold(0)));
        EXPECT_TRUE(dark == Image(37, 23, 24, kBlack));
        Image light = source;
        convertTwoColors(light, light.rect(), withDither(dither, twoColorThreshold(256)));
        EXPECT_TRUE(light == Image(37, 23, 24, kWhite));
    }
}

TEST(TwoColors, OnlyTheTwoChosenColoursAppear) {
    const Image source = test::photoLikeImage(41, 29, 32, 8);
    for (const TwoColorDither dither : {TwoColorDither::None, TwoColorDither::Ordered, TwoColorDither::SierraLite}) {
        Image image = source;
        TwoColorOptions options = withDither(dither);
        options.color1 = kRed;
        options.color2 = kBlue;
        convertTwoColors(image, image.rect(), options);
        int reds = 0;
        for (std::size_t i = 0; i < image.pixelCount(); ++i) {
            const Color c = image.data()[i];
            ASSERT_TRUE((c & kColorMask) == kRed || (c & kColorMask) == kBlue);
            ASSERT_EQ(c >> 24, source.data()[i] >> 24);  // alpha kept
            reds += (c & kColorMask) == kRed;
        }
        EXPECT_GT(reds, 0);
        EXPECT_LT(reds, static_cast<int>(image.pixelCount()));
    }
}

TEST(TwoColors, OrderedGreyShowsTheNegativeOffsetsOfTheMatrix) {
    // Grey 128 read with offset o has lum 128 + o: below 128 exactly where
    // the matrix is negative (-7 1 -5 3 / 5 -3 7 -1 / -4 4 -6 2 / 8 0 6 -2).
    const std::vector<std::string> expected = {
        "12121212", "21212121", "12121212", "22212221",
        "12121212", "21212121", "12121212", "22212221",
    };
    EXPECT_EQ(convertedPattern(Image(8, 8, 24, rgb(128, 128, 128)), withDither(TwoColorDither::Ordered)), expected);

    // The pattern follows image coordinates, not the area's.
    Image image(8, 8, 24, rgb(128, 128, 128));
    convertTwoColors(image, Rect{1, 2, 6, 6}, withDither(TwoColorDither::Ordered));
    for (int y = 2; y <= 6; ++y)
        for (int x = 1; x <= 6; ++x)
            EXPECT_EQ(image.pixel(x, y), kDitherMatrix[y & 3][x & 3] < 0 ? kBlack : kWhite) << x << "," << y;
    EXPECT_EQ(image.pixel(0, 2), rgb(128, 128, 128));
    EXPECT_EQ(image.pixel(7, 7), rgb(128, 128, 128));
}

TEST(TwoColors, SierraLiteWorkedExample) {
    // Grey 100, threshold 128. Row 0: 100 -> 1 (e 100, right 25, below 12
    // twice); 125 -> 1 (e 125); 131 -> 2 (e -124, right -31); 69 -> 1.
    // Row 1 starts from the errors left below: 127 -> 1, 130 -> 2, 60 -> 1,
    // 123 -> 1.
    const std::vector<std::string> expected = {"1121", "1211"};
    EXPECT_EQ(convertedPattern(Image(4, 2, 24, rgb(100, 100, 100)), withDither(TwoColorDither::SierraLite)), expected);
}

TEST(TwoColors, SierraLiteDropsErrorsOfTheWrongSign) {
    // White at threshold 256: 255 -> 1 (e 255, right 63); 318 -> 2, whose
    // error 318 - 255 would be positive and is dropped, so the next pixel
    // starts again from 255.
    EXPECT_EQ(convertedPattern(Image(6, 1, 24, kWhite), withDither(TwoColorDither::SierraLite, 256)),
              std::vector<std::string>{"121212"});
    // Black at threshold 0: 0 -> 2 (e -255, right -64); -64 -> 1 with a
    // negative error, dropped.
    EXPECT_EQ(convertedPattern(Image(6, 1, 24, kBlack), withDither(TwoColorDither::SierraLite, 0)),
              std::vector<std::string>{"212121"});
}

// The ordered pass runs four pixels at a time; every width, offset and
// threshold must give what the dither read and luminance give pixel by pixel.
TEST(TwoColors, OrderedMatchesThePixelByPixelRule) {
    const Image source = test::randomImage(23, 9, 32, 12);
    for (int left = 0; left < 5; ++left)
        for (int width = 1; width <= 13; ++width)
            for (const int threshold : {-3, 0, 1, 77, 128, 200, 255, 256, 300}) {
                const Rect area{left, 1, left + width - 1, 7};
                Image image = source;
                convertTwoColors(image, area, withDither(TwoColorDither::Ordered, threshold));
                for (int y = 0; y < source.height(); ++y)
                    for (int x = 0; x < source.width(); ++x) {
                        const Color c = source.pixel(x, y);
                        Color expected = c;
                        if (area.contains(x, y))
                            expected = (c & 0xFF000000u) | (luminance(ditherRead(source, x, y)) < threshold ? kBlack : kWhite);
                        ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y << " t " << threshold;
                    }
            }
}

TEST(TwoColors, AreaIsConvertedAsAnImageOfItsOwn) {
    const Image source = test::photoLikeImage(50, 40, 32, 11);
    const Rect area{7, 5, 38, 30};
    for (const TwoColorDither dither : {TwoColorDither::None, TwoColorDither::SierraLite}) {
        Image image = source;
        convertTwoColors(image, area, withDither(dither));
        Image part = source.copy(area);
        convertTwoColors(part, part.rect(), withDither(dither));
        EXPECT_TRUE(image.copy(area) == part);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if (!area.contains(x, y)) {
                    ASSERT_EQ(image.pixel(x, y), source.pixel(x, y));
                }

        Image whole = source;
        convertTwoColors(whole, whole.rect(), withDither(dither));
        Image clipped = source;
        convertTwoColors(clipped, Rect{-4, -4, 100, 100}, withDither(dither));
        EXPECT_TRUE(whole == clipped);
    }
}

TEST(TwoColors, Goldens) {
    const struct {
        const char* name;
        TwoColorDither dither;
    } cases[] = {{"twocolors_none", TwoColorDither::None},
                 {"twocolors_ordered", TwoColorDither::Ordered},
                 {"twocolors_sierra", TwoColorDither::SierraLite}};
    for (const auto& c : cases) {
        Image image = test::testPhoto();
        convertTwoColors(image, image.rect(), withDither(c.dither));
        test::expectGolden(c.name, image);
    }
}

TEST(TwoColors, ThreadsGiveTheOneThreadPixels) {
    for (TwoColorDither dither : {TwoColorDither::None, TwoColorDither::Ordered}) {
        TwoColorOptions options;
        options.dither = dither;
        test::expectThreadsMatchOneThread([&](Image im) { return convertTwoColors(im, im.rect(), options), im; }, 32);
    }
}

}  // namespace
}  // namespace tarnel
