#include "app/new_image_commands.h"

#include <string>

#include "app/editor.h"
#include "core/field_value.h"
#include "io/clipboard_image.h"
#include "io/file_names.h"
#include "tools/resize.h"

namespace tarnel {

namespace {

constexpr int kCopyNoticeWidth = 200;
constexpr int kCopyNoticeHeight = 30;

void makeWorkingImage(Editor& editor, Image image) {
    editor.images().put(kSlotWorking, std::move(image));
    editor.setImageName(std::string(kNewImageName));
    editor.setCurrentFilePath(folderPart(editor.currentFilePath()) + std::string(kNewImageName));
    // Mover mode detaches the selection; the fit lays the view out afresh,
    // pan offsets 0.
    editor.setCursorMode(CursorMode::Mover);
    editor.fitWindowToImage(kSlotWorking);
    editor.resetHistory();
}

}  // namespace

void newImageOk(Editor& editor, NewImageSettings& settings) {
    LongWork busy(editor.platform());
    makeWorkingImage(editor, makeNewImage(settings));
}

bool pasteNewImageCommand(Editor& editor) {
    ClipboardImage read;
    {
        LongWork busy(editor.platform());
        read = editor.platform().clipboardImage();
        if (!read.image.isNull()) {
            Image image = clipboardImageAtDepth(std::move(read.image), 24);
            if (image.width() < kDialogMinSide) image = smoothResize(image, kDialogMinSide, 0);
            if (image.height() < kDialogMinSide) image = smoothResize(image, 0, kDialogMinSide);
            makeWorkingImage(editor, std::move(image));
            return true;
        }
    }
    if (!read.refusal.empty())
        editor.platform().messageBox(std::string(kPasteErrorTitle), read.refusal, MessageButtons::Ok);
    return false;
}

CopyResult copyCommand(Editor& editor) {
    if (!editor.hasWorking()) return CopyResult::Nothing;
    bool written = false;
    if (editor.selectionActive()) {
        ImageTable& images = editor.images();
        const int slot = images.add(Image());
        if (editor.grabSelection(slot)) written = editor.platform().setClipboardImage(*images.find(slot));
        const bool grabbed = images.exists(slot);
        images.free(slot);
        if (!grabbed) return CopyResult::Nothing;
    } else {
        written = editor.platform().setClipboardImage(editor.working());
    }
    if (written) return CopyResult::Copied;
    editor.platform().messageBox(std::string(kCopyErrorTitle), std::string(kCopyErrorText), MessageButtons::Ok);
    return CopyResult::Failed;
}

Rect copyNoticeRect(int frameLeft, int frameTop, int imageWidth, int imageHeight) {
    const int left = frameLeft + imageWidth / 2 + 30;
    const int top = frameTop + imageHeight / 2 - 15;
    return Rect{left, top, left + kCopyNoticeWidth - 1, top + kCopyNoticeHeight - 1};
}

}  // namespace tarnel
