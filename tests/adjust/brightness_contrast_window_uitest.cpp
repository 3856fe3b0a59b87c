// The brightness and contrast window driven as a person would: open it from
// the menu, move a slider with the keyboard and let it rest, Apply, Exit,
// Undo, and a command that changes the working image while it is open.

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "adjust/brightness_contrast.h"
#include "adjust/brightness_contrast_window.h"
#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"
#include "document/slots.h"

using namespace tarnel;

class BrightnessContrastWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_context.reset(); }

    void opensFromTheMenuOnce();
    void aRestingSliderIsPreviewedAndApplyThenExitCommitsIt();
    void aCommandWhileOpenRebasesThePreview();

private:
    BrightnessContrastWindow* open();
    BrightnessContrastWindow* window() {
        return static_cast<BrightnessContrastWindow*>(m_context->toolWindow(kWindowBrightContrast));
    }
    Editor& editor() { return m_context->editor(); }
    const Image& preview() { return *editor().images().find(kSlotScratch); }
    static Image adjusted(Image image, int brightness, int contrast) {
        adjustBrightness(image, image.rect(), brightness);
        adjustContrast(image, image.rect(), contrast);
        return image;
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void BrightnessContrastWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = test::startEditor(m_home);
    QVERIFY(m_context);
    editor().images().put(kSlotWorking, test::photoLikeImage(320, 240));
    editor().resetHistory();
    editor().fitWindowToImage(kSlotWorking);
}

BrightnessContrastWindow* BrightnessContrastWindowTest::open() {
    QAction* item = nullptr;
    for (QAction* menu : m_context->window().menuBar()->actions())
        if (menu->text() == "Colors")
            for (QAction* a : menu->menu()->actions())
                if (a->text() == "Bright/Contrast...") item = a;
    if (!item || !item->isEnabled()) return nullptr;
    item->trigger();
    BrightnessContrastWindow* w = window();
    if (!w || !QTest::qWaitFor([w] { return w->isVisible(); })) return nullptr;
    return w;
}

void BrightnessContrastWindowTest::opensFromTheMenuOnce() {
    BrightnessContrastWindow* w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Adjust brightness & contrast"));
    QCOMPARE(w->size(), QSize(400, 285));
    QCOMPARE(w->brightnessFrame()->title(), QStringLiteral("Brightness = 0"));
    QVERIFY(w->limitButton(BrightnessLimit::HoldRatio)->isChecked() && w->ratioButton()->isChecked());
    QVERIFY(!w->applyButton()->isEnabled() && !w->refreshButton()->isEnabled());
    QCOMPARE(editor().busy(), int(kBusyBrightnessContrast));
    m_context->dispatch().run(kCmdBrightContrast);
    QCOMPARE(window(), w);
    QTest::mouseClick(w->exitButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().busy(), 0);
}

void BrightnessContrastWindowTest::aRestingSliderIsPreviewedAndApplyThenExitCommitsIt() {
    BrightnessContrastWindow* w = open();
    QVERIFY(w);
    const Image source = editor().working();
    const int states = editor().history().size();
    QTest::keyClick(w->contrastSlider(), Qt::Key_PageUp);
    QCOMPARE(w->contrastFrame()->title(), QStringLiteral("Contrast = 10"));
    QCOMPARE(editor().shownSlot(), kSlotWorking);  // not before the slider rests
    QTRY_COMPARE(editor().shownSlot(), kSlotScratch);
    QCOMPARE(preview(), adjusted(source, 0, 10));
    // A move and Apply at once: Apply takes the move.
    QTest::keyClick(w->contrastSlider(), Qt::Key_Right);
    QTest::mouseClick(w->applyButton(), Qt::LeftButton);
    QCOMPARE(w->contrastSlider()->value(), 100);
    QTest::mouseClick(w->exitButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), adjusted(source, 0, 11));
    QCOMPARE(editor().history().size(), states + 1);
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor().working(), source);
}

void BrightnessContrastWindowTest::aCommandWhileOpenRebasesThePreview() {
    BrightnessContrastWindow* w = open();
    QVERIFY(w);
    const Image source = editor().working();
    QTest::keyClick(w->brightnessSlider(), Qt::Key_PageDown);
    QTRY_COMPARE(editor().shownSlot(), kSlotScratch);
    // Switching sliders re-centres the other one, which must not count as its move.
    QTest::keyClick(w->contrastSlider(), Qt::Key_PageUp);
    QCOMPARE(w->brightnessSlider()->value(), 128);
    QCOMPARE(w->contrastFrame()->title(), QStringLiteral("Contrast = 10"));
    QTRY_VERIFY(preview() == adjusted(source, -10, 10));
    QTest::mouseClick(w->applyButton(), Qt::LeftButton);
    QTest::keyClick(w->brightnessSlider(), Qt::Key_PageUp);
    m_context->dispatch().run(kCmdNegative);  // one-shot commands ignore the busy mask
    const Image negated = editor().working();
    QCOMPARE(preview(), adjusted(negated, 10, 0));
    QTest::mouseClick(w->exitButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), negated);  // what was applied to the old image is gone
    m_context->dispatch().run(kCmdUndo);
}

QTEST_MAIN(BrightnessContrastWindowTest)
#include "brightness_contrast_window_uitest.moc"
