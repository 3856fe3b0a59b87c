#include "app/app_context_qt.h"

#include <QCoreApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QWidget>

#include "app/canvas_widget.h"
#include "app/commands_qt.h"
#include "app/main_window.h"
#include "app/open_file_qt.h"
#include "app/startup_image.h"
#include "app/view.h"

namespace tarnel {

namespace {

// Where theme icons come from when the platform names no icon theme.
constexpr const char* kFallbackIconTheme = "Adwaita";

}  // namespace

// The question has been answered: the loop ends with exit(). quit() would
// first close every window, and the main window's close box asks again.
AppContext::AppContext()
    : m_editor(std::make_unique<Editor>(m_platform)), m_quitHandler([] { QCoreApplication::exit(0); }) {
    m_platform.setEventHandler([this](const CustomEvent& event) { handleCoreEvent(event); });
    m_editor->setRefreshHook([this] { refreshTools(); });
    installCommands(*this);
}

AppContext::~AppContext() {
    // The window's widgets talk to the platform while they go.
    m_platform.attach(nullptr, nullptr);
    m_window.reset();
}

bool AppContext::start() {
    m_editor->loadPreferences();

    // Standard toolbar icons come from the icon theme where the platform has
    // one with them; elsewhere from the style (see the toolbar table).
    if (!QIcon::hasThemeIcon(QStringLiteral("document-open"))) {
        QStringList paths = QIcon::themeSearchPaths();
        paths << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                           QStandardPaths::LocateDirectory);
        paths.removeDuplicates();
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QString::fromLatin1(kFallbackIconTheme));
        else
            QIcon::setFallbackThemeName(QString::fromLatin1(kFallbackIconTheme));
    }
    m_window = std::make_unique<MainWindow>(*this);
    // Hidden, centred on the desktop, 800 x 450 inside.
    m_window->resize(kStartupWidth, kStartupHeight);
    const Point at = m_editor->initialWindowPosition();
    m_window->move(at.x, at.y);
    m_window->build();
    acceptFileDrops(*this);
    m_platform.attach(m_window.get(), m_window->canvas());

    m_editor->drawStartupImage();
    m_window->setLayoutEnabled(true);

    switch (m_editor->windowState()) {
    case kWindowMaximised: m_window->showMaximized(); break;
    case kWindowMinimised: m_window->showMinimized(); break;
    default: m_window->show(); break;
    }
    m_editor->finishStartUp();
    return true;
}

void AppContext::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_editor->shutdown();
}

void AppContext::requestQuit() {
    m_quitFlag = true;
    if (!m_editor->confirmQuit()) {
        m_quitFlag = false;
        return;
    }
    m_quitConfirmed = true;
    if (m_quitHandler) m_quitHandler();
}

void AppContext::addRefreshListener(std::function<void()> listener) {
    m_refreshListeners.push_back(std::move(listener));
}

void AppContext::refreshTools() {
    for (const auto& listener : m_refreshListeners) listener();
}

void AppContext::registerWindow(int number, QWidget* window) {
    if (number >= 0 && number < kWindowCount) m_toolWindows[number] = window;
}

QWidget* AppContext::toolWindow(int number) const {
    return number >= 0 && number < kWindowCount ? m_toolWindows[number].data() : nullptr;
}

void AppContext::handleCoreEvent(const CustomEvent& event) {
    if (event.code == kEventPopupRequest) {
        if (m_window) m_window->showPopup();
        return;
    }
    m_editor->handleCustomEvent(event);
}

}  // namespace tarnel
