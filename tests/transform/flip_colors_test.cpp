#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/test_images.h"
#include "common/thread_check.h"
#include "transform/colors.h"
#include "transform/flip.h"

namespace tarnel {
namespace {

struct Size {
    int w, h;
};
constexpr Size kAwkwardSizes[] = {{1, 1}, {1, 7}, {7, 1}, {4, 4}, {7, 9}, {15, 33}};

std::string sizeName(const Size& s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

using AreaOperation = std::function<void(Image&, const Rect&)>;
using WholeOperation = std::function<void(Image&)>;

struct Operation {
    const char* name;
    AreaOperation onArea;
    WholeOperation onWhole;
};

const Operation kOperations[] = {
    {"flip", [](Image& i, const Rect& r) { flip(i, r); }, [](Image& i) { flip(i); }},
    {"mirror", [](Image& i, const Rect& r) { mirror(i, r); }, [](Image& i) { mirror(i); }},
    {"negative", [](Image& i, const Rect& r) { negative(i, r); }, [](Image& i) { negative(i); }},
};

TEST(FlipMirrorNegative, TwiceIsIdentity) {
    for (const Operation& op : kOperations)
        for (const Size& size : kAwkwardSizes) {
            SCOPED_TRACE(std::string(op.name) + " " + sizeName(size));
            const Image source = test::randomImage(size.w, size.h, 32, size.w + 13 * size.h);
            Image image = source;
            op.onWhole(image);
            op.onWhole(image);
            EXPECT_TRUE(image == source);
        }
}

TEST(AreaOperations, WholeAreaMatchesWholeImageAndOutsideIsUntouched) {
    const Operation gray{"gray", [](Image& i, const Rect& r) { grayScale(i, r); }, [](Image& i) { grayScale(i); }};
    std::vector<Operation> all(std::begin(kOperations), std::end(kOperations));
    all.push_back(gray);
    for (const Operation& op : all)
        for (const Size& size : kAwkwardSizes) {
            SCOPED_TRACE(std::string(op.name) + " " + sizeName(size));
            const Image source = test::randomImage(size.w, size.h, 32, 5 * size.w + size.h);
            Image whole = source;
            Image viaArea = source;
            op.onWhole(whole);
            op.onArea(viaArea, source.rect());
            EXPECT_TRUE(whole == viaArea);

            // the same pixels framed by a border that must not change
            Image framed = test::randomImage(size.w + 4, size.h + 3, 32, 99);
            const Image frameBefore = framed;
            framed.paste(source, 2, 1);
            op.onArea(framed, Rect{2, 1, 2 + size.w - 1, 1 + size.h - 1});
            for (int y = 0; y < framed.height(); ++y)
                for (int x = 0; x < framed.width(); ++x) {
                    const bool inside = x >= 2 && x < 2 + size.w && y >= 1 && y < 1 + size.h;
                    ASSERT_EQ(framed.pixel(x, y), inside ? whole.pixel(x - 2, y - 1) : frameBefore.pixel(x, y));
                }
        }
}

TEST(FlipMirror, MoveWholePixelsIncludingAlpha) {
    Image image(3, 2, 32);
    // a b c / d e f with distinct alpha
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, rgba(x, y, 7, 10 * x + y));
    const Image source = image;
    flip(image);
    EXPECT_EQ(image.pixel(0, 0), source.pixel(0, 1));
    EXPECT_EQ(image.pixel(2, 1), source.pixel(2, 0));
    image = source;
    mirror(image);
    EXPECT_EQ(image.pixel(0, 0), source.pixel(2, 0));
    EXPECT_EQ(image.pixel(1, 1), source.pixel(1, 1));  // odd width: middle column stays
    EXPECT_EQ(image.pixel(2, 1), source.pixel(0, 1));
}

TEST(FlipMirror, SingleRowArea) {
    Image image = test::randomImage(5, 3, 24, 8);
    const Image source = image;
    flip(image, Rect{0, 1, 4, 1});
    EXPECT_TRUE(image == source);
    mirror(image, Rect{0, 1, 4, 1});
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.pixel(x, 1), source.pixel(4 - x, 1));
}

TEST(NegativeGray, ChangeColoursAndKeepAlpha) {
    Image image(4, 1, 32);
    image.setPixel(0, 0, rgba(255, 255, 255, 1));
    image.setPixel(1, 0, rgba(255, 0, 0, 2));
    image.setPixel(2, 0, rgba(0, 255, 0, 3));
    image.setPixel(3, 0, rgba(0, 0, 255, 4));
    Image negated = image;
    negative(negated);
    EXPECT_EQ(negated.pixel(1, 0), rgba(0, 255, 255, 2));
    grayScale(image);
    EXPECT_EQ(image.pixel(0, 0), rgba(255, 255, 255, 1));
    EXPECT_EQ(image.pixel(1, 0), rgba(72, 72, 72, 2));
    EXPECT_EQ(image.pixel(2, 0), rgba(145, 145, 145, 3));
    EXPECT_EQ(image.pixel(3, 0), rgba(36, 36, 36, 4));
}

TEST(NegativeGray, GrayTwiceChangesNothingMore) {
    Image image = test::randomImage(15, 33, 32, 21);
    grayScale(image);
    const Image once = image;
    grayScale(image);
    EXPECT_TRUE(image == once);
    // sampled colours in one wide row (vector and tail paths), against a plain division
    std::vector<Color> colours;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 17) colours.push_back(rgba(r, g, b, (r + b) & 0xFF));
    colours.push_back(rgb(255, 255, 255));
    Image row(static_cast<int>(colours.size()), 1, 32);
    for (int x = 0; x < row.width(); ++x) row.setPixel(x, 0, colours[x]);
    grayScale(row);
    for (int x = 0; x < row.width(); ++x) {
        const Color c = colours[x];
        const int expected = (2 * redOf(c) + 4 * greenOf(c) + blueOf(c)) / 7;
        ASSERT_EQ(row.pixel(x, 0), rgba(expected, expected, expected, alphaOf(c)));
    }
}

TEST(FlipMirrorNegativeGray, NullImageAndEmptyArea) {
    Image null;
    flip(null);
    mirror(null);
    negative(null);
    grayScale(null);
    EXPECT_TRUE(null.isNull());
    Image image = test::randomImage(4, 4, 24, 1);
    const Image source = image;
    negative(image, Rect{10, 10, 12, 12});
    mirror(image, Rect{});
    EXPECT_TRUE(image == source);
}

TEST(FlipMirrorNegativeGray, GoldenOnThePhoto) {
    const Rect area{20, 10, 70, 50};
    Image image = test::testPhoto();
    flip(image, area);
    test::expectGolden("transform_flip_area", image);
    image = test::testPhoto();
    mirror(image, area);
    test::expectGolden("transform_mirror_area", image);
    image = test::testPhoto();
    negative(image);
    test::expectGolden("transform_negative", image);
    image = test::testPhoto();
    grayScale(image);
    test::expectGolden("transform_gray_scale", image);
}

TEST(NegativeGray, ThreadsGiveTheOneThreadPixels) {
    test::expectThreadsMatchOneThread([](Image im) { return negative(im), im; });
    test::expectThreadsMatchOneThread([](Image im) { return grayScale(im), im; }, 32);
}

}  // namespace
}  // namespace tarnel
