#include "app/floating_placement.h"

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/editor_fixture.h"
#include "common/test_images.h"
#include "core/alpha_blend.h"

namespace tarnel::test {
namespace {

// A 300 x 200 photo on the 800 x 450 canvas: shown at (250, 125).
struct Placement : EditorFixture {
    FloatingPlacement placement{editor};
    Image photo = photoLikeImage(300, 200);
    int ended = 0;

    void SetUp() override {
        EditorFixture::SetUp();
        load(photo);
        placement.onEnd = [this] { ++ended; };
    }
    // A 40 x 20 half-transparent blue section.
    static Image section() { return Image(40, 20, 32, 0x80FF0000u); }
};

TEST_F(Placement, EscLeavesImageHistoryAndViewAsTheyWere) {
    const int entries = editor.history().size();
    ASSERT_TRUE(placement.start(section()));
    EXPECT_TRUE(editor.floating());
    EXPECT_EQ(platform.cursor, CursorShape::SizeAll);
    EXPECT_EQ(platform.status[1], "xLeft = 380 | yTop = 215 | xRight = 419 | yBottom = 234");
    for (int id : {kCmdFloatRotateRight, kCmdFloatMirror, kCmdNudgeLeft, kCmdNegative, kCmdUndo, kCmdQuit})
        EXPECT_TRUE(placement.command(id)) << "every command is taken while placing";
    editor.mouseMove(300, 200);
    placement.cancel();
    EXPECT_FALSE(editor.floating());
    EXPECT_FALSE(placement.command(kCmdNudgeLeft));
    EXPECT_EQ(editor.working(), photo);
    EXPECT_EQ(editor.history().size(), entries);
    EXPECT_EQ(platform.status[1], "");
    EXPECT_EQ(platform.cursor, CursorShape::Arrow);
    EXPECT_EQ(editor.canvasImage().pixel(250, 125), photo.pixel(0, 0));
    EXPECT_EQ(ended, 1);
}

TEST_F(Placement, EnterAndALeftClickPlaceAlikeWithOneHistoryEntry) {
    const int entries = editor.history().size();
    ASSERT_TRUE(placement.start(section()));
    editor.mousePress(MouseButton::Left, 300, 200);  // presses do nothing
    editor.mouseMove(300, 200);
    platform.takeEvents();
    editor.mouseRelease(MouseButton::Right, 300, 200);
    EXPECT_TRUE(platform.takeEvents().empty()) << "no popup while placing";
    editor.mouseRelease(MouseButton::Left, 300, 200);
    EXPECT_FALSE(placement.active());
    EXPECT_EQ(editor.history().size(), entries + 1);
    const Image clicked = editor.working();
    // The section's top-left: canvas (280, 190), image (30, 65).
    EXPECT_EQ(clicked.pixel(30, 65), blendOpaque(photo.pixel(30, 65), 0x80FF0000u));
    EXPECT_EQ(clicked.pixel(29, 65), photo.pixel(29, 65));

    editor.undo();
    EXPECT_EQ(editor.working(), photo);
    ASSERT_TRUE(placement.start(section()));
    editor.mouseMove(300, 200);
    placement.command(kCmdPlaceFloating);
    EXPECT_EQ(editor.working(), clicked);
    EXPECT_EQ(ended, 2);
}

TEST_F(Placement, TurnsAreNotRecordedAndPlaceTheTurnedPixels) {
    const int entries = editor.history().size();
    Image pixels = test::randomImage(30, 10, 24, 5);
    ASSERT_TRUE(placement.start(pixels));  // 24-bit: opaque
    placement.command(kCmdFloatRotateRight);
    placement.command(kCmdFloatMirror);
    EXPECT_EQ(platform.status[1], "xLeft = 395 | yTop = 210 | xRight = 404 | yBottom = 239");
    placement.command(kCmdPlaceFloating);
    EXPECT_EQ(editor.history().size(), entries + 1);
    // Turned right then mirrored: the new (x, y) is the old (y, x).
    EXPECT_EQ(editor.working().pixel(145, 85), pixels.pixel(0, 0));
    EXPECT_EQ(editor.working().pixel(154, 85), pixels.pixel(0, 9));
    EXPECT_EQ(editor.working().pixel(145, 114), pixels.pixel(29, 0));
}

TEST_F(Placement, AFullyTransparentSectionChangesNothing) {
    // Text of spaces on a transparent background: nothing to stamp.
    ASSERT_TRUE(placement.start(Image(30, 10, 32, 0x00000000u)));
    placement.place();
    EXPECT_EQ(editor.working(), photo);
}

TEST_F(Placement, ASectionCoveringTheImageIsPlacedAtOnce) {
    const Image big = test::randomImage(320, 240, 24, 9);
    ASSERT_TRUE(placement.start(big));
    EXPECT_FALSE(placement.active());
    EXPECT_EQ(editor.working(), big.copy(Rect{0, 0, 299, 199}));
    EXPECT_EQ(ended, 1);
}

TEST_F(Placement, PasteFloatsTheClipboardOrSaysWhyNot) {
    EXPECT_FALSE(placement.paste()) << "empty clipboard: nothing, no message";
    EXPECT_TRUE(platform.messages.empty());
    platform.clipboard.refusal = "too large";
    EXPECT_FALSE(placement.paste());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, kPasteFloatingErrorTitle);
    platform.clipboard = ClipboardImage{Image(10, 10, 24, 0x00010203u), {}};
    EXPECT_TRUE(placement.paste());
    EXPECT_FALSE(placement.paste()) << "one placement at a time";
    placement.place();
    EXPECT_EQ(editor.working().pixel(145, 95), 0x00010203u);
}

TEST_F(Placement, AResizeDuringPlacementIsLaidOutAfterwards) {
    ASSERT_TRUE(placement.start(section()));
    platform.inner.width += 100;
    placement.windowResized();
    EXPECT_EQ(editor.canvasImage().width(), 800);
    placement.cancel();
    EXPECT_EQ(editor.canvasImage().width(), 900);
}

}  // namespace
}  // namespace tarnel::test
