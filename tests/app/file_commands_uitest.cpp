// Load image and Save image in the running editor, driven through their
// shortcuts with the requesters and message boxes answered by the test.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/main_window.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "io/image_file.h"

using namespace tarnel;

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadMakesTheFileTheNewSourceImage();
    void failedLoadKeepsEverythingAndSaysWhy();
    void saveWritesTheWorkingImage();
    void overwriteAnsweredNoLeavesTheFileUntouched();
    void cancelChangesNothing();

private:
    void press(Qt::Key key) { QTest::keyClick(m_context->window().canvas(), key, Qt::ControlModifier); }
    QString path(const QString& name) const { return QDir(m_files.path()).filePath(name); }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    std::unique_ptr<AppContext> m_context;
    std::optional<QString> m_fileAnswer;
    MessageAnswer m_answer = MessageAnswer::Yes;
};

void FileCommandsTest::init() {
    m_context = std::make_unique<AppContext>();
    QtPlatform& platform = m_context->platform();
    platform.setHomeFolder(QDir(m_home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    platform.setSleepEnabled(false);
    platform.setMessageAnswerer([this](const QtPlatform::Question&) { return m_answer; });
    platform.setFileAnswerer([this](const QString&) { return m_fileAnswer; });
    m_context->setQuitHandler([] {});
    QVERIFY(m_context->start());
    MainWindow& window = m_context->window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void FileCommandsTest::cleanup() { m_context.reset(); }

void FileCommandsTest::loadMakesTheFileTheNewSourceImage() {
    Editor& editor = m_context->editor();
    // An undoable change first, so that the reset history shows.
    editor.working().fill(rgb(9, 9, 9));
    editor.recordChange();
    QCOMPARE(editor.history().size(), 2);

    const Image picture = test::photoLikeImage(300, 200, 24, 5);
    QVERIFY(saveImageFile(path("holiday.2016.png").toStdString(), picture, ImageFormat::Png).ok);
    m_fileAnswer = path("holiday.2016.png");
    press(Qt::Key_L);

    QCOMPARE(editor.working(), picture);
    QCOMPARE(editor.history().size(), 1);
    QCOMPARE(editor.cursorMode(), CursorMode::Mover);
    QCOMPARE(QString::fromStdString(editor.imageName()), QString("holiday.2016"));
    QCOMPARE(QString::fromStdString(editor.currentFilePath()), path("holiday.2016.png"));
    QCOMPARE(m_context->window().statusText(0), QString("holiday.2016.png  |  (300 x 200)"));
    // Fitted: the canvas keeps its minimum size for a small image.
    QCOMPARE(m_context->window().canvas()->size(), QSize(800, 450));
}

void FileCommandsTest::failedLoadKeepsEverythingAndSaysWhy() {
    Editor& editor = m_context->editor();
    const Image before = editor.working();
    QFile junk(path("notes.png"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("this is not an image at all");
    junk.close();
    m_fileAnswer = path("notes.png");
    const std::size_t asked = m_context->platform().asked().size();
    press(Qt::Key_L);

    QCOMPARE(editor.working(), before);
    QCOMPARE(editor.history().size(), 1);
    QCOMPARE(m_context->platform().asked().size(), asked + 1);
    const QtPlatform::Question& q = m_context->platform().asked().back();
    QCOMPARE(QString::fromStdString(q.title), QString("Load image"));
    QVERIFY2(QString::fromStdString(q.text).contains("notes.png"), q.text.c_str());
}

void FileCommandsTest::saveWritesTheWorkingImage() {
    Editor& editor = m_context->editor();
    // The requester preselects the JPEG filter at start-up; the written name
    // takes the selected filter's extension.
    m_fileAnswer = path("out.bmp");
    press(Qt::Key_S);
    QVERIFY(!QFile::exists(path("out.bmp")));
    const LoadResult saved = loadImageFile(path("out.jpg").toStdString());
    QVERIFY2(saved.ok(), saved.message.c_str());
    QCOMPARE(saved.image.width(), editor.working().width());
    QCOMPARE(saved.image.height(), editor.working().height());
    QCOMPARE(QString::fromStdString(editor.currentFilePath()), path("out.jpg"));
    QCOMPARE(m_context->window().statusText(0), QString("out.jpg  |  (800 x 450)"));
}

void FileCommandsTest::overwriteAnsweredNoLeavesTheFileUntouched() {
    QFile existing(path("keep.jpg"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("precious");
    existing.close();
    const std::string pathBefore = m_context->editor().currentFilePath();
    m_fileAnswer = path("keep.jpg");
    m_answer = MessageAnswer::No;
    press(Qt::Key_S);

    QVERIFY(!m_context->platform().asked().empty());
    const QtPlatform::Question& q = m_context->platform().asked().back();
    QCOMPARE(QString::fromStdString(q.title), QString("File Exists!"));
    QCOMPARE(QString::fromStdString(q.text), QString("Do you wish to overwrite?"));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("precious"));
    QCOMPARE(m_context->editor().currentFilePath(), pathBefore);
}

void FileCommandsTest::cancelChangesNothing() {
    const Image before = m_context->editor().working();
    const std::size_t asked = m_context->platform().asked().size();
    const qsizetype files = QDir(m_files.path()).entryList(QDir::Files).size();
    m_fileAnswer.reset();
    press(Qt::Key_L);
    press(Qt::Key_S);
    QCOMPARE(m_context->editor().working(), before);
    QCOMPARE(m_context->platform().asked().size(), asked);
    QCOMPARE(QDir(m_files.path()).entryList(QDir::Files).size(), files);
}

QTEST_MAIN(FileCommandsTest)
#include "file_commands_uitest.moc"
