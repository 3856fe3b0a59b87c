#include "app/open_file_qt.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/app_context_qt.h"
#include "app/file_commands_qt.h"
#include "app/main_window.h"

namespace tarnel {

namespace {

// The local file a drag carries, empty when it carries none. Of several
// files only the first is taken: the editor holds one image.
QString draggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

class FileDropFilter final : public QObject {
public:
    FileDropFilter(AppContext& context, QObject* parent) : QObject(parent), m_context(context) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // A drag enter event is a drag move event.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!draggedFile(drag->mimeData()).isEmpty() && mayStartLoad(m_context))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = draggedFile(drop->mimeData());
            if (file.isEmpty() || !mayStartLoad(m_context)) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            QMetaObject::invokeMethod(
                this, [this, path = file.toStdString()] { openImageFile(m_context, path); }, Qt::QueuedConnection);
            return true;
        }
        default: return QObject::eventFilter(watched, event);
        }
    }

private:
    AppContext& m_context;
};

}  // namespace

bool mayStartLoad(AppContext& context) {
    return context.hasWindow() && QApplication::activeModalWidget() == nullptr &&
           context.dispatch().currentCommand() < 0 && !context.dispatch().hasInterceptor() &&
           !context.editor().floating();
}

bool openImageFile(AppContext& context, const std::string& path) {
    if (!mayStartLoad(context)) return false;
    loadNamedImage(context, context.files(), path);
    return true;
}

bool startWithFile(AppContext& context, const std::string& path) {
    if (!context.start()) return false;
    if (!path.empty()) openImageFile(context, path);
    return true;
}

void acceptFileDrops(AppContext& context) {
    MainWindow& window = context.window();
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDropFilter(context, &window));
}

}  // namespace tarnel
