#pragma once
// The Histogram window in the running editor.
//
// The window exists only while the histogram is wanted: it is built at each
// opening (every check box checked) and deleted at closing. It turns its
// check boxes into session calls and shows what the session says; the
// session (adjust/histogram_session.h) decides everything else.

#include <functional>

#include "app/tool_window.h"

class QCheckBox;
class QLabel;
class QPaintEvent;

namespace tarnel {

class AppContext;
class HistogramSession;

// Binds the window's commands, window events and view refresh to context.
void installHistogramWindow(AppContext& context);

class HistogramWindow final : public ToolWindow {
public:
    // refresh runs after a check box has changed the session's options.
    HistogramWindow(AppContext& context, HistogramSession& session, std::function<void()> refresh);

    // Title, colours, caption, graph, markers and check boxes as the session
    // has them.
    void showSession();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void optionsChanged();

    HistogramSession& m_session;
    std::function<void()> m_refresh;
    QLabel* m_graph = nullptr;
    QLabel* m_caption = nullptr;
    QCheckBox* m_boxes[5] = {};
};

}  // namespace tarnel
