#include "canvas/selection.h"

#include <gtest/gtest.h>

#include "canvas/invert_draw.h"
#include "canvas/selection_events.h"
#include "common/test_images.h"

namespace tarnel {
namespace {

struct Pos {
    int x, y;
};

// A canvas with random content and a selection attached to all of it.
struct SelectionFixture : ::testing::Test {
    Image original = test::randomImage(40, 30, 32, 7);
    Image canvas = original;
    Selection sel;

    void SetUp() override { ASSERT_EQ(sel.attach(0, &canvas), Selection::AttachResult::Ok); }

    // Press, move through the given points, release; returns the release notice.
    Selection::Notice drag(std::initializer_list<Pos> path) {
        auto it = path.begin();
        sel.press(canvas, it->x, it->y);
        for (++it; it != path.end(); ++it) sel.move(canvas, it->x, it->y);
        return sel.release(canvas);
    }

    int changedPixels() const {
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) n += canvas.pixel(x, y) != original.pixel(x, y);
        return n;
    }
};

TEST_F(SelectionFixture, DragDownRightIncludesBothEnds) {
    const auto notice = drag({{10, 10}, {15, 12}, {19, 14}});
    EXPECT_EQ(notice.event, kEventSelectionFinished);
    EXPECT_EQ(sel.record().rect(), (Rect{10, 10, 19, 14}));
    EXPECT_TRUE(sel.record().handleShown);
}

TEST_F(SelectionFixture, DragUpLeftExcludesTheAnchorColumnAndRow) {
    const auto notice = drag({{19, 14}, {12, 11}, {10, 10}});
    EXPECT_EQ(notice.event, kEventSelectionFinished);
    EXPECT_EQ(sel.record().rect(), (Rect{10, 10, 18, 13}));
    // The outline left on the canvas is exactly the frame of that rectangle:
    // removing it restores the canvas.
    sel.remove(canvas);
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, FrameAndHandleInvertOnlyTheirPixels) {
    drag({{10, 10}, {19, 14}});
    // Outline of 10 x 5 = 26 pixels; the 8 x 8 handle at (11, 6) overlaps the
    // outline in its column 18 row 10, its rows 6..9 lie above the frame.
    Image expected = original;
    invertOutline(expected, 10, 10, 10, 5);
    invertFill(expected, 11, 6, 8, 8);
    EXPECT_EQ(canvas, expected);
    sel.toggleFrame(canvas);
    EXPECT_EQ(canvas, original) << "drawing the frame twice restores every pixel";
    sel.toggleFrame(canvas);
    EXPECT_EQ(canvas, expected);
}

TEST_F(SelectionFixture, ClickOutsideClearsAndRestoresTheCanvas) {
    drag({{10, 10}, {19, 14}});
    const auto notice = drag({{30, 25}});
    EXPECT_EQ(notice.event, kEventSelectionCleared);
    EXPECT_FALSE(sel.active());
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, ClickInsideKeepsTheSelectionAndWarpsToItsCentre) {
    drag({{2, 2}, {29, 22}});  // 28 x 21; the handle covers (21..28, 14..21)
    const Image before = canvas;
    const auto press = sel.press(canvas, 10, 10);
    EXPECT_FALSE(press.event);
    EXPECT_TRUE(press.warp);
    EXPECT_EQ(press.warpTwiceX, 2 * 2 + 28);  // centre x = 16
    EXPECT_EQ(press.warpTwiceY, 2 * 2 + 21);  // centre y = 12.5, rounded by the caller
    const auto release = sel.release(canvas);
    EXPECT_EQ(release.event, kEventSelectionFinished);
    EXPECT_EQ(sel.record().rect(), (Rect{2, 2, 29, 22}));
    EXPECT_EQ(canvas, before);
}

TEST_F(SelectionFixture, MovingStopsAtTheBoundsWithItsSizeKeptAndReportsEdges) {
    drag({{2, 2}, {21, 11}});  // 20 x 10; handle at (13..20, 3..10)
    sel.press(canvas, 5, 5);
    EXPECT_TRUE(sel.record().moving);
    auto notice = sel.move(canvas, 16, 12);
    EXPECT_EQ(notice.event, kEventSelectionChanging);
    EXPECT_EQ(notice.edgeFlags, 0);
    EXPECT_EQ(sel.record().rect(), (Rect{6, 7, 25, 16}));  // top-left = pointer - size / 2
    notice = sel.move(canvas, 3, 12);
    EXPECT_EQ(notice.edgeFlags, kEdgeLeft);
    EXPECT_EQ(sel.record().x1, 0);
    notice = sel.move(canvas, 39, 29);
    EXPECT_EQ(notice.edgeFlags, kEdgeRight | kEdgeBottom);
    sel.release(canvas);
    EXPECT_EQ(sel.record().rect(), (Rect{20, 20, 39, 29}));
    sel.remove(canvas);
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, HandleDragResizesWithTheTopLeftFixed) {
    drag({{10, 10}, {19, 14}});
    sel.press(canvas, 15, 12);  // inside the handle (x2 - 9 < x < x2, y2 - 9 < y < y2)
    EXPECT_FALSE(sel.record().moving);
    sel.move(canvas, 25, 20);
    sel.release(canvas);
    EXPECT_EQ(sel.record().rect(), (Rect{10, 10, 25, 20}));
    sel.remove(canvas);
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, DrawingReportsTheBoundsItTouches) {
    sel.press(canvas, 5, 5);
    EXPECT_EQ(sel.move(canvas, -3, 50).edgeFlags, kEdgeLeft | kEdgeBottom);
    EXPECT_EQ(sel.move(canvas, 45, -1).edgeFlags, kEdgeRight | kEdgeTop);
    sel.release(canvas);
    EXPECT_EQ(sel.record().rect(), (Rect{5, 0, 39, 4}));
}

TEST_F(SelectionFixture, PressBeyondTheRightEdgeIncludesTheLastColumn) {
    sel.record().boundsRight = 29;
    sel.record().boundsBottom = 19;
    drag({{35, 25}, {20, 15}});
    EXPECT_EQ(sel.record().rect(), (Rect{20, 15, 29, 19}));
}

TEST_F(SelectionFixture, ADragBackToTheAnchorLeavesNoSelection) {
    const auto notice = drag({{10, 10}, {20, 20}, {10, 20}});
    EXPECT_EQ(notice.event, kEventSelectionCleared);
    EXPECT_FALSE(sel.active());
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, AOnePixelDragCountsAsAClickAndLeavesNoMark) {
    const auto notice = drag({{10, 10}, {9, 9}});
    EXPECT_EQ(notice.event, kEventSelectionCleared);
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, EveryFlowRestoresTheCanvasWhenRemoved) {
    drag({{3, 4}, {8, 9}, {30, 20}});
    drag({{29, 19}, {35, 28}, {33, 22}});  // handle drag
    drag({{20, 12}, {5, 5}, {22, 14}});    // move
    drag({{25, 15}, {2, 2}, {1, 1}});      // press inside, move to the corner
    EXPECT_NE(changedPixels(), 0);
    sel.remove(canvas);
    EXPECT_EQ(canvas, original);
}

TEST_F(SelectionFixture, NudgesStayInsideTheBounds) {
    sel.setBoundsToVisibleImage(40, 30, 20, 10, 0, 0);  // image at (10, 10)..(29, 19)
    EXPECT_EQ(sel.record().boundsLeft, 10);
    EXPECT_EQ(sel.record().boundsBottom, 19);
    drag({{10, 10}, {11, 11}});  // 2 x 2 at the top-left corner
    EXPECT_FALSE(sel.nudge(Nudge::Left));
    EXPECT_FALSE(sel.nudge(Nudge::Up));
    EXPECT_FALSE(sel.nudge(Nudge::Narrower)) << "width never below 2";
    EXPECT_FALSE(sel.nudge(Nudge::Shorter));
    EXPECT_TRUE(sel.nudge(Nudge::Right));
    EXPECT_TRUE(sel.nudge(Nudge::Down));
    EXPECT_EQ(sel.record().rect(), (Rect{11, 11, 12, 12}));
    for (int i = 0; i < 40; ++i) sel.nudge(Nudge::Wider);
    for (int i = 0; i < 40; ++i) sel.nudge(Nudge::Taller);
    EXPECT_EQ(sel.record().rect(), (Rect{11, 11, 29, 19}));
    EXPECT_FALSE(sel.nudge(Nudge::Right));
    EXPECT_TRUE(sel.nudge(Nudge::Left));
    EXPECT_TRUE(sel.nudge(Nudge::Narrower));
    EXPECT_EQ(sel.record().rect(), (Rect{10, 11, 27, 19}));
}

TEST(Selection, NudgeWithoutASelectionDoesNothing) {
    Selection sel;
    EXPECT_FALSE(sel.nudge(Nudge::Right));
}

TEST(Selection, AttachFailuresLeaveThePreviousAttachment) {
    Image canvas(10, 10);
    Selection sel;
    EXPECT_EQ(sel.attach(0, nullptr), Selection::AttachResult::BadCanvas);
    EXPECT_FALSE(sel.attached());
    bool fresh = false;
    ASSERT_EQ(sel.attach(0, &canvas, -1, false, &fresh), Selection::AttachResult::Ok);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(sel.attach(0, &canvas, 3, false), Selection::AttachResult::BadScrollArea);
    EXPECT_TRUE(sel.attached());
    sel.attach(0, &canvas, -1, false, &fresh);
    EXPECT_FALSE(fresh) << "the same canvas again";
    EXPECT_EQ(sel.record().boundsRight, 9);

    bool was = false;
    EXPECT_EQ(sel.detach(canvas, &was).event, 0) << "no selection to remove";
    EXPECT_TRUE(was);
    sel.detach(canvas, &was);
    EXPECT_FALSE(was);
}

TEST(Selection, DetachRemovesAnActiveSelection) {
    Image canvas(20, 20, 32, 0x123456);
    const Image original = canvas;
    Selection sel;
    sel.attach(0, &canvas);
    sel.press(canvas, 2, 2);
    sel.move(canvas, 12, 12);
    sel.release(canvas);
    EXPECT_EQ(sel.detach(canvas).event, kEventSelectionCleared);
    EXPECT_EQ(canvas, original);
    EXPECT_EQ(sel.record().canvas, -1);
}

TEST(InvertDraw, SignedSizesAndThinFrames) {
    Image canvas(10, 6, 32, 0);
    invertOutline(canvas, 5, 1, -3, 1);  // columns 2..4 of row 1
    EXPECT_EQ(canvas.pixel(2, 1), kColorMask);
    EXPECT_EQ(canvas.pixel(4, 1), kColorMask);
    EXPECT_EQ(canvas.pixel(5, 1), 0u);
    EXPECT_EQ(canvas.pixel(1, 1), 0u);
    invertOutline(canvas, 5, 1, -3, 1);
    EXPECT_EQ(canvas, Image(10, 6, 32, 0));
    invertOutline(canvas, 7, 0, 1, 6);  // a one-pixel-wide frame: each pixel once
    for (int y = 0; y < 6; ++y) EXPECT_EQ(canvas.pixel(7, y), kColorMask);
    invertFill(canvas, -4, -4, 8, 8);  // clipped
    EXPECT_EQ(canvas.pixel(3, 3), kColorMask);
    EXPECT_EQ(canvas.pixel(4, 3), 0u);
    Image alpha(2, 2, 32, 0x80000000u);
    invertFill(alpha, 0, 0, 2, 2);
    EXPECT_EQ(alpha.pixel(1, 1), 0x80FFFFFFu) << "alpha is kept";
}

}  // namespace
}  // namespace tarnel
