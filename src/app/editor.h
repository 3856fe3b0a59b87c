#pragma once
// The editor's document state, driven by the Qt window through plain calls:
// the image table, the undo history, the tool-busy mask, the view (canvas
// image, offsets, drag), the selection and the cursor mode, the current file
// path and image name, the window state and the preferences.
//
// The Qt layer owns the window and forwards its events here; everything it
// must show or do comes back through Platform. The canvas widget paints
// canvasImage() opaque (colour bits only, alpha ignored) whenever
// Platform::updateCanvas() asks.
//
// Start-up order for the Qt layer:
//   Editor editor(platform);
//   editor.loadPreferences();
//   ... open the main window hidden at initialWindowPosition(), inner size
//       800 x 450, build menus, toolbar, status bar, canvas ...
//   editor.drawStartupImage();
//   ... apply editor.windowState() (normal / maximised / minimised), show ...
//   editor.finishStartUp();          // fits the window and seeds the history
//   ... event loop; on quit request: if (editor.confirmQuit()) leave ...
//   editor.shutdown();               // writes the preferences file

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/platform.h"
#include "app/view.h"
#include "canvas/cursor_mode.h"
#include "canvas/selection.h"
#include "core/image.h"
#include "document/busy_mask.h"
#include "document/history.h"
#include "document/image_table.h"
#include "document/slots.h"
#include "document/workspace.h"

namespace tarnel {

// The view canvas's number for the selection module.
inline constexpr int kViewCanvas = 0;
// Posted for window 0 when the right button is released over the canvas; the
// Qt layer then shows the popup menu at the pointer.
inline constexpr int kEventPopupRequest = 65586;
// Pause on every canvas move event in selector mode (throttles the moves).
inline constexpr int kSelectionMoveSleepMs = 10;

enum class MouseButton { Left, Right, Middle };

// The view's offsets and flags (see app/view.h for the mapping).
// Takes every canvas mouse event while installed (a floating section being
// placed), in canvas coordinates.
class CanvasGrab {
public:
    virtual ~CanvasGrab() = default;
    virtual void grabMove(int x, int y) = 0;
    virtual void grabRelease(MouseButton button, int x, int y) = 0;
};

struct ViewState {
    int panX = 0, panY = 0;
    int viewX = 0, viewY = 0;
    bool imageLarger = false;
    MoverDrag drag;
};

class Editor final : public Workspace {
public:
    explicit Editor(Platform& platform);

    // --- start-up and shutdown -------------------------------------------
    // Reads LastPath and LastWindowState from home folder + "Tarnel.prefs";
    // sets the current file path to LastPath + "no_image_loaded".
    void loadPreferences();
    std::string preferencesPath() const;
    // Outer top-left that centres an 800 x 450 inner window on the desktop.
    Point initialWindowPosition() const;
    // Creates the working image (slot 4) and draws the start-up picture.
    void drawStartupImage();
    // Fits the window to the working image and seeds the undo history.
    void finishStartUp();
    // Shows "Are you sure?" (title "End Program", Yes/No); true on Yes.
    bool confirmQuit();
    // Writes the preferences file (LastPath from the current file path,
    // LastWindowState with minimised written as 0). Silently skips a file
    // that cannot be written.
    void shutdown();

    // --- window ------------------------------------------------------------
    // 0 normal, 16777216 maximised, 536870912 minimised (view.h constants).
    long long windowState() const { return m_windowState; }
    void setWindowState(long long state) { m_windowState = state; }

    // --- view --------------------------------------------------------------
    // Recomputes the canvas from the window's inner size, resets the pan,
    // sets the cursor and redraws slot 4 without the selection. Call on
    // every size event.
    void layout();
    // Draws slot `slot` into the canvas; with keepSelection false an active
    // selection is removed first, with true its frame is drawn again.
    void redraw(int slot = kSlotWorking, bool keepSelection = false) override;
    // Resizes the window to the image in slot (within the desktop limits;
    // only lays out when maximised), then lays out and redraws.
    void fitWindowToImage(int slot = kSlotWorking);
    // Rewrites status field 1 (selector mode only).
    void updateSelectionStatus();
    // The slot the view drew last (a drag shows it; the histogram and
    // palette windows analyse it): slot 4, or a tool's preview.
    int shownSlot() const override { return m_shownSlot; }

    const Image& canvasImage() const { return m_canvas; }
    const ViewState& view() const { return m_view; }
    const WindowMetrics& metrics() const { return m_metrics; }

    // Called after every redraw, selection change and nudge, so that the
    // histogram and palette windows can follow (they ignore it while closed).
    void setRefreshHook(std::function<void()> hook) { m_refreshHook = std::move(hook); }

    // --- canvas input ---------------------------------------------------------
    // Canvas mouse events in canvas coordinates. The left button drives the
    // mover drag (mover mode) or the selection (selector mode); releasing
    // the right button posts kEventPopupRequest.
    void mousePress(MouseButton button, int x, int y);
    void mouseMove(int x, int y);
    void mouseRelease(MouseButton button, int x, int y);

    // --- floating section ------------------------------------------------------
    // Set while a floating section is placed: the grab receives the canvas's
    // mouse moves and releases, presses are dropped. nullptr ends it.
    void setFloating(CanvasGrab* grab) { m_grab = grab; }
    bool floating() const { return m_grab != nullptr; }
    // Draws the working image on the canvas at its place (no selection, no
    // status), lets draw() paint over it, and repaints the canvas.
    void drawOverWorking(const std::function<void(Image& canvas)>& draw);
    // The canvas cursor of the mode: four-way move for an image larger than
    // the canvas in mover mode, the cross in selector mode, else the arrow.
    void resetCanvasCursor();

    // --- cursor modes and selection -----------------------------------------
    CursorMode cursorMode() const { return m_mode; }
    // Mover: detaches the selection (removing it). Selector: attaches it to
    // the canvas and limits it to the visible image.
    void setCursorMode(CursorMode mode);
    // The space bar: flips the mode.
    void toggleCursorMode();
    // Arrow / Shift+arrow keys; then updates the status and redraws keeping
    // the selection (also when nothing moved).
    void nudge(Nudge direction);
    // Events coming back from the queue: kEventSelectionFinished/Cleared
    // update the status and refresh the tools; kEventSelectionChanging
    // updates the status. Returns false for codes it does not handle
    // (kEventPopupRequest is the Qt layer's).
    bool handleCustomEvent(const CustomEvent& event);

    const Selection& selection() const { return m_selection; }
    Selection& selection() { return m_selection; }
    // Draws or erases the selection frame on the canvas.
    void toggleSelectionFrame();
    // Removes the selection (posting kEventSelectionCleared when one existed).
    void removeSelection();

    // --- history -------------------------------------------------------------
    void undo();
    void redo();
    // Restores the source image; no confirmation, no busy test.
    void revert();
    // Starts a new history from slot 4 (after load, new image, paste as new).
    void resetHistory();
    // Records the state of slot (after an operation changed it).
    void recordChange(int slot = kSlotWorking) override;
    const History& history() const { return m_history; }
    // Changes whenever slot 4 gets new pixels through the calls above (and
    // every command that records, loads or creates an image).
    std::uint64_t workingRevision() const override { return m_revision; }

    // --- operation frame -----------------------------------------------------
    // Non-zero while a modal tool is open.
    int busy() const override { return m_busy.test(); }
    BusyMask& busyMask() override { return m_busy; }
    // The selection mapped to image coordinates when a selection is active,
    // else the whole working image (empty rect when slot 4 is empty).
    Rect operationArea() const override;
    // Copies the selected canvas rectangle (frame erased) into slot; false
    // without an active non-empty selection.
    bool grabSelection(int slot) override;
    bool selectionActive() const override { return m_selection.active(); }

    // The current palette (see document/workspace.h).
    std::vector<Color>& currentPalette() override { return m_currentPalette; }

    ImageTable& images() override { return m_images; }
    const ImageTable& images() const { return m_images; }
    // Slot 4; call only when it exists (hasWorking()).
    Image& working() { return *m_images.find(kSlotWorking); }
    bool hasWorking() const { return m_images.exists(kSlotWorking); }

    // --- file identity -------------------------------------------------------
    const std::string& currentFilePath() const { return m_currentFilePath; }
    void setCurrentFilePath(const std::string& path) { m_currentFilePath = path; }
    // File name without extension ("NewImage" after New image / Paste as new).
    const std::string& imageName() const { return m_imageName; }
    void setImageName(const std::string& name) { m_imageName = name; }

    Platform& platform() { return m_platform; }

private:
    void updateHistoryButtons();
    // Makes memory ready, in the background, for the snapshot the next
    // change will record, so that recording is a plain copy.
    void prepareNextSnapshot();
    void showHistoryStep(const History::Step& step);
    void postNotice(const Selection::Notice& notice);
    void refreshTools();
    void repaintAll();

    Platform& m_platform;
    ImageTable m_images;
    History m_history;
    BusyMask m_busy;
    Selection m_selection;
    CursorMode m_mode = CursorMode::Mover;
    ViewState m_view;
    Image m_canvas;
    WindowMetrics m_metrics;
    Size m_desktop;
    CursorShape m_cursor = CursorShape::Arrow;
    CursorShape m_savedCursor = CursorShape::Arrow;
    bool m_cursorSaved = false;
    std::string m_preferencesPath;
    std::string m_currentFilePath;
    std::string m_imageName;
    long long m_windowState = kWindowNormal;
    int m_shownSlot = kSlotWorking;
    std::uint64_t m_revision = 0;
    std::vector<Color> m_currentPalette;
    std::function<void()> m_refreshHook;
    CanvasGrab* m_grab = nullptr;
};

}  // namespace tarnel
