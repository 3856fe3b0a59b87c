#pragma once
// Base of the modeless tool windows (histogram, palette, quantize, help,
// Two Colors, brightness/contrast): a top-level window owned by the main
// window, known to the context by its window number, whose close, size,
// show and hide events reach the dispatcher's handler of that number.
//
//     class HistogramWindow final : public ToolWindow {
//     public:
//         explicit HistogramWindow(AppContext& c) : ToolWindow(c, kWindowHistogram) { ... }
//     };
//     context.dispatch().setWindowHandler(kWindowHistogram, [&](WindowEvent e) { ... });

#include <QColor>
#include <QString>
#include <QWidget>

namespace tarnel {

class AppContext;

// A control's place in its window's client area, in pixels.
struct ControlBox {
    int x, y, w, h;
};

// Puts widget at box, with the tool tip when one is given; returns it.
template <typename Widget>
Widget* placed(Widget* widget, ControlBox box, const char* toolTip = nullptr) {
    widget->setGeometry(box.x, box.y, box.w, box.h);
    if (toolTip) widget->setToolTip(QString::fromLatin1(toolTip));
    return widget;
}

class ToolWindow : public QWidget {
public:
    // parent defaults to the main window.
    ToolWindow(AppContext& context, int windowNumber, QWidget* parent = nullptr);
    ~ToolWindow() override;

    int windowNumber() const { return m_number; }
    AppContext& context() { return m_context; }

    // Tool windows have fixed client sizes.
    void setFixedClientSize(int width, int height) { setFixedSize(width, height); }
    // Fills the client area with colour.
    void setWindowColour(const QColor& colour);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    AppContext& m_context;
    int m_number;
};

}  // namespace tarnel
