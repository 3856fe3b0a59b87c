#include "app/editor.h"

#include <algorithm>

#include "app/paths.h"
#include "app/preferences.h"
#include "app/startup_image.h"
#include "core/system_memory.h"
#include "io/file_names.h"
#include "canvas/selection_events.h"

namespace tarnel {

namespace {

constexpr const char* kNoImageName = "no_image_loaded";
constexpr const char* kPicturesFolder = "Pictures";
constexpr const char* kQuitTitle = "End Program";
constexpr const char* kQuitText = "Are you sure?";

}  // namespace

Editor::Editor(Platform& platform) : m_platform(platform) {
    // Undo states may take half the machine's memory; past that the oldest
    // ones (after the source image) are let go.
    m_history.setMemoryBudget(physicalMemoryBytes() / 2);
}

// --- start-up and shutdown ------------------------------------------------

std::string Editor::preferencesPath() const {
    if (!m_preferencesPath.empty()) return m_preferencesPath;
    return withTrailingSeparator(m_platform.homeFolder()) + kPreferencesFileName;
}

void Editor::loadPreferences() {
    const std::string home = withTrailingSeparator(m_platform.homeFolder());
    m_preferencesPath = home + kPreferencesFileName;
    PreferencesFile prefs;
    prefs.load(m_preferencesPath);
    const std::string lastPath = prefs.readText(kKeyLastPath, home + kPicturesFolder + kFolderSeparator);
    m_windowState = prefs.readInteger(kKeyLastWindowState, kWindowNormal);
    m_currentFilePath = lastPath + kNoImageName;
}

Point Editor::initialWindowPosition() const {
    const Size desktop = m_platform.desktopSize();
    return Point{(desktop.width - kStartupWidth) / 2, (desktop.height - kStartupHeight) / 2};
}

void Editor::drawStartupImage() {
    m_images.put(kSlotWorking, makeStartupImage(m_platform));
    ++m_revision;
}

void Editor::finishStartUp() {
    fitWindowToImage(kSlotWorking);
    m_history.reset(m_images, kSlotWorking);
    updateHistoryButtons();
}

bool Editor::confirmQuit() {
    return m_platform.messageBox(kQuitTitle, kQuitText, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void Editor::shutdown() {
    if (m_windowState == kWindowMinimised) m_windowState = kWindowNormal;
    const std::string path = preferencesPath();
    PreferencesFile prefs;
    prefs.load(path);
    prefs.writeText(kKeyLastPath, rememberedFolder(m_currentFilePath));
    prefs.writeInteger(kKeyLastWindowState, m_windowState);
    prefs.save(path);
}

// --- view -------------------------------------------------------------------

void Editor::layout() {
    m_metrics = m_platform.windowMetrics();
    const Size inner = m_platform.innerSize();
    const int W = inner.width;
    const int Hc = inner.height - m_metrics.statusBarHeight - m_metrics.menuBarHeight - m_metrics.toolbarHeight;
    const Image* image = m_images.find(kSlotWorking);
    const int iw = image ? image->width() : 0;
    const int ih = image ? image->height() : 0;

    const Size canvas = m_platform.placeCanvas(0, m_metrics.toolbarHeight, W, Hc);
    if (canvas.width != m_canvas.width() || canvas.height != m_canvas.height())
        m_canvas = Image(canvas.width, canvas.height, 32, kCanvasBackground);
    m_view.panX = m_view.panY = 0;

    const ViewLayout l = computeLayout(W, Hc, canvas.width, canvas.height, iw, ih);
    SelectionRecord& rec = m_selection.record();
    rec.boundsLeft = l.bounds.left;
    rec.boundsRight = l.bounds.right;
    rec.boundsTop = l.bounds.top;
    rec.boundsBottom = l.bounds.bottom;
    m_view.imageLarger = l.imageLarger;
    m_view.viewX = l.viewX;
    m_view.viewY = l.viewY;

    resetCanvasCursor();
    redraw(kSlotWorking, false);
}

void Editor::redraw(int slot, bool keepSelection) {
    if (m_selection.active() && !keepSelection) {
        removeSelection();
        updateSelectionStatus();
    }
    const Image* image = m_images.find(slot);
    if (!image || m_canvas.isNull()) {
        repaintAll();
        return;
    }
    m_shownSlot = slot;
    drawImageOnCanvas(m_canvas, *image,
                      imagePosition(m_canvas.width(), m_canvas.height(), image->width(), image->height(),
                                    m_view.panX, m_view.panY));
    updateSelectionStatus();
    m_platform.setStatusText(0, sizeStatusText(filePart(m_currentFilePath), image->width(), image->height()));
    if (keepSelection) m_selection.toggleFrame(m_canvas);
    repaintAll();
    refreshTools();
}

void Editor::fitWindowToImage(int slot) {
    const Image* image = m_images.find(slot);
    if (image && m_windowState != kWindowMaximised) {
        m_metrics = m_platform.windowMetrics();
        const FitGeometry fit = computeFit(image->width(), image->height(), m_metrics, m_platform.desktopSize());
        m_platform.setInnerSize(fit.inner);
        m_platform.moveWindow(fit.outerTopLeft);
    }
    layout();
}

void Editor::drawOverWorking(const std::function<void(Image& canvas)>& draw) {
    const Image* image = m_images.find(kSlotWorking);
    if (!image || m_canvas.isNull()) return;
    m_shownSlot = kSlotWorking;
    drawImageOnCanvas(m_canvas, *image,
                      imagePosition(m_canvas.width(), m_canvas.height(), image->width(), image->height(),
                                    m_view.panX, m_view.panY));
    draw(m_canvas);
    repaintAll();
}

void Editor::updateSelectionStatus() {
    if (m_mode == CursorMode::Mover) return;
    const SelectionRecord& r = m_selection.record();
    if (!r.active) {
        m_platform.setStatusText(1, std::string());
        return;
    }
    // Mid-drag to the left or upwards the edges are still reversed; show the
    // columns and rows the rectangle will cover.
    Rect c{r.x1, r.y1, r.x2, r.y2};
    if (c.left > c.right) c = Rect{c.right + 1, c.top, c.left - 1, c.bottom};
    if (c.top > c.bottom) c = Rect{c.left, c.bottom + 1, c.right, c.top - 1};
    const int w = std::max(c.width(), 0);
    const int h = std::max(c.height(), 0);
    const Rect edges =
        canvasToImage(c, r.boundsLeft, r.boundsTop, m_view.viewX, m_view.viewY, m_view.panX, m_view.panY);
    m_platform.setStatusText(1, h > 0 ? selectionStatusText(w, h, edges) : std::string());
}

// --- canvas input -------------------------------------------------------------

void Editor::mousePress(MouseButton button, int x, int y) {
    if (m_grab) return;
    if (button != MouseButton::Left) return;
    if (m_mode == CursorMode::Mover) {
        const Image* image = m_images.find(kSlotWorking);
        if (m_view.imageLarger && image)
            m_view.drag.start(x, y, image->width(), image->height(), m_canvas.width(), m_canvas.height());
        return;
    }
    if (!m_selection.attached()) return;
    const Selection::Notice notice = m_selection.press(m_canvas, x, y);
    if (notice.warp) {
        // The centre may lie on a half pixel; it is rounded on the screen.
        const Point origin = m_platform.canvasScreenOrigin();
        const int sx = roundHalfEvenOfHalf(notice.warpTwiceX + 2LL * origin.x);
        const int sy = roundHalfEvenOfHalf(notice.warpTwiceY + 2LL * origin.y);
        m_platform.setPointerPosition(Point{sx - origin.x, sy - origin.y});
    }
    postNotice(notice);
    repaintAll();
}

void Editor::mouseMove(int x, int y) {
    if (m_grab) {
        m_grab->grabMove(x, y);
        return;
    }
    if (m_mode == CursorMode::Mover) {
        if (!m_view.drag.dragging || m_canvas.isNull()) return;
        const Point pos = m_view.drag.move(x, y, m_view.panX, m_view.panY);
        const Image* shown = m_images.find(m_shownSlot);
        if (shown) {
            drawImageOnCanvas(m_canvas, *shown, pos);
        } else {
            m_canvas.fill(kCanvasBackground);
        }
        repaintAll();
        return;
    }
    if (!m_selection.attached()) return;
    // Throttles the move events while the selector is active.
    m_platform.sleepMs(kSelectionMoveSleepMs);
    const Selection::Notice notice = m_selection.move(m_canvas, x, y);
    if (notice.event != 0) {
        postNotice(notice);
        repaintAll();
    }
}

void Editor::mouseRelease(MouseButton button, int x, int y) {
    if (m_grab) {
        m_grab->grabRelease(button, x, y);
        return;
    }
    if (button == MouseButton::Right) {
        m_platform.postEvent(CustomEvent{kEventPopupRequest, kViewCanvas, 0});
        return;
    }
    if (button != MouseButton::Left) return;
    if (m_view.drag.dragging) m_view.drag.finish(m_view.panX, m_view.panY, m_view.viewX, m_view.viewY);
    if (m_mode == CursorMode::Selector && m_selection.attached()) {
        postNotice(m_selection.release(m_canvas));
        repaintAll();
    }
}

// --- cursor modes and selection ---------------------------------------------------

void Editor::setCursorMode(CursorMode mode) {
    if (mode == CursorMode::Mover) {
        bool wasAttached = false;
        postNotice(m_selection.detach(m_canvas, &wasAttached));
        if (wasAttached && m_cursorSaved) {
            m_cursor = m_savedCursor;
            m_platform.setCanvasCursor(m_cursor);
            m_cursorSaved = false;
        }
        m_mode = CursorMode::Mover;
        // Without a selection its geometry goes too (mover mode does not
        // update the field).
        m_platform.setStatusText(1, std::string());
        resetCanvasCursor();
        repaintAll();
        return;
    }

    // Choosing the selector again starts afresh: a frame still drawn is
    // erased first rather than left on the canvas.
    if (m_selection.attached()) removeSelection();
    bool newlyAttached = false;
    const auto result = m_selection.attach(kViewCanvas, m_canvas.isNull() ? nullptr : &m_canvas, -1, false,
                                           &newlyAttached);
    if (result == Selection::AttachResult::Ok) {
        if (newlyAttached) {
            m_savedCursor = m_cursor;
            m_cursorSaved = true;
            m_cursor = CursorShape::Cross;
            m_platform.setCanvasCursor(m_cursor);
        }
    } else {
        m_platform.messageBox(kAttachErrorTitle,
                              result == Selection::AttachResult::BadScrollArea ? kAttachErrorScrollArea
                                                                               : kAttachErrorCanvas,
                              MessageButtons::Ok);
    }
    m_mode = CursorMode::Selector;
    const Image* image = m_images.find(kSlotWorking);
    m_selection.setBoundsToVisibleImage(m_canvas.width(), m_canvas.height(), image ? image->width() : 0,
                                        image ? image->height() : 0, m_view.panX, m_view.panY);
    repaintAll();
}

void Editor::toggleCursorMode() {
    setCursorMode(m_mode == CursorMode::Mover ? CursorMode::Selector : CursorMode::Mover);
}

void Editor::nudge(Nudge direction) {
    if (!m_selection.active()) return;
    m_selection.nudge(direction);
    updateSelectionStatus();
    // The redraw erases the old frame with the image and draws the new one;
    // it also refreshes the histogram and palette windows.
    redraw(kSlotWorking, true);
}

bool Editor::handleCustomEvent(const CustomEvent& event) {
    switch (event.code) {
        case kEventSelectionFinished:
        case kEventSelectionCleared:
            updateSelectionStatus();
            refreshTools();
            return true;
        case kEventSelectionChanging:
            updateSelectionStatus();
            return true;
        default:
            return false;
    }
}

void Editor::toggleSelectionFrame() {
    m_selection.toggleFrame(m_canvas);
    repaintAll();
}

void Editor::removeSelection() {
    postNotice(m_selection.remove(m_canvas));
    repaintAll();
}

// --- history -------------------------------------------------------------------

void Editor::undo() { showHistoryStep(m_history.undo(m_images, kSlotWorking)); }

void Editor::redo() { showHistoryStep(m_history.redo(m_images, kSlotWorking)); }

// After Undo or Redo: a new size refits the window; the same size redraws
// keeping the selection.
void Editor::showHistoryStep(const History::Step& step) {
    if (!step.ran) return;
    ++m_revision;
    if (step.sizeChanged) {
        fitWindowToImage(kSlotWorking);
    } else {
        redraw(kSlotWorking, true);
    }
    updateHistoryButtons();
}

void Editor::revert() {
    if (!m_history.restoreBase(m_images, kSlotWorking)) return;
    ++m_revision;
    fitWindowToImage(kSlotWorking);
    m_history.record(m_images, kSlotWorking);
    m_history.clearFlags();
    updateHistoryButtons();
}

void Editor::resetHistory() {
    if (!m_history.reset(m_images, kSlotWorking)) return;
    ++m_revision;
    updateHistoryButtons();
}

void Editor::recordChange(int slot) {
    try {
        m_history.record(m_images, slot);
    } catch (const std::bad_alloc&) {
        // The change cannot be kept: the working image goes back to the
        // state the history holds, so that what is shown is what Undo knows.
        if (slot == kSlotWorking) m_history.restoreCursor(m_images, kSlotWorking);
        throw;
    }
    if (slot == kSlotWorking) ++m_revision;
    updateHistoryButtons();
}

// --- operation frame -------------------------------------------------------------

Rect Editor::operationArea() const {
    const Image* image = m_images.find(kSlotWorking);
    if (!image) return Rect{};
    if (!m_selection.active()) return image->rect();
    const SelectionRecord& r = m_selection.record();
    const Rect mapped = canvasToImage(r.rect(), r.boundsLeft, r.boundsTop, m_view.viewX, m_view.viewY,
                                      m_view.panX, m_view.panY);
    // The bounds keep a selection on the visible image; clipping guards the
    // pixel loops all the same.
    return intersected(mapped, image->rect());
}

bool Editor::grabSelection(int slot) {
    if (!m_selection.active()) return false;
    const Rect r = m_selection.record().rect();
    if (r.isEmpty()) return false;
    m_selection.toggleFrame(m_canvas);
    Image copy = m_canvas.copy(r);
    m_selection.toggleFrame(m_canvas);
    if (copy.isNull()) return false;
    if (const Image* shown = m_images.find(m_shownSlot)) copy.setDepth(shown->depth());
    m_images.put(slot, std::move(copy));
    return true;
}

// --- helpers ----------------------------------------------------------------------

void Editor::updateHistoryButtons() {
    m_platform.setHistoryButtons(m_history.undoAvailable(), m_history.redoAvailable());
    m_platform.focusCanvas();
    prepareNextSnapshot();
}

void Editor::prepareNextSnapshot() {
    const Image* image = m_images.find(kSlotWorking);
    if (!image) return;
    preparePixelsInBackground(image->pixelCount() * sizeof(Color));
}

void Editor::resetCanvasCursor() {
    CursorShape shape = CursorShape::Arrow;
    if (m_view.imageLarger && m_mode == CursorMode::Mover) {
        shape = CursorShape::SizeAll;
    } else if (m_mode == CursorMode::Selector) {
        shape = CursorShape::Cross;
    }
    m_cursor = shape;
    m_platform.setCanvasCursor(shape);
}

void Editor::postNotice(const Selection::Notice& notice) {
    if (notice.event == 0) return;
    m_platform.postEvent(CustomEvent{notice.event, kViewCanvas, notice.edgeFlags});
}

void Editor::refreshTools() {
    if (m_refreshHook) m_refreshHook();
}

void Editor::repaintAll() {
    if (!m_canvas.isNull()) m_platform.updateCanvas(m_canvas.rect());
}

}  // namespace tarnel
