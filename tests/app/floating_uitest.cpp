// Paste floating section and Add text through the real main window: keys,
// mouse, the inert menus and tool windows, and the close box while placing.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"

using namespace tarnel;

class FloatingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        m_context = test::startEditor(m_home);
        QVERIFY(m_context);
    }
    void init() {
        editor().images().put(kSlotWorking, m_photo);
        editor().resetHistory();
        editor().fitWindowToImage(kSlotWorking);
    }
    void cleanupTestCase() { m_context.reset(); }

    void keysAndMouseDriveThePlacementAndNothingElseRuns();
    void closingTheWindowWhilePlacingAsksToQuit();
    void addTextFloatsItsBitmap();

private:
    Editor& editor() { return m_context->editor(); }
    MainWindow& window() { return m_context->window(); }
    QString status() { return window().statusText(kStatusFieldSelection); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window().canvas(), k, modifiers);
    }
    bool paste(const Image& image) {
        if (!m_context->platform().setClipboardImage(image)) return false;
        key(Qt::Key_V, Qt::ControlModifier);
        return editor().floating();
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
    Image m_photo = test::photoLikeImage(300, 200);
};

void FloatingTest::keysAndMouseDriveThePlacementAndNothingElseRuns() {
    m_context->dispatch().run(kCmdHistogram);
    QWidget* histogram = m_context->toolWindow(kWindowHistogram);
    QVERIFY(histogram);

    QVERIFY(paste(Image(40, 20, 24, 0x0000FF00u)));
    QCOMPARE(status(), QStringLiteral("xLeft = 380 | yTop = 215 | xRight = 419 | yBottom = 234"));
    QVERIFY(!window().menuBar()->isEnabled());
    QVERIFY(!histogram->isEnabled());
    key(Qt::Key_Right);
    key(Qt::Key_Right, Qt::ControlModifier);  // turns about the centre
    QCOMPARE(status(), QStringLiteral("xLeft = 391 | yTop = 205 | xRight = 410 | yBottom = 244"));
    key(Qt::Key_N, Qt::ControlModifier);  // new image: not now
    key(Qt::Key_Left, Qt::ShiftModifier);
    m_context->dispatch().run(kCmdNegative);
    QVERIFY(!QApplication::activeModalWidget());
    key(Qt::Key_Escape);
    QVERIFY(!editor().floating());
    QCOMPARE(editor().working(), m_photo);
    QCOMPARE(editor().history().size(), 1);
    QVERIFY(window().menuBar()->isEnabled());
    QVERIFY(histogram->isEnabled());
    QCOMPARE(status(), QString());

    // Enter places; so does a left click where the mouse took the section.
    QVERIFY(paste(Image(40, 20, 24, 0x0000FF00u)));
    key(Qt::Key_Return);
    QVERIFY(!editor().floating());
    QCOMPARE(editor().history().size(), 2);
    QCOMPARE(editor().working().pixel(130, 90), 0x0000FF00u);
    QVERIFY(paste(Image(40, 20, 24, 0x00FF0000u)));
    QTest::mouseMove(window().canvas(), QPoint(270, 145));
    QTest::mouseClick(window().canvas(), Qt::LeftButton, {}, QPoint(270, 145));
    QVERIFY(!editor().floating());
    QCOMPARE(editor().history().size(), 3);
    QCOMPARE(editor().working().pixel(0, 10), 0x00FF0000u);  // canvas (250, 135) = image (0, 10)
    QCOMPARE(editor().working().pixel(0, 9), m_photo.pixel(0, 9));
    histogram->close();
}

void FloatingTest::closingTheWindowWhilePlacingAsksToQuit() {
    int asked = 0;
    m_context->platform().setMessageAnswerer([&asked](const QtPlatform::Question&) {
        ++asked;
        return MessageAnswer::No;
    });
    QVERIFY(paste(Image(40, 20, 24, 0)));
    window().close();
    QCOMPARE(asked, 1);
    QVERIFY(!editor().floating());
    QCOMPARE(editor().working(), m_photo);
    QVERIFY(window().isVisible());
    m_context->platform().setMessageAnswerer({});
}

void FloatingTest::addTextFloatsItsBitmap() {
    int requested = 0;
    m_context->platform().setTextFontAnswerer([&requested](const TextFont& initial) {
        ++requested;
        TextFont chosen = initial;
        chosen.styleFlags = kStyleBold | kStyleItalic;
        chosen.color = 0x0000FF;
        return std::optional<TextFont>(chosen);
    });
    key(Qt::Key_T, Qt::ControlModifier);
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->size(), QSize(280, 310));
    auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("text"));
    QCOMPARE(text->toPlainText(), QStringLiteral("Enter text here."));
    QVERIFY(text->hasFocus());

    QTest::mouseClick(test::dialogField(dialog, "style"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([text] { return text->hasFocus(); }));
    QTest::qWait(50);
    QCOMPARE(requested, 1);
    QCOMPARE(test::dialogField(dialog, "style")->text(), QStringLiteral("Bold Italic "));
    QCOMPARE(text->palette().color(QPalette::Text), QColor(255, 0, 0));

    dialog->findChild<QCheckBox*>(QStringLiteral("transparent"))->setChecked(true);
    text->setPlainText(QStringLiteral("A\n\nB"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }));
    QCOMPARE(editor().busy(), 0);
    QVERIFY(editor().floating());
    const ClipboardImage copied = m_context->platform().clipboardImage();
    QCOMPARE(copied.image.depth(), 32);
    QVERIFY(copied.image.height() >= 3 * 10);
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    key(Qt::Key_Return);
    QCOMPARE(editor().history().size(), 2);
    QVERIFY(editor().working() != m_photo);
}

QTEST_MAIN(FloatingTest)
#include "floating_uitest.moc"
