#pragma once
// The running editor: the platform, the editor core, the dispatcher and the
// main window, created together and handed to every tool window.
//
// A tool module registers its commands with one line each in
// installCommands() (app/commands_qt.cpp), e.g.
//
//     context.dispatch().set(kCmdNegative, [&context](int) { negativeCommand(context); }, "negative");
//
// and reaches the document through context.editor(), the window system
// through context.platform() and the main window (parent of its windows,
// toolbar toggles) through context.window().

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "app/dispatch.h"
#include "app/editor.h"
#include "app/platform_qt.h"
#include "io/file_requests.h"

class QWidget;

namespace tarnel {

class MainWindow;

class AppContext {
public:
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Start-up: reads the preferences, builds the main window, draws the
    // start-up picture, applies the saved window state, shows the window,
    // fits it to the picture and seeds the undo history. False when the main
    // window could not be built (the caller then goes straight to shutdown).
    bool start();
    // Writes the preferences file. Call once, after the event loop ended.
    void shutdown();

    Editor& editor() { return *m_editor; }
    QtPlatform& platform() { return m_platform; }
    Dispatch& dispatch() { return m_dispatch; }
    MainWindow& window() { return *m_window; }
    bool hasWindow() const { return static_cast<bool>(m_window); }
    // What Load and Save share until exit (load folder, filters, name).
    FileState& files() { return m_files; }

    // --- quitting ----------------------------------------------------------
    // The Quit command and the close box: sets the quit flag and asks "Are
    // you sure?". Yes runs the quit handler (by default it ends Qt's event
    // loop); No clears the flag and leaves everything as it was.
    void requestQuit();
    bool quitFlag() const { return m_quitFlag; }
    bool quitConfirmed() const { return m_quitConfirmed; }
    void setQuitHandler(std::function<void()> handler) { m_quitHandler = std::move(handler); }

    // --- tool windows -------------------------------------------------------
    // Called after every view redraw, selection change and nudge (the
    // histogram and palette windows follow the view through these).
    void addRefreshListener(std::function<void()> listener);
    void refreshTools();

    // Tool windows by window number, for routing and for bringing an open
    // one to the front. A window removes itself when it closes.
    void registerWindow(int number, QWidget* window);
    QWidget* toolWindow(int number) const;

private:
    void handleCoreEvent(const CustomEvent& event);

    QtPlatform m_platform;
    std::unique_ptr<Editor> m_editor;
    Dispatch m_dispatch;
    std::unique_ptr<MainWindow> m_window;
    FileState m_files;
    std::vector<std::function<void()>> m_refreshListeners;
    QPointer<QWidget> m_toolWindows[kWindowCount];
    std::function<void()> m_quitHandler;
    bool m_quitFlag = false;
    bool m_quitConfirmed = false;
    bool m_shutDown = false;
};

}  // namespace tarnel
