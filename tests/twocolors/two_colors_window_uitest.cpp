// The Two Colors window driven as a person would: open it from the menu,
// move the slider, pick a dither mode and two colours, OK or Cancel, and an
// Undo while it is open.

#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "twocolors/two_colors.h"
#include "twocolors/two_colors_window.h"

using namespace tarnel;

namespace {

constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

Image converted(const Image& source, int threshold, TwoColorDither dither, Color c1 = 0x000000,
                Color c2 = 0xFFFFFF) {
    Image image = source;
    convertTwoColors(image, image.rect(), TwoColorOptions{threshold, c1, c2, dither});
    return image;
}

}  // namespace

class TwoColorsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_context.reset(); }
    void init();

    void opensFromTheMenuWithItsLayout();
    void sliderPreviewAppearsWhenTheDeferralEnds();
    void ditherColoursAndOkMakeOneUndoState();
    void cancelDiscardsAndReopeningStartsFromTheDefaults();
    void undoWhileOpenRebuildsThePreview();

private:
    TwoColorsWindow* open();
    TwoColorsWindow* window() const {
        return static_cast<TwoColorsWindow*>(m_context->toolWindow(kWindowTwoColors));
    }
    Editor& editor() { return m_context->editor(); }
    const Image* preview() { return editor().images().find(kSlotScratch); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void TwoColorsWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = test::startEditor(m_home);
    QVERIFY(m_context);
}

void TwoColorsWindowTest::init() {
    editor().images().put(kSlotWorking, test::photoLikeImage(320, 240));
    editor().resetHistory();
    editor().fitWindowToImage(kSlotWorking);
}

TwoColorsWindow* TwoColorsWindowTest::open() {
    QAction* item = nullptr;
    for (QAction* menu : m_context->window().menuBar()->actions())
        if (menu->text() == "Colors")
            for (QAction* a : menu->menu()->actions())
                if (a->text() == "Two Colors...") item = a;
    if (!item) return nullptr;
    item->trigger();
    TwoColorsWindow* w = window();
    if (!w || !QTest::qWaitForWindowExposed(w)) return nullptr;
    // The first check follows the window's first event.
    if (!QTest::qWaitFor([this] { return editor().shownSlot() == kSlotScratch; })) return nullptr;
    return w;
}

void TwoColorsWindowTest::opensFromTheMenuWithItsLayout() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Two Colors"));
    QCOMPARE(w->size(), QSize(287, 170));
    QCOMPARE(w->frameGeometry().center(), m_context->window().frameGeometry().center());
    QVERIFY(w->ditherButton(0)->isChecked());
    QCOMPARE(w->ditherButton(1)->text(), QStringLiteral("4X4 ordered"));
    QCOMPARE(w->thresholdFrame()->title(), QStringLiteral("Threshold 128"));
    QCOMPARE(w->slider()->maximum(), 256);
    QCOMPARE(w->slider()->geometry(), QRect(15, 85, 257, 30));
    QCOMPARE(w->colorButton(2)->toolTip(), QStringLiteral("color 2"));
    QCOMPARE(w->colorButton(2)->grab().toImage().pixelColor(12, 12), QColor(Qt::white));
    QCOMPARE(editor().busy(), int(kBusyTwoColors));
    QCOMPARE(*preview(), converted(source, 128, TwoColorDither::None));
    QCOMPARE(editor().working(), source);

    m_context->dispatch().run(kCmdTwoColors);  // open already: the same window
    QCOMPARE(window(), w);
    m_context->dispatch().run(kCmdQuantize);  // busy: refused
    QVERIFY(!m_context->toolWindow(kWindowQuantize));
    w->close();  // the close box
    QTRY_VERIFY(!window());
    QCOMPARE(editor().busy(), 0);
    QVERIFY(!preview());
    QCOMPARE(editor().shownSlot(), kSlotWorking);
}

void TwoColorsWindowTest::sliderPreviewAppearsWhenTheDeferralEnds() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    w->slider()->setFocus();
    QTest::keyClick(w->slider(), Qt::Key_End);
    QCOMPARE(w->thresholdFrame()->title(), QStringLiteral("Threshold 256"));
    QCOMPARE(*preview(), converted(source, 128, TwoColorDither::None));  // deferred
    QElapsedTimer elapsed;
    elapsed.start();
    QTRY_COMPARE(*preview(), Image(320, 240, 24, 0xFFFFFF));
    QVERIFY(elapsed.elapsed() >= 300);
    w->close();
    QTRY_VERIFY(!window());
}

void TwoColorsWindowTest::ditherColoursAndOkMakeOneUndoState() {
    const Image source = editor().working();
    const int states = editor().history().size();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    QtPlatform& platform = m_context->platform();
    platform.setColorAnswerer([](Color initial) { return std::optional<Color>(initial == 0 ? kRed : kBlue); });
    QTest::mouseClick(w->colorButton(1), Qt::LeftButton);
    QTest::mouseClick(w->colorButton(2), Qt::RightButton);  // left click only
    QCOMPARE(w->colorButton(2)->grab().toImage().pixelColor(12, 12), QColor(Qt::white));
    QTest::mouseClick(w->colorButton(2), Qt::LeftButton);
    platform.setColorAnswerer({});
    QCOMPARE(w->colorButton(1)->grab().toImage().pixelColor(12, 12), QColor(Qt::red));
    QTest::mouseClick(w->ditherButton(2), Qt::LeftButton);
    const Image expected = converted(source, 128, TwoColorDither::SierraLite, kRed, kBlue);
    QCOMPARE(*preview(), expected);

    QTest::mouseClick(w->okButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), expected);
    QCOMPARE(editor().history().size(), states + 1);
    QCOMPARE(editor().busy(), 0);
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor().working(), source);
}

void TwoColorsWindowTest::cancelDiscardsAndReopeningStartsFromTheDefaults() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    m_context->platform().setColorAnswerer([](Color) { return std::optional<Color>(kRed); });
    QTest::mouseClick(w->colorButton(1), Qt::LeftButton);
    m_context->platform().setColorAnswerer({});
    QTest::mouseClick(w->ditherButton(1), Qt::LeftButton);
    w->slider()->setFocus();
    QTest::keyClick(w->slider(), Qt::Key_PageUp);
    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), source);
    QCOMPARE(editor().history().size(), 1);

    w = open();
    QVERIFY(w);
    QVERIFY(w->ditherButton(0)->isChecked());
    QCOMPARE(w->slider()->value(), 128);
    QCOMPARE(w->colorButton(1)->grab().toImage().pixelColor(12, 12), QColor(Qt::black));
    QCOMPARE(*preview(), converted(source, 128, TwoColorDither::None));
    w->close();
    QTRY_VERIFY(!window());
}

void TwoColorsWindowTest::undoWhileOpenRebuildsThePreview() {
    const Image source = editor().working();
    TwoColorsWindow* w = open();
    QVERIFY(w);
    m_context->dispatch().run(kCmdNegative);  // does not ask the busy test
    const Image negated = editor().working();
    QVERIFY(negated != source);
    QTRY_COMPARE(*preview(), converted(negated, 128, TwoColorDither::None));
    QCOMPARE(editor().shownSlot(), kSlotScratch);
    m_context->dispatch().run(kCmdUndo);
    QTRY_COMPARE(*preview(), converted(source, 128, TwoColorDither::None));
    QTest::mouseClick(w->okButton(), Qt::LeftButton);
    QTRY_VERIFY(!window());
    QCOMPARE(editor().working(), converted(source, 128, TwoColorDither::None));
}

QTEST_MAIN(TwoColorsWindowTest)
#include "two_colors_window_uitest.moc"
