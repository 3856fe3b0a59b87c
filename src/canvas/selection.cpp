#include "canvas/selection.h"

#include <cstdlib>
#include <utility>

#include "canvas/invert_draw.h"
#include "canvas/selection_events.h"

namespace tarnel {

Selection::AttachResult Selection::attach(int canvasNumber, const Image* canvas, int scrollArea,
                                          bool scrollAreaExists, bool* newlyAttached) {
    if (scrollArea != -1 && !scrollAreaExists) return AttachResult::BadScrollArea;
    if (!canvas) return AttachResult::BadCanvas;
    if (newlyAttached) *newlyAttached = canvasNumber != m_rec.canvas;
    m_rec.canvas = canvasNumber;
    m_rec.active = false;
    m_rec.x1 = m_rec.x2 = m_rec.y1 = m_rec.y2 = 0;
    m_rec.boundsLeft = m_rec.boundsTop = 0;
    m_rec.boundsRight = canvas->width() - 1;
    m_rec.boundsBottom = canvas->height() - 1;
    m_rec.buttonDown = false;
    m_rec.moving = false;
    m_rec.handleShown = false;
    return AttachResult::Ok;
}

Selection::Notice Selection::detach(Image& canvas, bool* wasAttached) {
    if (wasAttached) *wasAttached = attached();
    if (!attached()) return {};
    Notice notice = remove(canvas);
    m_rec.buttonDown = false;
    m_rec.moving = false;
    m_rec.canvas = -1;
    return notice;
}

Selection::Notice Selection::press(Image& canvas, int x, int y) {
    SelectionRecord& r = m_rec;
    Notice notice;
    r.buttonDown = true;
    // A press beyond the right or bottom edge anchors one pixel outside, so
    // that dragging back in includes the last column or row.
    if (x < r.boundsLeft) x = r.boundsLeft;
    if (x > r.boundsRight) x = r.boundsRight + 1;
    if (y < r.boundsTop) y = r.boundsTop;
    if (y > r.boundsBottom) y = r.boundsBottom + 1;
    r.anchorX = x;
    r.anchorY = y;

    if (r.active) {
        const bool onHandle = r.handleShown && r.x2 - (kHandleSize + 1) < x && x < r.x2 &&
                              r.y2 - (kHandleSize + 1) < y && y < r.y2;
        const bool inside = r.x1 < x && x < r.x2 && r.y1 < y && y < r.y2;
        if (onHandle || inside) {
            // Resize keeps the top-left corner; a move drags the whole rectangle.
            r.drawnX = r.x1;
            r.drawnY = r.y1;
            r.width = r.x2 - r.x1 + 1;
            r.height = r.y2 - r.y1 + 1;
            r.moving = !onHandle;
            if (onHandle) {
                r.anchorX = r.x1;
                r.anchorY = r.y1;
            } else {
                notice.warp = true;
                notice.warpTwiceX = 2 * r.x1 + std::abs(r.width);
                notice.warpTwiceY = 2 * r.y1 + std::abs(r.height);
            }
            return notice;
        }
        toggleFrame(canvas);
        r.active = false;
    }
    r.x1 = r.x2 = x;
    r.y1 = r.y2 = y;
    return notice;
}

Selection::Notice Selection::move(Image& canvas, int x, int y) {
    SelectionRecord& r = m_rec;
    if (!r.buttonDown) return {};
    if (r.active) {
        invertOutline(canvas, r.drawnX, r.drawnY, r.width, r.height);
        if (r.handleShown) {
            r.handleShown = false;
            invertFill(canvas, r.x2 - kHandleSize, r.y2 - kHandleSize, kHandleSize, kHandleSize);
        }
    } else {
        r.active = true;
        r.drawnX = r.anchorX;
        r.drawnY = r.anchorY;
        r.handleShown = false;
    }

    x = std::max(r.boundsLeft, std::min(x, r.boundsRight));
    y = std::max(r.boundsTop, std::min(y, r.boundsBottom));
    int flags = 0;
    if (!r.moving) {
        if (x == r.boundsLeft) flags |= kEdgeLeft;
        if (x == r.boundsRight) flags |= kEdgeRight;
        if (y == r.boundsTop) flags |= kEdgeTop;
        if (y == r.boundsBottom) flags |= kEdgeBottom;
        r.width = x - r.anchorX + (x > r.anchorX ? 1 : 0);
        r.height = y - r.anchorY + (y > r.anchorY ? 1 : 0);
    } else {
        r.anchorX = x - (r.width >> 1);
        r.anchorY = y - (r.height >> 1);
        if (r.anchorX < r.boundsLeft) {
            r.anchorX = r.boundsLeft;
            flags |= kEdgeLeft;
        }
        if (r.anchorY < r.boundsTop) {
            r.anchorY = r.boundsTop;
            flags |= kEdgeTop;
        }
        if (r.anchorX > r.boundsRight - r.width + 1) {
            r.anchorX = r.boundsRight - r.width + 1;
            flags |= kEdgeRight;
        }
        if (r.anchorY > r.boundsBottom - r.height + 1) {
            r.anchorY = r.boundsBottom - r.height + 1;
            flags |= kEdgeBottom;
        }
    }
    invertOutline(canvas, r.anchorX, r.anchorY, r.width, r.height);
    r.drawnX = r.anchorX;
    r.drawnY = r.anchorY;
    r.x1 = r.anchorX;
    r.y1 = r.anchorY;
    r.x2 = r.anchorX + r.width - 1;
    r.y2 = r.anchorY + r.height - 1;

    Notice notice;
    notice.event = kEventSelectionChanging;
    notice.edgeFlags = flags;
    return notice;
}

Selection::Notice Selection::release(Image& canvas) {
    SelectionRecord& r = m_rec;
    r.buttonDown = false;
    r.moving = false;
    // A rectangle dragged to the left covers the columns from the pointer up
    // to the one before the anchor; normalise it to x1 <= x2.
    if (r.x1 > r.x2) {
        std::swap(r.x1, r.x2);
        r.x1 += 1;
        r.x2 -= 1;
        r.anchorX += r.width;
        r.drawnX = r.anchorX;
        r.width = -r.width;
    }
    if (r.y1 > r.y2) {
        std::swap(r.y1, r.y2);
        r.y1 += 1;
        r.y2 -= 1;
        r.anchorY += r.height;
        r.drawnY = r.anchorY;
        r.height = -r.height;
    }

    Notice notice;
    const bool click = r.x1 == r.x2 && r.y1 == r.y2;
    // A drag that returned to the anchor's column or row leaves a rectangle of
    // zero width or height: no selection, as for a click.
    const bool empty = r.x2 < r.x1 || r.y2 < r.y1;
    if (click || empty) {
        // Erase whatever outline the drag left (a one-pixel rectangle is drawn
        // but counts as a click).
        if (r.active) invertOutline(canvas, r.drawnX, r.drawnY, r.width, r.height);
        r.active = false;
        r.handleShown = false;
        if (empty) {
            r.x2 = r.x1;
            r.y2 = r.y1;
        }
        notice.event = kEventSelectionCleared;
        return notice;
    }
    if (!r.handleShown) {
        invertFill(canvas, r.x2 - kHandleSize, r.y2 - kHandleSize, kHandleSize, kHandleSize);
        r.handleShown = true;
    }
    notice.event = kEventSelectionFinished;
    return notice;
}

Selection::Notice Selection::remove(Image& canvas) {
    if (!m_rec.active) return {};
    toggleFrame(canvas);
    m_rec.active = false;
    m_rec.handleShown = false;
    m_rec.x1 = m_rec.x2;
    m_rec.y1 = m_rec.y2;
    Notice notice;
    notice.event = kEventSelectionCleared;
    return notice;
}

void Selection::toggleFrame(Image& canvas) const {
    if (!m_rec.active) return;
    invertOutline(canvas, m_rec.x1, m_rec.y1, m_rec.x2 - m_rec.x1 + 1, m_rec.y2 - m_rec.y1 + 1);
    if (m_rec.handleShown) toggleHandle(canvas);
}

void Selection::toggleHandle(Image& canvas) const {
    invertFill(canvas, m_rec.x2 - kHandleSize, m_rec.y2 - kHandleSize, kHandleSize, kHandleSize);
}

bool Selection::nudge(Nudge direction) {
    SelectionRecord& r = m_rec;
    if (!r.active) return false;
    switch (direction) {
        case Nudge::Left:
            if (r.x1 <= r.boundsLeft) return false;
            --r.x1, --r.x2;
            return true;
        case Nudge::Right:
            if (r.x2 >= r.boundsRight) return false;
            ++r.x1, ++r.x2;
            return true;
        case Nudge::Up:
            if (r.y1 <= r.boundsTop) return false;
            --r.y1, --r.y2;
            return true;
        case Nudge::Down:
            if (r.y2 >= r.boundsBottom) return false;
            ++r.y1, ++r.y2;
            return true;
        case Nudge::Narrower:
            if (r.x2 <= r.x1 + 1) return false;
            --r.x2;
            return true;
        case Nudge::Wider:
            if (r.x2 >= r.boundsRight) return false;
            ++r.x2;
            return true;
        case Nudge::Shorter:
            if (r.y2 <= r.y1 + 1) return false;
            --r.y2;
            return true;
        case Nudge::Taller:
            if (r.y2 >= r.boundsBottom) return false;
            ++r.y2;
            return true;
    }
    return false;
}

void Selection::setBoundsToVisibleImage(int cw, int ch, int iw, int ih, int panX, int panY) {
    if (iw < cw) {
        m_rec.boundsLeft = panX + (cw - iw) / 2;
        m_rec.boundsRight = iw + panX + (cw - iw) / 2 - 1;
    } else {
        m_rec.boundsLeft = 0;
        m_rec.boundsRight = cw - 1;
    }
    if (ih < ch) {
        m_rec.boundsTop = panY + (ch - ih) / 2;
        m_rec.boundsBottom = ih + panY + (ch - ih) / 2 - 1;
    } else {
        m_rec.boundsTop = 0;
        m_rec.boundsBottom = ch - 1;
    }
}

}  // namespace tarnel
