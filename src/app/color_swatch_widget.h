#pragma once
// A bordered swatch filled with one colour; a left click runs onClicked
// (the dialogs open the colour requester from it).

#include <QFrame>

#include <functional>

#include "core/image.h"

namespace tarnel {

class ColorSwatchWidget final : public QFrame {
    Q_OBJECT

public:
    explicit ColorSwatchWidget(QWidget* parent);

    // 0x00BBGGRR; the top byte is ignored.
    void setColor(Color color);
    Color color() const { return m_color; }

    std::function<void()> onClicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Color m_color = 0;
};

}  // namespace tarnel
