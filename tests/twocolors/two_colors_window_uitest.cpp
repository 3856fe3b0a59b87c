// The Two Colors window driven as a person would: open it from the menu,
// move the slider, pick two colours and a dither mode, OK, Cancel or the
// close box, and an Undo while it is open.

#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "app/command_ids.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "twocolors/two_colors_session.h"
#include "twocolors/two_colors_window.h"

using namespace tarnel;

namespace {

constexpr Color kRed = 0x0000FF, kBlue = 0xFF0000;

Image converted(Image image, TwoColorDither dither, Color c1 = 0x000000, Color c2 = 0xFFFFFF) {
    convertTwoColors(image, image.rect(), TwoColorOptions{128, c1, c2, dither});
    return image;
}

QColor swatch(TwoColorsWindow* w, int button) { return w->colorButton(button)->grab().toImage().pixelColor(12, 12); }

}  // namespace

class TwoColorsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_context = test::startEditor(m_home);
        QVERIFY(m_context);
    }
    void cleanupTestCase() { m_context.reset(); }
    void init() {
        editor().images().put(kSlotWorking, test::photoLikeImage(320, 240));
        editor().resetHistory();
        editor().fitWindowToImage(kSlotWorking);
    }
    void opensFromTheMenuWithItsLayout();
    void sliderPreviewAppearsWhenTheDeferralEnds();
    void coloursDitherUndoAndOk();

private:
    // Opened from the menu; the first check follows the window's first event.
    TwoColorsWindow* open() {
        for (QAction* menu : m_context->window().menuBar()->actions())
            for (QAction* a : menu->menu()->actions())
                if (a->text() == "Two Colors...") a->trigger();
        auto* w = static_cast<TwoColorsWindow*>(window());
        const bool shown = w && QTest::qWaitFor([this] { return editor().shownSlot() == kSlotScratch; });
        return shown ? w : nullptr;
    }
    QWidget* window() const { return m_context->toolWindow(kWindowTwoColors); }
    Editor& editor() { return m_context->editor(); }
    const Image* preview() { return editor().images().find(kSlotScratch); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void TwoColorsWindowTest::opensFromTheMenuWithItsLayout() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Two Colors"));
    QCOMPARE(w->size(), QSize(287, 170));
    QCOMPARE(w->frameGeometry().center(), m_context->window().frameGeometry().center());
    QVERIFY(w->ditherButton(0)->isChecked());
    QCOMPARE(w->thresholdFrame()->title(), QStringLiteral("Threshold 128"));
    QCOMPARE(w->slider()->geometry(), QRect(15, 85, 257, 30));
    QCOMPARE(*preview(), converted(source, TwoColorDither::None));
    m_context->dispatch().run(kCmdQuantize);  // busy: refused
    QVERIFY(!m_context->toolWindow(kWindowQuantize));
    w->close();  // the close box discards the preview
    QTRY_VERIFY(!window());
    QCOMPARE(editor().busy(), 0);
    QVERIFY(!preview());
    QCOMPARE(editor().working(), source);
}

void TwoColorsWindowTest::sliderPreviewAppearsWhenTheDeferralEnds() {
    TwoColorsWindow* w = open();
    QVERIFY(w);
    const Image first = *preview();
    QElapsedTimer elapsed;
    elapsed.start();
    w->slider()->setFocus();
    QTest::keyClick(w->slider(), Qt::Key_End);
    QCOMPARE(w->thresholdFrame()->title(), QStringLiteral("Threshold 256"));
    QCOMPARE(*preview(), first);
    QTRY_COMPARE(*preview(), Image(320, 240, 24, 0xFFFFFF));  // no further event needed
    QVERIFY(elapsed.elapsed() >= kTwoColorsDeferralMs);
    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
}

// The preview follows a working image changed while the window is open.
void TwoColorsWindowTest::coloursDitherUndoAndOk() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    QtPlatform& platform = m_context->platform();
    platform.setColorAnswerer([](Color initial) { return std::optional<Color>(initial == 0 ? kRed : kBlue); });
    QTest::mouseClick(w->colorButton(1), Qt::LeftButton);
    QTest::mouseClick(w->colorButton(2), Qt::RightButton);  // left click only
    QCOMPARE(swatch(w, 2), QColor(Qt::white));
    QTest::mouseClick(w->colorButton(2), Qt::LeftButton);
    platform.setColorAnswerer({});
    QCOMPARE(swatch(w, 1), QColor(Qt::red));
    QTest::mouseClick(w->ditherButton(2), Qt::LeftButton);
    const Image expected = converted(source, TwoColorDither::SierraLite, kRed, kBlue);
    QCOMPARE(*preview(), expected);

    m_context->dispatch().run(kCmdNegative);  // does not ask the busy test
    QTRY_COMPARE(*preview(), converted(editor().working(), TwoColorDither::SierraLite, kRed, kBlue));
    m_context->dispatch().run(kCmdUndo);
    QTRY_COMPARE(*preview(), expected);
    QTest::mouseClick(w->okButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), expected);
    QCOMPARE(editor().history().size(), 2);  // the negative, undone, was replaced
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor().working(), source);
}

QTEST_MAIN(TwoColorsWindowTest)
#include "two_colors_window_uitest.moc"
