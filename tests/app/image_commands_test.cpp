#include "app/image_commands.h"

#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/editor.h"
#include "app/editor_fixture.h"
#include "core/pixel_memory.h"
#include "common/test_images.h"
#include "effects/gaussian_blur.h"
#include "quantize/color_count.h"
#include "transform/colors.h"
#include "transform/flip.h"
#include "transform/rotate.h"

namespace tarnel {
namespace {

// An editor after start-up with a loaded picture, driven as the window does.
struct ImageCommandsFixture : test::EditorFixture {

    // A 300 x 200 picture shown centred on the 800 x 450 canvas (image
    // origin at canvas (250, 125)), with canvas (260, 137)-(300, 170)
    // selected: image area (10, 12)-(50, 45), 41 x 34 pixels.
    static constexpr Rect kArea{10, 12, 50, 45};
    void loadAndSelect(int depth = 24) {
        load(test::photoLikeImage(300, 200, depth, 7));
        editor.setCursorMode(CursorMode::Selector);
        editor.mousePress(MouseButton::Left, 260, 137);
        editor.mouseMove(300, 170);
        editor.mouseRelease(MouseButton::Left, 300, 170);
        for (const CustomEvent& e : platform.takeEvents()) editor.handleCustomEvent(e);
        ASSERT_EQ(editor.operationArea(), kArea);
    }

    const Image& lastSnapshot() const {
        const History& h = editor.history();
        return *editor.images().find(h.entrySlot(h.size() - 1));
    }

    // Pixels outside area are those of before.
    static void expectOutsideUnchanged(const Image& before, const Image& after, const Rect& area) {
        ASSERT_EQ(before.width(), after.width());
        ASSERT_EQ(before.height(), after.height());
        int differing = 0;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (!area.contains(x, y) && before.pixel(x, y) != after.pixel(x, y)) ++differing;
        EXPECT_EQ(differing, 0);
    }
};

TEST_F(ImageCommandsFixture, RotateRightRefitsAndUndoRestoresTheOldSizeAndWindow) {
    const Image picture = test::photoLikeImage(1000, 600, 32, 3);
    load(picture);
    const Size innerBefore = platform.inner;
    ASSERT_EQ(innerBefore, (Size{1000, 600 + 70}));
    editor.setCursorMode(CursorMode::Selector);
    editor.mousePress(MouseButton::Left, 10, 10);
    editor.mouseMove(40, 40);
    editor.mouseRelease(MouseButton::Left, 40, 40);
    platform.takeEvents();

    ASSERT_TRUE(rotateRightCommand(editor));
    EXPECT_EQ(editor.working(), rotate90(picture, RotateDirection::Clockwise)) << "the selection is ignored";
    EXPECT_EQ(platform.inner, (Size{800, 971 + 70})) << "fitted to 600 x 1000 within the desktop";
    EXPECT_FALSE(editor.selection().active()) << "the refit removes the selection";
    EXPECT_EQ(editor.history().size(), 2);
    EXPECT_EQ(lastSnapshot(), editor.working());
    EXPECT_TRUE(platform.undoEnabled);

    editor.undo();
    EXPECT_EQ(editor.working(), picture);
    EXPECT_EQ(platform.inner, innerBefore);

    editor.redo();
    ASSERT_TRUE(rotateLeftCommand(editor));
    EXPECT_EQ(editor.working(), picture);
    EXPECT_EQ(platform.inner, innerBefore);
    EXPECT_EQ(editor.history().size(), 3);
}

TEST_F(ImageCommandsFixture, NegativeOnASelectionThenUndoKeepsWindowAndSelection) {
    loadAndSelect();
    const Image before = editor.working();
    const int resizes = platform.resizeCount;
    std::vector<int> historyAtPaletteRefresh;
    negativeCommand(editor, [&] { historyAtPaletteRefresh.push_back(editor.history().size()); });

    Image expected = before;
    negative(expected, kArea);
    EXPECT_EQ(editor.working(), expected);
    EXPECT_EQ(historyAtPaletteRefresh, std::vector<int>{2}) << "palette refreshed once, after recording";
    EXPECT_TRUE(editor.selection().active());
    EXPECT_EQ(lastSnapshot(), expected) << "the snapshot holds the whole image";

    editor.undo();
    EXPECT_EQ(editor.working(), before) << "undo restores the whole image";
    EXPECT_EQ(platform.resizeCount, resizes);
    EXPECT_TRUE(editor.selection().active());
    EXPECT_EQ(editor.operationArea(), kArea);
    EXPECT_FALSE(platform.undoEnabled);
    EXPECT_TRUE(platform.redoEnabled);
}

// Each in-place command on a selection equals its algorithm on the area, and
// records a snapshot of the whole image while keeping the selection.
TEST_F(ImageCommandsFixture, InPlaceCommandsWorkOnTheSelectedAreaOnly) {
    using Algorithm = void (*)(Image&, const Rect&);
    const std::vector<std::pair<void (*)(Editor&), Algorithm>> cases = {
        {rotate180Command, [](Image& i, const Rect& r) { rotate180(i, r); }},
        {flipCommand, [](Image& i, const Rect& r) { flip(i, r); }},
        {mirrorCommand, [](Image& i, const Rect& r) { mirror(i, r); }},
        {[](Editor& e) { grayScaleCommand(e); }, [](Image& i, const Rect& r) { grayScale(i, r); }},
    };
    loadAndSelect(32);
    int recorded = editor.history().size();
    for (const auto& [command, algorithm] : cases) {
        Image expected = editor.working();
        const Image before = expected;
        algorithm(expected, kArea);
        command(editor);
        EXPECT_EQ(editor.working(), expected);
        expectOutsideUnchanged(before, editor.working(), kArea);
        EXPECT_EQ(editor.history().size(), ++recorded);
        EXPECT_EQ(lastSnapshot(), expected);
        EXPECT_TRUE(editor.selection().active());
    }
}

// With the memory used up, a command changes nothing that stays: the image
// and its history are as before, for changes in place and of size alike.
TEST_F(ImageCommandsFixture, OutOfMemoryLeavesImageAndHistoryAsTheyWere) {
    load(test::photoLikeImage(1200, 700, 24, 3));  // 3.2 MB: large buffers
    negativeCommand(editor);
    const Image before = editor.working();
    const int states = editor.history().size();
    failPixelAllocationsFrom(before.pixelCount() * sizeof(Color));
    const std::function<void()> commands[] = {
        [&] { negativeCommand(editor); },       [&] { mirrorCommand(editor); },
        [&] { rotateRightCommand(editor); },    [&] { effectCommand(editor, Effect::Faded); },
        [&] { gaussianBlurCommand(editor); },
    };
    for (const auto& command : commands) {
        EXPECT_THROW(command(), std::bad_alloc);
        EXPECT_EQ(editor.working(), before);
        EXPECT_EQ(editor.history().size(), states);
    }
    failPixelAllocationsFrom(0);
    editor.undo();  // the history is intact behind it
    EXPECT_NE(editor.working(), before);
}

TEST_F(ImageCommandsFixture, EffectIdsNameTheirMenuEntries) {
    const std::pair<int, const char*> menu[] = {
        {50, "scramble"},  {51, "unscramble"}, {52, "Pencil"},   {53, "Noise"}, {54, "Edge detect"},
        {55, "X-factor"},  {56, "Scratch"},    {57, "Glowie"},   {58, "Spacy"}, {59, "Phantom"},
        {60, "Blush"},     {61, "Spectrum"},   {62, "Demon"},    {63, "Faded"}, {64, "Artist"},
    };
    for (const auto& [id, text] : menu) {
        const std::optional<Effect> effect = effectForCommand(id);
        ASSERT_TRUE(effect.has_value()) << id;
        EXPECT_EQ(effectMenuText(*effect), text) << id;
    }
    EXPECT_FALSE(effectForCommand(kCmdGaussianBlur).has_value());
    EXPECT_FALSE(effectForCommand(49).has_value());
    EXPECT_FALSE(effectForCommand(65).has_value());
}

// With a selection every effect runs over the cut-out alone: its pixel
// orders span the selection's own size, and nothing outside changes.
TEST_F(ImageCommandsFixture, EffectOnASelectionEqualsTheEffectOfTheCutOut) {
    loadAndSelect(32);
    const int slotsBefore = editor.images().count();
    for (int id = kCmdFirstEffect; id <= kCmdLastEffect; ++id) {
        const Image before = editor.working();
        Image part = before.copy(kArea);
        applyEffect(part, *effectForCommand(id));
        Image expected = before;
        expected.paste(part, kArea.left, kArea.top);

        effectCommand(editor, id);
        EXPECT_EQ(editor.working(), expected) << id;
        expectOutsideUnchanged(before, editor.working(), kArea);
        EXPECT_EQ(lastSnapshot(), expected) << id;
        EXPECT_TRUE(editor.selection().active());
        EXPECT_EQ(editor.images().count(), slotsBefore + (id - kCmdFirstEffect + 1))
            << "only the new snapshot remains; the temporary copy is freed";
    }
}

TEST_F(ImageCommandsFixture, ScrambleAndUnscrambleOfTheSameSelectionRestoreIt) {
    loadAndSelect();
    const Image before = editor.working();
    effectCommand(editor, kCmdScramble);
    EXPECT_NE(editor.working(), before);
    effectCommand(editor, kCmdUnscramble);
    EXPECT_EQ(editor.working(), before);
    EXPECT_EQ(editor.history().size(), 3);
}

TEST_F(ImageCommandsFixture, EffectWithoutSelectionCoversTheWholeImage) {
    const Image picture = test::photoLikeImage(120, 90, 24, 4);
    load(picture);
    Image expected = picture;
    applyEffect(expected, Effect::Spectrum);
    effectCommand(editor, Effect::Spectrum);
    EXPECT_EQ(editor.working(), expected);
    EXPECT_EQ(editor.history().size(), 2);
}

TEST_F(ImageCommandsFixture, BlurOnASelectionGoesThroughTheScratchSlot) {
    loadAndSelect();
    const Image before = editor.working();
    Image part = before.copy(kArea);
    blurImage(part, kMenuBlurRepeatCount);
    Image expected = before;
    expected.paste(part, kArea.left, kArea.top);

    ASSERT_TRUE(gaussianBlurCommand(editor));
    EXPECT_EQ(editor.working(), expected);
    expectOutsideUnchanged(before, editor.working(), kArea);
    ASSERT_TRUE(editor.images().exists(kSlotScratch));
    EXPECT_EQ(*editor.images().find(kSlotScratch), part);
    EXPECT_EQ(editor.history().size(), 2);
    EXPECT_TRUE(editor.selection().active());

    editor.undo();
    EXPECT_EQ(editor.working(), before);
}

TEST_F(ImageCommandsFixture, WhileQuantizeIsOpenBlurAndEffectsWaitButNegativeRuns) {
    const Image picture = test::photoLikeImage(200, 150, 24, 5);
    load(picture);
    editor.busyMask().set(kBusyQuantize);
    const int repaints = platform.repaintCount;

    EXPECT_FALSE(gaussianBlurCommand(editor));
    effectCommand(editor, kCmdPencil);
    EXPECT_EQ(editor.working(), picture);
    EXPECT_EQ(editor.history().size(), 1);
    EXPECT_EQ(platform.repaintCount, repaints) << "a refused command does not redraw";

    negativeCommand(editor);
    Image expected = picture;
    negative(expected);
    EXPECT_EQ(editor.working(), expected);
    EXPECT_EQ(editor.history().size(), 2);

    editor.busyMask().clear(kBusyQuantize);
    EXPECT_TRUE(gaussianBlurCommand(editor));
    EXPECT_EQ(editor.history().size(), 3);
}

TEST_F(ImageCommandsFixture, CommandsWithoutAWorkingImageDoNothing) {
    editor.images().free(kSlotWorking);
    EXPECT_FALSE(rotateRightCommand(editor));
    negativeCommand(editor);
    flipCommand(editor);
    effectCommand(editor, kCmdArtist);
    EXPECT_FALSE(gaussianBlurCommand(editor));
    EXPECT_EQ(countColorsCommand(editor), -1);
    EXPECT_FALSE(editor.hasWorking());
    EXPECT_EQ(editor.history().size(), 1);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ImageCommandsFixture, CountColorsShowsTheNumberOfTheImageOrOfTheSelection) {
    // 30 x 20: left half white, right half 30 columns of distinct reds, and
    // one pixel differing from white only in its alpha.
    Image picture(30, 20, 32, 0xFFFFFFFF);
    for (int y = 0; y < 20; ++y)
        for (int x = 15; x < 30; ++x) picture.setPixel(x, y, rgba(x, 0, 0, 255));
    picture.setPixel(0, 0, 0x00FFFFFF);
    load(picture);

    EXPECT_EQ(countColorsCommand(editor), 16);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Unique colors");
    EXPECT_EQ(platform.messages[0].text, "16");
    EXPECT_EQ(platform.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(editor.history().size(), 1) << "counting changes nothing";

    // The 30 x 20 image sits at canvas (385, 215); select image columns
    // 10 .. 19 of rows 5 .. 9: white plus the reds 15 .. 19.
    editor.setCursorMode(CursorMode::Selector);
    editor.mousePress(MouseButton::Left, 395, 220);
    editor.mouseMove(404, 224);
    editor.mouseRelease(MouseButton::Left, 404, 224);
    platform.takeEvents();
    ASSERT_EQ(editor.operationArea(), (Rect{10, 5, 19, 9}));
    EXPECT_EQ(countColorsCommand(editor), 6);
    EXPECT_EQ(platform.messages.back().text, "6");
}

// Counting a selection must not destroy the preview an open tool keeps in
// the scratch slot (count colors does not wait for modal tools).
TEST_F(ImageCommandsFixture, CountColorsOfASelectionKeepsTheScratchSlot) {
    loadAndSelect();
    const Image preview(7, 5, 24, 0x123456);
    editor.images().put(kSlotScratch, preview);
    editor.busyMask().set(kBusyBrightnessContrast);
    const int slots = editor.images().count();

    const int shown = countColorsCommand(editor);
    EXPECT_EQ(shown, countColors(editor.working(), kArea));
    EXPECT_EQ(platform.messages.back().text, std::to_string(shown));
    ASSERT_TRUE(editor.images().exists(kSlotScratch));
    EXPECT_EQ(*editor.images().find(kSlotScratch), preview);
    EXPECT_EQ(editor.images().count(), slots) << "the temporary copy is freed";
}

TEST_F(ImageCommandsFixture, CropKeepsTheSelectedAreaAndUndoBringsTheWholeBack) {
    const Image picture = test::photoLikeImage(800, 600, 24, 11);
    load(picture);
    EXPECT_FALSE(cropCommand(editor)) << "no selection: nothing happens";
    editor.setCursorMode(CursorMode::Selector);
    EXPECT_FALSE(cropCommand(editor));
    EXPECT_EQ(editor.history().size(), 1);
    EXPECT_EQ(editor.working(), picture);

    // The 800 x 600 image fills the canvas from its top-left corner.
    editor.mousePress(MouseButton::Left, 100, 50);
    editor.mouseMove(109, 69);
    editor.mouseRelease(MouseButton::Left, 109, 69);
    platform.takeEvents();
    ASSERT_TRUE(cropCommand(editor));
    EXPECT_EQ(editor.working(), picture.copy(Rect{100, 50, 109, 69}));
    EXPECT_EQ(editor.cursorMode(), CursorMode::Mover) << "and no selection";
    EXPECT_EQ(platform.inner, (Size{800, 450 + 70})) << "fitted to the 10 x 20 image";
    EXPECT_EQ(lastSnapshot(), editor.working());

    editor.undo();
    EXPECT_EQ(editor.working(), picture);
    EXPECT_EQ(platform.inner, (Size{800, 600 + 70}));
}

// The pixels cropped are those inside the frame on screen, also after the
// large image was dragged.
TEST_F(ImageCommandsFixture, CropOfAPannedImageTakesThePixelsShownInTheFrame) {
    load(test::photoLikeImage(2500, 1600, 32, 5));
    editor.mousePress(MouseButton::Left, 500, 500);
    editor.mouseMove(290, 420);
    editor.mouseRelease(MouseButton::Left, 290, 420);
    ASSERT_EQ(editor.view().panX, -210);
    ASSERT_EQ(editor.view().panY, -80);
    editor.setCursorMode(CursorMode::Selector);
    editor.mousePress(MouseButton::Left, 10, 10);
    editor.mouseMove(200, 150);
    editor.mouseRelease(MouseButton::Left, 200, 150);
    platform.takeEvents();
    ASSERT_TRUE(editor.grabSelection(kSlotSelectedArea));
    const Image shown = *editor.images().find(kSlotSelectedArea);

    ASSERT_TRUE(cropCommand(editor));
    EXPECT_EQ(editor.working(), shown);
}

// A tool's preview on screen (another slot drawn into the view) is not what
// gets cropped: the working image is.
TEST_F(ImageCommandsFixture, CropWithAPreviewOnScreenCropsTheWorkingImage) {
    loadAndSelect(32);
    const Image before = editor.working();
    Image preview = before;
    negative(preview, preview.rect());
    editor.images().put(kSlotPreview, preview);
    editor.redraw(kSlotPreview, true);
    ASSERT_EQ(editor.shownSlot(), kSlotPreview);

    ASSERT_TRUE(cropCommand(editor));
    EXPECT_EQ(editor.working(), before.copy(kArea));
}

}  // namespace
}  // namespace tarnel
