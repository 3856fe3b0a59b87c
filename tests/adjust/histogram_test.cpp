#include "adjust/histogram.h"

#include <gtest/gtest.h>

#include "common/test_images.h"

namespace tarnel {
namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kCyan = kHistogramGreenInk ^ kHistogramBlueInk;

HistogramOptions noAverageLines(bool excludeExtremes) {
    HistogramOptions o;
    o.averageLines = false;
    o.excludeExtremes = excludeExtremes;
    return o;
}

TEST(Histogram, CountsSumsAndMaximaMatchAPlainCount) {
    const Image image = test::randomImage(37, 29, 32, 4);
    std::int64_t counts[3][256] = {};
    std::int64_t sums[3] = {};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color c = image.pixel(x, y);
            const int v[3] = {redOf(c), greenOf(c), blueOf(c)};
            for (int ch = 0; ch < 3; ++ch) {
                ++counts[ch][v[ch]];
                sums[ch] += v[ch];
            }
        }
    for (bool exex : {false, true}) {
        const Histogram h = computeHistogram(image, image.rect(), exex);
        for (int ch = 0; ch < 3; ++ch) {
            std::int64_t maximum = 0;
            for (int v = exex ? 5 : 0; v <= (exex ? 250 : 255); ++v) maximum = std::max(maximum, counts[ch][v]);
            for (int v = 0; v < 256; ++v) ASSERT_EQ(h.counts[ch][v], counts[ch][v]);
            EXPECT_EQ(h.average[ch], sums[ch] / (37 * 29));
            EXPECT_EQ(h.maximum[ch], maximum);
        }
    }
}

TEST(Histogram, ExtremesDoNotSetTheScaleWithExEx) {
    // 10 pixels of value 0, 3 of value 100, 6 of 252 in every channel.
    Image image(19, 1, 24, 0);
    for (int x = 10; x < 13; ++x) image.setPixel(x, 0, rgb(100, 100, 100));
    for (int x = 13; x < 19; ++x) image.setPixel(x, 0, rgb(252, 252, 252));
    EXPECT_EQ(computeHistogram(image, image.rect(), false).maximum[kHistGreen], 10);
    EXPECT_EQ(computeHistogram(image, image.rect(), true).maximum[kHistGreen], 3);
    EXPECT_EQ(computeHistogram(image, image.rect(), true).average[kHistRed], (300 + 6 * 252) / 19);

    // With ExEx the extreme bars run off the top; 100 is exactly full height.
    const HistogramGraph g = drawHistogramGraph(computeHistogram(image, image.rect(), true), noAverageLines(true));
    EXPECT_EQ(g.image.pixel(0, 0), kWhite);
    EXPECT_EQ(g.image.pixel(100, 0), kWhite);
    EXPECT_EQ(g.image.pixel(252, 0), kWhite);
    EXPECT_EQ(g.image.pixel(1, 126), 0u);
    EXPECT_EQ(g.image.pixel(1, 127), kWhite);  // both end points drawn: zero counts mark the bottom row
}

TEST(Histogram, UniformImageWorkedExample) {
    const Image image(8, 5, 24, rgb(100, 50, 50));
    const Histogram h = computeHistogram(image, image.rect(), false);
    EXPECT_EQ(h.averageColor(), rgb(100, 50, 50));

    const HistogramGraph bars = drawHistogramGraph(h, noAverageLines(false));
    EXPECT_EQ(bars.title, "Histogram | RGB Average = (100, 50, 50)");
    EXPECT_EQ(bars.caption, "RGB Ratio = (0.500, 0.250, 0.250)");
    EXPECT_EQ(bars.averageColor, rgb(100, 50, 50));
    EXPECT_EQ(bars.textColor, kWhite);  // (200 + 200 + 50) / 7 = 64
    EXPECT_EQ(bars.image.width(), 256);
    EXPECT_EQ(bars.image.height(), 128);
    for (int y = 0; y < 127; ++y) {
        ASSERT_EQ(bars.image.pixel(100, y), kHistogramRedInk);
        ASSERT_EQ(bars.image.pixel(50, y), kCyan);  // green and blue XORed
        ASSERT_EQ(bars.image.pixel(7, y), 0u);
    }
    // The bottom row holds every channel's end point, zero counts included.
    EXPECT_EQ(bars.image.pixel(100, 127), kWhite);
    EXPECT_EQ(bars.image.pixel(50, 127), kWhite);
    EXPECT_EQ(bars.image.pixel(7, 127), kWhite);

    // The same with ExEx: the maxima over 5..250 are the same counts.
    const HistogramGraph exex = drawHistogramGraph(computeHistogram(image, image.rect(), true), noAverageLines(true));
    EXPECT_TRUE(exex.image == bars.image);

    // Average lines are drawn over the bars, red then green then blue.
    const HistogramGraph lines = drawHistogramGraph(h);
    for (int y = 0; y < 128; ++y) {
        ASSERT_EQ(lines.image.pixel(100, y), kHistogramRedInk);
        ASSERT_EQ(lines.image.pixel(50, y), kHistogramBlueInk);
    }
}

TEST(Histogram, AveragesAreTruncated) {
    // red (10 + 20 + 65) / 3 = 31.67, green (100 + 101 + 101) / 3 = 100.67,
    // blue (255 + 255 + 254) / 3 = 254.67: truncated, never rounded up.
    Image image(3, 1, 24);
    image.setPixel(0, 0, rgb(10, 100, 255));
    image.setPixel(1, 0, rgb(20, 101, 255));
    image.setPixel(2, 0, rgb(65, 101, 254));
    const Histogram h = computeHistogram(image, image.rect());
    EXPECT_EQ(h.averageColor(), 0xFE641Fu);  // 254 << 16 | 100 << 8 | 31
    EXPECT_EQ(drawHistogramGraph(h).title, "Histogram | RGB Average = (31, 100, 254)");
}

TEST(Histogram, UncheckedChannelLeavesGraphTitleAndColours) {
    const Image image(4, 4, 24, rgb(200, 150, 100));
    HistogramOptions o = noAverageLines(false);
    o.red = false;
    const HistogramGraph g = drawHistogramGraph(computeHistogram(image, image.rect(), false), o);
    EXPECT_EQ(g.title, "Histogram | RGB Average = (0, 150, 100)");
    EXPECT_EQ(g.caption, "RGB Ratio = (0.000, 0.600, 0.400)");
    EXPECT_EQ(g.averageColor, rgb(0, 150, 100));
    EXPECT_EQ(g.textColor, kWhite);  // (0 + 600 + 100) / 7 = 100
    EXPECT_EQ(g.image.pixel(200, 10), 0u);
    EXPECT_EQ(g.image.pixel(150, 10), kHistogramGreenInk);
    EXPECT_EQ(g.image.pixel(3, 127), kCyan);

    const HistogramGraph light = drawHistogramGraph(computeHistogram(Image(2, 2, 24, kWhite), Rect{0, 0, 1, 1}));
    EXPECT_EQ(light.textColor, 0u);
}

TEST(Histogram, NoScaleAndNoChannels) {
    // Every value within the excluded extremes: no bars, lines and text still there.
    const Image dark(5, 5, 24, rgb(2, 3, 4));
    const HistogramGraph g = drawHistogramGraph(computeHistogram(dark, dark.rect(), true));
    EXPECT_EQ(g.image.pixel(10, 127), 0u);
    EXPECT_EQ(g.image.pixel(2, 0), kHistogramRedInk);
    EXPECT_EQ(g.image.pixel(4, 64), kHistogramBlueInk);
    EXPECT_EQ(g.title, "Histogram | RGB Average = (2, 3, 4)");

    HistogramOptions none;
    none.red = none.green = none.blue = false;
    const HistogramGraph empty = drawHistogramGraph(computeHistogram(dark, dark.rect(), true), none);
    EXPECT_TRUE(empty.image == Image(256, 128, 24, 0));
    EXPECT_EQ(empty.caption, "RGB Ratio = (0.000, 0.000, 0.000)");
    EXPECT_EQ(empty.averageColor, 0u);
}

TEST(Histogram, AreaCountsOnlyThatArea) {
    const Image image = test::randomImage(30, 20, 24, 9);
    const Rect area{4, 3, 17, 15};
    const Histogram part = computeHistogram(image, area);
    const Histogram copy = computeHistogram(image.copy(area), Rect{0, 0, 13, 12});
    EXPECT_EQ(part.counts, copy.counts);
    EXPECT_EQ(part.average, copy.average);
    EXPECT_EQ(part.maximum, copy.maximum);
    const Histogram whole = computeHistogram(image, image.rect());
    const Histogram clipped = computeHistogram(image, Rect{-10, -10, 99, 99});
    EXPECT_EQ(whole.counts, clipped.counts);
    EXPECT_EQ(computeHistogram(Image(), Rect{0, 0, 5, 5}).maximum[0], 0);
}

TEST(Histogram, Goldens) {
    const Image& photo = test::testPhoto();
    test::expectGolden("histogram_photo", drawHistogramGraph(computeHistogram(photo, photo.rect())).image);
    HistogramOptions o;
    o.green = false;
    o.excludeExtremes = false;
    test::expectGolden("histogram_photo_nogreen_noexex",
                       drawHistogramGraph(computeHistogram(photo, photo.rect(), false), o).image);
}

}  // namespace
}  // namespace tarnel
