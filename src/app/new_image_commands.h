#pragma once
// New image (command 17, after its dialog's OK), Paste as new image (15) and
// Copy (13) on the editor's document, free of any window system. The dialog
// and the copy notice are the Qt layer's (io/new_image_dialog.h).
//
// New image and Paste as new image make the image the working image and the
// new source image: name "NewImage", current file path its folder followed
// by "NewImage", no selection, mover mode, the window fitted to the image
// (which also puts both pan offsets at 0) and a one-entry history. Copy
// neither tests the busy state nor touches the history.

#include <string_view>

#include "core/image.h"
#include "io/new_image.h"

namespace tarnel {

class Editor;

inline constexpr std::string_view kCopyErrorTitle = "Copy";
inline constexpr std::string_view kCopyErrorText = "The image could not be put on the clipboard.";
inline constexpr std::string_view kPasteErrorTitle = "Paste new image";

// The New image dialog's OK: clamps the sides in settings and makes the
// blank image the working image as above.
void newImageOk(Editor& editor, NewImageSettings& settings);

// Paste as new image: the clipboard's image read at 24 bits, stretched to at
// least kDialogMinSide along each side (width first, then height, smoothly),
// made the working image as above. An empty clipboard or one without an image
// changes nothing and says nothing; an image refused as too large changes
// nothing and says why in a message box. True when an image was pasted.
bool pasteNewImageCommand(Editor& editor);

enum class CopyResult {
    Nothing,  // no working image (or an empty selection): nothing written
    Copied,
    Failed,   // the clipboard refused the image; an error box said so
};

// Copy: the selected part of the view (as grabbed) with an active selection,
// else the whole working image, onto the clipboard.
CopyResult copyCommand(Editor& editor);

// Where the "copied to clipboard." notice shows, in screen coordinates: 200 x
// 30 at (frame left + image width / 2 + 30, frame top + image height / 2 - 15),
// with the main window's outer frame and the working image's size (division
// truncates).
inline constexpr int kCopyNoticeMs = 1250;
Rect copyNoticeRect(int frameLeft, int frameTop, int imageWidth, int imageHeight);

}  // namespace tarnel
