#pragma once
// A floating section: an image held above the working image on the view
// canvas, moved by the mouse or the arrow keys, turned and mirrored, then
// stamped into the working image. This is its geometry and its pixels; the
// placement (app/floating_placement.h) feeds it the editor's input.
//
// Positions are view-canvas pixels: (x, y) is where the section's top-left
// pixel is shown. The working image is shown at (pan + offset), the offset
// centring it: (canvas - image) / 2, truncated toward zero, negative when the
// image is larger than the canvas.

#include <string>

#include "core/image.h"

namespace tarnel {

// The view as the placement starts (it does not change while it runs).
struct FloatingView {
    int canvasWidth = 0, canvasHeight = 0;
    int imageWidth = 0, imageHeight = 0;
    int panX = 0, panY = 0;
    int viewX = 0, viewY = 0;  // view offsets (app/view.h)
    Rect bounds;               // the visible image on the canvas (selection bounds)

    int offsetX() const { return (canvasWidth - imageWidth) / 2; }
    int offsetY() const { return (canvasHeight - imageHeight) / 2; }
};

enum class FloatTurn { Left, Right, Mirror, Flip };
enum class FloatStep { Left, Right, Up, Down };

class FloatingSection {
public:
    // section: 32 bits, not null. One larger than the image is cut to its
    // top-left part of the image's size; it is centred on the canvas by its
    // uncut half size, or, when it covers the whole image, put on the image.
    FloatingSection(Image section, const FloatingView& view);

    // The section covers the whole image: place it without showing it.
    bool coversImage() const { return m_coversImage; }
    const Image& image() const { return m_image; }
    int x() const { return m_x; }
    int y() const { return m_y; }

    // Turns or mirrors the section about its centre (no clamping).
    void turn(FloatTurn how);
    // Moves one pixel, keeping the section's top-left on the canvas and its
    // far edge inside it.
    void step(FloatStep direction);
    // Centres the section on the pointer, keeping it on the visible image;
    // where it is larger than that, its left (top) edge wins.
    void follow(int pointerX, int pointerY);

    // "xLeft = X | yTop = Y | xRight = ... | yBottom = ...".
    std::string statusText() const;
    // Blends the section onto the view canvas (drawn already with the
    // working image in its place), which counts as opaque.
    void drawOnCanvas(Image& canvas) const;
    // Blends the section into the working image at the matching image
    // position, clipped; returns the image rectangle it changed.
    Rect placeInto(Image& working) const;

private:
    Image m_image;
    FloatingView m_view;
    int m_x = 0, m_y = 0;
    int m_halfWidth = 0, m_halfHeight = 0;
    bool m_coversImage = false;
};

}  // namespace tarnel
