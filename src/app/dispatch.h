#pragma once
// The command dispatcher: one table from command id to handler, and one
// from window number to that window's event handler.
//
// Every menu item, popup item, toolbar button and keyboard shortcut ends in
// run(id). Registering a command is one line:
//
//     dispatch.set(kCmdNegative, [&](int) { negativeCommand(context); });
//
// A later set() for the same id replaces the earlier handler. Ids outside
// the table or without a handler are ignored.
//
// A modal loop that reads commands itself (the floating-section placement)
// installs an interceptor: while one is installed every command goes to it
// first, and only the ids it declines (returns false) reach the table.

#include <array>
#include <functional>
#include <string>

#include "app/command_ids.h"

namespace tarnel {

// Event codes a window handler receives.
enum class WindowEvent {
    Close,     // the window's close box
    Size,      // the window was resized
    Minimise,
    Maximise,
    Restore,
    Show,
    Hide,
};

class Dispatch {
public:
    using Handler = std::function<void(int id)>;
    using Interceptor = std::function<bool(int id)>;
    using WindowHandler = std::function<void(WindowEvent event)>;

    // Sets the handler of one id, or of every id in first..last (inclusive).
    // The name identifies the handler in diagnostics and tests. Ids outside
    // 0..kCommandCount-1 are ignored.
    void set(int id, Handler handler, std::string name = {});
    void setRange(int first, int last, Handler handler, std::string name = {});
    void clear(int id);

    bool hasHandler(int id) const;
    // The name given with set(), empty for an id without a handler.
    const std::string& handlerName(int id) const;

    // Runs the command; returns true when a handler (or the interceptor)
    // took it. A handler may run further commands and may replace handlers,
    // including its own, while it runs.
    bool run(int id);
    // The id whose handler is running, -1 outside a command. Handlers that
    // serve several ids (nudges, effects) may read it instead of their
    // argument.
    int currentCommand() const { return m_current; }

    // Installs (or with an empty function removes) the interceptor; returns
    // the previous one so that nested loops can restore it.
    Interceptor setInterceptor(Interceptor interceptor);
    bool hasInterceptor() const { return static_cast<bool>(m_interceptor); }

    // Window handlers by window number (kWindowMain, kWindowHistogram, ...).
    // Returns the previous handler, so that a modal loop can take over a
    // window's events (the main window's close box) and give them back.
    WindowHandler setWindowHandler(int window, WindowHandler handler);
    bool hasWindowHandler(int window) const;
    // Hands the event to the window's handler; events of windows without a
    // handler are dropped (returns false).
    bool deliver(int window, WindowEvent event);

private:
    struct Entry {
        Handler handler;
        std::string name;
    };
    std::array<Entry, kCommandCount> m_table{};
    std::array<WindowHandler, kWindowCount> m_windows{};
    Interceptor m_interceptor;
    int m_current = -1;
};

}  // namespace tarnel
