#include <QApplication>
#include <QDir>
#include <QIcon>

#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "app/app_context_qt.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/open_file_qt.h"

namespace {

// The name of the desktop entry and of the icon in the icon theme.
constexpr const char* kDesktopName = "tarnel";

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

// The application icon in every size the program carries.
QIcon builtInIcon() {
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) icon.addFile(icons.filePath(name));
    return icon;
}

// Prints the text an argument asked for; returns the exit status.
int printText(const tarnel::EditorArguments& arguments) {
    using tarnel::EditorAction;
    switch (arguments.action) {
    case EditorAction::Help: std::cout << tarnel::editorUsageText(); return 0;
    case EditorAction::Version: std::cout << tarnel::editorVersionText(); return 0;
    case EditorAction::Usage:
        std::cerr << "tarnel: " << arguments.error << " (see --help)\n";
        return tarnel::kEditorExitUsage;
    case EditorAction::Run: break;
    }
    return 0;
}

std::vector<std::string> argumentsAfterProgram(const QStringList& list) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < list.size(); ++i) args.push_back(list[i].toStdString());
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and the version need no window system, so they come first; Qt's
    // own options are known only once the application has taken them out.
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (const tarnel::EditorAction text = tarnel::textRequest(raw); text != tarnel::EditorAction::Run)
        return printText({text, {}, {}});

    EditorApplication app(argc, argv);
    const tarnel::EditorArguments arguments =
        tarnel::parseEditorArguments(argumentsAfterProgram(QCoreApplication::arguments()));
    if (arguments.action != tarnel::EditorAction::Run) return printText(arguments);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopName));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopName), builtInIcon()));

    int code = 0;
    {
        tarnel::AppContext context;
        app.context = &context;
        if (tarnel::startWithFile(context, arguments.file)) code = app.exec();
        context.shutdown();
        app.context = nullptr;
    }
    return code;
}
