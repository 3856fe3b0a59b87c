// The open and save requesters as Qt shows them: the filter labels alone,
// the chosen filter read back, no overwrite question of their own, and no
// settings file left behind.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/platform_qt.h"
#include "io/file_requests.h"

using namespace tarnel;

namespace {

QTemporaryDir* g_config = nullptr;  // this process's configuration folder

// What the next file dialog showed, after it chose filter index `filter`
// and the existing file `file`; message boxes over it are answered Yes.
struct Shown {
    QStringList labels;
    QStringList messages;
};
void answerNextFileDialog(Shown* shown, int filter, const QString& file) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* watch = new QTimer(dialog);
        QObject::connect(watch, &QTimer::timeout, [shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown->messages << box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        watch->start(20);
        const auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; combo && i < combo->count(); ++i) shown->labels << combo->itemText(i);
        dialog->selectNameFilter(dialog->nameFilters().value(filter));
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();
    });
}

}  // namespace

class FileRequesterTest : public QObject {
    Q_OBJECT

private slots:
    void requestersShowTheLabelsAndKeepNothing();

private:
    QTemporaryDir m_files;
    QtPlatform m_platform;
};

void FileRequesterTest::requestersShowTheLabelsAndKeepNothing() {
    FileState state = initialFileState(m_files.path().toStdString() + "/");
    const QString photo = m_files.filePath("photo.jpeg");
    const QString holiday = m_files.filePath("holiday.png");
    for (const QString& file : {photo, holiday}) QVERIFY(QFile(file).open(QIODevice::WriteOnly));

    Shown open;
    const FileRequest load = loadRequest(state);
    QString selected = QString::fromStdString(load.filters[0]);
    answerNextFileDialog(&open, 2, photo);
    QCOMPARE(m_platform.openFileName("Select image to process", m_files.path(), QString::fromStdString(load.qtFilter),
                                     &selected),
             std::optional<QString>(photo));
    QCOMPARE(open.labels, (QStringList{"all supported formats", "*.png", "*.jpg, *.jpeg", "*.jpeg2000", "*.bmp",
                                       "all files"}));
    QCOMPARE(selected, QString::fromStdString(load.filters[2]));

    Shown save;
    const FileRequest request = saveRequest(state);
    answerNextFileDialog(&save, 5, holiday);  // a label with " (" of its own maps back to its filter
    QCOMPARE(m_platform.saveFileName("Save image", m_files.filePath("holiday"), QString::fromStdString(request.qtFilter),
                                     &selected),
             std::optional<QString>(holiday));
    QCOMPARE(save.labels, (QStringList{"image.png", "image.jpg", "image.jpeg", "image.jpeg2000", "image.bmp",
                                       "image (indexed).png"}));
    QCOMPARE(selected, QString::fromStdString(request.filters[5]));
    QCOMPARE(save.messages, QStringList());  // "File Exists!" is the caller's question

    // Both dialogs are gone: nothing of theirs is kept between runs.
    QStringList written;
    QDirIterator it(g_config->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) written << it.next();
    QCOMPARE(written, QStringList());
}

// The configuration folder is chosen before Qt first looks for it.
int main(int argc, char** argv) {
    QTemporaryDir config;
    g_config = &config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    FileRequesterTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "file_requester_uitest.moc"
