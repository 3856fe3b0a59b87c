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
