#include "adjust/histogram_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSignalBlocker>

#include <iterator>
#include <memory>

#include "adjust/histogram_session.h"
#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/platform_qt.h"

namespace tarnel {

namespace {

constexpr int kClientWidth = 350;
constexpr int kClientHeight = kHistogramGraphHeight + 50;
const QRect kPanelBox(275, 10, 65, 158);
const QRect kCaptionBox(kHistogramGraphLeft, 143, kHistogramGraphWidth, 30);
// Where the window goes, from the top-left corner of the image view.
const QPoint kOffsetFromView(2, 2);

// The check boxes, top to bottom, in panel coordinates.
struct CheckRow {
    const char* text;
    const char* toolTip;
    QRect box;
    bool HistogramOptions::*option;
};
const CheckRow kCheckRows[] = {
    {"RED", nullptr, QRect(5, 5, 55, 25), &HistogramOptions::red},
    {"GRN", nullptr, QRect(5, 35, 55, 25), &HistogramOptions::green},
    {"BLU", nullptr, QRect(5, 65, 55, 25), &HistogramOptions::blue},
    {"ExEx", "Exclude Extremes", QRect(5, 95, 60, 25), &HistogramOptions::excludeExtremes},
    {"AVG", "Show RGB average lines", QRect(5, 125, 60, 25), &HistogramOptions::averageLines},
};
static_assert(std::size(kCheckRows) == 5);

QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// The toggles, the close box and the view's refreshes, around one session
// and the window while it is open.
class HistogramTool {
public:
    explicit HistogramTool(AppContext& context) : m_context(context), m_session(context.editor()) {}

    // Commands 35 and 47.
    void toggle() {
        m_session.toggle();
        refresh();
    }

    // After every redraw and selection change, and after a check box.
    void refresh() {
        m_session.refresh();
        sync();
    }

    void closeBox() {
        if (!m_session.isOpen()) return;
        m_session.close();
        sync();
    }

    bool isOpen() const { return m_session.isOpen(); }

private:
    // Brings the window, the menu item and the toolbar button in line with
    // the session.
    void sync() {
        if (!m_context.hasWindow()) return;
        MainWindow& main = m_context.window();
        main.setToggleState(kCmdHistogram, m_session.isOpen());
        if (!m_session.isOpen()) {
            if (m_window) {
                // Possibly called from the window's own close event.
                HistogramWindow* window = m_window;
                m_window.clear();
                const bool hadFocus = window->isActiveWindow();
                window->hide();
                window->deleteLater();
                if (hadFocus) main.activateWindow();
            }
            return;
        }
        if (m_window) {
            m_window->showSession();
            return;
        }
        m_window = new HistogramWindow(m_context, m_session, [this] { refresh(); });
        m_window->showSession();
        m_window->move(main.canvas()->mapToGlobal(QPoint(0, 0)) + kOffsetFromView);
        // Not every window system honours showing without activation; the
        // main window keeps the keyboard (its shortcuts) either way.
        const bool mainHadFocus = main.isActiveWindow();
        m_window->show();
        if (mainHadFocus) main.activateWindow();
    }

    AppContext& m_context;
    HistogramSession m_session;
    QPointer<HistogramWindow> m_window;
};

}  // namespace

HistogramWindow::HistogramWindow(AppContext& context, HistogramSession& session, std::function<void()> refresh)
    : ToolWindow(context, kWindowHistogram), m_session(session), m_refresh(std::move(refresh)) {
    setWindowFlags(Qt::Tool);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    setFixedClientSize(kClientWidth, kClientHeight);

    m_graph = new QLabel(this);
    m_graph->setGeometry(kHistogramGraphLeft, kHistogramGraphTop, kHistogramGraphWidth, kHistogramGraphHeight);

    // The panel keeps the platform's colours, so that the check boxes stay
    // readable on any average colour.
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(kPanelBox);
    QPalette platformColours = panel->palette();
    platformColours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    platformColours.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    panel->setPalette(platformColours);
    panel->setAutoFillBackground(true);
    for (std::size_t i = 0; i < std::size(kCheckRows); ++i) {
        const CheckRow& row = kCheckRows[i];
        auto* box = new QCheckBox(QString::fromLatin1(row.text), panel);
        if (row.toolTip) box->setToolTip(QString::fromLatin1(row.toolTip));
        box->setGeometry(row.box);
        connect(box, &QCheckBox::toggled, this, [this] { optionsChanged(); });
        m_boxes[i] = box;
    }

    m_caption = new QLabel(this);
    m_caption->setGeometry(kCaptionBox);
    m_caption->setAlignment(Qt::AlignCenter);
}

void HistogramWindow::showSession() {
    setWindowTitle(QString::fromStdString(m_session.title()));
    m_caption->setText(QString::fromStdString(m_session.caption()));

    const HistogramOptions& options = m_session.options();
    for (std::size_t i = 0; i < std::size(kCheckRows); ++i) {
        const QSignalBlocker quiet(m_boxes[i]);
        m_boxes[i]->setChecked(options.*kCheckRows[i].option);
    }

    if (const Image* graph = m_session.graphImage()) m_graph->setPixmap(QPixmap::fromImage(toQImage(*graph)));

    if (m_session.hasGraph()) {
        const QColor average = toQColor(m_session.averageColor());
        QPalette windowColours = palette();
        windowColours.setColor(QPalette::Window, average);
        setPalette(windowColours);
        QPalette captionColours = m_caption->palette();
        captionColours.setColor(QPalette::Window, average);
        captionColours.setColor(QPalette::WindowText, toQColor(m_session.captionTextColor()));
        m_caption->setPalette(captionColours);
        m_caption->setAutoFillBackground(true);
    }
    update();
}

void HistogramWindow::paintEvent(QPaintEvent* event) {
    ToolWindow::paintEvent(event);
    if (!m_session.hasGraph()) return;
    QPainter painter(this);
    painter.fillRect(toQRect(kHistogramMarkerStrip), toQColor(m_session.averageColor()));
    painter.setPen(Qt::NoPen);
    for (const HistogramMarker& marker : m_session.markers()) {
        painter.setBrush(toQColor(marker.color));
        painter.drawEllipse(QPoint(marker.x, marker.y), kHistogramMarkerRadius, kHistogramMarkerRadius);
    }
}

void HistogramWindow::optionsChanged() {
    HistogramOptions options;
    for (std::size_t i = 0; i < std::size(kCheckRows); ++i) options.*kCheckRows[i].option = m_boxes[i]->isChecked();
    m_session.setOptions(options);
    if (m_refresh) m_refresh();
}

void installHistogramWindow(AppContext& context) {
    auto tool = std::make_shared<HistogramTool>(context);
    Dispatch& d = context.dispatch();
    d.set(kCmdHistogram, [tool](int) { tool->toggle(); }, "histogram");
    d.set(kCmdShowHistogram, [tool](int) { tool->toggle(); }, "show histogram");
    d.setWindowHandler(kWindowHistogram, [tool](WindowEvent event) {
        if (event == WindowEvent::Close) tool->closeBox();
    });
    context.addRefreshListener([tool] {
        if (tool->isOpen()) tool->refresh();
    });
}

}  // namespace tarnel
