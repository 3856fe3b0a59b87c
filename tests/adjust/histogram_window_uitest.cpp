// The histogram window in the running editor: opened and closed by the menu
// item, the toolbar button and its close box, redrawn by its check boxes and
// by every redraw of the view.

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <memory>

#include "adjust/histogram_window.h"
#include "app/app_context_qt.h"
#include "common/started_editor_qt.h"
#include "app/canvas_widget.h"
#include "app/main_window.h"
#include "document/slots.h"

using namespace tarnel;

class HistogramWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_context.reset(); }
    void cleanup();

    void opensBesideTheViewWithoutTakingTheFocus();
    void toolbarThenMenuLeavesItClosed();
    void closeBoxClosesIt();
    void uncheckingRedRedrawsIt();
    void followsUndo();

private:
    MainWindow& main() { return m_context->window(); }
    QWidget* histogram() {
        QWidget* w = m_context->toolWindow(kWindowHistogram);
        return w && w->isVisible() ? w : nullptr;
    }
    QAction* menuItem() { return main().menuBar()->actions()[5]->menu()->actions().first(); }  // Tools, Histogram
    QAction* button() { return main().toolbarAction(kCmdShowHistogram); }
    void clickButton() { QTest::mouseClick(main().toolBar()->widgetForAction(button()), Qt::LeftButton); }
    void verifyClosed() {
        QVERIFY(!histogram());
        QVERIFY(!menuItem()->isChecked());
        QVERIFY(!button()->isChecked());
        QVERIFY(!m_context->editor().images().exists(kSlotHistogramGraph));
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void HistogramWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = test::startEditor(m_home);
    QVERIFY(m_context);
    QCOMPARE(menuItem()->text(), QStringLiteral("Histogram"));

    // A uniform (100, 50, 50) working image, recorded so that Undo returns to it.
    m_context->editor().working().fill(rgb(100, 50, 50));
    m_context->editor().recordChange();
    m_context->editor().redraw(kSlotWorking, false);
}

void HistogramWindowTest::cleanup() {
    if (histogram()) m_context->dispatch().run(kCmdHistogram);
    verifyClosed();
}

void HistogramWindowTest::opensBesideTheViewWithoutTakingTheFocus() {
    clickButton();
    QWidget* w = histogram();
    QVERIFY(w);
    QVERIFY(w->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(w->size(), QSize(350, 178));
    QCOMPARE(w->pos(), main().canvas()->mapToGlobal(QPoint(0, 0)) + QPoint(2, 2));
    QCoreApplication::processEvents();  // activation arrives from the window system
    QVERIFY(main().isActiveWindow());
    QVERIFY(menuItem()->isChecked());
    QCOMPARE(w->windowTitle(), QStringLiteral("Histogram | RGB Average = (100, 50, 50)"));
    // A repaint shows the strip in the average colour, the red marker over
    // x = 100 + 10, and the graph's red average line under it.
    const QImage shot = w->grab().toImage();
    QCOMPARE(QColor(shot.pixel(2, 2)), QColor(100, 50, 50));
    QCOMPARE(QColor(shot.pixel(110, 5)), QColor(255, 0, 0));
    QCOMPARE(QColor(shot.pixel(110, 40)), QColor(255, 0, 0));
}

void HistogramWindowTest::toolbarThenMenuLeavesItClosed() {
    clickButton();
    QVERIFY(histogram());
    menuItem()->trigger();
    verifyClosed();
}

void HistogramWindowTest::closeBoxClosesIt() {
    menuItem()->trigger();
    QVERIFY(histogram());
    histogram()->close();
    verifyClosed();
    clickButton();  // the flag went with it: one click opens it again
    QVERIFY(histogram());
}

void HistogramWindowTest::uncheckingRedRedrawsIt() {
    clickButton();
    QCheckBox* red = histogram()->findChildren<QCheckBox*>().first();
    QCOMPARE(red->text(), QStringLiteral("RED"));
    QTest::mouseClick(red, Qt::LeftButton, Qt::NoModifier, QPoint(6, red->height() / 2));
    QCOMPARE(histogram()->windowTitle(), QStringLiteral("Histogram | RGB Average = (0, 50, 50)"));
}

void HistogramWindowTest::followsUndo() {
    menuItem()->trigger();
    m_context->dispatch().run(kCmdNegative);
    QCOMPARE(histogram()->windowTitle(), QStringLiteral("Histogram | RGB Average = (155, 205, 205)"));
    QTest::keyClick(main().canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(histogram()->windowTitle(), QStringLiteral("Histogram | RGB Average = (100, 50, 50)"));
}

QTEST_MAIN(HistogramWindowTest)
#include "histogram_window_uitest.moc"
