#include "app/new_image_commands.h"

#include <gtest/gtest.h>

#include "app/editor.h"
#include "app/editor_fixture.h"
#include "common/test_images.h"
#include "io/clipboard_image.h"

namespace tarnel {
namespace {

struct NewImageCommands : test::EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        // Something to undo, so that a fresh history shows.
        editor.working().fill(0);
        editor.recordChange(kSlotWorking);
        fitsBefore = platform.resizeCount;
    }

    void expectFreshNewImage() {
        EXPECT_EQ(editor.history().size(), 1);
        EXPECT_FALSE(platform.undoEnabled);
        EXPECT_FALSE(platform.redoEnabled);
        EXPECT_EQ(editor.imageName(), "NewImage");
        EXPECT_EQ(editor.currentFilePath(), home.folder() + "Pictures/NewImage");
        EXPECT_EQ(editor.cursorMode(), CursorMode::Mover);
        EXPECT_FALSE(editor.selectionActive());
        EXPECT_GT(platform.resizeCount, fitsBefore);  // the window fitted to the image
        fitsBefore = platform.resizeCount;
    }

    int fitsBefore = 0;
};

TEST_F(NewImageCommands, NewImageWithTheDefaultsIsWhiteAndStartsAFreshHistory) {
    NewImageSettings settings;
    newImageOk(editor, settings);
    EXPECT_EQ(editor.working(), Image(768, 512, 24, 0xFFFFFF));
    EXPECT_EQ(platform.status[0], "NewImage  |  (768 x 512)");
    expectFreshNewImage();
}

TEST_F(NewImageCommands, PasteStretchesNarrowImagesToSixteen) {
    const struct {
        int w, h, expectedW, expectedH;
    } cases[] = {{10, 300, 16, 300}, {3, 3, 16, 16}, {40, 16, 40, 16}};
    for (const auto& c : cases) {
        const Image source = test::randomImage(c.w, c.h, 32, 3);
        platform.clipboard = ClipboardImage{source, {}};
        ASSERT_TRUE(pasteNewImageCommand(editor));
        EXPECT_EQ(editor.working().width(), c.expectedW);
        EXPECT_EQ(editor.working().height(), c.expectedH);
        EXPECT_EQ(editor.working().depth(), 24);
        if (c.w == c.expectedW) {
            EXPECT_EQ(editor.working(), clipboardImageAtDepth(source, 24));
        }
        expectFreshNewImage();
    }
}

TEST_F(NewImageCommands, PasteWithoutAnImageChangesNothing) {
    const Image before = editor.working();
    platform.clipboard = ClipboardImage{};
    EXPECT_FALSE(pasteNewImageCommand(editor));
    EXPECT_TRUE(platform.messages.empty());  // silently

    platform.clipboard = ClipboardImage{Image(), "The clipboard image cannot be pasted: too large."};
    EXPECT_FALSE(pasteNewImageCommand(editor));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Paste new image");
    EXPECT_EQ(platform.messages[0].text, platform.clipboard.refusal);
    EXPECT_EQ(editor.working(), before);
    EXPECT_EQ(editor.history().size(), 2);
}

TEST_F(NewImageCommands, CopyWritesExactlyTheSelectedRectangle) {
    load(test::randomImage(1000, 700, 24, 6));  // fills the canvas from its top-left
    editor.setCursorMode(CursorMode::Selector);
    editor.mousePress(MouseButton::Left, 10, 5);
    editor.mouseMove(30, 25);
    editor.mouseRelease(MouseButton::Left, 30, 25);
    for (const CustomEvent& e : platform.takeEvents()) editor.handleCustomEvent(e);
    ASSERT_TRUE(editor.selectionActive());
    const int slots = editor.images().count();
    EXPECT_EQ(copyCommand(editor), CopyResult::Copied);
    EXPECT_EQ(platform.clipboard.image, editor.working().copy(editor.operationArea()));
    EXPECT_EQ(platform.clipboard.image.width(), 21);
    EXPECT_EQ(editor.images().count(), slots);  // the grab is freed
    EXPECT_EQ(editor.history().size(), 1);
}

TEST_F(NewImageCommands, AFailedCopyIsReportedNotNoticed) {
    platform.clipboardWritable = false;
    EXPECT_EQ(copyCommand(editor), CopyResult::Failed);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Copy");
    EXPECT_EQ(platform.messages[0].text, "The image could not be put on the clipboard.");
}

}  // namespace
}  // namespace tarnel
