// The quantize window driven as a person would: open it from the menu, pick
// a method, type a limit, Test, Source, Apply, Undo, and close it.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "common/started_editor_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "quantize/color_count.h"
#include "quantize/quantize_window.h"

using namespace tarnel;

class QuantizeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void opensFromTheMenuOnce();
    void testSourceApplyAndUndo();
    void returnInTheLimitFieldTests();
    void aCommandAfterTestDisablesApply();
    void closeBoxEndsTheSessionAndReopeningKeepsSettings();

private:
    QuantizeWindow* open();
    QuantizeWindow* window() {
        return static_cast<QuantizeWindow*>(m_context->toolWindow(kWindowQuantize));
    }
    Editor& editor() { return m_context->editor(); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void QuantizeWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = test::startEditor(m_home);
    QVERIFY(m_context);
    m_context->platform().setMessageAnswerer([](const QtPlatform::Question&) { return MessageAnswer::No; });
    // A photo-like working image, as after Load.
    editor().images().put(kSlotWorking, test::photoLikeImage(320, 240));
    editor().resetHistory();
    editor().fitWindowToImage(kSlotWorking);
}

void QuantizeWindowTest::cleanupTestCase() { m_context.reset(); }

QuantizeWindow* QuantizeWindowTest::open() {
    QAction* item = nullptr;
    for (QAction* menu : m_context->window().menuBar()->actions())
        if (menu->text() == "Colors") item = menu->menu()->actions().first();
    if (!item || item->text() != "Quantize...") return nullptr;
    item->trigger();
    QuantizeWindow* w = window();
    if (!w || !QTest::qWaitFor([w] { return w->isVisible(); })) return nullptr;
    return w;
}

void QuantizeWindowTest::opensFromTheMenuOnce() {
    QuantizeWindow* w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quantize Colors"));
    QCOMPARE(w->size(), QSize(160, 245));
    QCOMPARE(w->methodList()->count(), 15);
    QCOMPARE(w->methodList()->itemText(7), QStringLiteral("Neuquant_256"));
    QCOMPARE(w->limitField()->text(), QStringLiteral("27"));
    QVERIFY(!w->applyButton()->isEnabled());
    QCOMPARE(w->countLabel()->text(), QString::number(countColors(editor().working())));
    QCOMPARE(editor().busy(), int(kBusyQuantize));
    m_context->dispatch().run(kCmdQuantize);
    QCOMPARE(window(), w);
    w->close();
    QTRY_VERIFY(!window());
    QCOMPARE(editor().busy(), 0);
}

void QuantizeWindowTest::testSourceApplyAndUndo() {
    QuantizeWindow* w = open();
    QVERIFY(w);
    const Image source = editor().working();
    QTest::keyClick(w->methodList(), Qt::Key_Down);  // Popularity
    QCOMPARE(w->limitField()->text(), QStringLiteral("32"));
    QLineEdit* edit = w->limitField()->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, "16");
    QTest::mouseClick(w->ditherBox(), Qt::LeftButton);
    QTest::mouseClick(w->testButton(), Qt::LeftButton);
    QCOMPARE(editor().shownSlot(), kSlotPreview);
    const Image preview = *editor().images().find(kSlotPreview);
    QVERIFY(countColors(preview) <= 16);
    QCOMPARE(w->countLabel()->text(), QString::number(countColors(preview)));
    QVERIFY(w->applyButton()->isEnabled());
    QCOMPARE(editor().working(), source);

    QTest::mouseClick(w->sourceButton(), Qt::LeftButton);
    QCOMPARE(editor().shownSlot(), kSlotWorking);
    QVERIFY(!w->applyButton()->isEnabled());

    QTest::mouseClick(w->testButton(), Qt::LeftButton);
    QTest::mouseClick(w->applyButton(), Qt::LeftButton);
    QCOMPARE(editor().working(), preview);
    QVERIFY(!w->applyButton()->isEnabled());
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor().working(), source);
    w->close();
    QTRY_VERIFY(!window());
}

void QuantizeWindowTest::returnInTheLimitFieldTests() {
    QuantizeWindow* w = open();
    QVERIFY(w);
    w->activateWindow();
    w->limitField()->setFocus();
    QTest::keyClick(w->limitField(), Qt::Key_Return);
    QCOMPARE(editor().shownSlot(), kSlotPreview);
    QVERIFY(w->applyButton()->isEnabled());
    QTest::mouseClick(w->sourceButton(), Qt::LeftButton);
    QTest::keyClick(w->ditherBox(), Qt::Key_Return);  // elsewhere: nothing
    QCOMPARE(editor().shownSlot(), kSlotWorking);
    w->close();
    QTRY_VERIFY(!window());
}

void QuantizeWindowTest::aCommandAfterTestDisablesApply() {
    QuantizeWindow* w = open();
    QVERIFY(w);
    const Image before = editor().working();
    QTest::mouseClick(w->testButton(), Qt::LeftButton);
    QVERIFY(w->applyButton()->isEnabled());
    m_context->dispatch().run(kCmdNegative);  // runs while the window is open
    QVERIFY(!w->applyButton()->isEnabled());
    QCOMPARE(editor().shownSlot(), kSlotWorking);
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor().working(), before);
    w->close();
    QTRY_VERIFY(!window());
}

void QuantizeWindowTest::closeBoxEndsTheSessionAndReopeningKeepsSettings() {
    QuantizeWindow* w = open();
    QVERIFY(w);
    QTest::keyClick(w->methodList(), Qt::Key_End);  // Ocean_128
    QTest::mouseClick(w->testButton(), Qt::LeftButton);
    w->move(w->pos() + QPoint(40, 30));
    const QPoint moved = w->pos();
    w->close();  // the close box
    QTRY_VERIFY(!window());
    QCOMPARE(editor().busy(), 0);
    QVERIFY(!editor().images().exists(kSlotPreview));
    QCOMPARE(editor().shownSlot(), kSlotWorking);

    w = open();
    QVERIFY(w);
    QCOMPARE(w->methodList()->currentText(), QStringLiteral("Ocean_128"));
    QCOMPARE(w->limitField()->text(), QStringLiteral("128"));
    QVERIFY(!w->limitField()->isEnabled());
    QCOMPARE(w->pos(), moved);
    w->close();
    QTRY_VERIFY(!window());
}

QTEST_MAIN(QuantizeWindowTest)
#include "quantize_window_uitest.moc"
