#include "app/commands_qt.h"

#include <memory>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/dispatch.h"
#include "app/editor.h"
#include "app/file_commands_qt.h"
#include "app/floating_placement_qt.h"
#include "app/image_commands.h"
#include "app/main_window.h"
#include "app/view.h"
#include "adjust/histogram_window.h"
#include "palette/palette_window.h"
#include "quantize/quantize_window.h"
#include "adjust/brightness_contrast_window.h"
#include "io/new_image_dialog.h"
#include "tools/add_text_dialog.h"
#include "tools/crop_qt.h"
#include "tools/help_window.h"
#include "tools/resize_dialog.h"
#include "twocolors/two_colors_window.h"

namespace tarnel {

namespace {

// --- commands of the shell, the history and the canvas ------------------------
void fitWindowCommand(AppContext& context) {
    if (context.hasWindow() && context.window().windowState() != Qt::WindowNoState)
        context.window().showNormal();
    context.editor().setWindowState(kWindowNormal);
    context.editor().fitWindowToImage(kSlotWorking);
}

void mainWindowEvent(AppContext& context, WindowEvent event) {
    Editor& editor = context.editor();
    switch (event) {
    case WindowEvent::Close: context.requestQuit(); break;
    case WindowEvent::Size: editor.layout(); break;
    case WindowEvent::Minimise: editor.setWindowState(kWindowMinimised); break;
    case WindowEvent::Maximise: editor.setWindowState(kWindowMaximised); break;
    case WindowEvent::Restore: editor.setWindowState(kWindowNormal); break;
    case WindowEvent::Show:
    case WindowEvent::Hide: break;
    }
}

}  // namespace

void installCommands(AppContext& context) {
    Dispatch& d = context.dispatch();
    AppContext& c = context;

    // The shell, history, view and canvas.
    d.set(kCmdRevert, [&c](int) { c.editor().revert(); }, "revert");
    d.set(kCmdUndo, [&c](int) { c.editor().undo(); }, "undo");
    d.set(kCmdRedo, [&c](int) { c.editor().redo(); }, "redo");
    d.set(kCmdQuit, [&c](int) { c.requestQuit(); }, "quit");
    d.set(kCmdFitWindow, [&c](int) { fitWindowCommand(c); }, "fit window");
    d.set(kCmdToggleCursorMode, [&c](int) { c.editor().toggleCursorMode(); }, "toggle cursor mode");
    d.set(kCmdSelector, [&c](int) { c.editor().setCursorMode(CursorMode::Selector); }, "selector");
    d.set(kCmdMover, [&c](int) { c.editor().setCursorMode(CursorMode::Mover); }, "mover");
    d.setRange(kCmdNudgeLeft, kCmdGrowHeight,
               [&c](int id) { c.editor().nudge(static_cast<Nudge>(id - kCmdNudgeLeft)); }, "nudge");
    // The tool windows bind their own commands and window events.
    installHistogramWindow(c);
    installPaletteWindow(c);
    installQuantizeWindow(c);
    installBrightContrastWindow(c);
    installTwoColorsWindow(c);
    installHelpWindow(c);
    installCropCommand(c);
    installNewImageCommands(c);
    installResizeDialogs(c);

    // Files and clipboard.
    d.set(kCmdLoadImage, [&c](int) { loadImageCommand(c, c.files()); }, "load image");
    d.set(kCmdSaveImage, [&c](int) { saveImageCommand(c, c.files()); }, "save image");
    // Paste floating section floats the clipboard; Add text floats its text.
    installAddText(c, installFloatingPlacement(c));
    // Effects.
    d.set(kCmdGaussianBlur, [&c](int) { gaussianBlurCommand(c.editor()); }, "gaussian blur");
    d.setRange(kCmdFirstEffect, kCmdLastEffect, [&c](int id) { effectCommand(c.editor(), id); }, "effect");
    // Colours.
    d.set(kCmdGrayScale, [&c](int) { grayScaleCommand(c.editor()); }, "gray scale");
    d.set(kCmdNegative, [&c](int) { negativeCommand(c.editor()); }, "negative");
    d.set(kCmdCountColors, [&c](int) { countColorsCommand(c.editor()); }, "count colors");
    // Orientation.
    d.set(kCmdFlip, [&c](int) { flipCommand(c.editor()); }, "flip");
    d.set(kCmdMirror, [&c](int) { mirrorCommand(c.editor()); }, "mirror");
    d.set(kCmdRotate180, [&c](int) { rotate180Command(c.editor()); }, "rotate 180");
    d.set(kCmdRotateRight, [&c](int) { rotateRightCommand(c.editor()); }, "rotate right");
    d.set(kCmdRotateLeft, [&c](int) { rotateLeftCommand(c.editor()); }, "rotate left");

    // 16 and 43..46 are read only by the floating-section placement while it
    // runs; 36 and 37 carry nothing.

    d.setWindowHandler(kWindowMain, [&c](WindowEvent event) { mainWindowEvent(c, event); });
}

}  // namespace tarnel
