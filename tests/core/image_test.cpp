#include "core/image.h"

#include <gtest/gtest.h>

#include "common/test_images.h"

namespace tarnel {
namespace {

TEST(Image, NullForEmptySizes) {
    EXPECT_TRUE(Image().isNull());
    EXPECT_TRUE(Image(0, 5).isNull());
    EXPECT_TRUE(Image(5, -1).isNull());
    EXPECT_EQ(Image(0, 5).width(), 0);
}

TEST(Image, CopiesAreIndependent) {
    Image a(3, 2, 32, 0x11223344u);
    Image b = a;
    b.setPixel(2, 1, 0);
    EXPECT_EQ(a.pixel(2, 1), 0x11223344u);
    EXPECT_FALSE(a == b);
    b = a;
    EXPECT_TRUE(a == b);
    Image moved = std::move(b);
    EXPECT_TRUE(moved == a);
    EXPECT_TRUE(b.isNull());
}

TEST(Image, CopyAndPasteClipToTheImage) {
    const Image source = test::randomImage(7, 5, 32, 3);
    const Image part = source.copy(Rect{5, 3, 9, 9});
    ASSERT_EQ(part.width(), 2);
    ASSERT_EQ(part.height(), 2);
    EXPECT_EQ(part.pixel(1, 1), source.pixel(6, 4));

    Image target(4, 4, 32, 0);
    target.paste(source, -5, -3);  // only source (5..6, 3..4) lands, at (0..1, 0..1)
    EXPECT_EQ(target.pixel(0, 0), source.pixel(5, 3));
    EXPECT_EQ(target.pixel(1, 1), source.pixel(6, 4));
    EXPECT_EQ(target.pixel(2, 2), 0u);
}

TEST(Image, ColourChannels) {
    const Color c = rgba(1, 2, 3, 4);
    EXPECT_EQ(c, 0x04030201u);
    EXPECT_EQ(redOf(c), 1);
    EXPECT_EQ(greenOf(c), 2);
    EXPECT_EQ(blueOf(c), 3);
    EXPECT_EQ(alphaOf(c), 4);
}

TEST(TestSupport, PamRoundTripKeepsAlphaOnlyFor32Bit) {
    const std::string path = ::testing::TempDir() + "/roundtrip.pam";
    const Image rgbaImage = test::randomImage(5, 3, 32, 9);
    ASSERT_TRUE(test::writePam(path, rgbaImage));
    EXPECT_TRUE(test::readPam(path) == rgbaImage);
    const Image rgbImage = test::randomImage(4, 4, 24, 9);
    ASSERT_TRUE(test::writePam(path, rgbImage));
    EXPECT_TRUE(test::readPam(path) == rgbImage);
}

}  // namespace
}  // namespace tarnel
