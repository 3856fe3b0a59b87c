#include "tools/add_text_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <new>
#include <optional>
#include <string>

#include "app/app_context_qt.h"
#include "app/color_swatch_widget.h"
#include "app/command_ids.h"
#include "app/editor.h"
#include "app/platform_qt.h"
#include "app/tool_dialog.h"
#include "tools/font_requester_dialog.h"
#include "tools/text_bitmap.h"

namespace tarnel {

namespace {

constexpr int kClientWidth = 280;
constexpr int kClientHeight = 310;
constexpr int kButtonHeight = 30;
constexpr const char* kClickToChange = "click to change";

// The platform's text drawing in one font.
class PlatformTextDrawer final : public TextDrawer {
public:
    PlatformTextDrawer(Platform& platform, FontSpec font) : m_platform(platform), m_font(std::move(font)) {}
    int textWidth(const std::string& text) override { return m_platform.textSize(text, m_font).width; }
    int textHeight(const std::string& text) override { return m_platform.textSize(text, m_font).height; }
    void drawLines(Image& image, const std::vector<Line>& lines, Color color) override {
        std::vector<TextLine> platformLines;
        for (const Line& line : lines) platformLines.push_back({line.text, line.x, line.y});
        m_platform.drawTextLines(image, platformLines, m_font, color);
    }

private:
    Platform& m_platform;
    FontSpec m_font;
};

TextFont textFontOf(const TextSettings& s) { return TextFont{s.fontName, s.fontSize, s.styleFlags, s.front}; }

QColor qColorOf(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

class AddTextDialog final : public ToolDialog {
public:
    AddTextDialog(AppContext& context, std::shared_ptr<TextSettings> settings,
                  std::function<bool(Image)> floatSection)
        : ToolDialog(context, kAddTextTitle, kClientWidth, kClientHeight, kBusyAddText),
          m_settings(std::move(settings)),
          m_float(std::move(floatSection)) {
        TextSettings& s = *m_settings;
        addButtons(210, 275, 10, 275, kButtonHeight);
        m_transparent = new QCheckBox(QStringLiteral("Background transparent"), this);
        m_transparent->setObjectName(QStringLiteral("transparent"));
        place(m_transparent, {10, 135, 260, 30});
        m_transparent->setChecked(s.transparent);
        connect(m_transparent, &QCheckBox::toggled, this, [&s](bool on) { s.transparent = on; });

        m_text = new QPlainTextEdit(QString::fromStdString(s.text), this);
        m_text->setObjectName(QStringLiteral("text"));
        place(m_text, {10, 170, 260, 100});

        addLabel("Font name", {10, 5, 120, 25});
        m_name = addFontField({10, 30, 170, 25}, "fontName");
        addLabel("Size", {190, 5, 60, 25});
        m_size = addFontField({190, 30, 40, 25}, "fontSize");
        addLabel("Style", {10, 70, 60, 25});
        m_style = addFontField({10, 95, 170, 25}, "style");

        auto* colors = new QGroupBox(QStringLiteral("colors"), this);
        place(colors, {185, 65, 85, 60});
        m_front = addSwatch({195, 85, 25, 25}, "front", "front color", &TextSettings::front);
        m_back = addSwatch({230, 85, 25, 25}, "back", "back color", &TextSettings::back);

        showFont();
        showColours();
        m_text->setFocus();
    }

    void accept() override {
        TextSettings& s = *m_settings;
        s.text = m_text->toPlainText().toStdString();
        std::optional<Image> bitmap;
        try {
            PlatformTextDrawer drawer(context().platform(), fontSpecOf(textFontOf(s)));
            LongWork busy(context().platform());
            bitmap = renderTextBitmap(s, drawer);
        } catch (const std::bad_alloc&) {
            context().platform().messageBox(kOutOfMemoryTitle, kOutOfMemoryText, MessageButtons::Ok);
            return;
        }
        if (!bitmap) {
            context().platform().messageBox(kAddTextTitle, kTextTooLarge, MessageButtons::Ok);
            return;
        }
        // The clipboard gets a copy; the bitmap floats directly, so that a
        // clipboard changed meanwhile, or one that refused it, cannot matter.
        context().platform().setClipboardImage(*bitmap);
        const std::function<bool(Image)> floatSection = m_float;
        ToolDialog::accept();
        floatSection(std::move(*bitmap));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && !m_choosingFont &&
            (watched == m_name || watched == m_size || watched == m_style)) {
            // Opened after the focus change has settled, once.
            m_choosingFont = true;
            QTimer::singleShot(0, this, [this] { chooseFont(); });
        }
        return ToolDialog::eventFilter(watched, event);
    }

private:
    QLineEdit* addFontField(Box box, const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setReadOnly(true);
        field->setToolTip(QString::fromLatin1(kClickToChange));
        place(field, box);
        field->installEventFilter(this);
        return field;
    }

    ColorSwatchWidget* addSwatch(Box box, const char* name, const char* tip, Color TextSettings::*colour) {
        auto* swatch = new ColorSwatchWidget(this);
        swatch->setObjectName(QString::fromLatin1(name));
        swatch->setToolTip(QString::fromLatin1(tip));
        place(swatch, box);
        swatch->onClicked = [this, colour] {
            Color& c = (*m_settings).*colour;
            if (const std::optional<Color> chosen = context().platform().chooseColor(c)) {
                c = *chosen & kColorMask;
                showColours();
            }
        };
        return swatch;
    }

    void chooseFont() {
        TextSettings& s = *m_settings;
        if (const std::optional<TextFont> chosen = context().platform().chooseTextFont(textFontOf(s))) {
            s.fontName = chosen->name;
            s.fontSize = std::clamp(chosen->size, kMinFontSize, kMaxFontSize);
            s.styleFlags = chosen->styleFlags;
            s.front = chosen->color & kColorMask;
            showColours();
        }
        showFont();
        m_text->setFocus();
        // Focus events the requester left behind must not open it again.
        QTimer::singleShot(0, this, [this] { m_choosingFont = false; });
    }

    void showFont() {
        const TextSettings& s = *m_settings;
        m_name->setText(QString::fromStdString(s.fontName));
        m_size->setText(QString::number(s.fontSize));
        m_style->setText(QString::fromStdString(styleName(s.styleFlags)));
        m_text->setFont(toQFont(fontSpecOf(textFontOf(s))));
    }

    void showColours() {
        const TextSettings& s = *m_settings;
        m_front->setColor(s.front);
        m_back->setColor(s.back);
        QPalette palette = m_text->palette();
        palette.setColor(QPalette::Text, qColorOf(s.front));
        palette.setColor(QPalette::Base, qColorOf(s.back));
        m_text->setPalette(palette);
    }

    std::shared_ptr<TextSettings> m_settings;
    std::function<bool(Image)> m_float;
    QCheckBox* m_transparent = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_size = nullptr;
    QLineEdit* m_style = nullptr;
    ColorSwatchWidget* m_front = nullptr;
    ColorSwatchWidget* m_back = nullptr;
    bool m_choosingFont = false;
};

void addTextCommand(AppContext& context, const std::shared_ptr<TextSettings>& settings,
                    const std::function<bool(Image)>& floatSection) {
    Editor& editor = context.editor();
    if (editor.busy() != 0) return;
    if (editor.selectionActive()) {
        editor.removeSelection();
        editor.updateSelectionStatus();
    }
    auto* dialog = new AddTextDialog(context, settings, floatSection);
    dialog->open();
}

}  // namespace

void installAddText(AppContext& context, std::function<bool(Image)> floatSection) {
    auto settings = std::make_shared<TextSettings>();
    context.dispatch().set(
        kCmdAddText,
        [&context, settings, floatSection = std::move(floatSection)](int) {
            addTextCommand(context, settings, floatSection);
        },
        "add text");
}

}  // namespace tarnel
