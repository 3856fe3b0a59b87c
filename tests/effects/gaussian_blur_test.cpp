#include "effects/gaussian_blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_images.h"
#include "common/thread_check.h"

namespace tarnel {
namespace {

// ---- A slow reference written straight from the definition: one line at a
// time, one byte channel at a time, every tap read from a copy of the line.

void referenceLine(std::uint8_t* start, int count, std::ptrdiff_t step) {
    if (count < 3) return;
    std::vector<int> s(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) s[k] = start[k * step];
    auto at = [&](int k) { return s[std::clamp(k, 0, count - 1)]; };
    int e = 0;
    for (int k = 0; k < count; ++k) {
        const int t = at(k - 2) + 4 * at(k - 1) + 6 * at(k) + 4 * at(k + 1) + at(k + 2) + e;
        const int out = std::clamp(t >> 4, 0, 255);
        e = t - 16 * out;
        start[k * step] = static_cast<std::uint8_t>(out);
    }
}

void referenceBlur(Image& image, int repeatCount) {
    const int w = image.width(), h = image.height();
    auto* bytes = reinterpret_cast<std::uint8_t*>(image.data());
    for (int pass = 0; pass <= repeatCount; ++pass)
        for (int channel = 0; channel < 4; ++channel) {
            // rows then columns, per channel: the channels never meet
            for (int y = 0; y < h; ++y) referenceLine(bytes + 4 * (y * w) + channel, w, 4);
            for (int x = 0; x < w; ++x) referenceLine(bytes + 4 * x + channel, h, 4 * w);
        }
}

Image line(std::initializer_list<int> reds) {
    Image image(static_cast<int>(reds.size()), 1, 24);
    int x = 0;
    for (int r : reds) image.setPixel(x++, 0, rgb(r, 0, 0));
    return image;
}

std::vector<int> redsOf(const Image& image) {
    std::vector<int> reds;
    for (int x = 0; x < image.width(); ++x) reds.push_back(redOf(image.pixel(x, 0)));
    return reds;
}

TEST(GaussianBlur, OnePassOverFiveValues) {
    Image spike = line({0, 0, 16, 0, 0});
    blurImage(spike, 0);
    EXPECT_EQ(redsOf(spike), (std::vector<int>{1, 4, 6, 4, 1}));
    // the remainders 1, 5, 11, 15 are carried until they reach 16
    Image small = line({0, 0, 1, 0, 0});
    blurImage(small, 0);
    EXPECT_EQ(redsOf(small), (std::vector<int>{0, 0, 0, 0, 1}));
}

// Every vector path (the widest the processor has, SSE2, none) against the
// reference, on sizes that leave partial vectors and partial row strips, and
// with repeat counts that share one sweep or need several.
TEST(GaussianBlur, EveryPathMatchesTheReference) {
    const int sizes[][2] = {{1, 1}, {1, 7},   {7, 1},   {2, 2},   {3, 3},  {4, 4},
                            {7, 9}, {15, 33}, {33, 15}, {37, 21}, {70, 12}};
    const detail::BlurSimd paths[] = {detail::BlurSimd::Widest, detail::BlurSimd::Sse2, detail::BlurSimd::None};
    std::uint32_t seed = 3;
    for (const auto& size : sizes)
        for (int repeat : {0, 1, 2, 5}) {
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " repeat " + std::to_string(repeat));
            const Image source = test::randomImage(size[0], size[1], 32, seed++);
            Image slow = source;
            referenceBlur(slow, repeat);
            for (detail::BlurSimd path : paths) {
                Image fast = source;
                detail::blurImage(fast, repeat, path);
                ASSERT_TRUE(fast == slow) << "path " << static_cast<int>(path);
            }
        }
}

TEST(GaussianBlur, TwentyFourAndThirtyTwoBitAgreeOnColours) {
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {4, 4}, {7, 9}, {15, 33}, {300, 100}, {100, 300}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        const Image rgba32 = test::randomImage(size[0], size[1], 32, 11);
        Image rgb24 = rgba32;
        rgb24.setDepth(24);
        for (std::size_t i = 0; i < rgb24.pixelCount(); ++i) rgb24.data()[i] &= kColorMask;
        Image blurred32 = rgba32;
        blurImage(blurred32);
        blurImage(rgb24);
        for (std::size_t i = 0; i < rgb24.pixelCount(); ++i)
            ASSERT_EQ(rgb24.data()[i], blurred32.data()[i] & kColorMask) << "pixel " << i;
    }
}

TEST(GaussianBlur, TwentyFourBitKeepsItsTopByte) {
    Image image = test::randomImage(9, 8, 32, 4);
    image.setDepth(24);
    const Image before = image;
    blurImage(image);
    for (std::size_t i = 0; i < image.pixelCount(); ++i)
        ASSERT_EQ(image.data()[i] & ~kColorMask, before.data()[i] & ~kColorMask);
}

TEST(GaussianBlur, ThirtyTwoBitFiltersAlpha) {
    Image image(9, 9, 32, rgba(10, 20, 30, 0));
    image.setPixel(4, 4, rgba(10, 20, 30, 255));
    blurImage(image);
    EXPECT_GT(alphaOf(image.pixel(4, 4)), 0);
    EXPECT_LT(alphaOf(image.pixel(4, 4)), 255);
    EXPECT_GT(alphaOf(image.pixel(3, 4)), 0);
}

TEST(GaussianBlur, UniformAndTinyImagesAreUnchanged) {
    Image uniform(23, 17, 32, rgba(1, 128, 255, 77));
    const Image uniformBefore = uniform;
    blurImage(uniform, 3);
    EXPECT_TRUE(uniform == uniformBefore);
    for (int w = 1; w <= 2; ++w)
        for (int h = 1; h <= 2; ++h) {
            const Image tiny = test::randomImage(w, h, 32, w * 3 + h);
            Image image = tiny;
            blurImage(image);
            EXPECT_TRUE(image == tiny);
        }
    Image null;
    blurImage(null);
    EXPECT_TRUE(null.isNull());
}

TEST(GaussianBlur, NarrowImagesAreFilteredAlongOneAxisOnly) {
    // Two columns: each column is filtered on its own, rows are too short.
    const Image source = test::randomImage(2, 12, 24, 8);
    Image image = source;
    blurImage(image, 0);
    for (int x = 0; x < 2; ++x) {
        Image column = source.copy(Rect{x, 0, x, 11});
        blurImage(column, 0);
        for (int y = 0; y < 12; ++y) EXPECT_EQ(image.pixel(x, y), column.pixel(0, y));
    }
}

TEST(GaussianBlur, SinglePixelSpreadsAtMostFourPixels) {
    Image image(41, 41, 24, 0);
    image.setPixel(20, 20, rgb(255, 255, 255));
    blurImage(image);
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
            if (std::abs(x - 20) > 4 || std::abs(y - 20) > 4) {
                ASSERT_EQ(image.pixel(x, y), 0u) << x << "," << y;
            }
    // the weights 1 8 28 56 70 ... over 256 reach 255 * 28 * 70 / 65536 = 7 three pixels out
    EXPECT_NE(image.pixel(17, 20), 0u);
    EXPECT_NE(image.pixel(20, 23), 0u);
}

// With an area the blur sees only the area: the same result whether the
// pixels around it are black or white, and those pixels stay as they were.
TEST(GaussianBlur, AreaAtTheBorderIgnoresItsSurroundings) {
    const Image inner = test::randomImage(9, 7, 24, 12);
    const Rect area{0, 3, 8, 9};
    Image blurredAlone = inner;
    blurImage(blurredAlone);
    for (Color surround : {rgb(0, 0, 0), rgb(255, 255, 255)}) {
        Image image(14, 12, 24, surround);
        image.paste(inner, area.left, area.top);
        blurImage(image, area);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const Color expected = area.contains(x, y) ? blurredAlone.pixel(x - area.left, y - area.top) : surround;
                ASSERT_EQ(image.pixel(x, y), expected);
            }
    }
    Image whole = inner;
    blurImage(whole, Rect{-3, -3, 40, 40});
    EXPECT_TRUE(whole == blurredAlone);
}

TEST(GaussianBlur, GoldenOnThePhoto) {
    Image image = test::testPhoto();
    blurImage(image);
    test::expectGolden("blur_photo", image);
    Image once = test::testPhoto();
    blurImage(once, 0);
    test::expectGolden("blur_photo_once", once);
}

TEST(GaussianBlur, ThreadsGiveTheOneThreadPixels) {
    for (int repeats : {0, 2}) {
        test::expectThreadsMatchOneThread([repeats](Image im) { return blurImage(im, repeats), im; });
        test::expectThreadsMatchOneThread([repeats](Image im) { return blurImage(im, repeats), im; }, 32);
    }
}

}  // namespace
}  // namespace tarnel
