#include "app/platform_qt.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <cmath>
#include <cstring>

#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "tools/font_requester_dialog.h"

namespace tarnel {

namespace {

// Screen resolution assumed for point sizes of text drawn on images.
constexpr double kTextDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

const QEvent::Type kCoreEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// A core event travelling through Qt's queue.
class CoreEvent final : public QEvent {
public:
    explicit CoreEvent(const CustomEvent& event) : QEvent(kCoreEventType), m_event(event) {}
    const CustomEvent& event() const { return m_event; }

private:
    CustomEvent m_event;
};

// Hands posted core events back to the platform's handler.
class EventReceiver final : public QObject {
public:
    explicit EventReceiver(std::function<void(const CustomEvent&)>* handler) : m_handler(handler) {}

protected:
    void customEvent(QEvent* event) override {
        if (event->type() != kCoreEventType) return;
        if (*m_handler) (*m_handler)(static_cast<CoreEvent*>(event)->event());
    }

private:
    std::function<void(const CustomEvent&)>* m_handler;
};

QRgb opaqueFromCore(Color c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }

// Room beside a caption's text for the window icon and the caption buttons.
constexpr int kCaptionAllowance = 160;
// Caption fonts are commonly bold and larger than the dialog's text.
constexpr double kCaptionFontScale = 1.25;

// The least width of a message box whose caption shows title in full.
int messageBoxWidthForTitle(const QString& title, const QFont& font) {
    QFont caption = font;
    caption.setBold(true);
    caption.setPointSizeF(caption.pointSizeF() * kCaptionFontScale);
    return QFontMetrics(caption).horizontalAdvance(title) + kCaptionAllowance;
}

// A requester as Qt shows it, from the filter list given in Qt's syntax
// ("label (patterns)" joined by ";;"). The labels alone are shown; the
// filter chosen comes back in the same syntax.
std::optional<QString> runFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                                     const QString& path, const QString& filter, QString* selectedFilter) {
    // A path naming a file opens its folder with the name filled in.
    QFileDialog dialog(parent, title, path);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Save asks "File Exists!" itself, for the path it really writes.
    if (mode == QFileDialog::AcceptSave) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    dialog.setNameFilters(filters);
    if (selectedFilter && !selectedFilter->isEmpty()) dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    if (selectedFilter) {
        // Depending on the Qt version the dialog reports the whole filter or
        // only its label.
        const QString chosen = dialog.selectedNameFilter();
        for (const QString& f : filters) {
            // A label may hold " (" itself: the patterns start at the last one.
            if (f == chosen || f.left(f.lastIndexOf(QStringLiteral(" ("))) == chosen) {
                *selectedFilter = f;
                break;
            }
        }
    }
    return files.first();
}

// Qt's file and colour dialogs keep their history, bookmarks and custom
// colours in the user's settings ("QtProject.conf" in the configuration
// folder) and write them whenever one closes. The editor keeps nothing
// between runs but its preferences file, so where those settings are files
// they are looked for in a folder that cannot exist: one inside the program
// file. Reading finds nothing, writing fails silently.
void keepNoToolkitSettings() {
    if (!QCoreApplication::instance()) return;
    const QString nowhere = QCoreApplication::applicationFilePath() + QStringLiteral("/no-settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

}  // namespace

QImage toQImage(const Image& image) {
    if (image.isNull()) return QImage();
    QImage out(image.width(), image.height(), QImage::Format_RGBA8888);
    const bool opaque = image.depth() != 32;
    for (int y = 0; y < image.height(); ++y) {
        const Color* src = image.row(y);
        auto* dst = reinterpret_cast<Color*>(out.scanLine(y));
        if (opaque) {
            for (int x = 0; x < image.width(); ++x) dst[x] = src[x] | kAlphaMask;
        } else {
            std::memcpy(dst, src, static_cast<std::size_t>(image.width()) * sizeof(Color));
        }
    }
    return out;
}

Image fromQImage(const QImage& image, int depth) {
    if (image.isNull()) return Image();
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    Image out(rgba.width(), rgba.height(), depth);
    for (int y = 0; y < rgba.height(); ++y) {
        const auto* src = reinterpret_cast<const Color*>(rgba.constScanLine(y));
        Color* dst = out.row(y);
        if (depth == 32) {
            std::memcpy(dst, src, static_cast<std::size_t>(rgba.width()) * sizeof(Color));
        } else {
            for (int x = 0; x < rgba.width(); ++x) dst[x] = src[x] & kColorMask;
        }
    }
    return out;
}

QFont toQFont(const FontSpec& fontSpec) {
    QFont font(QString::fromStdString(fontSpec.family));
    font.setPixelSize(static_cast<int>(std::lround(fontSpec.pointSize * kTextDpi / kPointsPerInch)));
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setUnderline(fontSpec.underline);
    font.setStrikeOut(fontSpec.strikeOut);
    if (fontSpec.highQuality) font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferQuality | QFont::PreferAntialias));
    return font;
}

QtPlatform::QtPlatform() : m_receiver(new EventReceiver(&m_eventHandler)) {
    m_clock.start();
    keepNoToolkitSettings();
}

QtPlatform::~QtPlatform() { delete m_receiver; }

void QtPlatform::attach(MainWindow* window, CanvasWidget* canvas) {
    m_window = window;
    m_canvas = canvas;
}

void QtPlatform::setEventHandler(std::function<void(const CustomEvent&)> handler) {
    m_eventHandler = std::move(handler);
}

QWidget* QtPlatform::dialogParent() const { return m_window; }

MessageAnswer QtPlatform::messageBox(const std::string& title, const std::string& text, MessageButtons buttons) {
    m_asked.push_back(Question{title, text, buttons});
    if (m_messageAnswerer) return m_messageAnswerer(m_asked.back());
    const QString qtitle = QString::fromStdString(title);
    const bool yesNo = buttons == MessageButtons::YesNo;
    QMessageBox box(yesNo ? QMessageBox::Question : QMessageBox::Information, qtitle, QString::fromStdString(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, dialogParent());
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    // A box sizes itself to its text alone, and its caption then cuts a
    // longer title short: a strip across the bottom of its grid keeps the
    // box wide enough for the title, the icon and the caption buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(messageBoxWidthForTitle(qtitle, box.font()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int answer = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtPlatform::setCanvasCursor(CursorShape shape) {
    if (!m_canvas) return;
    switch (shape) {
    case CursorShape::Arrow: m_canvas->setCursor(Qt::ArrowCursor); break;
    case CursorShape::Cross: m_canvas->setCursor(Qt::CrossCursor); break;
    case CursorShape::SizeAll: m_canvas->setCursor(Qt::SizeAllCursor); break;
    case CursorShape::Wait: m_canvas->setCursor(Qt::WaitCursor); break;
    }
}

Point QtPlatform::pointerPosition() {
    if (!m_canvas) return Point{};
    const QPoint p = m_canvas->mapFromGlobal(QCursor::pos());
    return Point{p.x(), p.y()};
}

void QtPlatform::setPointerPosition(Point canvasPos) {
    if (!m_canvas) return;
    QCursor::setPos(m_canvas->mapToGlobal(QPoint(canvasPos.x, canvasPos.y)));
}

Point QtPlatform::canvasScreenOrigin() {
    if (!m_canvas) return Point{};
    const QPoint p = m_canvas->mapToGlobal(QPoint(0, 0));
    return Point{p.x(), p.y()};
}

Size QtPlatform::desktopSize() {
    if (m_desktopOverride) return *m_desktopOverride;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return Size{};
    // The work area: a window fitted to it is not hidden under a task bar.
    const QRect r = screen->availableGeometry();
    return Size{r.width(), r.height()};
}

std::string QtPlatform::homeFolder() {
    if (m_homeOverride) return *m_homeOverride;
    const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return withTrailingSeparator(QDir::toNativeSeparators(home).toStdString());
}

std::int64_t QtPlatform::clockMs() { return m_clock.elapsed(); }

void QtPlatform::sleepMs(int ms) {
    if (m_sleepEnabled && ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

void QtPlatform::postEvent(const CustomEvent& event) {
    QCoreApplication::postEvent(m_receiver, new CoreEvent(event));
}

void QtPlatform::setHistoryButtons(bool undoEnabled, bool redoEnabled) {
    if (!m_window) return;
    m_window->setToolbarEnabled(kCmdUndo, undoEnabled);
    m_window->setToolbarEnabled(kCmdRedo, redoEnabled);
}

void QtPlatform::focusCanvas() {
    if (m_canvas) m_canvas->setFocus(Qt::OtherFocusReason);
}

void QtPlatform::updateCanvas(const Rect& r) {
    if (m_canvas) m_canvas->canvasChanged(r);
}

void QtPlatform::setStatusText(int field, const std::string& text) {
    if (m_window) m_window->setStatusText(field, QString::fromStdString(text));
}

WindowMetrics QtPlatform::windowMetrics() {
    return m_window ? m_window->metrics() : WindowMetrics{};
}

Size QtPlatform::innerSize() {
    if (!m_window) return Size{};
    return Size{m_window->width(), m_window->height()};
}

void QtPlatform::setInnerSize(Size inner) {
    if (m_window) m_window->resize(inner.width, inner.height);
}

void QtPlatform::moveWindow(Point outerTopLeftScreen) {
    if (m_window) m_window->move(outerTopLeftScreen.x, outerTopLeftScreen.y);
}

Size QtPlatform::placeCanvas(int x, int y, int width, int height) {
    if (!m_window) return Size{};
    return m_window->placeCanvas(x, y, width, height);
}

void QtPlatform::drawTextLines(Image& image, const std::vector<TextLine>& lines, const FontSpec& font,
                               Color color) {
    if (image.isNull() || lines.empty()) return;
    const QFont qfont = toQFont(font);
    const QFontMetrics metrics(qfont);
    const auto paint = [&](QImage& target) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(qfont);
        painter.setPen(QColor::fromRgb(opaqueFromCore(color)));
        for (const TextLine& line : lines) {
            if (!line.text.empty())
                painter.drawText(QPoint(line.x, line.y + metrics.ascent()), QString::fromStdString(line.text));
        }
    };
    if (image.depth() == 32) {
        // Painted in place: the buffer is already R, G, B, A in memory.
        QImage target(reinterpret_cast<uchar*>(image.data()), image.width(), image.height(),
                      image.width() * static_cast<int>(sizeof(Color)), QImage::Format_RGBA8888);
        paint(target);
        return;
    }
    // A 24-bit image is painted as an opaque copy, so that the edges of the
    // glyphs blend with the colours underneath; the top bytes are kept.
    QImage target = toQImage(image);
    paint(target);
    for (int row = 0; row < image.height(); ++row) {
        const auto* src = reinterpret_cast<const Color*>(target.constScanLine(row));
        Color* dst = image.row(row);
        for (int col = 0; col < image.width(); ++col) dst[col] = (dst[col] & ~kColorMask) | (src[col] & kColorMask);
    }
}

Size QtPlatform::textSize(const std::string& text, const FontSpec& font) {
    const QFontMetrics metrics(toQFont(font));
    return Size{metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

void QtPlatform::beginLongWork() {
    if (m_longWork++ == 0) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtPlatform::endLongWork() {
    if (m_longWork > 0 && --m_longWork == 0) QGuiApplication::restoreOverrideCursor();
}

std::optional<QString> QtPlatform::answerFileRequester(const QString& title, const QString& filter,
                                                       QString* selectedFilter) {
    const QStringList filters = filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (selectedFilter && m_filterAnswer && *m_filterAnswer >= 0 && *m_filterAnswer < filters.size())
        *selectedFilter = filters[*m_filterAnswer];
    return m_fileAnswerer(title);
}

std::optional<QString> QtPlatform::openFileName(const QString& title, const QString& folder, const QString& filter,
                                                QString* selectedFilter) {
    if (m_fileAnswerer) return answerFileRequester(title, filter, selectedFilter);
    return runFileDialog(dialogParent(), QFileDialog::AcceptOpen, title, folder, filter, selectedFilter);
}

std::optional<QString> QtPlatform::saveFileName(const QString& title, const QString& path, const QString& filter,
                                                QString* selectedFilter) {
    if (m_fileAnswerer) return answerFileRequester(title, filter, selectedFilter);
    return runFileDialog(dialogParent(), QFileDialog::AcceptSave, title, path, filter, selectedFilter);
}

std::optional<Color> QtPlatform::chooseColor(Color initial) {
    if (m_colorAnswerer) return m_colorAnswerer(initial);
    const QColor chosen = QColorDialog::getColor(QColor(redOf(initial), greenOf(initial), blueOf(initial)),
                                                 dialogParent());
    if (!chosen.isValid()) return std::nullopt;
    return rgb(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<TextFont> QtPlatform::chooseTextFont(const TextFont& initial) {
    if (m_textFontAnswerer) return m_textFontAnswerer(initial);
    return runFontRequester(dialogParent(), initial, [this](Color c) { return chooseColor(c); });
}

}  // namespace tarnel
