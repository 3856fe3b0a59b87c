#include "app/floating_placement_qt.h"

#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QToolBar>

#include <memory>
#include <vector>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/floating_placement.h"
#include "app/main_window.h"

namespace tarnel {

namespace {

// Ties one FloatingPlacement to the main window for as long as it runs.
class PlacementBinding {
public:
    explicit PlacementBinding(AppContext& context) : m_context(context), m_placement(context.editor()) {
        m_placement.onEnd = [this] { unbind(); };
    }

    bool paste() { return begin([this] { return m_placement.paste(); }); }
    bool floatImage(Image image) {
        return begin([this, &image] { return m_placement.start(std::move(image)); });
    }

private:
    template <typename Start>
    bool begin(Start start) {
        if (m_placement.active()) return false;
        if (!start()) return false;
        // A section covering the whole image was placed already.
        if (m_placement.active()) bind();
        return true;
    }

    void bind() {
        Dispatch& d = m_context.dispatch();
        m_previousInterceptor = d.setInterceptor([this](int id) { return m_placement.command(id); });
        m_previousHandler = d.setWindowHandler(kWindowMain, [this](WindowEvent event) { mainWindowEvent(event); });
        m_bound = true;
        if (!m_context.hasWindow()) return;
        MainWindow& window = m_context.window();
        // Enter (both keys) places; Esc drops.
        m_keys.push_back(window.bindKey(QKeySequence(Qt::Key_Return), kCmdPlaceFloating));
        m_keys.push_back(window.bindKey(QKeySequence(Qt::Key_Enter), kCmdPlaceFloating));
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
        escape->setContext(Qt::WindowShortcut);
        QObject::connect(escape, &QShortcut::activated, &window, [this] { m_placement.cancel(); });
        m_keys.push_back(escape);
        disable(window.menuBar());
        disable(window.toolBar());
        for (int n = 0; n < kWindowCount; ++n) disable(m_context.toolWindow(n));
        window.canvas()->setMouseTracking(true);
        // The keys must reach the placement, also right after a dialog.
        window.activateWindow();
        m_context.platform().focusCanvas();
    }

    void unbind() {
        if (!m_bound) return;
        m_bound = false;
        Dispatch& d = m_context.dispatch();
        d.setInterceptor(std::move(m_previousInterceptor));
        d.setWindowHandler(kWindowMain, std::move(m_previousHandler));
        // The key that ended the placement may still be delivering its
        // signal: disabled now (a next placement's keys must not compete with
        // them), deleted later.
        for (const QPointer<QShortcut>& key : m_keys) {
            if (!key) continue;
            key->setEnabled(false);
            key->deleteLater();
        }
        m_keys.clear();
        for (const QPointer<QWidget>& widget : m_disabled) {
            if (widget) widget->setEnabled(true);
        }
        m_disabled.clear();
        if (m_context.hasWindow()) m_context.window().canvas()->setMouseTracking(false);
    }

    void disable(QWidget* widget) {
        if (!widget || !widget->isEnabled()) return;
        widget->setEnabled(false);
        m_disabled.emplace_back(widget);
    }

    void mainWindowEvent(WindowEvent event) {
        switch (event) {
        case WindowEvent::Close:
            m_placement.cancel();
            m_context.requestQuit();
            break;
        case WindowEvent::Size: m_placement.windowResized(); break;
        default:
            if (m_previousHandler) m_previousHandler(event);
            break;
        }
    }

    AppContext& m_context;
    FloatingPlacement m_placement;
    Dispatch::Interceptor m_previousInterceptor;
    Dispatch::WindowHandler m_previousHandler;
    std::vector<QPointer<QShortcut>> m_keys;
    std::vector<QPointer<QWidget>> m_disabled;
    bool m_bound = false;
};

}  // namespace

std::function<bool(Image)> installFloatingPlacement(AppContext& context) {
    auto binding = std::make_shared<PlacementBinding>(context);
    context.dispatch().set(kCmdPasteFloating, [binding](int) { binding->paste(); }, "paste floating section");
    return [binding](Image image) { return binding->floatImage(std::move(image)); };
}

}  // namespace tarnel
