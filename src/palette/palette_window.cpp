#include "palette/palette_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <memory>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/slots.h"
#include "palette/palette_colors.h"
#include "palette/palette_session.h"

namespace tarnel {

namespace {

// Where the window opens, from the main window's client top-left.
constexpr int kOffsetX = 2;
constexpr int kOffsetBelowToolbar = 205;

class PlatformPrompts final : public ColorEditPrompts {
public:
    explicit PlatformPrompts(QtPlatform& platform) : m_platform(platform) {}
    std::optional<Color> chooseColor(Color initial) override { return m_platform.chooseColor(initial); }
    bool askYesNo(const std::string& title, const std::string& text) override {
        return m_platform.messageBox(title, text, MessageButtons::YesNo) == MessageAnswer::Yes;
    }

private:
    QtPlatform& m_platform;
};

// The session and the window it shows in, for as long as the editor runs.
struct PaletteTool {
    explicit PaletteTool(AppContext& c) : context(c), prompts(c.platform()), session(c.editor(), prompts) {}

    // Commands 38 and 49.
    void toggle() {
        session.toggle();
        follow();
    }

    // After every redraw and selection change.
    void refresh() {
        if (!session.isOpen()) return;
        session.refresh();
        follow();
    }

    // Shows what the session says: the window open with its content, or gone.
    void follow() {
        if (!session.isOpen()) {
            // The window's close event ends in closed() too; running it again
            // is harmless and covers a window that is already gone.
            if (window) window->close();
            closed();
            return;
        }
        if (context.hasWindow()) context.window().setToggleState(kCmdPalette, true);
        if (!window) {
            window = new PaletteWindow(context, session);
            window->show();
        }
        window->showSession();
    }

    // The close box, or the toggle turning the flag off.
    void closed() {
        session.close();
        if (context.hasWindow()) context.window().setToggleState(kCmdPalette, false);
        if (window) {
            // Inside the window's own close event: delete it once that returns.
            window->deleteLater();
            window.clear();
        }
    }

    AppContext& context;
    PlatformPrompts prompts;
    PaletteSession session;
    QPointer<PaletteWindow> window;
};

}  // namespace

PaletteWindow::PaletteWindow(AppContext& context, PaletteSession& session)
    : ToolWindow(context, kWindowPalette), m_session(session) {
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint);
    setFixedClientSize(kSwatchImageWidth, kSwatchImageHeight);
    if (context.hasWindow()) {
        const MainWindow& main = context.window();
        const QPoint client = main.geometry().topLeft();
        move(client.x() + kOffsetX, client.y() + main.metrics().toolbarHeight + kOffsetBelowToolbar);
    }
}

void PaletteWindow::showSession() {
    setWindowTitle(QString::fromStdString(m_session.title()));
    if (m_shownRevision == m_session.displayRevision() && !m_swatches.isNull()) return;
    m_shownRevision = m_session.displayRevision();
    const Image* swatches = context().editor().images().find(kSlotPaletteSwatches);
    m_swatches = swatches ? toQImage(*swatches) : QImage();
    update();
}

void PaletteWindow::paintEvent(QPaintEvent*) {
    if (m_swatches.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_swatches);
}

void PaletteWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
    const QPoint at = event->position().toPoint();
    m_session.editAt(at.x(), at.y());
    showSession();
}

void installPaletteWindow(AppContext& context) {
    auto tool = std::make_shared<PaletteTool>(context);
    Dispatch& d = context.dispatch();
    d.set(kCmdPalette, [tool](int) { tool->toggle(); }, "palette");
    d.set(kCmdShowPalette, [tool](int) { tool->toggle(); }, "show palette");
    d.setWindowHandler(kWindowPalette, [tool](WindowEvent event) {
        if (event == WindowEvent::Close) tool->closed();
    });
    context.addRefreshListener([tool] { tool->refresh(); });
}

}  // namespace tarnel
