// The editor opened from the desktop: a file named on the command line and
// a file dropped onto the main window load as Load image would.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/main_window.h"
#include "app/open_file_qt.h"
#include "common/test_images.h"
#include "io/image_file.h"

using namespace tarnel;

namespace {

constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 200;

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { m_context.reset(); }

    void fileArgument_data();
    void fileArgument();
    void dropLoadsWhenLoadCould();

private:
    // Starts the editor as main() does with path on its command line.
    bool start(const QString& path);
    QString path(const QString& name) const { return QDir(m_files.path()).filePath(name); }
    // Sends a drag of urls into the main window and drops it there; returns
    // whether the window took the drag and the drop.
    std::pair<bool, bool> dragAndDrop(const QList<QUrl>& urls);

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    Image m_picture;
    Image m_startup;
    QString m_startupStatus;
    std::unique_ptr<AppContext> m_context;
};

bool DesktopTest::start(const QString& file) {
    m_context = std::make_unique<AppContext>();
    QtPlatform& platform = m_context->platform();
    platform.setHomeFolder(QDir(m_home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    platform.setSleepEnabled(false);
    platform.setMessageAnswerer([](const QtPlatform::Question&) { return MessageAnswer::Ok; });
    m_context->setQuitHandler([] {});
    return startWithFile(*m_context, file.toStdString()) && QTest::qWaitForWindowExposed(&m_context->window());
}

void DesktopTest::initTestCase() {
    m_picture = test::photoLikeImage(kPictureWidth, kPictureHeight, 24, 3);
    QVERIFY(saveImageFile(path("good.png").toStdString(), m_picture, ImageFormat::Png).ok);
    QFile good(path("good.png"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    // A PNG signature over rubbish.
    QFile junk(path("junk.png"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(bytes.left(8) + QByteArray(64, 'x'));
    junk.close();
    // A JPEG cut off in its image data decodes in part.
    QVERIFY(saveImageFile(path("whole.jpg").toStdString(), m_picture, ImageFormat::Jpeg).ok);
    QFile whole(path("whole.jpg"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QFile cut(path("cut.jpg"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.readAll().chopped(static_cast<qsizetype>(whole.size() / 2)));
    cut.close();

    // What the editor shows without an argument.
    QVERIFY(start(QString()));
    m_startup = m_context->editor().working();
    m_startupStatus = m_context->window().statusText(0);
    QVERIFY(m_context->platform().asked().empty());
    m_context.reset();
}

void DesktopTest::fileArgument_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("message");  // in the one box shown, empty: no box

    QTest::newRow("good") << "good.png" << true << QString();
    QTest::newRow("missing") << "missing.png" << false << "missing.png";
    QTest::newRow("not decodable") << "junk.png" << false << "could not be loaded";
    QTest::newRow("cut short") << "cut.jpg" << true << "damaged";
}

void DesktopTest::fileArgument() {
    QFETCH(QString, file);
    QFETCH(bool, loads);
    QFETCH(QString, message);
    QVERIFY(start(path(file)));
    Editor& editor = m_context->editor();

    QCOMPARE(editor.history().size(), 1);
    if (loads) {
        QCOMPARE(editor.working().width(), kPictureWidth);
        QCOMPARE(editor.working().height(), kPictureHeight);
        if (message.isEmpty()) QCOMPARE(editor.working(), m_picture);
        QCOMPARE(m_context->window().statusText(0), file + "  |  (300 x 200)");
    } else {
        QCOMPARE(editor.working(), m_startup);
        QCOMPARE(m_context->window().statusText(0), m_startupStatus);
    }
    // As after Load: the file is the current one even when it failed, so
    // Save offers its name.
    QCOMPARE(QString::fromStdString(editor.currentFilePath()), path(file));

    const auto& asked = m_context->platform().asked();
    QCOMPARE(asked.size(), message.isEmpty() ? std::size_t{0} : std::size_t{1});
    if (!message.isEmpty()) {
        QCOMPARE(QString::fromStdString(asked.front().title), QString("Load image"));
        QVERIFY2(QString::fromStdString(asked.front().text).contains(message), asked.front().text.c_str());
    }
}

std::pair<bool, bool> DesktopTest::dragAndDrop(const QList<QUrl>& urls) {
    MainWindow& window = m_context->window();
    const QPoint at = window.canvas()->geometry().center();
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

void DesktopTest::dropLoadsWhenLoadCould() {
    QVERIFY(start(QString()));
    Editor& editor = m_context->editor();
    editor.working().fill(rgb(9, 9, 9));
    editor.recordChange();
    const QUrl good = QUrl::fromLocalFile(path("good.png"));

    // Not while a dialog holds the main window, nor for what is no local file.
    {
        QDialog dialog(&m_context->window());
        dialog.setModal(true);
        dialog.show();
        QCOMPARE(dragAndDrop({good}), std::make_pair(false, false));
    }
    QCOMPARE(dragAndDrop({QUrl("https://example.org/a.png")}), std::make_pair(false, false));
    QCoreApplication::processEvents();
    QCOMPARE(editor.history().size(), 2);

    // Of several files the first loads, once the drop has ended.
    QCOMPARE(dragAndDrop({good, QUrl::fromLocalFile(path("junk.png"))}), std::make_pair(true, true));
    QTRY_COMPARE(editor.history().size(), 1);
    QCOMPARE(editor.working(), m_picture);
    QCOMPARE(m_context->window().statusText(0), QString("good.png  |  (300 x 200)"));
    QVERIFY(m_context->platform().asked().empty());

    // A file that fails says so, as Load does.
    QCOMPARE(dragAndDrop({QUrl::fromLocalFile(path("junk.png"))}), std::make_pair(true, true));
    QTRY_COMPARE(m_context->platform().asked().size(), std::size_t{1});
    QCOMPARE(editor.working(), m_picture);
}

QTEST_MAIN(DesktopTest)
#include "desktop_uitest.moc"
