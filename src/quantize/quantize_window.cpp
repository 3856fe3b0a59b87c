#include "quantize/quantize_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <new>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "quantize/quantize_session.h"

namespace tarnel {

namespace {

constexpr const char* kTitle = "Quantize Colors";
constexpr int kClientWidth = 160;
constexpr int kClientHeight = 245;
// Window colour: red 0x9D, green 0xCE, blue 0xCE.
const QColor kWindowColour(0x9D, 0xCE, 0xCE);

QPushButton* button(QWidget* parent, const char* text, const char* tip, ControlBox b) {
    return placed(new QPushButton(QString::fromLatin1(text), parent), b, tip);
}

ScreenPoint screenPoint(const QPoint& p) { return ScreenPoint{p.x(), p.y()}; }

}  // namespace

// --- the limit field ------------------------------------------------------------------

LimitSpinBox::LimitSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onEdited) onEdited(text.toStdString());
    });
}

void LimitSpinBox::setShown(const QString& text, bool canStep) {
    m_canStep = canStep;
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    update();
}

void LimitSpinBox::stepBy(int steps) {
    if (onStep) onStep(steps);
}

QAbstractSpinBox::StepEnabled LimitSpinBox::stepEnabled() const {
    return m_canStep && isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

void LimitSpinBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (onReturn) onReturn();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void LimitSpinBox::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    if (onEditFinished) onEditFinished();
}

// --- the window ---------------------------------------------------------------------------

QuantizeWindow::QuantizeWindow(AppContext& context, std::shared_ptr<QuantizeSession> session)
    : ToolWindow(context, kWindowQuantize), m_session(std::move(session)) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    setFixedClientSize(kClientWidth, kClientHeight);
    setWindowColour(kWindowColour);

    // Frames first, so that the controls lie above them.
    placed(new QGroupBox(QStringLiteral("STYLE"), this), {5, 5, 145, 55});
    placed(new QGroupBox(QStringLiteral("LIMIT"), this), {5, 65, 70, 50});
    placed(new QGroupBox(QStringLiteral("COLOR COUNT"), this), {5, 120, 145, 40});

    m_methods = new QComboBox(this);
    for (const std::string_view name : kQuantizeMethodNames)
        m_methods->addItem(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    placed(m_methods, {10, 25, 135, 30});

    m_limit = new LimitSpinBox(this);
    placed(m_limit, {10, 85, 60, 25});
    m_dither = new QCheckBox(QStringLiteral("Dither"), this);
    placed(m_dither, {85, 85, 65, 26});

    m_count = new QLabel(this);
    m_count->setAlignment(Qt::AlignCenter);
    placed(m_count, {15, 135, 125, 20});

    m_test = button(this, "Test", "Preview quantization", {5, 170, 70, 30});
    m_source = button(this, "Source", "Show source image", {80, 170, 70, 30});
    m_apply = button(this, "Apply", "Update source image", {5, 210, 70, 30});
    m_exit = button(this, "Exit", nullptr, {80, 210, 70, 30});
    m_apply->setEnabled(false);

    QuantizeSession& s = *m_session;
    connect(m_methods, &QComboBox::activated, this, [this, &s](int index) {
        s.pickMethod(index);
        sync();
    });
    m_limit->onStep = [this, &s](int steps) {
        s.stepLimit(steps);
        sync();
    };
    m_limit->onEdited = [this, &s](const std::string& text) {
        s.editLimitText(text);
        sync();
    };
    m_limit->onEditFinished = [this, &s] {
        s.finishLimitEdit();
        sync();
    };
    m_limit->onReturn = [this, &s] { run([&s] { s.returnKey(true); }); };
    connect(m_dither, &QCheckBox::toggled, this, [this, &s](bool on) {
        s.setDither(on);
        sync();
    });
    connect(m_test, &QPushButton::clicked, this, [this, &s] { run([&s] { s.test(); }); });
    connect(m_source, &QPushButton::clicked, this, [this, &s] { run([&s] { s.source(); }); });
    connect(m_apply, &QPushButton::clicked, this, [this, &s] { run([&s] { s.apply(); }); });
    connect(m_exit, &QPushButton::clicked, this, [this] { close(); });
}

template <typename Call>
void QuantizeWindow::run(Call call) {
    bool outOfMemory = false;
    try {
        LongWork busy(context().platform());
        call();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    sync();
    if (outOfMemory) context().platform().messageBox(kOutOfMemoryTitle, kOutOfMemoryText, MessageButtons::Ok);
}

void QuantizeWindow::sync() {
    const QuantizeSession& s = *m_session;
    const QuantizeSettings& settings = s.settings();
    const LimitField& field = s.limitField();
    {
        const QSignalBlocker blockMethods(m_methods);
        const QSignalBlocker blockDither(m_dither);
        m_methods->setCurrentIndex(static_cast<int>(settings.method));
        m_dither->setChecked(settings.dither);
    }
    m_limit->setEnabled(field.enabled);
    m_limit->setShown(QString::fromStdString(field.text), field.enabled);
    m_count->setText(QString::fromStdString(s.countText()));
    m_apply->setEnabled(s.applyEnabled());
}

void installQuantizeWindow(AppContext& context) {
    auto session = std::make_shared<QuantizeSession>(context.editor());
    auto window = std::make_shared<QPointer<QuantizeWindow>>();
    AppContext& c = context;

    c.dispatch().set(kCmdQuantize, [&c, session, window](int) {
        if (!session->open()) {
            if (*window) window->data()->raise();
            return;
        }
        auto* w = new QuantizeWindow(c, session);
        *window = w;
        // Placed once the window exists and its size is known.
        QTimer::singleShot(0, w, [&c, session, w] {
            const Size desktop = c.platform().desktopSize();
            const std::optional<ScreenPoint> at =
                session->show(screenPoint(c.window().geometry().topLeft()), desktop.width, desktop.height,
                              w->width(), w->height(), c.window().metrics().toolbarHeight);
            if (at) w->move(at->x, at->y);
            w->sync();
            w->show();
        });
    }, "quantize");

    // The close box and Exit.
    c.dispatch().setWindowHandler(kWindowQuantize, [&c, session, window](WindowEvent event) {
        if (event != WindowEvent::Close || !*window) return;
        session->close(screenPoint(window->data()->pos()), screenPoint(c.window().geometry().topLeft()),
                       c.window().metrics().toolbarHeight);
    });

    c.addRefreshListener([session, window] {
        if (!session->isOpen()) return;
        session->workspaceChanged();
        if (*window) window->data()->sync();
    });
}

}  // namespace tarnel
