#include "app/canvas_widget.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "app/editor.h"

namespace tarnel {

namespace {

// The background shown where the core has not drawn (before the first
// layout, or while the widget is larger than the canvas image).
const QColor kUndrawn(0x40, 0x40, 0x40);

bool toCoreButton(Qt::MouseButton qt, MouseButton& out) {
    switch (qt) {
    case Qt::LeftButton: out = MouseButton::Left; return true;
    case Qt::RightButton: out = MouseButton::Right; return true;
    case Qt::MiddleButton: out = MouseButton::Middle; return true;
    default: return false;
    }
}

}  // namespace

CanvasWidget::CanvasWidget(Editor& editor, QWidget* parent) : QWidget(parent), m_editor(editor) {
    // A click gives the canvas the keyboard focus; the window's shortcuts
    // see the keys from here.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

void CanvasWidget::canvasChanged(const Rect& r) {
    const Image& canvas = m_editor.canvasImage();
    if (canvas.isNull()) {
        m_shown = QImage();
        update();
        return;
    }
    Rect area = intersected(r, canvas.rect());
    if (m_shown.width() != canvas.width() || m_shown.height() != canvas.height()) {
        m_shown = QImage(canvas.width(), canvas.height(), QImage::Format_RGB32);
        area = canvas.rect();
    }
    if (area.isEmpty()) return;
    // 0xAABBGGRR -> 0xFFRRGGBB.
    for (int y = area.top; y <= area.bottom; ++y) {
        const Color* src = canvas.row(y);
        auto* dst = reinterpret_cast<QRgb*>(m_shown.scanLine(y));
        for (int x = area.left; x <= area.right; ++x) {
            const Color c = src[x];
            dst[x] = kAlphaMask | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
        }
    }
    update(QRect(area.left, area.top, area.width(), area.height()));
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (!m_shown.isNull()) painter.drawImage(dirty.topLeft(), m_shown, dirty);
    // Whatever lies outside the core's image.
    const QRegion outside = QRegion(dirty).subtracted(QRegion(m_shown.rect()));
    for (const QRect& r : outside) painter.fillRect(r, kUndrawn);
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    MouseButton button;
    if (!toCoreButton(event->button(), button)) return;
    const QPoint p = event->position().toPoint();
    m_editor.mousePress(button, p.x(), p.y());
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    m_editor.mouseMove(p.x(), p.y());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    MouseButton button;
    if (!toCoreButton(event->button(), button)) return;
    const QPoint p = event->position().toPoint();
    // The popup follows a right release over the canvas only; the button
    // may have been dragged off it while the canvas held the mouse.
    if (button == MouseButton::Right && !rect().contains(p)) return;
    m_editor.mouseRelease(button, p.x(), p.y());
}

void CanvasWidget::contextMenuEvent(QContextMenuEvent* event) {
    // The popup follows the right button's release, which the editor turns
    // into a popup request; the platform's own context-menu event is unused.
    event->accept();
}

}  // namespace tarnel
