#pragma once
// The histogram window without its widgets: the wanted flag shared by the
// menu item and the toolbar toggle, the check boxes, which image is graphed
// and what the window shows.
//
// The analysed image is the selected area as the view shows it (grabbed into
// slot 8) while a selection is active, else the slot the view drew last, so
// a tool's preview is graphed while it is on screen. The shown slot is read
// in place, never copied. The graph lives in slot 5 from the opening to the
// closing.
//
// refresh() is cheap while the window is closed; the editor calls it after
// every redraw and selection change.

#include <string>
#include <vector>

#include "adjust/histogram.h"
#include "document/workspace.h"

namespace tarnel {

// Where the graph sits in the window's client area; the average markers are
// drawn in the strip above it, in line with the average lines.
inline constexpr int kHistogramGraphLeft = 10;
inline constexpr int kHistogramGraphTop = 10;
// The marker strip, in window coordinates (inclusive edges).
inline constexpr Rect kHistogramMarkerStrip{0, 0, 266, 10};
inline constexpr int kHistogramMarkerRadius = 3;
inline constexpr int kHistogramMarkerY = 5;

// A filled circle of kHistogramMarkerRadius centred at (x, y), window
// coordinates.
struct HistogramMarker {
    int x = 0;
    int y = 0;
    Color color = 0;
    bool operator==(const HistogramMarker&) const = default;
};

inline constexpr const char* kHistogramTitle = "Histogram";
inline constexpr const char* kHistogramInitialCaption = "RGB ratio:";

class HistogramSession {
public:
    explicit HistogramSession(Workspace& workspace) : m_workspace(workspace) {}

    bool wanted() const { return m_wanted; }
    // Whether the window should be on screen.
    bool isOpen() const { return m_open; }

    // The menu item and the toolbar toggle: flips the wanted flag. Follow
    // with refresh().
    void toggle() { m_wanted = !m_wanted; }
    // Without the wanted flag: closes. With it: opens if closed (every check
    // box checked, slot 5 black) and graphs the analysed image into slot 5.
    // Returns false when there was nothing to graph; the window then keeps
    // what it showed.
    bool refresh();
    // The close box, or toggling off: clears the flag and frees slot 5.
    void close();

    const HistogramOptions& options() const { return m_options; }
    // A check box changed. Follow with refresh().
    void setOptions(const HistogramOptions& options) { m_options = options; }

    // --- what the window shows (title "Histogram", caption "RGB ratio:" and
    // no colours until the first graph) ------------------------------------
    bool hasGraph() const { return m_hasGraph; }
    const std::string& title() const { return m_title; }
    const std::string& caption() const { return m_caption; }
    // The window's and the caption's background: the averages of the checked
    // channels.
    Color averageColor() const { return m_averageColor; }
    Color captionTextColor() const { return m_textColor; }
    // Slot 5, or nullptr while closed.
    const Image* graphImage() const;
    // One marker per checked channel while "AVG" is checked, red first.
    const std::vector<HistogramMarker>& markers() const { return m_markers; }

private:
    void open();
    // The image to graph: slot 8 after grabbing the selection, else the
    // shown slot; nullptr when it holds no image.
    const Image* analysedImage();

    Workspace& m_workspace;
    bool m_wanted = false;
    bool m_open = false;
    HistogramOptions m_options;
    bool m_hasGraph = false;
    std::string m_title = kHistogramTitle;
    std::string m_caption = kHistogramInitialCaption;
    Color m_averageColor = 0;
    Color m_textColor = 0;
    std::vector<HistogramMarker> m_markers;
};

}  // namespace tarnel
