#include "adjust/brightness_contrast_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"

namespace tarnel {

namespace {

constexpr const char* kTitle = "Adjust brightness & contrast";
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 285;
const QColor kWindowColour(157, 206, 206);
const QColor kHeadingColour(192, 192, 192);

QSlider* slider(QWidget* parent, int maximum, int centre, const char* tip, ControlBox b) {
    auto* s = placed(new QSlider(Qt::Horizontal, parent), b, tip);
    s->setRange(0, maximum);
    s->setValue(centre);
    return s;
}

// A borderless group of options under a grey heading.
QWidget* panel(QWidget* parent, ControlBox b, const char* heading, int headingWidth) {
    auto* p = placed(new QWidget(parent), b);
    auto* label = placed(new QLabel(QString::fromLatin1(heading), p), {10, 10, headingWidth, 20});
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, kHeadingColour);
    label->setPalette(colours);
    return p;
}

template <typename Button>
Button* button(QWidget* parent, const char* text, const char* tip, ControlBox b) {
    return placed(new Button(QString::fromLatin1(text), parent), b, tip);
}

}  // namespace

BrightnessContrastWindow::BrightnessContrastWindow(AppContext& context,
                                                   std::shared_ptr<BrightnessContrastSession> session)
    : ToolWindow(context, kWindowBrightContrast), m_session(std::move(session)) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    setFixedClientSize(kClientWidth, kClientHeight);
    setWindowColour(kWindowColour);

    // Frames first, so that the controls lie above them; their captions are
    // the value read-outs.
    m_brightnessFrame = placed(new QGroupBox(this), {10, 10, 380, 170});
    m_contrastFrame = placed(new QGroupBox(this), {10, 190, 380, 50});
    m_brightness =
        slider(this, kBrightnessSliderMax, kBrightnessSliderCentre, " adjust brightness ", {20, 30, 360, 20});
    m_contrast = slider(this, kContrastSliderMax, kContrastSliderCentre, " adjust contrast ", {20, 210, 360, 20});

    // Option buttons of one panel exclude one another.
    QWidget* limits = panel(this, {130, 60, 110, 110}, "at limits", 90);
    m_limits[static_cast<int>(BrightnessLimit::HoldRatio)] =
        button<QRadioButton>(limits, "hold ratio", " hold ratio at limits ", {10, 40, 90, 20});
    m_limits[static_cast<int>(BrightnessLimit::Clamp)] =
        button<QRadioButton>(limits, "clamp", " clamp at limits ", {10, 60, 80, 20});
    m_limits[static_cast<int>(BrightnessLimit::Wrap)] =
        button<QRadioButton>(limits, "wrap", " wrap at limits ", {10, 80, 80, 20});

    QWidget* mode = panel(this, {250, 60, 130, 110}, "mode", 110);
    m_proportional = button<QCheckBox>(mode, "proportional", " apply proportional brightness ", {10, 40, 110, 20});
    m_ratio = button<QRadioButton>(mode, "ratio", " adjust RGB values as ratios ", {10, 60, 80, 20});
    m_equal = button<QRadioButton>(mode, "equal", " adjust RGB values equally ", {10, 80, 80, 20});

    QWidget* activate = panel(this, {20, 60, 100, 110}, "activate", 80);
    m_channels[0] = button<QCheckBox>(activate, "Red", nullptr, {10, 40, 80, 20});
    m_channels[1] = button<QCheckBox>(activate, "Green", nullptr, {10, 60, 80, 20});
    m_channels[2] = button<QCheckBox>(activate, "Blue", nullptr, {10, 80, 80, 20});

    m_reset = button<QPushButton>(this, "Reset", " undo changes and continue editing ", {10, 250, 80, 25});
    m_refresh = button<QPushButton>(this, "Rfsh Brt", " refresh brightness ", {110, 250, 80, 25});
    m_apply = button<QPushButton>(this, "Apply", " apply changes and continue editing ", {210, 250, 80, 25});
    m_exit = button<QPushButton>(this, "Exit", " close this window ", {310, 250, 80, 25});

    // The sender tells which slider moved: the keyboard focus may still be
    // elsewhere (a click on the groove, a wheel turn).
    connect(m_brightness, &QSlider::valueChanged, this, [this](int v) { sliderMoved(ToneSlider::Brightness, v); });
    connect(m_contrast, &QSlider::valueChanged, this, [this](int v) { sliderMoved(ToneSlider::Contrast, v); });
    for (QRadioButton* option : {m_limits[0], m_limits[1], m_limits[2], m_ratio, m_equal})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) optionsChanged();  // the button turned off reports too
        });
    for (QCheckBox* box : {m_proportional, m_channels[0], m_channels[1], m_channels[2]})
        connect(box, &QCheckBox::toggled, this, [this] { optionsChanged(); });

    BrightnessContrastSession& s = *m_session;
    connect(m_reset, &QPushButton::clicked, this, [this, &s] { run([&s] { s.reset(); }); });
    connect(m_refresh, &QPushButton::clicked, this, [this, &s] { run([&s] { s.refreshBrightness(); }); });
    connect(m_apply, &QPushButton::clicked, this, [this, &s] { run([&s] { s.apply(); }); });
    connect(m_exit, &QPushButton::clicked, this, [this] { close(); });

    // One timer, re-armed by every sync: a drag never queues adjustments.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 15 ms late
    connect(&m_timer, &QTimer::timeout, this, [this, &s] { run([&s] { s.tick(); }); });
}

template <typename Call>
void BrightnessContrastWindow::run(Call call) {
    {
        LongWork busy(context().platform());
        call();
    }
    sync();
}

void BrightnessContrastWindow::sliderMoved(ToneSlider slider, int position) {
    BrightnessContrastSession& s = *m_session;
    // Moves of the active slider only note the time; a switch may compute.
    if (slider == s.activeSlider()) {
        s.moveSlider(slider, position);
        sync();
    } else {
        run([&s, slider, position] { s.moveSlider(slider, position); });
    }
}

void BrightnessContrastWindow::optionsChanged() {
    BrightnessOptions options;
    for (int i = 0; i < 3; ++i)
        if (m_limits[i]->isChecked()) options.limit = static_cast<BrightnessLimit>(i);
    options.ratio = m_ratio->isChecked();
    options.proportional = m_proportional->isChecked();
    options.red = m_channels[0]->isChecked();
    options.green = m_channels[1]->isChecked();
    options.blue = m_channels[2]->isChecked();
    m_session->changeOptions(options);
    sync();
}

void BrightnessContrastWindow::sync() {
    const BrightnessContrastSession& s = *m_session;
    {
        // Re-centring a slider must not come back as a move.
        const QSignalBlocker blockBrightness(m_brightness);
        const QSignalBlocker blockContrast(m_contrast);
        m_brightness->setValue(s.position(ToneSlider::Brightness));
        m_contrast->setValue(s.position(ToneSlider::Contrast));
    }
    // An option turned off by its group reports too, but only as off.
    const auto setShown = [](QAbstractButton* b, bool on) {
        const QSignalBlocker block(b);
        b->setChecked(on);
    };
    const BrightnessOptions& o = s.options();
    setShown(m_limits[static_cast<int>(o.limit)], true);
    setShown(o.ratio ? m_ratio : m_equal, true);
    setShown(m_proportional, o.proportional);
    setShown(m_channels[0], o.red);
    setShown(m_channels[1], o.green);
    setShown(m_channels[2], o.blue);

    m_brightnessFrame->setTitle(QString::fromStdString(s.caption(ToneSlider::Brightness)));
    m_contrastFrame->setTitle(QString::fromStdString(s.caption(ToneSlider::Contrast)));
    m_refresh->setEnabled(s.refreshEnabled());
    m_apply->setEnabled(s.applyEnabled());

    if (const std::optional<std::int64_t> next = s.nextCheckIn()) m_timer.start(static_cast<int>(*next));
    else m_timer.stop();
}

void installBrightContrastWindow(AppContext& context) {
    AppContext& c = context;
    QtPlatform& platform = c.platform();
    auto session =
        std::make_shared<BrightnessContrastSession>(c.editor(), [&platform] { return platform.clockMs(); });
    auto window = std::make_shared<QPointer<BrightnessContrastWindow>>();

    c.dispatch().set(kCmdBrightContrast, [&c, session, window](int) {
        if (!session->open()) {
            if (*window) window->data()->raise();
            return;
        }
        auto* w = new BrightnessContrastWindow(c, session);
        *window = w;
        if (c.hasWindow()) w->move(c.window().frameGeometry().center() - QPoint(w->width() / 2, w->height() / 2));
        w->sync();
        w->show();
    }, "bright/contrast");

    // The close box and Exit.
    c.dispatch().setWindowHandler(kWindowBrightContrast, [&c, session](WindowEvent event) {
        if (event != WindowEvent::Close || !session->isOpen()) return;
        LongWork busy(c.platform());
        session->close();
    });

    // Undo, Revert, Load or a one-shot command while the window is open.
    c.addRefreshListener([&c, session, window] {
        if (!session->workingImageChanged()) return;
        {
            LongWork busy(c.platform());
            session->workspaceChanged();
        }
        if (*window) window->data()->sync();
    });
}

}  // namespace tarnel
