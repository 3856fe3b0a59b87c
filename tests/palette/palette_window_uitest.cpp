// The palette window as the user meets it: the menu item and the toolbar
// toggle, the close box, a colour edit by a click on a swatch, and the
// window following the view.

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "common/started_editor_qt.h"
#include "app/main_window.h"
#include "document/slots.h"
#include "palette/palette_window.h"

using namespace tarnel;

namespace {

constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

}  // namespace

class PaletteWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_context.reset(); }
    void init();
    void cleanup();

    void toggledByBothCommandsAndTheCloseBox();
    void keptEditIsOneUndoState();
    void followsANegativeCommand();

private:
    PaletteWindow* window() const { return dynamic_cast<PaletteWindow*>(m_context->toolWindow(kWindowPalette)); }
    QAction* menuItem(const QString& menu, const QString& text) const;
    // The window, the menu item, the toolbar button and slots 9 and 10 agree.
    void verifyOpen(bool on);
    Color shownAt(int x, int y) {
        const QColor c = window()->grab().toImage().pixelColor(x, y);
        return rgb(c.red(), c.green(), c.blue());
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void PaletteWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = test::startEditor(m_home);
    QVERIFY(m_context);
}

// The working image: red with a blue square, two swatches of 176 pixels.
void PaletteWindowTest::init() {
    Image image(800, 450, 24, kRed);
    image.paste(Image(100, 100, 24, kBlue), 300, 100);
    m_context->editor().images().put(kSlotWorking, image);
    m_context->editor().resetHistory();
    m_context->editor().redraw(kSlotWorking, false);
}

void PaletteWindowTest::cleanup() {
    if (m_context->window().toolbarAction(kCmdShowPalette)->isChecked()) m_context->dispatch().run(kCmdPalette);
    QTRY_VERIFY(!window());
}

QAction* PaletteWindowTest::menuItem(const QString& menu, const QString& text) const {
    for (QAction* title : m_context->window().menuBar()->actions())
        for (QAction* a : title->menu()->actions())
            if (title->text() == menu && a->text() == text) return a;
    return nullptr;
}

void PaletteWindowTest::verifyOpen(bool on) {
    QCOMPARE(window() && window()->isVisible(), on);
    QCOMPARE(menuItem("Tools", "Palette")->isChecked(), on);
    QCOMPARE(m_context->window().toolbarAction(kCmdShowPalette)->isChecked(), on);
    QCOMPARE(m_context->editor().images().exists(kSlotPaletteSwatches), on);
    QCOMPARE(m_context->editor().images().exists(kSlotPaletteBackground), on);
}

void PaletteWindowTest::toggledByBothCommandsAndTheCloseBox() {
    MainWindow& main = m_context->window();
    main.toolbarAction(kCmdShowPalette)->trigger();
    verifyOpen(true);
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QCOMPARE(window()->windowTitle(), QStringLiteral(" Palette = 2"));
    QCOMPARE(window()->size(), QSize(176, 352));
    QVERIFY(window()->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(window()->pos(), main.geometry().topLeft() + QPoint(2, main.metrics().toolbarHeight + 205));
    QCOMPARE(shownAt(100, 100), kRed);
    QCOMPARE(shownAt(100, 300), kBlue);
    menuItem("Tools", "Palette")->trigger();
    verifyOpen(false);

    // The close box clears the flag: one toggle opens the window again.
    m_context->dispatch().run(kCmdPalette);
    window()->close();
    verifyOpen(false);
    m_context->dispatch().run(kCmdShowPalette);
    verifyOpen(true);
}

void PaletteWindowTest::keptEditIsOneUndoState() {
    Editor& editor = m_context->editor();
    QtPlatform& platform = m_context->platform();
    const Image before = editor.working();
    m_context->dispatch().run(kCmdPalette);
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    platform.setColorAnswerer([](Color initial) { return std::optional<Color>(initial == kBlue ? 0x00FF00 : 0); });
    platform.setMessageAnswerer([](const QtPlatform::Question&) { return MessageAnswer::Yes; });
    QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 250));
    platform.setColorAnswerer({});
    platform.setMessageAnswerer({});

    QCOMPARE(platform.asked().back().text, std::string("Do you wish to keep this color?"));
    QCOMPARE(editor.working().pixel(350, 150), 0x00FF00u);
    QCOMPARE(editor.history().size(), 2);
    QCOMPARE(shownAt(50, 250), 0x00FF00u);
    m_context->dispatch().run(kCmdUndo);
    QCOMPARE(editor.working(), before);
    QCOMPARE(shownAt(50, 250), kBlue);
}

void PaletteWindowTest::followsANegativeCommand() {
    m_context->dispatch().run(kCmdShowPalette);
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    menuItem("Colors", "Negative")->trigger();
    QCOMPARE(shownAt(100, 100), ~kRed & kColorMask);
    QCOMPARE(shownAt(100, 300), ~kBlue & kColorMask);
    QCOMPARE(m_context->editor().currentPalette(), (std::vector<Color>{~kRed & kColorMask, ~kBlue & kColorMask}));
}

QTEST_MAIN(PaletteWindowTest)
#include "palette_window_uitest.moc"
