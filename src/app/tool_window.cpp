#include "app/tool_window.h"

#include <QCloseEvent>

#include "app/app_context_qt.h"
#include "app/main_window.h"

namespace tarnel {

namespace {

QWidget* ownerOf(AppContext& context, QWidget* parent) {
    if (parent) return parent;
    return context.hasWindow() ? &context.window() : nullptr;
}

}  // namespace

ToolWindow::ToolWindow(AppContext& context, int windowNumber, QWidget* parent)
    : QWidget(ownerOf(context, parent), Qt::Window), m_context(context), m_number(windowNumber) {
    m_context.registerWindow(m_number, this);
}

ToolWindow::~ToolWindow() {
    if (m_context.toolWindow(m_number) == this) m_context.registerWindow(m_number, nullptr);
}

void ToolWindow::setWindowColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    setAutoFillBackground(true);
}

bool ToolWindow::event(QEvent* event) {
    // Keys typed in a tool window are its own: the main window's shortcuts
    // (arrows nudge the selection, Space switches the cursor mode) would
    // otherwise fire, because a tool window counts as part of its owner.
    if (event->type() == QEvent::ShortcutOverride && isActiveWindow()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_context.dispatch().deliver(m_number, WindowEvent::Close);
}

void ToolWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_context.dispatch().deliver(m_number, WindowEvent::Size);
}

void ToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_context.dispatch().deliver(m_number, WindowEvent::Show);
}

void ToolWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_context.dispatch().deliver(m_number, WindowEvent::Hide);
}

}  // namespace tarnel
