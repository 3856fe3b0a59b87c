#include "app/view.h"

#include <gtest/gtest.h>

namespace tarnel {
namespace {

const WindowMetrics kMetrics{30, 20, 20, 16, 39};  // toolbar, status, menu, frame w/h
const Size kDesktop{1920, 1080};

TEST(ViewLayout, SmallImageIsCentredAndBoundedByItsVisibleRectangle) {
    // 300 x 200 in a maximised window: canvas 1904 x 971.
    const ViewLayout l = computeLayout(1904, 971, 1904, 971, 300, 200);
    EXPECT_EQ(l.bounds, (Rect{802, 385, 1101, 584}));
    EXPECT_FALSE(l.imageLarger);
    EXPECT_EQ(l.viewX, 0);
    EXPECT_EQ(l.viewY, 0);
    EXPECT_EQ(imagePosition(1904, 971, 300, 200, 0, 0), (Point{802, 385}));
}

TEST(ViewLayout, LargeImageShowsItsCentreWithNegativeOffsets) {
    const ViewLayout l = computeLayout(800, 450, 800, 450, 4000, 3000);
    EXPECT_EQ(l.bounds, (Rect{0, 0, 799, 449}));
    EXPECT_TRUE(l.imageLarger);
    EXPECT_EQ(l.viewX, 1600);
    EXPECT_EQ(l.viewY, 1275);
    EXPECT_EQ(imagePosition(800, 450, 4000, 3000, 0, 0), (Point{-1600, -1275}));

    Image image(4000, 3000, 32, 0);
    image.setPixel(1600, 1275, 0x123456);
    image.setPixel(2399, 1724, 0x654321);
    Image canvas(800, 450);
    drawImageOnCanvas(canvas, image, imagePosition(800, 450, 4000, 3000, 0, 0));
    EXPECT_EQ(canvas.pixel(0, 0), 0x123456u);
    EXPECT_EQ(canvas.pixel(799, 449), 0x654321u);
}

TEST(ViewLayout, OddDifferencesTruncateTowardZero) {
    // 801 x 451 on 800 x 450: larger by one, view offset 0, drawn at 0.
    const ViewLayout l = computeLayout(800, 450, 800, 450, 801, 451);
    EXPECT_TRUE(l.imageLarger);
    EXPECT_EQ(l.viewX, 0);
    EXPECT_EQ(imagePosition(800, 450, 801, 451, 0, 0), (Point{0, 0}));
    EXPECT_EQ(imagePosition(800, 450, 803, 100, 0, 0), (Point{-1, 175}));
}

TEST(ViewFit, SmallImagesGetTheMinimumAndLargeOnesTheDesktop) {
    FitGeometry fit = computeFit(100, 100, kMetrics, kDesktop);
    EXPECT_EQ(fit.inner, (Size{800, 450 + 70}));
    EXPECT_EQ(fit.outerTopLeft, (Point{(1920 - 800 - 16) / 2, (1080 - 520 - 39) / 2}));

    fit = computeFit(5000, 4000, kMetrics, kDesktop);
    EXPECT_EQ(fit.inner, (Size{1904, 1080 - 39}));
    EXPECT_EQ(fit.outerTopLeft, (Point{0, 0}));

    fit = computeFit(1000, 600, kMetrics, kDesktop);
    EXPECT_EQ(fit.inner, (Size{1000, 670}));
}

TEST(MoverDrag, StopsWhenAnEdgeReachesTheCanvasEdge) {
    MoverDrag drag;
    int panX = 0, panY = 0;
    drag.start(400, 200, 4000, 3000, 800, 450);
    EXPECT_EQ(drag.minX, -3200);
    EXPECT_EQ(drag.maxX, 0);
    Point p = drag.move(2400, 250, panX, panY);  // +2000 right: left edge stops at 0
    EXPECT_EQ(p, (Point{0, -1225}));
    EXPECT_EQ(panX, 1600);
    p = drag.move(2300, 250, panX, panY);  // the clamp moved the pan, not the pointer
    EXPECT_EQ(p.x, -100);
    p = drag.move(-10000, -10000, panX, panY);
    EXPECT_EQ(p, (Point{-3200, -2550}));
    int viewX = 0, viewY = 0;
    drag.finish(panX, panY, viewX, viewY);
    EXPECT_FALSE(drag.dragging);
    EXPECT_EQ(viewX, 1600);
    EXPECT_EQ(viewY, 1275);
}

TEST(MoverDrag, ASmallerAxisMovesAcrossTheCanvasAndKeepsItsPan) {
    MoverDrag drag;
    int panX = 0, panY = 0;
    drag.start(0, 0, 300, 3000, 800, 450);
    Point p = drag.move(1000, 0, panX, panY);
    EXPECT_EQ(p.x, 500);  // right edge at the canvas edge
    EXPECT_EQ(panX, 250);
    int viewX = 0, viewY = 0;
    drag.finish(panX, panY, viewX, viewY);
    EXPECT_EQ(viewX, 250);
}

TEST(StatusTexts, Formats) {
    EXPECT_EQ(sizeStatusText("no_image_loaded", 800, 450), "no_image_loaded  |  (800 x 450)");
    EXPECT_EQ(selectionStatusText(400, 300, Rect{-5, 7, 394, 306}),
              "Size = 400 x 300 | x/y ratio = 1.33333 | xLeft = -5 | yTop = 7 | xRight = 394 | yBottom = 306");
    EXPECT_EQ(selectionStatusText(2, 3, Rect{}).substr(0, 33), "Size = 2 x 3 | x/y ratio = 0.6666");
}

TEST(CanvasMapping, PanAndViewOffsets) {
    EXPECT_EQ(canvasToImage(Rect{10, 20, 30, 40}, 5, 6, 100, 200, 7, 8), (Rect{98, 206, 118, 226}));
}

}  // namespace
}  // namespace tarnel
