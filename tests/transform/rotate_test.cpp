#include "transform/rotate.h"

#include <gtest/gtest.h>

#include <string>

#include "common/test_images.h"

namespace tarnel {
namespace {

struct Size {
    int w, h;
};
constexpr Size kAwkwardSizes[] = {{1, 1}, {1, 7}, {7, 1}, {4, 4}, {7, 9}, {15, 33}, {33, 15}, {70, 37}};

std::string sizeName(const Size& s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

// Pixels labelled by position: red = x, green = y, alpha = x + y.
Image labelled(int w, int h) {
    Image image(w, h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, rgba(x, y, 0, x + y));
    return image;
}

TEST(Rotate90, ThreeByTwo) {
    // a b c      d a
    // d e f  ->  e b
    //            f c
    const Image source = labelled(3, 2);
    const Image right = rotate90(source, RotateDirection::Clockwise);
    ASSERT_EQ(right.width(), 2);
    ASSERT_EQ(right.height(), 3);
    EXPECT_EQ(right.depth(), 32);
    EXPECT_EQ(right.pixel(0, 0), source.pixel(0, 1));
    EXPECT_EQ(right.pixel(1, 0), source.pixel(0, 0));
    EXPECT_EQ(right.pixel(0, 2), source.pixel(2, 1));
    EXPECT_EQ(right.pixel(1, 2), source.pixel(2, 0));
    const Image left = rotate90(source, RotateDirection::CounterClockwise);
    // c f / b e / a d
    EXPECT_EQ(left.pixel(0, 0), source.pixel(2, 0));
    EXPECT_EQ(left.pixel(1, 0), source.pixel(2, 1));
    EXPECT_EQ(left.pixel(0, 2), source.pixel(0, 0));
    EXPECT_TRUE(rotate90(right, RotateDirection::CounterClockwise) == source);
}

// The tiled, vectorised rotation against the per-pixel formula, on sizes
// that leave partial tiles and partial 4 x 4 blocks everywhere.
TEST(Rotate90, MatchesThePixelFormula) {
    for (const Size& size : kAwkwardSizes) {
        SCOPED_TRACE(sizeName(size));
        const Image source = test::randomImage(size.w, size.h, 32, size.w * 100 + size.h);
        const Image right = rotate90(source, RotateDirection::Clockwise);
        const Image left = rotate90(source, RotateDirection::CounterClockwise);
        ASSERT_EQ(right.width(), size.h);
        ASSERT_EQ(right.height(), size.w);
        for (int y = 0; y < size.w; ++y)
            for (int x = 0; x < size.h; ++x) {
                ASSERT_EQ(right.pixel(x, y), source.pixel(y, size.h - 1 - x));
                ASSERT_EQ(left.pixel(x, y), source.pixel(size.w - 1 - y, x));
            }
        EXPECT_TRUE(rotate90(right, RotateDirection::CounterClockwise) == source);
        EXPECT_TRUE(rotate90(left, RotateDirection::Clockwise) == source);
        Image twice = rotate90(right, RotateDirection::Clockwise);
        Image turned = source;
        rotate180(turned);
        EXPECT_TRUE(twice == turned);
    }
}

TEST(Rotate90, KeepsDepthAndHandlesNull) {
    const Image source = test::randomImage(5, 3, 24, 1);
    EXPECT_EQ(rotate90(source, RotateDirection::Clockwise).depth(), 24);
    EXPECT_TRUE(rotate90(Image(), RotateDirection::Clockwise).isNull());
    const Image dot = test::randomImage(1, 1, 32, 2);
    EXPECT_TRUE(rotate90(dot, RotateDirection::CounterClockwise) == dot);
}

TEST(Rotate180, ThreeByThreeArea) {
    // a b c      i h g
    // d e f  ->  f e d
    // g h i      c b a
    Image image = labelled(5, 5);
    const Image before = image;
    rotate180(image, Rect{1, 1, 3, 3});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            EXPECT_EQ(image.pixel(x, y), inside ? before.pixel(4 - x, 4 - y) : before.pixel(x, y));
        }
}

TEST(Rotate180, OddAndEvenAreas) {
    for (const Size& size : kAwkwardSizes) {
        SCOPED_TRACE(sizeName(size));
        const Image source = test::randomImage(size.w + 3, size.h + 2, 32, size.h);
        const Rect area{2, 1, 2 + size.w - 1, 1 + size.h - 1};
        Image image = source;
        rotate180(image, area);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const Color expected = area.contains(x, y)
                                           ? source.pixel(area.left + area.right - x, area.top + area.bottom - y)
                                           : source.pixel(x, y);
                ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
            }
        rotate180(image, area);
        EXPECT_TRUE(image == source);
    }
}

TEST(Rotate180, AreaIsClippedToTheImage) {
    Image image = test::randomImage(6, 4, 32, 3);
    Image expected = image;
    rotate180(expected, Rect{3, 0, 5, 3});
    rotate180(image, Rect{3, -5, 40, 3});
    EXPECT_TRUE(image == expected);
    Image whole = test::randomImage(6, 4, 24, 3);
    Image viaArea = whole;
    rotate180(whole);
    rotate180(viaArea, viaArea.rect());
    EXPECT_TRUE(whole == viaArea);
}

TEST(Rotate, GoldenOnThePhoto) {
    test::expectGolden("transform_rotate_right", rotate90(test::testPhoto(), RotateDirection::Clockwise));
    test::expectGolden("transform_rotate_left", rotate90(test::testPhoto(), RotateDirection::CounterClockwise));
    Image turned = test::testPhoto();
    rotate180(turned, Rect{10, 5, 60, 40});
    test::expectGolden("transform_rotate_180_area", turned);
}

}  // namespace
}  // namespace tarnel
