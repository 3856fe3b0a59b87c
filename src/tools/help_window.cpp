#include "tools/help_window.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>

#include <memory>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "tools/help_text.h"

namespace tarnel {

namespace {

// Background 0x8FDFDF and text 0x802A29 (0x00BBGGRR).
const QColor kHelpBackground(223, 223, 143);
const QColor kHelpTextColour(41, 42, 128);
constexpr const char* kHelpFontFamily = "Courier New";
constexpr int kHelpFontPoints = 12;

class HelpWindow final : public QWidget {
public:
    HelpWindow(AppContext& context, const QFont& font) : QWidget(nullptr, Qt::Window) {
        setWindowTitle(QString::fromLatin1(kHelpWindowTitle));
        setAttribute(Qt::WA_DeleteOnClose);
        m_view = new QPlainTextEdit(this);
        m_view->setFrameShape(QFrame::NoFrame);
        m_view->setReadOnly(true);
        m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m_view->setWordWrapMode(QTextOption::WordWrap);
        m_view->setFont(font);
        QPalette palette = m_view->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Base, kHelpBackground);
            palette.setColor(group, QPalette::Text, kHelpTextColour);
        }
        m_view->setPalette(palette);
        // Plain text: nothing in it is read as markup.
        m_view->setPlainText(QString::fromLatin1(helpText()));
        context.registerWindow(kWindowHelp, this);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (m_view->geometry() != rect()) m_view->setGeometry(rect());
    }

private:
    QPlainTextEdit* m_view = nullptr;
};

// What the first Help measures and loads, and the window while it is open.
// The window has no Qt owner; the state deletes it when the editor goes.
struct HelpState {
    bool prepared = false;
    Rect placement;
    QFont font;
    QPointer<HelpWindow> window;

    ~HelpState() { delete window.data(); }
};

void help(AppContext& context, HelpState& state) {
    if (!state.prepared) {
        const Size desktop = context.platform().desktopSize();
        state.placement = helpWindowRect(desktop.width, desktop.height);
        state.font = QFont(QString::fromLatin1(kHelpFontFamily), kHelpFontPoints, QFont::Bold);
        state.font.setStyleHint(QFont::TypeWriter);
        state.prepared = true;
    }
    if (HelpWindow* open = state.window) {
        open->setWindowState(open->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* window = new HelpWindow(context, state.font);
    // Centred on the desktop the placement was measured on.
    QPoint origin;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) origin = screen->availableGeometry().topLeft();
    const Rect& r = state.placement;
    window->setGeometry(origin.x() + r.left, origin.y() + r.top, r.width(), r.height());
    state.window = window;
    window->show();
    window->activateWindow();
}

}  // namespace

void installHelpWindow(AppContext& context) {
    auto state = std::make_shared<HelpState>();
    context.dispatch().set(kCmdHelp, [&context, state](int) { help(context, *state); }, "help");
}

}  // namespace tarnel
