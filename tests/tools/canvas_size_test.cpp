#include "tools/canvas_size.h"

#include <gtest/gtest.h>

#include "common/test_images.h"

namespace tarnel {
namespace {

constexpr Color kOpaqueBlack = 0xFF000000u;

TEST(CanvasSize, AnchorTable) {
    // 100 x 50 on 120 x 80.
    const int expected[9][2] = {{0, 0}, {10, 0}, {20, 0}, {0, 15}, {10, 15}, {20, 15}, {0, 30}, {10, 30}, {20, 30}};
    for (int anchor = 1; anchor <= 9; ++anchor) {
        const CanvasOffset at = canvasAnchorOffset(anchor, 100, 50, 120, 80);
        EXPECT_EQ(at.dx, expected[anchor - 1][0]) << anchor;
        EXPECT_EQ(at.dy, expected[anchor - 1][1]) << anchor;
    }
    EXPECT_EQ(canvasAnchorOffset(5, 100, 50, 101, 50).dx, 0);       // odd difference truncates
    EXPECT_EQ(canvasAnchorOffset(5, 5000, 10, 4096, 10).dx, -452);  // toward zero when negative
    EXPECT_EQ(canvasAnchorOffset(42, 100, 50, 120, 80).dx, 10);     // unknown anchors act as the centre
}

TEST(CanvasSize, RequestedSizesAreRaisedAndCapped) {
    EXPECT_EQ(canvasSizeFor(100, 50, 120, 80).width, 120);
    EXPECT_EQ(canvasSizeFor(100, 50, 20, 30).width, 100);
    EXPECT_EQ(canvasSizeFor(100, 50, 20, 30).height, 50);
    EXPECT_EQ(canvasSizeFor(100, 50, 9000, 0).width, 4096);
    EXPECT_EQ(canvasSizeFor(5000, 50, 5000, 0).width, 4096);
}

TEST(CanvasSize, EnlargementPlacesTheOldImage) {
    const Image old = test::randomImage(100, 50, 24, 3);
    const Image out = enlargeCanvas(old, 120, 80, 5, 0);
    ASSERT_EQ(out.width(), 120);
    ASSERT_EQ(out.height(), 80);
    EXPECT_EQ(out.depth(), 32);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool inside = x >= 10 && x < 110 && y >= 15 && y < 65;
            ASSERT_EQ(out.pixel(x, y), inside ? (old.pixel(x - 10, y - 15) & kColorMask) | 0xFF000000u : kOpaqueBlack)
                << x << "," << y;
        }
    const Image corner = enlargeCanvas(old, 120, 80, 9, rgb(1, 2, 3));
    EXPECT_EQ(corner.pixel(20, 30), (old.pixel(0, 0) & kColorMask) | 0xFF000000u);
    EXPECT_EQ(corner.pixel(19, 79), rgba(1, 2, 3, 255));
    const Image same = enlargeCanvas(old, 100, 50, 1, 0);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(same.pixel(x, y), old.pixel(x, y) | 0xFF000000u);
}

TEST(CanvasSize, AlphaIsCopiedAndWideImagesAreCut) {
    const Image old = test::randomImage(7, 5, 32, 9);
    const Image out = enlargeCanvas(old, 9, 9, 1, 0x12345678u);
    EXPECT_EQ(out.pixel(3, 2), old.pixel(3, 2));  // all four bytes
    EXPECT_EQ(out.pixel(8, 8), 0xFF345678u);      // the background's own top byte is ignored

    const Image wide = test::randomImage(5000, 2, 24, 4);
    const Image cut = enlargeCanvas(wide, 4096, 2, 5, 0);
    EXPECT_EQ(cut.pixel(0, 1), (wide.pixel(452, 1) & kColorMask) | 0xFF000000u);
    EXPECT_EQ(cut.pixel(4095, 0), (wide.pixel(4547, 0) & kColorMask) | 0xFF000000u);
    EXPECT_TRUE(enlargeCanvas(Image(), 5, 5).isNull());
}

}  // namespace
}  // namespace tarnel
