#include "io/new_image_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

#include "app/app_context_qt.h"
#include "app/color_swatch_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/new_image_commands.h"
#include "app/tool_dialog.h"
#include "core/field_value.h"
#include "io/new_image.h"

namespace tarnel {

namespace {

constexpr const char* kTitle = "New image";
constexpr const char* kNoticeText = "copied to clipboard.";

class NewImageDialog final : public ToolDialog {
public:
    NewImageDialog(AppContext& context, std::shared_ptr<NewImageSettings> settings)
        : ToolDialog(context, kTitle, 240, 130, kBusyNewImage), m_settings(std::move(settings)) {
        NewImageSettings& s = *m_settings;
        QLineEdit* width = addField(10, 10, std::to_string(s.width), "width");
        QLineEdit* height = addField(10, 40, std::to_string(s.height), "height");
        addLabel("width", {75, 15, 50, 25});
        addLabel("Height", {75, 40, 50, 25});
        addLabel("Back color", {135, 15, 95, 25});
        addButtons(155, 100, 10, 100);
        auto* swatch = new ColorSwatchWidget(this);
        swatch->setObjectName(QStringLiteral("swatch"));
        place(swatch, {135, 45, 90, 45});
        swatch->setColor(s.back);

        connect(width, &QLineEdit::textChanged, this, [&s](const QString& text) {
            s.width = fieldValue(text.toStdString());
        });
        connect(height, &QLineEdit::textChanged, this, [&s](const QString& text) {
            s.height = fieldValue(text.toStdString());
        });
        swatch->onClicked = [this, &s, swatch] {
            if (const std::optional<Color> chosen = this->context().platform().chooseColor(s.back)) {
                s.back = *chosen & kColorMask;
                swatch->setColor(s.back);
            }
        };
    }

    void accept() override {
        newImageOk(context().editor(), *m_settings);
        ToolDialog::accept();
    }

private:
    std::shared_ptr<NewImageSettings> m_settings;
};

// The notice: a frameless label over the main window that never takes the
// focus or input and closes itself.
void showCopyNotice(AppContext& context, QPointer<QLabel>& notice) {
    if (notice) notice->close();
    MainWindow& window = context.window();
    const Image& working = context.editor().working();
    const QPoint frame = window.frameGeometry().topLeft();
    const Rect r = copyNoticeRect(frame.x(), frame.y(), working.width(), working.height());
    auto* label = new QLabel(QString::fromLatin1(kNoticeText), &window,
                             Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                 Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    label->setObjectName(QStringLiteral("copyNotice"));
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->setPalette(window.palette());
    label->setGeometry(r.left, r.top, r.width(), r.height());
    notice = label;
    QTimer::singleShot(kCopyNoticeMs, label, &QWidget::close);
    label->show();
}

}  // namespace

void installNewImageCommands(AppContext& context) {
    AppContext& c = context;
    auto settings = std::make_shared<NewImageSettings>();  // until the program ends
    auto notice = std::make_shared<QPointer<QLabel>>();

    c.dispatch().set(kCmdNewImage, [&c, settings](int) {
        if (c.editor().busy()) return;
        (new NewImageDialog(c, settings))->open();
    }, "new image");
    c.dispatch().set(kCmdPasteNewImage, [&c](int) { pasteNewImageCommand(c.editor()); }, "paste new image");
    c.dispatch().set(kCmdCopy, [&c, notice](int) {
        if (copyCommand(c.editor()) == CopyResult::Copied && c.hasWindow()) showCopyNotice(c, *notice);
    }, "copy");
}

}  // namespace tarnel
