// New image, copy and paste new image in the running editor: the dialog
// driven through its widgets, the notice beside a working editor, and the
// real clipboard holding data as other programs offer it.

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

#include "app/app_context_qt.h"
#include "app/color_swatch_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"
#include "io/clipboard_image.h"
#include "io/image_codec.h"

using namespace tarnel;

class NewImageDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        m_context = test::startEditor(m_home);
        QVERIFY(m_context);
        m_context->platform().setMessageAnswerer([](const QtPlatform::Question&) { return MessageAnswer::Ok; });
    }
    void cleanupTestCase() { m_context.reset(); }

    void fieldsAndColourAreTakenAndRemembered();
    void cancelKeepsWhatWasTyped();
    void theCopyNoticeClosesOnItsOwnWhileCommandsRun();
    void alphaSurvivesCopyAndAnotherProgramsPng();
    void anOversizedClipboardImageIsRefused();

private:
    QDialog* openDialog() {
        m_context->dispatch().run(kCmdNewImage);
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }
    static QLineEdit* field(QDialog* dialog, const char* name) { return test::dialogField(dialog, name); }
    static void type(QDialog* dialog, const char* name, const QString& text) { test::typeInto(dialog, name, text); }
    static void putOnClipboard(const std::vector<std::uint8_t>& bytes, const char* type) {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(type),
                      QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        QGuiApplication::clipboard()->setMimeData(data);
    }
    Editor& editor() { return m_context->editor(); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void NewImageDialogTest::fieldsAndColourAreTakenAndRemembered() {
    m_context->platform().setColorAnswerer([](Color) { return std::optional<Color>(0x000000); });
    QDialog* dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New image"));
    QCOMPARE(dialog->size(), QSize(240, 130));
    QCOMPARE(editor().busy(), int(kBusyNewImage));
    QCOMPARE(field(dialog, "width")->text(), QStringLiteral("768"));
    QCOMPARE(field(dialog, "height")->text(), QStringLiteral("512"));
    m_context->dispatch().run(kCmdResizeImage);  // refused while busy
    QCOMPARE(QApplication::activeModalWidget(), dialog);

    type(dialog, "width", "5000");
    type(dialog, "height", "3");
    QTest::mouseClick(dialog->findChild<ColorSwatchWidget*>(), Qt::LeftButton);
    QTest::keyClick(field(dialog, "height"), Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(editor().busy(), 0);
    QCOMPARE(editor().working(), Image(4096, 16, 24, 0x000000));
    QCOMPARE(editor().imageName(), std::string("NewImage"));

    dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(field(dialog, "width")->text(), QStringLiteral("4096"));
    QCOMPARE(field(dialog, "height")->text(), QStringLiteral("16"));
    QCOMPARE(dialog->findChild<ColorSwatchWidget*>()->color(), Color(0x000000));
    type(dialog, "width", "abc");  // counts as 0
    type(dialog, "height", "99999999999");
    QTest::keyClick(dialog, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(editor().working().width(), 16);
    QCOMPARE(editor().working().height(), 4096);
    m_context->platform().setColorAnswerer(nullptr);
}

void NewImageDialogTest::cancelKeepsWhatWasTyped() {
    const Image before = editor().working();
    QDialog* dialog = openDialog();
    QVERIFY(dialog);
    type(dialog, "width", "1000");
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == "Cancel") QTest::mouseClick(b, Qt::LeftButton);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(editor().working(), before);
    dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(field(dialog, "width")->text(), QStringLiteral("1000"));
    dialog->reject();
}

void NewImageDialogTest::theCopyNoticeClosesOnItsOwnWhileCommandsRun() {
    editor().images().put(kSlotWorking, test::photoLikeImage(300, 200));
    editor().fitWindowToImage(kSlotWorking);
    QElapsedTimer clock;
    clock.start();
    m_context->dispatch().run(kCmdCopy);
    auto* notice = m_context->window().findChild<QLabel*>(QStringLiteral("copyNotice"));
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("copied to clipboard."));
    const QPoint frame = m_context->window().frameGeometry().topLeft();
    QCOMPARE(notice->geometry(), QRect(frame.x() + 150 + 30, frame.y() + 100 - 15, 200, 30));

    const Image before = editor().working();
    m_context->dispatch().run(kCmdNegative);  // runs at once
    QVERIFY(notice->isVisible());
    QVERIFY(editor().working() != before);
    QTRY_VERIFY_WITH_TIMEOUT(!m_context->window().findChild<QLabel*>(QStringLiteral("copyNotice")), 5000);
    QVERIFY(clock.elapsed() >= 1250);
    QCOMPARE(clipboardImageAtDepth(m_context->platform().clipboardImage().image, 24), before);
}

void NewImageDialogTest::alphaSurvivesCopyAndAnotherProgramsPng() {
    const Image translucent(20, 10, 32, 0x80336699u);
    editor().images().put(kSlotWorking, translucent);
    m_context->dispatch().run(kCmdCopy);
    QCOMPARE(clipboardImageAtDepth(m_context->platform().clipboardImage().image, 32), translucent);

    // The same pixels as a PNG from another program.
    putOnClipboard(encodeImage(translucent, ImageFormat::Png).bytes, "image/png");
    QCOMPARE(clipboardImageAtDepth(m_context->platform().clipboardImage().image, 32), translucent);
}

void NewImageDialogTest::anOversizedClipboardImageIsRefused() {
    // A BMP whose header declares 20000 x 20000 pixels, with none following.
    std::vector<std::uint8_t> bmp = encodeImage(Image(4, 4, 24), ImageFormat::Bmp).bytes;
    const std::int32_t side = 20000;
    std::memcpy(&bmp[18], &side, 4);
    std::memcpy(&bmp[22], &side, 4);
    putOnClipboard(bmp, "image/bmp");
    const Image before = editor().working();
    const int history = editor().history().size();
    const std::size_t asked = m_context->platform().asked().size();
    m_context->dispatch().run(kCmdPasteNewImage);
    QCOMPARE(m_context->platform().asked().size(), asked + 1);
    QCOMPARE(m_context->platform().asked().back().title, std::string("Paste new image"));
    QVERIFY(m_context->platform().asked().back().text.find("20000 x 20000") != std::string::npos);
    QCOMPARE(editor().working(), before);
    QCOMPARE(editor().history().size(), history);
}

QTEST_MAIN(NewImageDialogTest)
#include "new_image_dialog_uitest.moc"
