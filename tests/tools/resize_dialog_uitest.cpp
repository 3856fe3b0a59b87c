// The resize image and resize canvas dialogs driven through their widgets.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/app_context_qt.h"
#include "app/color_swatch_widget.h"
#include "app/command_ids.h"
#include "common/started_editor_qt.h"
#include "common/test_images.h"

using namespace tarnel;

class ResizeDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        m_context = test::startEditor(m_home);
        QVERIFY(m_context);
    }
    void cleanupTestCase() { m_context.reset(); }

    void resizeImageTiesTheFieldsOnlyToTheUsersEdits();
    void resizeCanvasAnchorResetsAndBackgroundIsKept();

private:
    QDialog* openDialog(int command, const Image& image) {
        editor().images().put(kSlotWorking, image);
        editor().resetHistory();
        editor().fitWindowToImage(kSlotWorking);
        m_context->dispatch().run(command);
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }
    static QLineEdit* field(QDialog* dialog, const char* name) { return test::dialogField(dialog, name); }
    static void type(QDialog* dialog, const char* name, const QString& text) { test::typeInto(dialog, name, text); }
    static bool pressEnter(QDialog* dialog) {
        QTest::keyClick(dialog, Qt::Key_Return);
        return QTest::qWaitFor([] { return !QApplication::activeModalWidget(); });
    }
    Editor& editor() { return m_context->editor(); }

    QTemporaryDir m_home;
    std::unique_ptr<AppContext> m_context;
};

void ResizeDialogTest::resizeImageTiesTheFieldsOnlyToTheUsersEdits() {
    const Image image = test::photoLikeImage(1000, 333);
    QDialog* dialog = openDialog(kCmdResizeImage, image);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("resize image"));
    QCOMPARE(dialog->size(), QSize(165, 130));
    QCOMPARE(editor().busy(), int(kBusyResizeImage));
    QVERIFY(dialog->findChild<QCheckBox*>()->isChecked());

    type(dialog, "width", "1");
    QCOMPARE(field(dialog, "width")->text(), QStringLiteral("1"));  // the height's 0 does not tie back
    QCOMPARE(field(dialog, "height")->text(), QStringLiteral("0"));
    type(dialog, "width", "400");
    QCOMPARE(field(dialog, "height")->text(), QStringLiteral("133"));
    QTest::mouseClick(dialog->findChild<QCheckBox*>(), Qt::LeftButton);
    type(dialog, "height", "50");
    QCOMPARE(field(dialog, "width")->text(), QStringLiteral("400"));
    QVERIFY(pressEnter(dialog));
    QCOMPARE(editor().busy(), 0);
    QCOMPARE(editor().working().width(), 400);
    QCOMPARE(editor().working().height(), 50);
    QCOMPARE(editor().history().size(), 2);

    // Checked again at the next opening; OK with the fields unchanged records.
    dialog = openDialog(kCmdResizeImage, image);
    QVERIFY(dialog);
    QVERIFY(dialog->findChild<QCheckBox*>()->isChecked());
    QVERIFY(pressEnter(dialog));
    QCOMPARE(editor().working(), image);
    QCOMPARE(editor().history().size(), 2);
}

void ResizeDialogTest::resizeCanvasAnchorResetsAndBackgroundIsKept() {
    const Image image = test::photoLikeImage(100, 50);
    m_context->platform().setColorAnswerer([](Color) { return std::optional<Color>(0x0000FF); });
    QDialog* dialog = openDialog(kCmdResizeCanvas, image);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("resize canvas"));
    QCOMPARE(dialog->size(), QSize(240, 165));
    QCOMPARE(editor().busy(), int(kBusyResizeCanvas));
    QCOMPARE(dialog->findChild<ColorSwatchWidget*>()->color(), Color(0x000000));
    QVERIFY(dialog->findChild<QRadioButton*>("anchor5")->isChecked());
    QTest::mouseClick(dialog->findChild<QRadioButton*>("anchor9"), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<ColorSwatchWidget*>(), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QCheckBox*>(), Qt::LeftButton);
    type(dialog, "width", "120");
    type(dialog, "height", "80");
    QVERIFY(pressEnter(dialog));
    const Image& out = editor().working();
    QCOMPARE(out.width(), 120);
    QCOMPARE(out.height(), 80);
    QCOMPARE(out.depth(), 32);  // from a 24-bit image
    QCOMPARE(out.pixel(0, 0), Color(0xFF0000FFu));
    QCOMPARE(out.pixel(20, 30), image.pixel(0, 0) | 0xFF000000u);
    QCOMPARE(editor().history().size(), 2);

    dialog = openDialog(kCmdResizeCanvas, image);
    QVERIFY(dialog);
    QVERIFY(dialog->findChild<QRadioButton*>("anchor5")->isChecked());
    QCOMPARE(dialog->findChild<ColorSwatchWidget*>()->color(), Color(0x0000FF));
    dialog->reject();
    m_context->platform().setColorAnswerer(nullptr);
}

QTEST_MAIN(ResizeDialogTest)
#include "resize_dialog_uitest.moc"
