#include <QApplication>

#include <new>

#include "app/app_context_qt.h"
#include "app/main_window.h"

namespace {

// The last line of defence: an event handler that runs out of memory ends
// in a message, not in a crash. Commands catch it themselves first, so that
// they can put the image back.
class EditorApplication final : public QApplication {
public:
    using QApplication::QApplication;
    tarnel::AppContext* context = nullptr;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            if (context)
                context->platform().messageBox(tarnel::kOutOfMemoryTitle, tarnel::kOutOfMemoryText,
                                               tarnel::MessageButtons::Ok);
            return false;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    EditorApplication app(argc, argv);
    int code = 0;
    {
        tarnel::AppContext context;
        app.context = &context;
        if (context.start()) code = app.exec();
        context.shutdown();
        app.context = nullptr;
    }
    return code;
}
