#include "twocolors/two_colors_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <limits>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/slots.h"
#include "twocolors/two_colors_session.h"

namespace tarnel {

namespace {

constexpr const char* kTitle = "Two Colors";
constexpr int kClientWidth = 287;
constexpr int kClientHeight = 170;
// Window colour: red 0xA5, green 0xBF, blue 0xDA.
const QColor kWindowColour(0xA5, 0xBF, 0xDA);


class PlatformColorRequester final : public ColorRequester {
public:
    explicit PlatformColorRequester(QtPlatform& platform) : m_platform(platform) {}
    std::optional<Color> chooseColor(Color initial) override { return m_platform.chooseColor(initial); }

private:
    QtPlatform& m_platform;
};

// The session and the window it shows in, for as long as the editor runs.
struct TwoColorsTool {
    explicit TwoColorsTool(AppContext& c)
        : requester(c.platform()), session(c.editor(), [&p = c.platform()] { return p.clockMs(); }, requester) {}

    PlatformColorRequester requester;
    TwoColorsSession session;
    QPointer<TwoColorsWindow> window;
};

}  // namespace

// --- the swatch buttons ------------------------------------------------------------------

void SwatchButton::setSwatch(const QImage& image) {
    m_swatch = image;
    update();
}

void SwatchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), m_swatch);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// --- the window ------------------------------------------------------------------------------

TwoColorsWindow::TwoColorsWindow(AppContext& context, std::shared_ptr<TwoColorsSession> session)
    : ToolWindow(context, kWindowTwoColors), m_session(std::move(session)) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    setFixedClientSize(kClientWidth, kClientHeight);
    setWindowColour(kWindowColour);

    // Frames first, so that the controls lie above them.
    placed(new QGroupBox(QStringLiteral("Dither"), this), {10, 5, 267, 50});
    m_thresholdFrame = new QGroupBox(this);
    placed(m_thresholdFrame, {10, 60, 267, 60});

    auto* group = new QButtonGroup(this);
    const struct {
        const char* text;
        ControlBox box;
    } options[] = {{"None", {17, 20, 60, 30}}, {"4X4 ordered", {85, 20, 90, 30}}, {"Sierra Lite", {183, 20, 86, 30}}};
    for (int mode = 0; mode < 3; ++mode) {
        m_dither[mode] = new QRadioButton(QString::fromLatin1(options[mode].text), this);
        placed(m_dither[mode], options[mode].box);
        group->addButton(m_dither[mode], mode);
    }

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, kTwoColorSliderMax);
    placed(m_slider, {15, 85, 257, 30});

    m_color1 = new SwatchButton(this);
    m_color1->setToolTip(QStringLiteral("color 1"));
    placed(m_color1, {100, 130, kTwoColorSwatchSize, kTwoColorSwatchSize});
    m_color2 = new SwatchButton(this);
    m_color2->setToolTip(QStringLiteral("color 2"));
    placed(m_color2, {157, 130, kTwoColorSwatchSize, kTwoColorSwatchSize});

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    placed(m_cancel, {10, 130, 60, 30});
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    placed(m_ok, {217, 130, 60, 30});

    m_checkTimer.setSingleShot(true);
    m_checkTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_checkTimer, &QTimer::timeout, this, [this] { afterEvent(); });

    TwoColorsSession& s = *m_session;
    connect(group, &QButtonGroup::idClicked, this, [this, &s](int mode) {
        s.pickDither(static_cast<TwoColorDither>(mode));
        sync();
        afterEvent();
    });
    connect(m_slider, &QSlider::valueChanged, this, [this, &s](int value) {
        s.moveSlider(value);
        sync();
        afterEvent();
    });
    for (const int button : {1, 2}) {
        connect(colorButton(button), &QAbstractButton::clicked, this, [this, &s, button] {
            s.pickColor(button);
            sync();
            afterEvent();
        });
    }
    connect(m_cancel, &QPushButton::clicked, this, [this] { close(); });
    connect(m_ok, &QPushButton::clicked, this, [this, &s] {
        {
            LongWork busy(this->context().platform());
            s.ok();
        }
        close();
    });
    sync();
}

void TwoColorsWindow::sync() {
    const TwoColorsSession& s = *m_session;
    {
        const QSignalBlocker blockSlider(m_slider);
        m_slider->setValue(s.sliderValue());
    }
    m_dither[static_cast<int>(s.dither())]->setChecked(true);
    m_thresholdFrame->setTitle(QString::fromStdString(s.thresholdCaption()));
    ImageTable& images = context().editor().images();
    for (const int button : {1, 2}) {
        const Image* swatch = images.find(button == 1 ? kSlotTwoColorsFirst : kSlotTwoColorsSecond);
        if (swatch) colorButton(button)->setSwatch(toQImage(*swatch));
    }
}

void TwoColorsWindow::afterEvent() {
    if (m_session->previewDue()) {
        LongWork busy(context().platform());
        m_session->check();
    } else {
        m_session->check();  // may settle a request that needs no new preview
    }
    scheduleCheck();
}

void TwoColorsWindow::scheduleCheck() {
    const std::optional<std::int64_t> wait = m_session->msUntilCheck();
    if (!wait) {
        m_checkTimer.stop();
        return;
    }
    m_checkTimer.start(static_cast<int>(std::min<std::int64_t>(*wait, std::numeric_limits<int>::max())));
}

void installTwoColorsWindow(AppContext& context) {
    auto tool = std::make_shared<TwoColorsTool>(context);
    const std::shared_ptr<TwoColorsSession> session(tool, &tool->session);
    AppContext& c = context;

    c.dispatch().set(kCmdTwoColors, [&c, tool, session](int) {
        if (!tool->session.open()) {
            if (tool->window) tool->window->raise();
            return;
        }
        auto* w = new TwoColorsWindow(c, session);
        tool->window = w;
        w->show();
        if (c.hasWindow()) {
            // Centred once the frame around it is known.
            const QRect frame = w->frameGeometry();
            w->move(c.window().frameGeometry().center() - (frame.center() - frame.topLeft()));
        }
    }, "two colors");

    // Cancel, OK and the close box end in Close; the first check follows
    // the window's first event, Show.
    c.dispatch().setWindowHandler(kWindowTwoColors, [tool](WindowEvent event) {
        if (event == WindowEvent::Close) tool->session.close();
        if (event == WindowEvent::Show && tool->window) tool->window->scheduleCheck();
    });

    // Undo, Revert, Load or a command that ignores the busy test changed
    // the working image: the preview is rebuilt from it.
    c.addRefreshListener([tool] {
        if (!tool->session.isOpen()) return;
        tool->session.workspaceChanged();
        if (tool->window) tool->window->scheduleCheck();
    });
}

}  // namespace tarnel
