#pragma once
// The editor started for a UI test: preferences in a temporary home, a
// 1920 x 1080 desktop, no sleeps, the main window shown and active.
// Returns null when it could not start.

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "app/main_window.h"

namespace tarnel::test {

inline std::unique_ptr<AppContext> startEditor(const QTemporaryDir& home) {
    auto context = std::make_unique<AppContext>();
    QtPlatform& platform = context->platform();
    platform.setHomeFolder(QDir(home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    platform.setSleepEnabled(false);
    if (!context->start() || !QTest::qWaitForWindowExposed(&context->window())) return nullptr;
    context->window().activateWindow();
    if (!QTest::qWaitForWindowActive(&context->window())) return nullptr;
    return context;
}

// A dialog's text field by object name, and typing into it over its text.
inline QLineEdit* dialogField(QDialog* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
}
inline void typeInto(QDialog* dialog, const char* name, const QString& text) {
    dialogField(dialog, name)->selectAll();
    QTest::keyClicks(dialogField(dialog, name), text);
}

}  // namespace tarnel::test
