#pragma once
// The selection rectangle drawn on a canvas with the left mouse button.
//
// The rectangle lives in canvas coordinates with inclusive edges. It is
// drawn by inverting canvas pixels (canvas/invert_draw.h): an outline plus a
// filled 8 x 8 handle with its top-left corner at (x2 - 8, y2 - 8). Drawing
// twice erases, so the canvas content underneath is never stored.
//
// The module owns no canvas: every call that draws gets the canvas image.
// It posts nothing itself; calls return a Notice telling the caller which
// event to post (selection_events.h) and whether to warp the pointer.
// Only the left button is fed to press/move/release.

#include "canvas/cursor_mode.h"
#include "core/image.h"

namespace tarnel {

struct SelectionRecord {
    int canvas = -1;      // attached canvas number, -1 when detached
    bool active = false;  // a selection exists or is being drawn
    int x1 = 0, x2 = 0;   // left/right edge (x2 < x1 possible only mid-drag)
    int y1 = 0, y2 = 0;
    int boundsLeft = 0, boundsRight = 0;  // where a selection may lie (the visible image)
    int boundsTop = 0, boundsBottom = 0;
    int anchorX = 0, anchorY = 0;  // press point, or the moving rectangle's top-left
    int width = 0, height = 0;     // signed size while drawn (negative: dragged left/up)
    int drawnX = 0, drawnY = 0;    // where the outline currently drawn starts
    bool handleShown = false;
    bool moving = false;
    bool buttonDown = false;

    // The finished rectangle (only meaningful when active and not mid-drag).
    Rect rect() const { return Rect{x1, y1, x2, y2}; }
};

class Selection {
public:
    static constexpr int kHandleSize = 8;

    // What the caller must do after a call.
    struct Notice {
        int event = 0;        // 0 or a kEventSelection* code to post
        int edgeFlags = 0;    // data of kEventSelectionChanging
        bool warp = false;    // move the pointer to the rectangle's centre:
        int warpTwiceX = 0;   // twice the centre's canvas x (2 * x1 + |width|), so the
        int warpTwiceY = 0;   // caller can round the half pixel in screen coordinates
    };

    enum class AttachResult { Ok, BadScrollArea, BadCanvas };

    // Attaches to canvas number `canvasNumber` whose image is `canvas`
    // (nullptr: no such canvas). `scrollAreaExists` says whether
    // `scrollArea` (-1 = none) names a scroll area. On success the record
    // is emptied (without erasing a frame still drawn) and the bounds become
    // the whole canvas. `newlyAttached` tells whether the canvas differs from
    // the one attached before (the caller then saves its cursor and shows
    // the cross). On failure nothing changes.
    AttachResult attach(int canvasNumber, const Image* canvas, int scrollArea = -1,
                        bool scrollAreaExists = false, bool* newlyAttached = nullptr);

    // Removes an active selection and detaches; the notice carries
    // kEventSelectionCleared when a selection was removed. No effect (and
    // returns false in `wasAttached`) when already detached.
    Notice detach(Image& canvas, bool* wasAttached = nullptr);

    bool attached() const { return m_rec.canvas != -1; }

    // Left button pressed / mouse moved / left button released at canvas
    // position (x, y). Move should be called for every move event of the
    // attached canvas; it does nothing while the button is up.
    Notice press(Image& canvas, int x, int y);
    Notice move(Image& canvas, int x, int y);
    Notice release(Image& canvas);

    // If active: erases the outline and handle, deactivates and reports
    // kEventSelectionCleared.
    Notice remove(Image& canvas);

    // If active: draws (or erases) the outline and, when shown, the handle.
    void toggleFrame(Image& canvas) const;

    // Moves or resizes an active selection by one pixel within the bounds;
    // returns false when nothing changed (inactive or at a bound). Touches
    // only the record: the caller redraws with the frame.
    bool nudge(Nudge direction);

    // Sets the bounds to the visible image when the view shows an image of
    // iw x ih on a canvas of cw x ch panned by (panX, panY).
    void setBoundsToVisibleImage(int cw, int ch, int iw, int ih, int panX, int panY);

    const SelectionRecord& record() const { return m_rec; }
    // Direct access for the view layout, which sets the bounds.
    SelectionRecord& record() { return m_rec; }
    bool active() const { return m_rec.active; }

private:
    void toggleHandle(Image& canvas) const;

    SelectionRecord m_rec;
};

}  // namespace tarnel
