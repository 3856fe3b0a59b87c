#pragma once
// The image view: the canvas shows an image 1:1, centred on dark grey, and
// an image larger than the canvas can be panned. These are the Qt-free
// pieces: the arithmetic of layout, fit and drag, the canvas drawing and the
// status texts. Editor (app/editor.h) ties them to the window.
//
// Canvas positions map to image positions as
//   image x = canvas x - bounds left + view offset x - pan offset x
// (y likewise), bounds being the selection bounds (canvas/selection.h).

#include <string>

#include "app/platform.h"
#include "core/image.h"

namespace tarnel {

// Smallest inner width of the main window and smallest canvas height.
inline constexpr int kMinInnerWidth = 800;
inline constexpr int kMinCanvasHeight = 450;
inline constexpr Color kCanvasBackground = 0x404040;

// Window state values (also stored in the preferences file).
inline constexpr long long kWindowNormal = 0;
inline constexpr long long kWindowMaximised = 16777216;
inline constexpr long long kWindowMinimised = 536870912;

// Rounds twice / 2 to the nearest integer, ties to even: exact rounding of
// values that are whole or halves (v = twice / 2).
int roundHalfEvenOfHalf(long long twice);

// The result of laying out a canvas of cw x ch in a window area of W x Hc
// showing an image of iw x ih, with the pan reset to 0.
struct ViewLayout {
    Rect bounds;            // selection bounds: the visible image on the canvas
    int viewX = 0, viewY = 0;
    bool imageLarger = false;  // image wider than W or taller than Hc
};
ViewLayout computeLayout(int W, int Hc, int cw, int ch, int iw, int ih);

// Where an image of iw x ih is drawn on a canvas of cw x ch panned by (panX, panY).
Point imagePosition(int cw, int ch, int iw, int ih, int panX, int panY);

// Fills canvas with the background and copies image (all four bytes of each
// pixel) with its top-left at pos; negative positions crop it.
void drawImageOnCanvas(Image& canvas, const Image& image, Point pos);

// The main window's inner size and outer position that fit an image of
// iw x ih (not maximised).
struct FitGeometry {
    Size inner;
    Point outerTopLeft;
};
FitGeometry computeFit(int iw, int ih, const WindowMetrics& metrics, Size desktop);

// Canvas rectangle -> image rectangle (inclusive edges).
Rect canvasToImage(const Rect& canvasRect, int boundsLeft, int boundsTop, int viewX, int viewY, int panX,
                   int panY);

// Status field 0: "<file part>  |  (<w> x <h>)".
std::string sizeStatusText(const std::string& filePath, int width, int height);
// Status field 1 for a selection of w x h canvas pixels and image edges
// L, T, R, B: "Size = w x h | x/y ratio = 1.33333 | xLeft = L | yTop = T |
// xRight = R | yBottom = B"; the ratio in single precision.
std::string selectionStatusText(int w, int h, const Rect& imageEdges);

// The mover drag: pans an image larger than the canvas, keeping the drawing
// position within [min(c - i, 0), max(c - i, 0)] on each axis.
struct MoverDrag {
    bool dragging = false;
    int lastX = 0, lastY = 0;
    int iw = 0, ih = 0, cw = 0, ch = 0;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;

    void start(int x, int y, int imageW, int imageH, int canvasW, int canvasH);
    // Applies a move to the pan and returns the clamped drawing position.
    Point move(int x, int y, int& panX, int& panY);
    // Ends the drag; sets the view offsets that match the final pan.
    void finish(int panX, int panY, int& viewX, int& viewY);
};

}  // namespace tarnel
