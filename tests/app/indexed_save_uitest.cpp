// Save with the "image (indexed).png" filter in the running editor: the
// requester and the message boxes are answered by the test.

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
#include "io/file_commands.h"
#include "io/image_file.h"

using namespace tarnel;

namespace {
constexpr int kIndexedFilter = 5;
constexpr int kPngColorTypeOffset = 25;  // in the file: signature, IHDR length, type, width, height, depth
constexpr char kPaletteColorType = 3;
}  // namespace

class IndexedSaveTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fewColoursAreWrittenAsAPalettePng();
    void tooManyColoursAreRefusedAndNothingIsWritten();

private:
    void save(const QString& name) {
        m_context->platform().setFileAnswerer([this, name](const QString&) { return path(name); });
        m_context->platform().setFilterAnswer(kIndexedFilter);
        QTest::keyClick(m_context->window().canvas(), Qt::Key_S, Qt::ControlModifier);
    }
    QString path(const QString& name) const { return QDir(m_files.path()).filePath(name); }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    std::unique_ptr<AppContext> m_context;
};

void IndexedSaveTest::init() {
    m_context = std::make_unique<AppContext>();
    QtPlatform& platform = m_context->platform();
    platform.setHomeFolder(QDir(m_home.path()).absolutePath().toStdString() + "/");
    platform.setDesktopSize(Size{1920, 1080});
    platform.setSleepEnabled(false);
    platform.setMessageAnswerer([](const QtPlatform::Question&) { return MessageAnswer::Yes; });
    m_context->setQuitHandler([] {});
    QVERIFY(m_context->start());
    QVERIFY(QTest::qWaitForWindowExposed(&m_context->window()));
}

void IndexedSaveTest::cleanup() { m_context.reset(); }

void IndexedSaveTest::fewColoursAreWrittenAsAPalettePng() {
    Image& working = m_context->editor().working();
    const Color colors[] = {rgb(200, 10, 10), rgb(10, 200, 10), rgb(10, 10, 200), rgb(250, 250, 250), rgb(0, 0, 0)};
    for (int y = 0; y < working.height(); ++y)
        for (int x = 0; x < working.width(); ++x) working.setPixel(x, y, colors[(x / 7 + y / 5) % 5]);

    save("poster.bmp");  // the filter's extension replaces the one typed
    QVERIFY(!QFile::exists(path("poster.bmp")));
    QFile file(path("poster.png"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().at(kPngColorTypeOffset), kPaletteColorType);
    const LoadResult back = loadImageFile(path("poster.png").toStdString());
    QVERIFY2(back.ok(), back.message.c_str());
    QCOMPARE(back.image, working);
    QCOMPARE(QString::fromStdString(m_context->editor().currentFilePath()), path("poster.png"));
}

void IndexedSaveTest::tooManyColoursAreRefusedAndNothingIsWritten() {
    Image& working = m_context->editor().working();
    working = test::photoLikeImage(working.width(), working.height(), working.depth(), 3);
    const std::string pathBefore = m_context->editor().currentFilePath();
    const std::size_t asked = m_context->platform().asked().size();
    save("photo");

    QCOMPARE(m_context->platform().asked().size(), asked + 1);
    const QtPlatform::Question& q = m_context->platform().asked().back();
    QCOMPARE(QString::fromStdString(q.title), QString::fromUtf8(kSaveErrorTitle.data(), kSaveErrorTitle.size()));
    QVERIFY2(QString::fromStdString(q.text).contains("more than 256 colours"), q.text.c_str());
    QVERIFY(!QFile::exists(path("photo.png")));
    QVERIFY(QDir(m_files.path()).entryList({".tarnel-*"}, QDir::Files | QDir::Hidden).isEmpty());
    QCOMPARE(m_context->editor().currentFilePath(), pathBefore);
}

QTEST_MAIN(IndexedSaveTest)
#include "indexed_save_uitest.moc"
