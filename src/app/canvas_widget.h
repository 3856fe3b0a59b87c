#pragma once
// The view canvas: shows the editor's canvas image 1:1 and hands mouse
// input to the editor in canvas coordinates.
//
// The widget keeps an opaque copy of what the core last drew (alpha
// ignored) and refreshes only the rectangle the core reports as changed,
// so a selection outline costs a few pixels, not a full copy.

#include <QImage>
#include <QWidget>

#include "core/image.h"

namespace tarnel {

class Editor;

class CanvasWidget final : public QWidget {
public:
    explicit CanvasWidget(Editor& editor, QWidget* parent = nullptr);

    // The core changed its canvas image inside r (canvas coordinates).
    void canvasChanged(const Rect& r);
    // What the widget shows (tests compare it with the core's image).
    const QImage& shown() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    Editor& m_editor;
    QImage m_shown;  // Format_RGB32
};

}  // namespace tarnel
