#include "tools/floating_section.h"

#include <gtest/gtest.h>

#include "common/test_images.h"
#include "core/alpha_blend.h"

namespace tarnel {
namespace {

// A 400 x 400 image centred on a 500 x 240 canvas (it is taller than the
// canvas: offsets 50 and -80), visible rows 0..239.
FloatingView tallImageView() {
    return FloatingView{.canvasWidth = 500, .canvasHeight = 240, .imageWidth = 400, .imageHeight = 400,
                        .bounds = Rect{50, 0, 449, 239}};
}

TEST(FloatingSection, TurnKeepsTheCentreAndFourTurnsComeBack) {
    const Image pixels = test::randomImage(100, 40, 32, 7);
    FloatingSection s(pixels, tallImageView());
    ASSERT_EQ(s.x(), 200);  // 500 / 2 - 50
    ASSERT_EQ(s.y(), 100);  // 240 / 2 - 20
    s.turn(FloatTurn::Right);
    EXPECT_EQ(s.image().width(), 40);
    EXPECT_EQ(s.image().height(), 100);
    EXPECT_EQ(s.x(), 230);
    EXPECT_EQ(s.y(), 70);
    for (int i = 0; i < 3; ++i) s.turn(FloatTurn::Right);
    EXPECT_EQ(s.image(), pixels);
    EXPECT_EQ(s.x(), 200);
    EXPECT_EQ(s.y(), 100);
    s.turn(FloatTurn::Left);
    s.turn(FloatTurn::Right);
    s.turn(FloatTurn::Mirror);
    s.turn(FloatTurn::Mirror);
    s.turn(FloatTurn::Flip);
    s.turn(FloatTurn::Flip);
    EXPECT_EQ(s.image(), pixels);
    EXPECT_EQ(s.x(), 200);
}

TEST(FloatingSection, ArrowStepsStopAtTheCanvasEdges) {
    FloatingSection s(Image(100, 40, 32, 0xFF000000u), tallImageView());
    for (int i = 0; i < 300; ++i) s.step(FloatStep::Left);
    EXPECT_EQ(s.x(), 0);
    for (int i = 0; i < 500; ++i) s.step(FloatStep::Right);
    EXPECT_EQ(s.x(), 400);  // canvas width - section width
    for (int i = 0; i < 300; ++i) s.step(FloatStep::Up);
    EXPECT_EQ(s.y(), 0);
    for (int i = 0; i < 300; ++i) s.step(FloatStep::Down);
    EXPECT_EQ(s.y(), 200);
}

TEST(FloatingSection, FollowingThePointerKeepsToTheVisibleImage) {
    FloatingSection s(Image(100, 40, 32, 0xFF000000u), tallImageView());
    s.follow(10000, 10000);
    EXPECT_EQ(s.x() + 99, 449);  // right edge on the right bound
    EXPECT_EQ(s.y() + 39, 239);
    s.follow(-10000, -10000);
    EXPECT_EQ(s.x(), 50);
    EXPECT_EQ(s.y(), 0);
    s.follow(250, 120);  // centred on the pointer
    EXPECT_EQ(s.x(), 200);
    EXPECT_EQ(s.y(), 100);

    // Wider than the visible image (the image is cut to 400, the bounds are
    // narrower): the left edge wins. An image narrower than the canvas has
    // its bounds shifted by the view offset.
    FloatingView narrow = tallImageView();
    narrow.bounds = Rect{100, 0, 299, 239};
    narrow.viewX = 7;
    FloatingSection wide(Image(300, 40, 32, 0xFF000000u), narrow);
    wide.follow(10000, 0);
    EXPECT_EQ(wide.x(), 107);
}

TEST(FloatingSection, ASectionLargerThanTheImageIsCut) {
    const Image big = test::randomImage(600, 500, 32, 3);
    FloatingSection covering(big, tallImageView());
    EXPECT_TRUE(covering.coversImage());
    EXPECT_EQ(covering.image(), big.copy(Rect{0, 0, 399, 399}));
    EXPECT_EQ(covering.x(), 50);
    EXPECT_EQ(covering.y(), -80);

    // Wider only: cut to the image's width, centred by its uncut half size.
    FloatingSection wide(Image(600, 40, 32), tallImageView());
    EXPECT_FALSE(wide.coversImage());
    EXPECT_EQ(wide.image().width(), 400);
    EXPECT_EQ(wide.x(), 250 - 300);
    EXPECT_EQ(wide.statusText(), "xLeft = -50 | yTop = 100 | xRight = 349 | yBottom = 139");
}

TEST(FloatingSection, PlacingBlendsAndClipsAtTheImageEdges) {
    FloatingView view = tallImageView();
    Image working(400, 400, 24, 0x00FFFFFFu);
    FloatingSection s(Image(100, 40, 32, 0x800000FFu), view);  // half-transparent red
    s.follow(-10000, -10000);                                    // canvas (50, 0) = image (0, 80)
    for (int i = 0; i < 60; ++i) s.step(FloatStep::Left);         // canvas x 0 = image x -50
    const Rect changed = s.placeInto(working);
    EXPECT_EQ(changed, (Rect{0, 80, 49, 119}));
    // Over an opaque 24-bit white: half red, the top byte kept.
    EXPECT_EQ(working.pixel(0, 80), 0x007F7FFFu);
    EXPECT_EQ(working.pixel(49, 119), 0x007F7FFFu);
    EXPECT_EQ(working.pixel(50, 80), 0x00FFFFFFu);
    EXPECT_EQ(working.pixel(0, 79), 0x00FFFFFFu);
}

TEST(AlphaBlend, OpaqueDestinationsBlendTransparentOnesTakeTheSource) {
    struct Case {
        Color dst, src, opaque;
    };
    const Case cases[] = {
        {0x00FFFFFFu, 0x800000FFu, 0x007F7FFFu},  // a 24-bit white is opaque
        {0x12FFFFFFu, 0x800000FFu, 0x127F7FFFu},  // its top byte is kept
        {0x00123456u, 0x00ABCDEFu, 0x00123456u},  // a transparent source changes nothing
        {0x00123456u, 0xFFABCDEFu, 0x00ABCDEFu},  // an opaque one replaces the colour
    };
    for (const Case& c : cases) EXPECT_EQ(blendOpaque(c.dst, c.src), c.opaque);
    EXPECT_EQ(alphaBlend(0xFFFFFFFFu, 0x800000FFu), 0xFF7F7FFFu);

    Image rgba(2, 1, 32, 0u);
    blendImage(rgba, Image(1, 1, 32, 0x800000FFu), 1, 0);
    EXPECT_EQ(rgba.pixel(1, 0), 0x800000FFu) << "a 32-bit destination keeps its transparency";
    EXPECT_TRUE(blendImage(rgba, Image(1, 1, 32), 2, 0).isEmpty());
    EXPECT_TRUE(blendImage(rgba, Image(1, 1, 32), -2000000000, 2000000000).isEmpty());
}

}  // namespace
}  // namespace tarnel
