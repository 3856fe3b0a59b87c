// The help window as the user meets it: F1 opens one window of its own with
// the help text, a second F1 brings it back, and it goes with the editor.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "app/canvas_widget.h"
#include "common/started_editor_qt.h"
#include "tools/help_text.h"
#include "tools/help_window.h"

using namespace tarnel;

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_context = test::startEditor(m_home)); }
    void f1OpensTheHelpText();
    void f1AgainRestoresTheOneWindow();
    void closedWindowOpensAgainAndGoesWithTheEditor();

private:
    QWidget* help() const { return m_context->toolWindow(kWindowHelp); }
    QPlainTextEdit* view() const { return help()->findChild<QPlainTextEdit*>(); }
    void pressF1() {
        m_context->window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_context->window()));
        QTest::keyClick(m_context->window().canvas(), Qt::Key_F1);
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void HelpWindowTest::f1OpensTheHelpText() {
    pressF1();
    QVERIFY(help());
    QVERIFY(QTest::qWaitForWindowExposed(help()));
    QCOMPARE(help()->windowTitle(), QStringLiteral("Tarnel Help"));
    QCOMPARE(help()->parentWidget(), nullptr);  // not owned by the main window
    QCOMPARE(help()->geometry(), QRect(480, 270, 960, 540));  // half of 1920 x 1080, centred

    QPlainTextEdit* text = view();
    QCOMPARE(text->geometry(), QRect(0, 0, 960, 540));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->font().family(), QStringLiteral("Courier New"));
    QCOMPARE(text->font().pointSize(), 12);
    QVERIFY(text->font().bold());
    QCOMPARE(text->palette().color(QPalette::Base), QColor(223, 223, 143));
    QCOMPARE(text->palette().color(QPalette::Text), QColor(41, 42, 128));
    // One line per CR LF, nothing read as markup.
    QCOMPARE(text->toPlainText(), QString::fromLatin1(helpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    help()->showMaximized();
    QTRY_VERIFY(help()->isMaximized());
    QTRY_COMPARE(text->size(), help()->size());
}

void HelpWindowTest::f1AgainRestoresTheOneWindow() {
    QWidget* window = help();
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    pressF1();
    QCOMPARE(help(), window);
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) count += w->windowTitle() == QLatin1String(kHelpWindowTitle);
    QCOMPARE(count, 1);
    QTRY_VERIFY(!window->isMinimized() && !window->isMaximized());
}

void HelpWindowTest::closedWindowOpensAgainAndGoesWithTheEditor() {
    QPointer<QWidget> first = help();
    first->close();
    QTRY_VERIFY(!first);
    pressF1();
    QPointer<QWidget> second = help();
    QVERIFY(second);
    QCOMPARE(second->geometry(), QRect(480, 270, 960, 540));
    m_context.reset();
    QVERIFY(!second);
}

QTEST_MAIN(HelpWindowTest)
#include "help_window_uitest.moc"
