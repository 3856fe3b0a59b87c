// The main window as the user meets it: menus, popup, toolbar, shortcuts,
// status bar, a selection drawn with the mouse, and the quit question.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/commands_qt.h"
#include "app/main_window.h"
#include "app/tool_window.h"
#include "app/view.h"
#include "canvas/selection_events.h"
#include "document/slots.h"

using namespace tarnel;

namespace {

// A menu flattened to "text=id" rows, submenus as "[title" ... "]" and
// separators as "-", so a whole menu compares as one list.
QStringList flatten(const QList<QAction*>& actions) {
    QStringList rows;
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            rows << QStringLiteral("-");
        } else if (QMenu* sub = action->menu()) {
            rows << QStringLiteral("[") + sub->title();
            rows << flatten(sub->actions());
            rows << QStringLiteral("]");
        } else {
            rows << action->text() + QStringLiteral("=") + QString::number(action->data().toInt());
        }
    }
    return rows;
}

QStringList effectRows(const char* scramble, const char* unscramble) {
    return {"Gaussian Blur=33", "Edge detect=54", "Pencil=52",  "Artist=64",  "Glowie=57",  "Blush=60",
            "Spacy=58",         "Spectrum=61",    "Scratch=56", "Noise=53",   "Phantom=59", "Demon=62",
            "Faded=63",         "X-factor=55",    QString(scramble) + "=50", QString(unscramble) + "=51"};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void windowAfterStartUp();
    void statusBarAfterStartUp();
    void iconsDecodedIntoSlots();
    void screenshot();

    void menuBar_data();
    void menuBar();
    void popupMenu();
    void toolbar_data();
    void toolbar();
    void everyCommandHasAHandler();

    void shortcuts_data();
    void shortcuts();
    void undoShortcutWorksWhileButtonDisabled();
    void historyButtonsFollowTheHistory();
    void toolbarAndMenuFlipTheSameFlag();

    void selectionDrawnWithTheMouse();
    void rightClickOpensPopup();
    void windowStateIsTracked();
    void moverDragPansALargeImage();
    void selectionTextIsShownWhole();
    void menuCommandsChangeTheImage();
    void toolWindowEventsReachTheirHandler();

    void quitAnsweredNo_data();
    void quitAnsweredNo();
    void quitAnsweredYes();
    void quitEndsTheEventLoopAtTheFirstYes();
    void preferencesWrittenAtShutdown();
    void startsMaximisedFromPreferences();

private:
    // Runs fn with every command recorded instead of run.
    QList<int> recordCommands(const std::function<void()>& fn);
    CanvasWidget* canvas() { return m_context->window().canvas(); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
    MessageAnswer m_answer = MessageAnswer::No;
    int m_quits = 0;
};

void MainWindowTest::initTestCase() {
    QVERIFY(m_home.isValid());
    m_context = std::make_unique<AppContext>();
    QtPlatform& platform = m_context->platform();
    platform.setHomeFolder(QDir(m_home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    platform.setSleepEnabled(false);
    platform.setMessageAnswerer([this](const QtPlatform::Question&) { return m_answer; });
    m_context->setQuitHandler([this] { ++m_quits; });
    QVERIFY(m_context->start());
    MainWindow& window = m_context->window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void MainWindowTest::cleanupTestCase() { m_context.reset(); }

void MainWindowTest::windowAfterStartUp() {
    MainWindow& window = m_context->window();
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarnel_2.0 (x64) "));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0xA5, 0xBF, 0xDA));
    const WindowMetrics m = window.metrics();
    QVERIFY(m.menuBarHeight > 0 && m.toolbarHeight > 0 && m.statusBarHeight > 0);
    QCOMPARE(window.minimumWidth(), 800);
    QCOMPARE(window.minimumHeight(), 450 + m.toolbarHeight + m.statusBarHeight);

    // Fitted to the 800 x 450 start-up picture: the canvas is exactly that.
    QCOMPARE(window.width(), 800);
    QCOMPARE(window.height(), 450 + m.menuBarHeight + m.toolbarHeight + m.statusBarHeight);
    QCOMPARE(canvas()->size(), QSize(800, 450));
    // The bars measure as the window's layout places them.
    const QPoint canvasTop = canvas()->mapTo(&window, QPoint(0, 0));
    QCOMPARE(canvasTop, QPoint(0, m.menuBarHeight + m.toolbarHeight));
    QCOMPARE(window.toolBar()->geometry().bottom() + 1, m.menuBarHeight + m.toolbarHeight);

    // The canvas shows the core's canvas image, colour bits only.
    const Image& core = m_context->editor().canvasImage();
    QCOMPARE(core.width(), 800);
    const QImage& shown = canvas()->shown();
    for (const QPoint p : {QPoint(0, 0), QPoint(400, 225), QPoint(799, 449), QPoint(123, 45)}) {
        const Color c = core.pixel(p.x(), p.y());
        QCOMPARE(QColor(shown.pixel(p)), QColor(redOf(c), greenOf(c), blueOf(c)));
    }
    QCOMPARE(canvas()->cursor().shape(), Qt::ArrowCursor);
}

void MainWindowTest::statusBarAfterStartUp() {
    MainWindow& window = m_context->window();
    QCOMPARE(window.statusText(kStatusFieldFile), QStringLiteral("no_image_loaded  |  (800 x 450)"));
    QCOMPARE(window.statusText(kStatusFieldSelection), QString());
}

void MainWindowTest::iconsDecodedIntoSlots() {
    const ImageTable& images = m_context->editor().images();
    struct Expect {
        int slot;
        int depth;
    };
    for (const Expect e : {Expect{kSlotIconUndo, 32}, Expect{kSlotIconRedo, 32}, Expect{kSlotIconSelector, 24},
                           Expect{kSlotIconMover, 24}, Expect{kSlotIconHistogram, 24},
                           Expect{kSlotIconPalette, 24}}) {
        const Image* icon = images.find(e.slot);
        QVERIFY2(icon, qPrintable(QString("slot %1").arg(e.slot)));
        QCOMPARE(icon->width(), 16);
        QCOMPARE(icon->height(), 16);
        QCOMPARE(icon->depth(), e.depth);
    }
    // The arrows are transparent around the stroke; the RGB icons keep the
    // top byte 0.
    QCOMPARE(alphaOf(images.find(kSlotIconUndo)->pixel(15, 15)), 0);
    QCOMPARE(alphaOf(images.find(kSlotIconMover)->pixel(0, 0)), 0);
    // Undo and redo are mirror images.
    const Image* undo = images.find(kSlotIconUndo);
    const Image* redo = images.find(kSlotIconRedo);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) QCOMPARE(undo->pixel(x, y), redo->pixel(15 - x, y));
}

void MainWindowTest::screenshot() {
    MainWindow& window = m_context->window();
    const QPixmap shot = window.grab();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(QStringLiteral(TARNEL_BUILD_DIR "/main_window.png")));
    // The Edit menu and the popup, with their shortcut texts.
    QMenu* edit = nullptr;
    for (QAction* a : window.menuBar()->actions())
        if (a->text() == "Edit") edit = a->menu();
    QVERIFY(edit);
    for (QMenu* menu : {edit, window.popupMenu()}) {
        menu->popup(window.mapToGlobal(QPoint(40, 40)));
        QTRY_VERIFY(menu->isVisible());
        const QString name = menu == edit ? "menu_edit.png" : "menu_popup.png";
        QVERIFY(menu->grab().save(QStringLiteral(TARNEL_BUILD_DIR "/") + name));
        menu->close();
    }
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void MainWindowTest::menuBar_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("File") << QStringList{"Load image\tCtrl+L=10", "Save image\tCtrl+S=12", "New image\tCtrl+N=17",
                                         "Revert\tCtrl+R=0", "Quit=29"};
    QTest::newRow("Edit") << QStringList{"undo\tCtrl+Z=30",
                                         "redo\tCtrl+Y=32",
                                         "copy\tCtrl+C=13",
                                         "crop\tCtrl+X=5",
                                         "[paste...",
                                         "paste floating section\tCtrl+V=14",
                                         "paste new image\tCtrl+I=15",
                                         "]",
                                         "add text\tCtrl+T=18"};
    QTest::newRow("Resize") << QStringList{"resize canvas=31", "resize image=34"};
    QTest::newRow("Effects") << effectRows("scramble", "unscramble");
    QTest::newRow("Colors") << QStringList{"Quantize...=41", "Bright/Contrast...=11", "Two Colors...=8",
                                           "Gray Scale=6", "Negative=3"};
    QTest::newRow("Tools") << QStringList{"Histogram=35", "Palette=38"};
    QTest::newRow("Rotate") << QStringList{"Mirror=2", "Flip=1", "Rotate 180=7", "Rotate Right=4",
                                           "Rotate Left=9"};
    QTest::newRow("View") << QStringList{"Fit window to image=42"};
    QTest::newRow("Help") << QStringList{"Help\tF1=28"};
}

void MainWindowTest::menuBar() {
    QFETCH(QStringList, rows);
    const QList<QAction*> titles = m_context->window().menuBar()->actions();
    QStringList order;
    for (QAction* a : titles) order << a->text();
    QCOMPARE(order, (QStringList{"File", "Edit", "Resize", "Effects", "Colors", "Tools", "Rotate", "View", "Help"}));
    const QString title = QString::fromLatin1(QTest::currentDataTag());
    QMenu* menu = nullptr;
    for (QAction* a : titles)
        if (a->text() == title) menu = a->menu();
    QVERIFY(menu);
    QCOMPARE(flatten(menu->actions()), rows);
}

void MainWindowTest::popupMenu() {
    QStringList expected;
    expected << "[File..."
             << "load image\tCtrl+L=10"
             << "save image\tCtrl+S=12"
             << "new image\tCtrl+N=17"
             << "Revert=0"
             << "Quit=29"
             << "]"
             << "-";
    expected << "[Edit..."
             << "undo\tCtrl+Z=30"
             << "redo\tCtrl+Y=32"
             << "copy\tCtrl+C=13"
             << "crop\tCtrl+X=5"
             << "[paste..."
             << "paste floating section\tCtrl+V=14"
             << "paste new image\tCtrl+I=15"
             << "]"
             << "add text\tCtrl+T=18"
             << "]"
             << "-";
    expected << "[Resize..."
             << "resize canvas=31"
             << "resize image=34"
             << "]"
             << "-";
    expected << "[effects..." << effectRows("Scramble", "Unscramble") << "]"
             << "-";
    expected << "[colors..."
             << "Quantize...=41"
             << "Brightness...=11"
             << "Two Colors...=8"
             << "Gray Scale=6"
             << "Negative=3"
             << "]"
             << "-";
    expected << "[Rotate..."
             << "Mirror=2"
             << "Flip=1"
             << "Rotate 180=7"
             << "Rotate Right=4"
             << "Rotate Left=9"
             << "]"
             << "-";
    expected << "Help\tF1=28";
    QCOMPARE(flatten(m_context->window().popupMenu()->actions()), expected);
}

void MainWindowTest::toolbar_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checkable");
    // Positions count separators too.
    QTest::newRow("new") << 0 << 17 << "new image" << true << false;
    QTest::newRow("load") << 1 << 10 << "load image" << true << false;
    QTest::newRow("save") << 2 << 12 << "save image" << true << false;
    QTest::newRow("crop") << 4 << 5 << "crop to selection" << true << false;
    QTest::newRow("copy") << 5 << 13 << "copy image/selection" << true << false;
    QTest::newRow("paste floating") << 6 << 14 << "paste floating section" << true << false;
    QTest::newRow("paste new") << 7 << 15 << "paste new image" << true << false;
    QTest::newRow("undo") << 9 << 30 << "undo change" << false << false;
    QTest::newRow("redo") << 10 << 32 << "redo change" << false << false;
    QTest::newRow("selector") << 12 << 39 << "selector" << true << false;
    QTest::newRow("mover") << 13 << 40 << "mover" << true << false;
    QTest::newRow("count") << 15 << 48 << "count colors" << true << false;
    QTest::newRow("histogram") << 16 << 47 << "show histogram" << true << true;
    QTest::newRow("palette") << 17 << 49 << "show palette" << true << true;
    QTest::newRow("help") << 19 << 28 << "show help window" << true << false;
}

void MainWindowTest::toolbar() {
    QFETCH(int, position);
    QFETCH(int, id);
    QFETCH(QString, tooltip);
    QFETCH(bool, enabled);
    QFETCH(bool, checkable);
    const QList<QAction*> actions = m_context->window().toolBar()->actions();
    QCOMPARE(actions.size(), 20);
    for (int separator : {3, 8, 11, 14, 18}) QVERIFY(actions[separator]->isSeparator());
    QAction* action = actions[position];
    QCOMPARE(action->data().toInt(), id);
    QCOMPARE(action->toolTip(), tooltip);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isCheckable(), checkable);
    QVERIFY(!action->icon().isNull());
    QCOMPARE(m_context->window().toolBar()->iconSize(), QSize(16, 16));
}

void MainWindowTest::everyCommandHasAHandler() {
    const Dispatch& d = m_context->dispatch();
    for (int id = 0; id < kCommandCount; ++id) {
        const bool unused = id == 16 || id == 36 || id == 37 || (id >= 43 && id <= 46);
        QVERIFY2(d.hasHandler(id) == !unused, qPrintable(QString::number(id)));
    }
    MainWindow& window = m_context->window();
    QList<QAction*> actions = window.toolBar()->actions();
    const auto collect = [&actions](const auto& self, const QList<QAction*>& list) -> void {
        for (QAction* a : list) {
            if (a->menu()) self(self, a->menu()->actions());
            else if (!a->isSeparator()) actions << a;
        }
    };
    collect(collect, window.menuBar()->actions());
    collect(collect, window.popupMenu()->actions());
    for (QAction* a : actions) {
        const int id = a->data().toInt();
        if (id == kCmdUndo || id == kCmdRedo) continue;  // the history sets these
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    }
}

QList<int> MainWindowTest::recordCommands(const std::function<void()>& fn) {
    QList<int> seen;
    Dispatch& d = m_context->dispatch();
    const auto previous = d.setInterceptor([&seen](int id) {
        seen << id;
        return true;
    });
    fn();
    d.setInterceptor(previous);
    return seen;
}

void MainWindowTest::shortcuts_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("id");
    const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 20;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 21;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 22;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 23;
    QTest::newRow("Shift+Left") << int(Qt::Key_Left) << shift << 24;
    QTest::newRow("Shift+Right") << int(Qt::Key_Right) << shift << 25;
    QTest::newRow("Shift+Up") << int(Qt::Key_Up) << shift << 26;
    QTest::newRow("Shift+Down") << int(Qt::Key_Down) << shift << 27;
    QTest::newRow("Ctrl+Left") << int(Qt::Key_Left) << ctrl << 44;
    QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << ctrl << 43;
    QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << ctrl << 45;
    QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << ctrl << 46;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 28;
    QTest::newRow("Ctrl+L") << int(Qt::Key_L) << ctrl << 10;
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << 12;
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << 17;
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << ctrl << 0;
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << 29;
    QTest::newRow("Ctrl+T") << int(Qt::Key_T) << ctrl << 18;
    QTest::newRow("Ctrl+I") << int(Qt::Key_I) << ctrl << 15;
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << 30;
    QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << ctrl << 32;
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << 13;
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << ctrl << 14;
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << ctrl << 5;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 19;
}

void MainWindowTest::shortcuts() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, id);
    const QList<int> seen = recordCommands([&] {
        QTest::keyClick(canvas(), static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));
    });
    QCOMPARE(seen, QList<int>{id});
    QCOMPARE(m_context->window().shortcuts().size(), std::size_t(26));
}

void MainWindowTest::undoShortcutWorksWhileButtonDisabled() {
    Editor& editor = m_context->editor();
    QVERIFY(!m_context->window().toolbarAction(kCmdUndo)->isEnabled());
    // Change the working image without recording it: Ctrl+Z at the first
    // entry copies the entry back, undoing the change.
    const Image before = editor.working();
    editor.working().setPixel(0, 0, before.pixel(0, 0) ^ 0xFFFFFFu);
    QTest::keyClick(canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.working(), before);
    QVERIFY(!m_context->window().toolbarAction(kCmdUndo)->isEnabled());
    QVERIFY(!m_context->window().toolbarAction(kCmdRedo)->isEnabled());
}

void MainWindowTest::historyButtonsFollowTheHistory() {
    Editor& editor = m_context->editor();
    MainWindow& window = m_context->window();
    QAction* undo = window.toolbarAction(kCmdUndo);
    QAction* redo = window.toolbarAction(kCmdRedo);
    const Image original = editor.working();
    editor.working().fill(rgb(1, 2, 3));
    editor.recordChange();
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    // The toolbar button, clicked.
    QTest::mouseClick(window.toolBar()->widgetForAction(undo), Qt::LeftButton);
    QCOMPARE(editor.working(), original);
    QVERIFY(!undo->isEnabled());
    QVERIFY(redo->isEnabled());
    QVERIFY(canvas()->hasFocus());
    QTest::keyClick(canvas(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(editor.working().pixel(0, 0), rgb(1, 2, 3));
    // Revert: the start-up picture, both buttons off.
    QTest::keyClick(canvas(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(editor.working(), original);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
}

void MainWindowTest::toolbarAndMenuFlipTheSameFlag() {
    MainWindow& window = m_context->window();
    const auto histogramOpen = [&] {
        QWidget* w = m_context->toolWindow(kWindowHistogram);
        return w && w->isVisible();
    };
    QVERIFY(!histogramOpen());
    window.toolbarAction(kCmdShowHistogram)->trigger();
    QVERIFY(histogramOpen());
    QAction* menuItem = nullptr;
    for (QAction* a : window.menuBar()->actions())
        if (a->text() == "Tools") menuItem = a->menu()->actions().first();
    QVERIFY(menuItem);
    QVERIFY(menuItem->isChecked());
    menuItem->trigger();
    QVERIFY(!histogramOpen());
    QVERIFY(!window.toolbarAction(kCmdShowHistogram)->isChecked());
    QVERIFY(!menuItem->isChecked());
}

void MainWindowTest::selectionDrawnWithTheMouse() {
    Editor& editor = m_context->editor();
    MainWindow& window = m_context->window();
    // The selector button, clicked as the user would.
    QToolButton* selector = qobject_cast<QToolButton*>(window.toolBar()->widgetForAction(window.toolbarAction(kCmdSelector)));
    QVERIFY(selector);
    QTest::mouseClick(selector, Qt::LeftButton);
    QCOMPARE(editor.cursorMode(), CursorMode::Selector);
    QCOMPARE(canvas()->cursor().shape(), Qt::CrossCursor);

    const SelectionRecord& r = editor.selection().record();
    const QPoint origin(r.boundsLeft, r.boundsTop);
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, origin + QPoint(10, 10));
    QTest::mouseMove(canvas(), origin + QPoint(15, 12));
    QTest::mouseMove(canvas(), origin + QPoint(19, 14));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, origin + QPoint(19, 14));
    QCoreApplication::processEvents();  // the posted selection events

    QVERIFY(editor.selection().active());
    QCOMPARE(r.x1, origin.x() + 10);
    QCOMPARE(r.x2, origin.x() + 19);
    QCOMPARE(r.y1, origin.y() + 10);
    QCOMPARE(r.y2, origin.y() + 14);
    QCOMPARE(window.statusText(kStatusFieldSelection),
             QStringLiteral("Size = 10 x 5 | x/y ratio = 2.00000 | xLeft = 10 | yTop = 10 | xRight = 19 | yBottom = 14"));
    // The outline is on screen: the canvas shows the inverted pixel.
    const Color under = editor.working().pixel(10, 10);
    QCOMPARE(QColor(canvas()->shown().pixel(origin + QPoint(10, 10))),
             QColor(255 - redOf(under), 255 - greenOf(under), 255 - blueOf(under)));

    // Shift+Right widens it by one column.
    QTest::keyClick(canvas(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(r.x2, origin.x() + 20);
    QVERIFY(window.statusText(kStatusFieldSelection).startsWith("Size = 11 x 5 |"));

    // Back to mover with the space bar: the selection goes, the cursor is the arrow.
    QTest::keyClick(canvas(), Qt::Key_Space);
    QCoreApplication::processEvents();
    QCOMPARE(editor.cursorMode(), CursorMode::Mover);
    QVERIFY(!editor.selection().active());
    QCOMPARE(canvas()->cursor().shape(), Qt::ArrowCursor);
}

void MainWindowTest::rightClickOpensPopup() {
    QMenu* popup = m_context->window().popupMenu();
    QVERIFY(!popup->isVisible());
    QTest::mouseClick(canvas(), Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
    QTRY_VERIFY(popup->isVisible());
    popup->close();
    QTRY_VERIFY(!popup->isVisible());
    // Pressed on the canvas, released beside it: no popup.
    QTest::mousePress(canvas(), Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
    QTest::mouseRelease(canvas(), Qt::RightButton, Qt::NoModifier, QPoint(-5, 200));
    QCoreApplication::processEvents();
    QVERIFY(!popup->isVisible());
    m_context->window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_context->window()));
}

void MainWindowTest::windowStateIsTracked() {
    MainWindow& window = m_context->window();
    Editor& editor = m_context->editor();
    window.setWindowState(Qt::WindowMaximized);
    QTRY_COMPARE(editor.windowState(), kWindowMaximised);
    window.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(editor.windowState(), kWindowNormal);
    // Fit window to image returns a maximised window to normal and fits it.
    window.setWindowState(Qt::WindowMaximized);
    QTRY_COMPARE(editor.windowState(), kWindowMaximised);
    m_context->dispatch().run(kCmdFitWindow);
    QTRY_COMPARE(editor.windowState(), kWindowNormal);
    QTRY_COMPARE(canvas()->size(), QSize(800, 450));
}

void MainWindowTest::moverDragPansALargeImage() {
    Editor& editor = m_context->editor();
    QCOMPARE(editor.cursorMode(), CursorMode::Mover);
    Image big(4000, 3000, 24);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x) big.setPixel(x, y, rgb(x % 256, y % 256, (x / 256 + y / 256) % 256));
    editor.images().put(kSlotWorking, big);
    editor.fitWindowToImage(kSlotWorking);
    QVERIFY(editor.view().imageLarger);
    QCOMPARE(canvas()->cursor().shape(), Qt::SizeAllCursor);
    const QSize size = canvas()->size();
    QCOMPARE(QSize(editor.canvasImage().width(), editor.canvasImage().height()), size);

    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(canvas(), QPoint(130, 110));
    QTest::mouseMove(canvas(), QPoint(150, 120));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 120));
    QCOMPARE(editor.view().panX, 50);
    QCOMPARE(editor.view().panY, 20);
    // The canvas shows the image moved by the pan: canvas (cx, cy) shows
    // image (cx - px, cy - py) with px = pan + (cw - iw) / 2.
    const int px = 50 + (size.width() - 4000) / 2;
    const int py = 20 + (size.height() - 3000) / 2;
    for (const QPoint p : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1), QPoint(321, 123)}) {
        const Color c = big.pixel(p.x() - px, p.y() - py);
        QCOMPARE(QColor(canvas()->shown().pixel(p)), QColor(redOf(c), greenOf(c), blueOf(c)));
    }

    // Revert brings back the start-up picture and the fitted window.
    m_context->dispatch().run(kCmdRevert);
    QCOMPARE(editor.working().width(), 800);
    QCOMPARE(canvas()->size(), QSize(800, 450));
    QVERIFY(!editor.view().imageLarger);
}

// Four-digit edges fit in the selection field, which grows without making
// the window wider; leaving selector mode clears it.
void MainWindowTest::selectionTextIsShownWhole() {
    Editor& editor = m_context->editor();
    MainWindow& window = m_context->window();
    editor.images().put(kSlotWorking, Image(4000, 3000, 24, 0x808080));
    editor.fitWindowToImage(kSlotWorking);
    const QSize windowSize = window.size();
    editor.setCursorMode(CursorMode::Selector);
    const QSize c = canvas()->size();
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(c.width() - 300, c.height() - 300));
    QTest::mouseMove(canvas(), QPoint(c.width() - 10, c.height() - 10));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(c.width() - 10, c.height() - 10));
    QCoreApplication::processEvents();
    const QString text = window.statusText(kStatusFieldSelection);
    QVERIFY(text.endsWith(QString(" | yBottom = %1").arg(editor.operationArea().bottom)));
    QVERIFY(editor.operationArea().bottom >= 1000);
    QLabel* field = nullptr;
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>())
        if (label->text() == text) field = label;
    QVERIFY(field);
    QTRY_VERIFY(field->contentsRect().width() >= field->fontMetrics().horizontalAdvance(text));
    QCOMPARE(window.size(), windowSize);

    m_context->dispatch().run(kCmdMover);
    QCoreApplication::processEvents();
    QCOMPARE(window.statusText(kStatusFieldSelection), QString());
    m_context->dispatch().run(kCmdRevert);
}

// The image commands reached through the real menu items: the working image
// changes, the change is recorded, and Undo brings the old image and size back.
void MainWindowTest::menuCommandsChangeTheImage() {
    Editor& editor = m_context->editor();
    MainWindow& window = m_context->window();
    auto trigger = [&](const QString& menuTitle, const QString& text) {
        for (QAction* title : window.menuBar()->actions()) {
            if (title->text() != menuTitle) continue;
            for (QAction* a : title->menu()->actions())
                if (a->text() == text) {
                    a->trigger();
                    return true;
                }
        }
        return false;
    };
    const Image original = editor.working();
    QVERIFY(trigger("Rotate", "Rotate Right"));
    QCOMPARE(editor.working().width(), original.height());
    QCOMPARE(editor.working().height(), original.width());
    QCOMPARE(editor.working().pixel(original.height() - 1, 0), original.pixel(0, 0));
    QVERIFY(window.toolbarAction(kCmdUndo)->isEnabled());

    QVERIFY(trigger("Colors", "Negative"));
    QCOMPARE(editor.working().pixel(original.height() - 1, 0) & kColorMask, ~original.pixel(0, 0) & kColorMask);

    QTest::keyClick(canvas(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.working(), original);
    QCOMPARE(canvas()->size(), QSize(800, 450));
    m_context->dispatch().run(kCmdRevert);
}

void MainWindowTest::toolWindowEventsReachTheirHandler() {
    QList<WindowEvent> events;
    Dispatch& d = m_context->dispatch();
    d.setWindowHandler(kWindowHistogram, [&](WindowEvent e) { events << e; });
    auto* tool = new ToolWindow(*m_context, kWindowHistogram);
    QCOMPARE(tool->parentWidget(), &m_context->window());
    QCOMPARE(m_context->toolWindow(kWindowHistogram), tool);
    tool->setFixedClientSize(200, 100);
    tool->show();
    QVERIFY(QTest::qWaitForWindowExposed(tool));
    tool->close();
    QVERIFY(events.contains(WindowEvent::Show));
    QVERIFY(events.contains(WindowEvent::Close));
    QCOMPARE(events.last(), WindowEvent::Hide);
    delete tool;
    QCOMPARE(m_context->toolWindow(kWindowHistogram), nullptr);
    d.setWindowHandler(kWindowHistogram, {});
    // The shortcuts work while the main window is the active one.
    m_context->window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_context->window()));
}

void MainWindowTest::quitAnsweredNo_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Ctrl+Q") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("menu Quit") << 2;
}

void MainWindowTest::quitAnsweredNo() {
    QFETCH(int, way);
    MainWindow& window = m_context->window();
    const auto askedBefore = m_context->platform().asked().size();
    const Image before = m_context->editor().working();
    m_answer = MessageAnswer::No;
    if (way == 0) QTest::keyClick(canvas(), Qt::Key_Q, Qt::ControlModifier);
    if (way == 1) window.close();
    if (way == 2) {
        for (QAction* a : window.menuBar()->actions())
            if (a->text() == "File") a->menu()->actions().last()->trigger();
    }
    const auto& asked = m_context->platform().asked();
    QCOMPARE(asked.size(), askedBefore + 1);
    QCOMPARE(QString::fromStdString(asked.back().title), QStringLiteral("End Program"));
    QCOMPARE(QString::fromStdString(asked.back().text), QStringLiteral("Are you sure?"));
    QCOMPARE(asked.back().buttons, MessageButtons::YesNo);
    QCOMPARE(m_quits, 0);
    QVERIFY(!m_context->quitFlag());
    QVERIFY(!m_context->quitConfirmed());
    QVERIFY(window.isVisible());
    QCOMPARE(m_context->editor().working(), before);
}

void MainWindowTest::quitAnsweredYes() {
    m_answer = MessageAnswer::Yes;
    m_context->window().close();
    QCOMPARE(m_quits, 1);
    QVERIFY(m_context->quitConfirmed());
}

// With the real quit handler: No keeps the program running, Yes ends Qt's
// event loop at once, each after one question.
void MainWindowTest::quitEndsTheEventLoopAtTheFirstYes() {
    QTemporaryDir home;
    AppContext second;
    QtPlatform& platform = second.platform();
    platform.setHomeFolder(QDir(home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    QList<MessageAnswer> answers = {MessageAnswer::No, MessageAnswer::Yes};
    platform.setMessageAnswerer([&answers](const QtPlatform::Question&) {
        return answers.isEmpty() ? MessageAnswer::Yes : answers.takeFirst();
    });
    QVERIFY(second.start());
    second.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&second.window()));

    QTimer::singleShot(0, &second.window(), [&second] {
        QTest::keyClick(second.window().canvas(), Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(second.window().canvas(), Qt::Key_Q, Qt::ControlModifier);
    });
    QTimer hang;
    hang.setSingleShot(true);
    connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    hang.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(platform.asked().size(), std::size_t(2));
    QVERIFY(second.window().isVisible());

    m_context->window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_context->window()));
}

void MainWindowTest::preferencesWrittenAtShutdown() {
    m_context->shutdown();
    QFile file(m_home.filePath("Tarnel.prefs"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    const QByteArray home = QDir(m_home.path()).absolutePath().toUtf8() + "/";
    QCOMPARE(content, QByteArray("LastPath = " + home + "Pictures/\r\nLastWindowState = 0\r\n"));
}

void MainWindowTest::startsMaximisedFromPreferences() {
    QTemporaryDir home;
    QFile prefs(home.filePath("Tarnel.prefs"));
    QVERIFY(prefs.open(QIODevice::WriteOnly));
    prefs.write("LastPath = /pictures/\r\nLastWindowState = 16777216\r\n");
    prefs.close();
    AppContext second;
    second.platform().setHomeFolder(QDir(home.path()).absolutePath().toStdString() + "/");
    second.platform().setDesktopSize(Size{1920, 1080});
    QVERIFY(second.start());
    QVERIFY(second.window().isMaximized());
    QCOMPARE(second.editor().windowState(), kWindowMaximised);
    QCOMPARE(second.window().statusText(kStatusFieldFile), QStringLiteral("no_image_loaded  |  (800 x 450)"));
    second.shutdown();
    QVERIFY(prefs.open(QIODevice::ReadOnly));
    QCOMPARE(prefs.readAll(), QByteArray("LastPath = /pictures/\r\nLastWindowState = 16777216\r\n"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_uitest.moc"
