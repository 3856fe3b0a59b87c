#include "tools/font_requester_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>

#include "app/color_swatch_widget.h"
#include "app/platform_qt.h"

namespace tarnel {

namespace {

struct StyleBox {
    int flag;
    const char* text;
};
constexpr std::array<StyleBox, 5> kStyleBoxes{{
    {kStyleBold, "Bold"},
    {kStyleItalic, "Italic"},
    {kStyleUnderline, "Underline"},
    {kStyleStrikeOut, "Strike out"},
    {kStyleHighQuality, "High quality"},
}};
constexpr const char* kSampleText = "AaBbYyZz 0123";
constexpr int kSampleHeight = 60;

}  // namespace

std::optional<TextFont> runFontRequester(QWidget* parent, const TextFont& initial,
                                         const std::function<std::optional<Color>(Color)>& chooseColor) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromLatin1(kFontRequesterTitle));
    auto* family = new QFontComboBox(&dialog);
    family->setObjectName(QStringLiteral("family"));
    family->setCurrentFont(QFont(QString::fromStdString(initial.name)));
    auto* size = new QSpinBox(&dialog);
    size->setObjectName(QStringLiteral("size"));
    size->setRange(kMinFontSize, kMaxFontSize);
    size->setValue(initial.size);
    auto* swatch = new ColorSwatchWidget(&dialog);
    swatch->setColor(initial.color);
    swatch->setFixedSize(25, 25);
    auto* sample = new QLabel(QString::fromLatin1(kSampleText), &dialog);
    // A fixed box: a large sample is clipped rather than growing the dialog.
    sample->setFixedHeight(kSampleHeight);
    sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Font"), family);
    form->addRow(QStringLiteral("Size"), size);
    std::array<QCheckBox*, kStyleBoxes.size()> boxes{};
    for (std::size_t i = 0; i < kStyleBoxes.size(); ++i) {
        boxes[i] = new QCheckBox(QString::fromLatin1(kStyleBoxes[i].text), &dialog);
        boxes[i]->setChecked((initial.styleFlags & kStyleBoxes[i].flag) != 0);
        form->addRow(QString(), boxes[i]);
    }
    form->addRow(QStringLiteral("Colour"), swatch);

    const auto current = [&] {
        TextFont f;
        f.name = family->currentFont().family().toStdString();
        f.size = size->value();
        for (std::size_t i = 0; i < kStyleBoxes.size(); ++i) {
            if (boxes[i]->isChecked()) f.styleFlags |= kStyleBoxes[i].flag;
        }
        f.color = swatch->color();
        return f;
    };
    // The sample shows the face and styles at a readable size.
    const auto showSample = [&] {
        QFont font = toQFont(fontSpecOf(current()));
        font.setPixelSize(std::min(font.pixelSize(), kSampleHeight - 10));
        sample->setFont(font);
        QPalette palette = sample->palette();
        const Color c = swatch->color();
        palette.setColor(QPalette::WindowText, QColor(redOf(c), greenOf(c), blueOf(c)));
        sample->setPalette(palette);
    };
    swatch->onClicked = [&] {
        if (const std::optional<Color> chosen = chooseColor(swatch->color())) {
            swatch->setColor(*chosen);
            showSample();
        }
    };
    QObject::connect(family, &QFontComboBox::currentFontChanged, &dialog, [&] { showSample(); });
    QObject::connect(size, &QSpinBox::valueChanged, &dialog, [&] { showSample(); });
    for (QCheckBox* box : boxes) QObject::connect(box, &QCheckBox::toggled, &dialog, [&] { showSample(); });
    showSample();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(sample);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return current();
}

FontSpec fontSpecOf(const TextFont& font) {
    FontSpec result;
    result.family = font.name;
    result.pointSize = font.size;
    result.bold = (font.styleFlags & kStyleBold) != 0;
    result.italic = (font.styleFlags & kStyleItalic) != 0;
    result.underline = (font.styleFlags & kStyleUnderline) != 0;
    result.strikeOut = (font.styleFlags & kStyleStrikeOut) != 0;
    result.highQuality = (font.styleFlags & kStyleHighQuality) != 0;
    return result;
}

}  // namespace tarnel
