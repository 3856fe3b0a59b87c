#include "app/tool_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/app_context_qt.h"
#include "app/editor.h"
#include "app/main_window.h"

namespace tarnel {

namespace {

// Red 0xA5, green 0xBF, blue 0xDA.
const QColor kDialogColour(0xA5, 0xBF, 0xDA);
constexpr int kControlWidth = 60;
constexpr int kControlHeight = 25;

QWidget* ownerOf(AppContext& context) { return context.hasWindow() ? &context.window() : nullptr; }

}  // namespace

ToolDialog::ToolDialog(AppContext& context, const char* title, int clientWidth, int clientHeight, BusyFlag flag)
    : QDialog(ownerOf(context), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                    Qt::CustomizeWindowHint),
      m_context(context),
      m_flag(flag) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QString::fromLatin1(title));
    setFixedSize(clientWidth, clientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kDialogColour);
    setPalette(palette);
    setAutoFillBackground(true);
    m_context.editor().busyMask().set(m_flag);
}

ToolDialog::~ToolDialog() {
    if (m_open) m_context.editor().busyMask().clear(m_flag);
}

void ToolDialog::done(int result) {
    if (m_open) m_context.editor().busyMask().clear(m_flag);
    m_open = false;
    QDialog::done(result);
}

void ToolDialog::place(QWidget* widget, Box box) { widget->setGeometry(box.x, box.y, box.w, box.h); }

QLineEdit* ToolDialog::addField(int x, int y, const std::string& text, const char* name) {
    auto* field = new QLineEdit(QString::fromStdString(text), this);
    field->setObjectName(QString::fromLatin1(name));
    place(field, {x, y, kControlWidth, kControlHeight});
    return field;
}

QLabel* ToolDialog::addLabel(const char* text, Box box) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // as static text: from the top of its box
    place(label, box);
    return label;
}

void ToolDialog::addButtons(int okX, int okY, int cancelX, int cancelY, int height) {
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    place(ok, {okX, okY, kControlWidth, height});
    place(cancel, {cancelX, cancelY, kControlWidth, height});
    // Enter always means OK, also with the focus on Cancel.
    cancel->setAutoDefault(false);
    ok->setAutoDefault(false);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace tarnel
