#include "app/dispatch.h"

#include <utility>

namespace tarnel {

namespace {

bool validId(int id) { return id >= 0 && id < kCommandCount; }
bool validWindow(int window) { return window >= 0 && window < kWindowCount; }

const std::string kNoName;

}  // namespace

void Dispatch::set(int id, Handler handler, std::string name) {
    if (!validId(id)) return;
    m_table[static_cast<std::size_t>(id)] = Entry{std::move(handler), std::move(name)};
}

void Dispatch::setRange(int first, int last, Handler handler, std::string name) {
    for (int id = first; id <= last; ++id) set(id, handler, name);
}

void Dispatch::clear(int id) {
    if (validId(id)) m_table[static_cast<std::size_t>(id)] = Entry{};
}

bool Dispatch::hasHandler(int id) const {
    return validId(id) && static_cast<bool>(m_table[static_cast<std::size_t>(id)].handler);
}

const std::string& Dispatch::handlerName(int id) const {
    return hasHandler(id) ? m_table[static_cast<std::size_t>(id)].name : kNoName;
}

bool Dispatch::run(int id) {
    const int previous = m_current;
    m_current = id;
    bool handled = false;
    if (m_interceptor) {
        // Copied: the interceptor may remove itself while it runs.
        Interceptor interceptor = m_interceptor;
        handled = interceptor(id);
    }
    if (!handled && hasHandler(id)) {
        // Copied for the same reason: a handler may replace its own entry.
        Handler handler = m_table[static_cast<std::size_t>(id)].handler;
        handler(id);
        handled = true;
    }
    m_current = previous;
    return handled;
}

Dispatch::Interceptor Dispatch::setInterceptor(Interceptor interceptor) {
    return std::exchange(m_interceptor, std::move(interceptor));
}

Dispatch::WindowHandler Dispatch::setWindowHandler(int window, WindowHandler handler) {
    if (!validWindow(window)) return {};
    return std::exchange(m_windows[static_cast<std::size_t>(window)], std::move(handler));
}

bool Dispatch::hasWindowHandler(int window) const {
    return validWindow(window) && static_cast<bool>(m_windows[static_cast<std::size_t>(window)]);
}

bool Dispatch::deliver(int window, WindowEvent event) {
    if (!hasWindowHandler(window)) return false;
    WindowHandler handler = m_windows[static_cast<std::size_t>(window)];
    handler(event);
    return true;
}

}  // namespace tarnel
