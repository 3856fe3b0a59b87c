#pragma once
// The Palette window in the running editor: a fixed 176 x 352 tool window
// beside the main window showing the palette session's swatch image (slot 9)
// 1:1 under the session's title. A left click on it starts a colour edit;
// everything else is the session's (palette/palette_session.h).

#include <QImage>

#include <cstdint>

#include "app/tool_window.h"

namespace tarnel {

class AppContext;
class PaletteSession;

// Binds commands 38 and 49 (one flag), the window's close box and the view
// refresh to context.
void installPaletteWindow(AppContext& context);

class PaletteWindow final : public ToolWindow {
public:
    // Placed below the toolbar at the main window's left; not yet shown.
    PaletteWindow(AppContext& context, PaletteSession& session);

    // Takes the title and the swatch image from the session.
    void showSession();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PaletteSession& m_session;
    QImage m_swatches;
    std::uint64_t m_shownRevision = 0;
};

}  // namespace tarnel
