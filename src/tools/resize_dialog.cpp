#include "tools/resize_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>

#include <memory>

#include "app/app_context_qt.h"
#include "app/color_swatch_widget.h"
#include "app/command_ids.h"
#include "app/tool_dialog.h"
#include "tools/canvas_size.h"
#include "tools/resize.h"
#include "tools/size_fields.h"

namespace tarnel {

namespace {

// What both dialogs share: the width and height fields with their labels and
// the "keep aspect ratio" box, over a SizeFields of the working image. Only
// the user's edits reach it (textEdited, never textChanged): the text a
// field is given back is not an edit, so the coupling cannot feed back.
class SizeDialog : public ToolDialog {
protected:
    SizeDialog(AppContext& context, const char* title, int clientWidth, int clientHeight, BusyFlag flag,
               int keepBoxWidth)
        : ToolDialog(context, title, clientWidth, clientHeight, flag),
          m_fields(context.editor().working().width(), context.editor().working().height()) {
        m_width = addField(10, 10, m_fields.widthText(), "width");
        m_height = addField(10, 40, m_fields.heightText(), "height");
        addLabel("width", {75, 15, 50, 25});
        addLabel("Height", {75, 40, 50, 25});
        auto* keep = new QCheckBox(QStringLiteral("keep aspect ratio"), this);
        keep->setObjectName(QStringLiteral("keep"));
        keep->setChecked(m_fields.keepAspect());
        place(keep, {10, 70, keepBoxWidth, 25});

        connect(m_width, &QLineEdit::textEdited, this, [this](const QString& text) {
            m_fields.editWidth(text.toStdString());
            showFields();
        });
        connect(m_height, &QLineEdit::textEdited, this, [this](const QString& text) {
            m_fields.editHeight(text.toStdString());
            showFields();
        });
        connect(keep, &QCheckBox::toggled, this, [this](bool on) { m_fields.setKeepAspect(on); });
    }

    const SizeFields& fields() const { return m_fields; }

    // Replaces the working image by what make() returns for it, fits the
    // window and records the change.
    template <typename Make>
    void replaceWorking(Make make) {
        Editor& editor = context().editor();
        if (!editor.hasWorking()) return;
        LongWork busy(context().platform());
        editor.working() = make(editor.working());
        editor.fitWindowToImage(kSlotWorking);
        editor.recordChange(kSlotWorking);
    }

private:
    // Rewrites only a field whose text differs, so the one being typed in
    // keeps its cursor.
    void showFields() {
        const auto show = [](QLineEdit* field, const std::string& text) {
            const QString shown = QString::fromStdString(text);
            if (field->text() != shown) field->setText(shown);
        };
        show(m_width, m_fields.widthText());
        show(m_height, m_fields.heightText());
    }

    SizeFields m_fields;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
};

class ResizeImageDialog final : public SizeDialog {
public:
    explicit ResizeImageDialog(AppContext& context)
        : SizeDialog(context, "resize image", 165, 130, kBusyResizeImage, 145) {
        addButtons(95, 100, 10, 100);
    }

    void accept() override {
        const ImageSize to = resizeImageSize(fields());
        replaceWorking([to](const Image& image) { return smoothResize(image, to.width, to.height); });
        SizeDialog::accept();
    }
};

class ResizeCanvasDialog final : public SizeDialog {
public:
    ResizeCanvasDialog(AppContext& context, std::shared_ptr<Color> background)
        : SizeDialog(context, "resize canvas", 240, 165, kBusyResizeCanvas, 125),
          m_background(std::move(background)) {
        addButtons(170, 130, 100, 130);
        addLabel("position", {150, 5, 90, 30});
        auto* grid = new QFrame(this);
        grid->setFrameStyle(QFrame::Box | QFrame::Plain);
        place(grid, {150, 28, 80, 85});
        m_anchors = new QButtonGroup(this);
        for (int anchor = 1; anchor <= 9; ++anchor) {
            auto* option = new QRadioButton(grid);
            option->setObjectName(QStringLiteral("anchor%1").arg(anchor));
            place(option, {5 + 25 * ((anchor - 1) % 3), 5 + 25 * ((anchor - 1) / 3), 20, 20});
            m_anchors->addButton(option, anchor);
        }
        m_anchors->button(kCanvasAnchorCentre)->setChecked(true);

        auto* swatch = new ColorSwatchWidget(this);
        swatch->setObjectName(QStringLiteral("swatch"));
        place(swatch, {10, 100, 70, 40});
        swatch->setColor(*m_background);
        addLabel("background", {10, 145, 90, 30});
        swatch->onClicked = [this, swatch] {
            if (const std::optional<Color> chosen = this->context().platform().chooseColor(*m_background)) {
                *m_background = *chosen & kColorMask;
                swatch->setColor(*m_background);
            }
        };
    }

    void accept() override {
        const int anchor = m_anchors->checkedId();
        replaceWorking([&](const Image& image) {
            return resizeCanvasImage(image, fields(), anchor, *m_background);
        });
        SizeDialog::accept();
    }

private:
    std::shared_ptr<Color> m_background;
    QButtonGroup* m_anchors = nullptr;
};

}  // namespace

void installResizeDialogs(AppContext& context) {
    AppContext& c = context;
    auto background = std::make_shared<Color>(0x000000);  // until the program ends

    c.dispatch().set(kCmdResizeImage, [&c](int) {
        if (c.editor().busy() || !c.editor().hasWorking()) return;
        (new ResizeImageDialog(c))->open();
    }, "resize image");
    c.dispatch().set(kCmdResizeCanvas, [&c, background](int) {
        if (c.editor().busy() || !c.editor().hasWorking()) return;
        (new ResizeCanvasDialog(c, background))->open();
    }, "resize canvas");
}

}  // namespace tarnel
