#include "app/command_table_qt.h"

#include <algorithm>
#include <iterator>

#include "app/command_ids.h"
#include "document/slots.h"

namespace tarnel {

namespace {

constexpr QKeyCombination ctrl(Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); }
constexpr QKeyCombination shift(Qt::Key key) { return QKeyCombination(Qt::ShiftModifier, key); }
constexpr QKeyCombination plain(Qt::Key key) { return QKeyCombination(key); }

// A command found in both menus under the same text.
constexpr CommandRow both(int id, const char* text, bool longWork = false) {
    return CommandRow{.id = id, .menuText = text, .popupText = text, .longWork = longWork};
}
constexpr CommandRow keyOnly(int id, QKeyCombination key) { return CommandRow{.id = id, .key = key}; }
constexpr CommandRow effect(int id, const char* text, const char* popupText = nullptr) {
    return CommandRow{.id = id, .menuText = text, .popupText = popupText ? popupText : text, .longWork = true};
}

const CommandRow kRows[] = {
    {.id = kCmdRevert, .menuText = "Revert\tCtrl+R", .popupText = "Revert", .key = ctrl(Qt::Key_R)},
    both(kCmdFlip, "Flip", true),
    both(kCmdMirror, "Mirror", true),
    both(kCmdNegative, "Negative", true),
    both(kCmdRotateRight, "Rotate Right", true),
    {.id = kCmdCrop, .menuText = "crop\tCtrl+X", .popupText = "crop\tCtrl+X", .key = ctrl(Qt::Key_X),
     .toolTip = "crop to selection", .iconTheme = "edit-cut", .iconFallback = QStyle::SP_DialogDiscardButton,
     .longWork = true},
    both(kCmdGrayScale, "Gray Scale", true),
    both(kCmdRotate180, "Rotate 180", true),
    both(kCmdTwoColors, "Two Colors..."),
    both(kCmdRotateLeft, "Rotate Left", true),
    {.id = kCmdLoadImage, .menuText = "Load image\tCtrl+L", .popupText = "load image\tCtrl+L",
     .key = ctrl(Qt::Key_L), .toolTip = "load image", .iconTheme = "document-open",
     .iconFallback = QStyle::SP_DialogOpenButton},
    {.id = kCmdBrightContrast, .menuText = "Bright/Contrast...", .popupText = "Brightness..."},
    {.id = kCmdSaveImage, .menuText = "Save image\tCtrl+S", .popupText = "save image\tCtrl+S",
     .key = ctrl(Qt::Key_S), .toolTip = "save image", .iconTheme = "document-save",
     .iconFallback = QStyle::SP_DialogSaveButton},
    {.id = kCmdCopy, .menuText = "copy\tCtrl+C", .popupText = "copy\tCtrl+C", .key = ctrl(Qt::Key_C),
     .toolTip = "copy image/selection", .iconTheme = "edit-copy", .iconFallback = QStyle::SP_FileDialogNewFolder},
    {.id = kCmdPasteFloating, .menuText = "paste floating section\tCtrl+V",
     .popupText = "paste floating section\tCtrl+V", .key = ctrl(Qt::Key_V), .toolTip = "paste floating section",
     .iconTheme = "edit-paste", .iconFallback = QStyle::SP_DialogApplyButton},
    {.id = kCmdPasteNewImage, .menuText = "paste new image\tCtrl+I", .popupText = "paste new image\tCtrl+I",
     .key = ctrl(Qt::Key_I), .toolTip = "paste new image", .iconTheme = "edit-find-replace",
     .iconFallback = QStyle::SP_BrowserReload},
    {.id = kCmdNewImage, .menuText = "New image\tCtrl+N", .popupText = "new image\tCtrl+N",
     .key = ctrl(Qt::Key_N), .toolTip = "new image", .iconTheme = "document-new",
     .iconFallback = QStyle::SP_FileIcon},
    {.id = kCmdAddText, .menuText = "add text\tCtrl+T", .popupText = "add text\tCtrl+T", .key = ctrl(Qt::Key_T)},
    keyOnly(kCmdToggleCursorMode, plain(Qt::Key_Space)),
    keyOnly(kCmdNudgeLeft, plain(Qt::Key_Left)),
    keyOnly(kCmdNudgeRight, plain(Qt::Key_Right)),
    keyOnly(kCmdNudgeUp, plain(Qt::Key_Up)),
    keyOnly(kCmdNudgeDown, plain(Qt::Key_Down)),
    keyOnly(kCmdShrinkWidth, shift(Qt::Key_Left)),
    keyOnly(kCmdGrowWidth, shift(Qt::Key_Right)),
    keyOnly(kCmdShrinkHeight, shift(Qt::Key_Up)),
    keyOnly(kCmdGrowHeight, shift(Qt::Key_Down)),
    {.id = kCmdHelp, .menuText = "Help\tF1", .popupText = "Help\tF1", .key = plain(Qt::Key_F1),
     .toolTip = "show help window", .iconTheme = "help-browser", .iconFallback = QStyle::SP_DialogHelpButton},
    {.id = kCmdQuit, .menuText = "Quit", .popupText = "Quit", .key = ctrl(Qt::Key_Q)},
    {.id = kCmdUndo, .menuText = "undo\tCtrl+Z", .popupText = "undo\tCtrl+Z", .key = ctrl(Qt::Key_Z),
     .toolTip = "undo change", .iconSlot = kSlotIconUndo},
    both(kCmdResizeCanvas, "resize canvas"),
    {.id = kCmdRedo, .menuText = "redo\tCtrl+Y", .popupText = "redo\tCtrl+Y", .key = ctrl(Qt::Key_Y),
     .toolTip = "redo change", .iconSlot = kSlotIconRedo},
    both(kCmdGaussianBlur, "Gaussian Blur", true),
    both(kCmdResizeImage, "resize image"),
    {.id = kCmdHistogram, .menuText = "Histogram", .toggle = true},
    {.id = kCmdPalette, .menuText = "Palette", .toggle = true},
    {.id = kCmdSelector, .toolTip = "selector", .iconSlot = kSlotIconSelector},
    {.id = kCmdMover, .toolTip = "mover", .iconSlot = kSlotIconMover},
    both(kCmdQuantize, "Quantize..."),
    {.id = kCmdFitWindow, .menuText = "Fit window to image"},
    // Ctrl+Left is 44 and Ctrl+Right 43.
    keyOnly(kCmdFloatRotateRight, ctrl(Qt::Key_Right)),
    keyOnly(kCmdFloatRotateLeft, ctrl(Qt::Key_Left)),
    keyOnly(kCmdFloatMirror, ctrl(Qt::Key_Up)),
    keyOnly(kCmdFloatFlip, ctrl(Qt::Key_Down)),
    {.id = kCmdShowHistogram, .toolTip = "show histogram", .iconSlot = kSlotIconHistogram, .toggle = true},
    // A calculator for counting (the theme's properties icon is drawn pale
    // and reads as disabled).
    {.id = kCmdCountColors, .toolTip = "count colors", .iconTheme = "accessories-calculator",
     .iconFallback = QStyle::SP_MessageBoxInformation},
    {.id = kCmdShowPalette, .toolTip = "show palette", .iconSlot = kSlotIconPalette, .toggle = true},
    effect(kCmdScramble, "scramble", "Scramble"),
    effect(kCmdUnscramble, "unscramble", "Unscramble"),
    effect(kCmdPencil, "Pencil"),
    effect(kCmdNoise, "Noise"),
    effect(kCmdEdgeDetect, "Edge detect"),
    effect(kCmdXFactor, "X-factor"),
    effect(kCmdScratch, "Scratch"),
    effect(kCmdGlowie, "Glowie"),
    effect(kCmdSpacy, "Spacy"),
    effect(kCmdPhantom, "Phantom"),
    effect(kCmdBlush, "Blush"),
    effect(kCmdSpectrum, "Spectrum"),
    effect(kCmdDemon, "Demon"),
    effect(kCmdFaded, "Faded"),
    effect(kCmdArtist, "Artist"),
};

constexpr MenuEntry item(int id) { return MenuEntry{MenuEntryKind::Item, nullptr, id}; }
constexpr MenuEntry menu(const char* title) { return MenuEntry{MenuEntryKind::Menu, title, -1}; }
constexpr MenuEntry end() { return MenuEntry{MenuEntryKind::End, nullptr, -1}; }
constexpr MenuEntry separator() { return MenuEntry{MenuEntryKind::Separator, nullptr, -1}; }

#define TARNEL_EFFECT_ITEMS                                                                               \
    item(kCmdGaussianBlur), item(kCmdEdgeDetect), item(kCmdPencil), item(kCmdArtist), item(kCmdGlowie),   \
        item(kCmdBlush), item(kCmdSpacy), item(kCmdSpectrum), item(kCmdScratch), item(kCmdNoise),         \
        item(kCmdPhantom), item(kCmdDemon), item(kCmdFaded), item(kCmdXFactor), item(kCmdScramble),       \
        item(kCmdUnscramble)
#define TARNEL_EDIT_ITEMS                                                                                 \
    item(kCmdUndo), item(kCmdRedo), item(kCmdCopy), item(kCmdCrop), menu("paste..."),                    \
        item(kCmdPasteFloating), item(kCmdPasteNewImage), end(), item(kCmdAddText)
#define TARNEL_COLOR_ITEMS                                                                                \
    item(kCmdQuantize), item(kCmdBrightContrast), item(kCmdTwoColors), item(kCmdGrayScale),               \
        item(kCmdNegative)
#define TARNEL_ROTATE_ITEMS                                                                               \
    item(kCmdMirror), item(kCmdFlip), item(kCmdRotate180), item(kCmdRotateRight), item(kCmdRotateLeft)

const MenuEntry kMenuBar[] = {
    menu("File"), item(kCmdLoadImage), item(kCmdSaveImage), item(kCmdNewImage), item(kCmdRevert), item(kCmdQuit),
    end(),
    menu("Edit"), TARNEL_EDIT_ITEMS, end(),
    menu("Resize"), item(kCmdResizeCanvas), item(kCmdResizeImage), end(),
    menu("Effects"), TARNEL_EFFECT_ITEMS, end(),
    menu("Colors"), TARNEL_COLOR_ITEMS, end(),
    menu("Tools"), item(kCmdHistogram), item(kCmdPalette), end(),
    menu("Rotate"), TARNEL_ROTATE_ITEMS, end(),
    menu("View"), item(kCmdFitWindow), end(),
    menu("Help"), item(kCmdHelp), end(),
};

// The popup has no Histogram, Palette or Fit window item.
const MenuEntry kPopup[] = {
    menu("File..."), item(kCmdLoadImage), item(kCmdSaveImage), item(kCmdNewImage), item(kCmdRevert),
    item(kCmdQuit), end(), separator(),
    menu("Edit..."), TARNEL_EDIT_ITEMS, end(), separator(),
    menu("Resize..."), item(kCmdResizeCanvas), item(kCmdResizeImage), end(), separator(),
    menu("effects..."), TARNEL_EFFECT_ITEMS, end(), separator(),
    menu("colors..."), TARNEL_COLOR_ITEMS, end(), separator(),
    menu("Rotate..."), TARNEL_ROTATE_ITEMS, end(), separator(),
    item(kCmdHelp),
};

#undef TARNEL_EFFECT_ITEMS
#undef TARNEL_EDIT_ITEMS
#undef TARNEL_COLOR_ITEMS
#undef TARNEL_ROTATE_ITEMS

const int kToolBar[] = {
    kCmdNewImage, kCmdLoadImage, kCmdSaveImage, -1,
    kCmdCrop, kCmdCopy, kCmdPasteFloating, kCmdPasteNewImage, -1,
    kCmdUndo, kCmdRedo, -1,
    kCmdSelector, kCmdMover, -1,
    kCmdCountColors, kCmdShowHistogram, kCmdShowPalette, -1,
    kCmdHelp,
};

}  // namespace

std::span<const CommandRow> commandRows() { return kRows; }

const CommandRow* commandRow(int id) {
    const auto it = std::find_if(std::begin(kRows), std::end(kRows), [id](const CommandRow& r) { return r.id == id; });
    return it == std::end(kRows) ? nullptr : &*it;
}

std::span<const MenuEntry> menuBarLayout() { return kMenuBar; }
std::span<const MenuEntry> popupLayout() { return kPopup; }
std::span<const int> toolbarLayout() { return kToolBar; }

}  // namespace tarnel
