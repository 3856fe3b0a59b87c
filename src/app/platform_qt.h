#pragma once
// The window system behind the editor core, on Qt: message boxes,
// requesters, cursors, pointer, screen, clock, the event queue, text on
// images and the main window's geometry and status texts.
//
// Message boxes and requesters can be answered without a person: a test
// installs an answerer, which then replaces the dialog (every question is
// still logged in asked()).

#include <QElapsedTimer>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/clipboard_qt.h"
#include "app/platform.h"
#include "tools/text_bitmap.h"

class QColor;
class QImage;
class QWidget;

namespace tarnel {

class MainWindow;
class CanvasWidget;

// Image <-> QImage. Core pixels 0xAABBGGRR lie in memory as R, G, B, A,
// which is Format_RGBA8888. A 24-bit image's top byte carries no meaning,
// so its pixels come out opaque and go in with the top byte 0.
QImage toQImage(const Image& image);
Image fromQImage(const QImage& image, int depth);

// The QFont that draws a FontSpec. Sizes are converted at 96 pixels per
// inch, so that text measures the same on every screen.
QFont toQFont(const FontSpec& fontSpec);

class QtPlatform final : public Platform {
public:
    // Create it after the QApplication. It keeps the toolkit's own dialogs
    // from storing anything between runs (their settings files are looked
    // for where none can be written).
    QtPlatform();
    ~QtPlatform() override;

    // The window and canvas the calls act on; calls made before they exist
    // do nothing (or report zero sizes).
    void attach(MainWindow* window, CanvasWidget* canvas);
    // Receives every posted event when Qt's queue hands it back.
    void setEventHandler(std::function<void(const CustomEvent&)> handler);

    // --- Platform ---------------------------------------------------------
    MessageAnswer messageBox(const std::string& title, const std::string& text,
                             MessageButtons buttons) override;
    void setCanvasCursor(CursorShape shape) override;
    Point pointerPosition() override;
    void setPointerPosition(Point canvasPos) override;
    Point canvasScreenOrigin() override;
    Size desktopSize() override;
    std::string homeFolder() override;
    std::int64_t clockMs() override;
    void sleepMs(int ms) override;
    void postEvent(const CustomEvent& event) override;
    void setHistoryButtons(bool undoEnabled, bool redoEnabled) override;
    void focusCanvas() override;
    void updateCanvas(const Rect& r) override;
    void setStatusText(int field, const std::string& text) override;
    WindowMetrics windowMetrics() override;
    Size innerSize() override;
    void setInnerSize(Size inner) override;
    void moveWindow(Point outerTopLeftScreen) override;
    Size placeCanvas(int x, int y, int width, int height) override;
    void drawTextLines(Image& image, const std::vector<TextLine>& lines, const FontSpec& font,
                       Color color) override;
    Size textSize(const std::string& text, const FontSpec& font) override;
    void beginLongWork() override;
    void endLongWork() override;
    ClipboardImage clipboardImage() override { return m_clipboard.read(); }
    bool setClipboardImage(const Image& image) override { return m_clipboard.write(image); }
    // Nesting depth of long work (tests).
    int longWorkDepth() const { return m_longWork; }

    // --- requesters for the tool windows -------------------------------------
    // Each returns nothing when the user cancels. filter uses Qt's filter
    // syntax ("image.png (*.png);;image.bmp (*.bmp)"), of which the requester
    // shows only the labels ("image.png"); selectedFilter preselects one and
    // receives the filter chosen, in the same syntax. The save requester
    // never asks about overwriting: its caller does.
    std::optional<QString> openFileName(const QString& title, const QString& folder, const QString& filter,
                                        QString* selectedFilter = nullptr);
    std::optional<QString> saveFileName(const QString& title, const QString& path, const QString& filter,
                                        QString* selectedFilter = nullptr);
    // Colours as 0x00BBGGRR.
    std::optional<Color> chooseColor(Color initial);
    // Add text's font requester: name, size, style flags and colour.
    std::optional<TextFont> chooseTextFont(const TextFont& initial);

    // --- test hooks ------------------------------------------------------------
    struct Question {
        std::string title;
        std::string text;
        MessageButtons buttons = MessageButtons::Ok;
    };
    using MessageAnswerer = std::function<MessageAnswer(const Question&)>;
    // Answers message boxes instead of showing them (empty: show them again).
    void setMessageAnswerer(MessageAnswerer answerer) { m_messageAnswerer = std::move(answerer); }
    // Every message box asked since start (answered or shown).
    const std::vector<Question>& asked() const { return m_asked; }
    // Answers for the requesters: a value, or std::nullopt for "cancelled".
    void setFileAnswerer(std::function<std::optional<QString>(const QString& title)> answerer) {
        m_fileAnswerer = std::move(answerer);
    }
    // With the file answerer: the 0-based filter the answered requester
    // reports as chosen (none: the preselected filter stays chosen).
    void setFilterAnswer(std::optional<int> index) { m_filterAnswer = index; }
    void setColorAnswerer(std::function<std::optional<Color>(Color initial)> answerer) {
        m_colorAnswerer = std::move(answerer);
    }
    void setTextFontAnswerer(std::function<std::optional<TextFont>(const TextFont& initial)> answerer) {
        m_textFontAnswerer = std::move(answerer);
    }
    // Replaces the home folder (tests keep the preferences file in a
    // temporary folder). Give it with a trailing separator.
    void setHomeFolder(const std::string& folder) { m_homeOverride = folder; }
    // Replaces the measured desktop size.
    void setDesktopSize(Size size) { m_desktopOverride = size; }
    // Sleeps become no-ops (selection drags in tests).
    void setSleepEnabled(bool enabled) { m_sleepEnabled = enabled; }

private:
    QWidget* dialogParent() const;
    std::optional<QString> answerFileRequester(const QString& title, const QString& filter, QString* selectedFilter);

    QPointer<MainWindow> m_window;
    QPointer<CanvasWidget> m_canvas;
    QObject* m_receiver = nullptr;
    std::function<void(const CustomEvent&)> m_eventHandler;
    QElapsedTimer m_clock;

    MessageAnswerer m_messageAnswerer;
    std::vector<Question> m_asked;
    std::function<std::optional<QString>(const QString&)> m_fileAnswerer;
    std::optional<int> m_filterAnswer;
    std::function<std::optional<Color>(Color)> m_colorAnswerer;
    std::function<std::optional<TextFont>(const TextFont&)> m_textFontAnswerer;
    std::optional<std::string> m_homeOverride;
    std::optional<Size> m_desktopOverride;
    bool m_sleepEnabled = true;
    int m_longWork = 0;
    QtClipboard m_clipboard;
};

}  // namespace tarnel
