#include "app/editor.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "app/fake_platform.h"
#include "app/paths.h"
#include "app/preferences.h"
#include "canvas/selection_events.h"
#include "common/test_images.h"

namespace tarnel {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// An editor started as the program starts it, with its home in a temp folder.
struct EditorFixture : ::testing::Test {
    test::TempHome home{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    test::FakePlatform platform;
    Editor editor{platform};

    void SetUp() override { platform.home = home.folder(); }

    void start() {
        editor.loadPreferences();
        editor.drawStartupImage();
        editor.finishStartUp();
    }

    // Replaces the working image as a load does.
    void load(const Image& image) {
        editor.images().put(kSlotWorking, image);
        editor.resetHistory();
        editor.setCursorMode(CursorMode::Mover);
        editor.fitWindowToImage();
    }

    void select(int x1, int y1, int x2, int y2) {
        editor.mousePress(MouseButton::Left, x1, y1);
        editor.mouseMove(x2, y2);
        editor.mouseRelease(MouseButton::Left, x2, y2);
        for (const CustomEvent& e : platform.takeEvents()) editor.handleCustomEvent(e);
    }

    // The view shows the working image 1:1 at its current place.
    void expectGrabMatchesArea() {
        ASSERT_TRUE(editor.grabSelection(kSlotSelectedArea));
        const Rect area = editor.operationArea();
        const Image& grabbed = *editor.images().find(kSlotSelectedArea);
        EXPECT_EQ(area.width(), editor.selection().record().rect().width());
        EXPECT_EQ(area.height(), editor.selection().record().rect().height());
        EXPECT_EQ(grabbed, editor.working().copy(area));
    }
};

TEST_F(EditorFixture, FirstRunStartsCentredAndWritesTwoPreferenceLines) {
    start();
    EXPECT_EQ(editor.currentFilePath(), home.folder() + "Pictures" + kFolderSeparator + "no_image_loaded");
    EXPECT_EQ(platform.inner, (Size{800, 450 + 70}));
    EXPECT_EQ(platform.windowPos, (Point{(1920 - 800 - 16) / 2, (1080 - 520 - 39) / 2}));
    EXPECT_EQ(platform.status[0], "no_image_loaded  |  (800 x 450)");
    EXPECT_EQ(editor.canvasImage().width(), 800);
    EXPECT_EQ(editor.canvasImage().height(), 450);
    EXPECT_EQ(editor.canvasImage().pixel(0, 0), 0xA8555555u);
    EXPECT_EQ(editor.history().size(), 1);
    EXPECT_FALSE(platform.undoEnabled);
    EXPECT_FALSE(platform.redoEnabled);
    EXPECT_EQ(platform.cursor, CursorShape::Arrow);

    editor.shutdown();
    EXPECT_EQ(readFile(home.file(kPreferencesFileName)),
              "LastPath = " + home.folder() + "Pictures" + kFolderSeparator + "\r\nLastWindowState = 0\r\n");
}

TEST_F(EditorFixture, WindowStateAndLastFolderSurviveARun) {
    writeFile(home.file(kPreferencesFileName),
              "; keep me\r\nLastWindowState = 16777216\r\nExtra = 1\r\nLastPath = /pics/\r\n");
    start();
    EXPECT_EQ(editor.windowState(), kWindowMaximised);
    EXPECT_EQ(editor.currentFilePath(), "/pics/no_image_loaded");
    const int resizes = platform.resizeCount;
    editor.fitWindowToImage();
    EXPECT_EQ(platform.resizeCount, resizes) << "fit while maximised only lays out";

    editor.setCurrentFilePath("D:\\img\\a.png");
    editor.setWindowState(kWindowMinimised);
    editor.shutdown();
    EXPECT_EQ(readFile(home.file(kPreferencesFileName)),
              "; keep me\r\nLastWindowState = 0\r\nExtra = 1\r\nLastPath = D:\\img\\\r\n");
}

TEST_F(EditorFixture, QuitAsksAreYouSure) {
    platform.answer = MessageAnswer::No;
    EXPECT_FALSE(editor.confirmQuit());
    platform.answer = MessageAnswer::Yes;
    EXPECT_TRUE(editor.confirmQuit());
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].title, "End Program");
    EXPECT_EQ(platform.messages[0].text, "Are you sure?");
    EXPECT_EQ(platform.messages[0].buttons, MessageButtons::YesNo);
}

TEST_F(EditorFixture, SelectionDragPostsEventsAndShowsItsGeometry) {
    start();
    editor.setCursorMode(CursorMode::Selector);
    EXPECT_EQ(platform.cursor, CursorShape::Cross);
    editor.mousePress(MouseButton::Left, 100, 100);
    editor.mouseMove(499, 399);
    editor.mouseRelease(MouseButton::Left, 499, 399);
    EXPECT_EQ(platform.sleptMs, kSelectionMoveSleepMs);
    const auto events = platform.takeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, kEventSelectionChanging);
    EXPECT_EQ(events[0].object, kViewCanvas);
    EXPECT_EQ(events[1].code, kEventSelectionFinished);
    for (const CustomEvent& e : events) EXPECT_TRUE(editor.handleCustomEvent(e));
    EXPECT_EQ(platform.status[1],
              "Size = 400 x 300 | x/y ratio = 1.33333 | xLeft = 100 | yTop = 100 | xRight = 499 | yBottom = 399");
    EXPECT_EQ(editor.operationArea(), (Rect{100, 100, 499, 399}));

    editor.mouseRelease(MouseButton::Right, 5, 5);
    const auto popup = platform.takeEvents();
    ASSERT_EQ(popup.size(), 1u);
    EXPECT_EQ(popup[0].code, kEventPopupRequest);
    EXPECT_FALSE(editor.handleCustomEvent(popup[0]));
}

TEST_F(EditorFixture, InsideClickWarpsThePointerRoundingOnTheScreen) {
    start();
    editor.setCursorMode(CursorMode::Selector);
    select(2, 2, 29, 22);  // 28 x 21: centre (16, 12.5)
    platform.screenOrigin = {100, 200};
    editor.mousePress(MouseButton::Left, 10, 10);
    EXPECT_EQ(platform.pointer, (Point{16, 12}));  // screen 212.5 -> 212
    editor.mouseRelease(MouseButton::Left, 10, 10);
    platform.screenOrigin = {100, 201};
    editor.mousePress(MouseButton::Left, 10, 10);
    EXPECT_EQ(platform.pointer, (Point{16, 13}));  // screen 213.5 -> 214
    editor.mouseRelease(MouseButton::Left, 10, 10);
    EXPECT_TRUE(editor.selection().active());
}

TEST_F(EditorFixture, GrabbedPixelsAreTheOperationAreaOfTheWorkingImage) {
    start();
    editor.setCursorMode(CursorMode::Selector);
    select(37, 41, 211, 160);
    expectGrabMatchesArea();
    // The frame is back on the canvas after the grab.
    Image plain = editor.canvasImage();
    editor.toggleSelectionFrame();
    EXPECT_NE(plain, editor.canvasImage());
}

TEST_F(EditorFixture, SmallImageSelectionStaysOnTheImage) {
    start();
    load(test::photoLikeImage(300, 200, 24, 3));
    EXPECT_EQ(platform.inner, (Size{800, 520}));
    editor.setCursorMode(CursorMode::Selector);
    EXPECT_EQ(editor.selection().record().boundsLeft, 250);
    EXPECT_EQ(editor.selection().record().boundsBottom, 324);
    select(0, 0, 799, 449);  // clamped to the image
    EXPECT_EQ(editor.operationArea(), editor.working().rect());
    expectGrabMatchesArea();
    EXPECT_EQ(editor.images().find(kSlotSelectedArea)->depth(), 24);
}

TEST_F(EditorFixture, LargePannedImageMapsSelectionsToTheShownPixels) {
    start();
    load(test::photoLikeImage(4000, 3000, 32, 5));
    EXPECT_EQ(platform.inner, (Size{1904, 1041}));
    EXPECT_EQ(platform.windowPos, (Point{0, 0}));
    EXPECT_EQ(platform.cursor, CursorShape::SizeAll);
    EXPECT_EQ(editor.view().viewX, (4000 - 1904) / 2);

    editor.mousePress(MouseButton::Left, 500, 500);
    editor.mouseMove(300, 430);
    editor.mouseMove(290, 420);
    editor.mouseRelease(MouseButton::Left, 290, 420);
    EXPECT_EQ(editor.view().panX, -210);
    EXPECT_EQ(editor.view().panY, -80);

    editor.setCursorMode(CursorMode::Selector);
    select(10, 10, 200, 150);
    expectGrabMatchesArea();
    EXPECT_EQ(editor.operationArea().left, 10 + (4000 - 1904) / 2 + 210);
}

TEST_F(EditorFixture, NarrowTallImagePannedSidewaysKeepsTheMapping) {
    start();
    load(test::photoLikeImage(300, 3000, 24, 9));
    editor.mousePress(MouseButton::Left, 100, 100);
    editor.mouseMove(5000, 5000);  // as far right and down as it goes
    editor.mouseRelease(MouseButton::Left, 5000, 5000);
    EXPECT_EQ(editor.view().panX, (800 - 300) - (800 - 300) / 2);
    editor.setCursorMode(CursorMode::Selector);
    EXPECT_EQ(editor.selection().record().boundsLeft, 500);
    select(520, 0, 700, 50);
    expectGrabMatchesArea();
    EXPECT_EQ(editor.operationArea().left, 20);
    EXPECT_EQ(editor.operationArea().top, 0);
}

TEST_F(EditorFixture, UndoKeepsTheSelectionOrRefitsAfterASizeChange) {
    start();
    load(test::photoLikeImage(900, 500, 24, 2));
    editor.setCursorMode(CursorMode::Selector);
    select(100, 50, 300, 200);

    editor.working().fill(0x112233);  // negative-like: same size
    editor.recordChange();
    EXPECT_TRUE(platform.undoEnabled);
    EXPECT_FALSE(platform.redoEnabled);
    const int resizes = platform.resizeCount;
    editor.undo();
    EXPECT_EQ(platform.resizeCount, resizes);
    EXPECT_TRUE(editor.selection().active()) << "same size: the selection stays";
    EXPECT_FALSE(platform.undoEnabled);
    EXPECT_TRUE(platform.redoEnabled);
    editor.redo();
    EXPECT_EQ(editor.working().pixel(0, 0), 0x112233u);

    editor.images().put(kSlotWorking, Image(500, 900, 24, 7));  // rotate-like
    editor.recordChange();
    EXPECT_FALSE(platform.redoEnabled);
    editor.undo();
    EXPECT_GT(platform.resizeCount, resizes);
    EXPECT_EQ(editor.working().width(), 900);
    EXPECT_FALSE(editor.selection().active()) << "a refit removes the selection";
    EXPECT_EQ(editor.history().size(), 3);
}

TEST_F(EditorFixture, RevertRestoresTheSourceAndDisablesBothButtons) {
    start();
    const Image startup = editor.working();
    editor.working().fill(1);
    editor.recordChange();
    editor.images().put(kSlotWorking, Image(10, 10));
    editor.recordChange();
    editor.undo();
    editor.revert();
    EXPECT_EQ(editor.working(), startup);
    EXPECT_EQ(editor.history().size(), 1);
    EXPECT_FALSE(platform.undoEnabled);
    EXPECT_FALSE(platform.redoEnabled);
    EXPECT_EQ(editor.images().count(), 2) << "working image and one snapshot";
}

TEST_F(EditorFixture, SpaceBarTogglesModesAndLeavingSelectorRemovesTheSelection) {
    start();
    const Image plain = editor.canvasImage();
    editor.toggleCursorMode();
    EXPECT_EQ(editor.cursorMode(), CursorMode::Selector);
    select(10, 10, 100, 100);
    platform.takeEvents();
    ASSERT_FALSE(platform.status[1].empty());
    editor.toggleCursorMode();
    EXPECT_EQ(editor.cursorMode(), CursorMode::Mover);
    EXPECT_EQ(platform.cursor, CursorShape::Arrow);
    EXPECT_FALSE(editor.selection().active());
    EXPECT_EQ(platform.status[1], "") << "the selection's geometry goes with it";
    EXPECT_EQ(editor.canvasImage(), plain);
    const auto events = platform.takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, kEventSelectionCleared);

    // Arrows do nothing in mover mode.
    const int repaints = platform.repaintCount;
    editor.nudge(Nudge::Right);
    EXPECT_EQ(platform.repaintCount, repaints);

    // Choosing the selector again erases a frame still drawn.
    editor.setCursorMode(CursorMode::Selector);
    select(10, 10, 100, 100);
    editor.setCursorMode(CursorMode::Selector);
    EXPECT_FALSE(editor.selection().active());
    EXPECT_EQ(editor.canvasImage(), plain);
    EXPECT_EQ(platform.cursor, CursorShape::Cross);
}

TEST_F(EditorFixture, NudgesRedrawWithTheFrameAtItsNewPlace) {
    start();
    load(test::photoLikeImage(300, 200, 24, 4));
    editor.setCursorMode(CursorMode::Selector);
    select(250, 125, 260, 135);  // touches the image's top-left corner
    const Image before = editor.canvasImage();
    const int repaints = platform.repaintCount;
    editor.nudge(Nudge::Left);  // at the bound: nothing moves, the view still redraws
    EXPECT_GT(platform.repaintCount, repaints);
    EXPECT_EQ(editor.canvasImage(), before);
    editor.nudge(Nudge::Right);
    editor.nudge(Nudge::Taller);
    EXPECT_EQ(editor.selection().record().rect(), (Rect{251, 125, 261, 136}));
    EXPECT_EQ(editor.operationArea(), (Rect{1, 0, 11, 11}));
    EXPECT_EQ(platform.status[1].substr(0, 14), "Size = 11 x 12");
    expectGrabMatchesArea();
}

TEST_F(EditorFixture, TheShownSlotIsTheOneLastDrawnAndTheRevisionFollowsSlot4) {
    start();
    EXPECT_EQ(editor.shownSlot(), kSlotWorking);
    const auto revision = editor.workingRevision();
    editor.images().put(kSlotPreview, Image(20, 10, 24, 0x00FF00));
    editor.redraw(kSlotPreview, true);
    EXPECT_EQ(editor.shownSlot(), kSlotPreview);
    editor.redraw(kSlotScratch, true);  // empty: nothing drawn, nothing changes
    EXPECT_EQ(editor.shownSlot(), kSlotPreview);
    EXPECT_EQ(editor.workingRevision(), revision);

    // Every way slot 4 changes moves the revision; Undo shows slot 4 again.
    editor.recordChange(kSlotWorking);
    const auto recorded = editor.workingRevision();
    EXPECT_NE(recorded, revision);
    editor.undo();
    EXPECT_NE(editor.workingRevision(), recorded);
    EXPECT_EQ(editor.shownSlot(), kSlotWorking);
    const auto undone = editor.workingRevision();
    editor.revert();
    EXPECT_NE(editor.workingRevision(), undone);
}

TEST_F(EditorFixture, RedrawOfAnEmptySlotChangesNothing) {
    start();
    const Image before = editor.canvasImage();
    const std::string status = platform.status[0];
    editor.redraw(kSlotPreview, true);
    EXPECT_EQ(editor.canvasImage(), before);
    EXPECT_EQ(platform.status[0], status);
}

TEST_F(EditorFixture, RefreshHookFollowsRedrawsAndSelectionEvents) {
    int refreshes = 0;
    editor.setRefreshHook([&] { ++refreshes; });
    start();
    EXPECT_GT(refreshes, 0);
    refreshes = 0;
    editor.setCursorMode(CursorMode::Selector);
    select(5, 5, 50, 50);
    EXPECT_EQ(refreshes, 1);
}

}  // namespace
}  // namespace tarnel
