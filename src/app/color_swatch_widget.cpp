#include "app/color_swatch_widget.h"

#include <QMouseEvent>

namespace tarnel {

ColorSwatchWidget::ColorSwatchWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setColor(m_color);
}

void ColorSwatchWidget::setColor(Color color) {
    m_color = color & kColorMask;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(redOf(m_color), greenOf(m_color), blueOf(m_color)));
    setPalette(palette);
    update();
}

void ColorSwatchWidget::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClicked)
        onClicked();
}

}  // namespace tarnel
