#pragma once
// The Two Colors window without its widgets: the dither mode, the threshold
// slider, the two colours, and when the preview is computed, committed or
// thrown away.
//
// Slots: the preview (6) is a converted copy of the working image (4),
// which only OK changes; 17 and 18 are the 25 x 25 swatches of the colour
// buttons; 19 holds the selected area while Sierra Lite converts it. All of
// them exist only while the session is open.
//
// Deferral: a slider move asks for a preview no sooner than 330 ms later; a
// dither or colour change asks for one at once. check() computes it when it
// is due, and msUntilCheck() says when that will be, so that the window can
// wake up for it without waiting for another event. Moves closer together
// than the deferral push it on, so a drag computes nothing until it rests.
//
// A preview is never committed out of date: OK first recomputes a preview
// whose settings changed since, and a working image changed behind the
// window (Undo, Revert, Load, a command that does not ask the busy test)
// makes the preview stale, to be rebuilt from the new working image.
// OK before any preview was computed commits nothing.
//
// Every setting returns to its default when the session closes.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/clock.h"
#include "document/workspace.h"
#include "twocolors/two_colors.h"

namespace tarnel {

inline constexpr int kTwoColorsDeferralMs = 330;
inline constexpr int kTwoColorSwatchSize = 25;

// The platform's colour requester.
class ColorRequester {
public:
    virtual ~ColorRequester() = default;
    // Opened on initial (0x00BBGGRR); nothing when the user cancels.
    virtual std::optional<Color> chooseColor(Color initial) = 0;
};

class TwoColorsSession {
public:
    TwoColorsSession(Workspace& workspace, Clock clock, ColorRequester& requester)
        : m_workspace(workspace), m_clock(std::move(clock)), m_requester(requester) {}

    // Refused (false) while a modal tool is open or without a working image.
    // Sets the busy flag and creates the swatches; the view keeps showing
    // the working image until the first check.
    bool open();
    bool isOpen() const { return m_open; }
    // Cancel and the close box: the preview and the swatches freed, the busy
    // flag cleared, the settings reset, the working image redrawn.
    void close();
    // Commits the preview as one undo state (brought up to date first),
    // then closes.
    void ok();

    // --- controls --------------------------------------------------------------
    void moveSlider(int value);  // 0..256
    void pickDither(TwoColorDither dither);
    // A left click on colour button 1 or 2: asks for the colour; false when
    // the requester was cancelled (nothing changes then).
    bool pickColor(int button);

    // After every redraw of the view: a working image that changed since
    // the preview was computed makes it stale.
    void workspaceChanged();

    // --- the check ---------------------------------------------------------------
    // Runs after every event of the window: computes the preview when one is
    // pending, its deferral is over and the settings or the working image
    // differ from those of the preview on screen.
    void check();
    // Whether check() would compute a preview now.
    bool previewDue() const;
    // Milliseconds until a pending request for a preview falls due (0 when
    // it is due); nothing when none is pending.
    std::optional<std::int64_t> msUntilCheck() const;

    // --- what the window shows -------------------------------------------------
    int sliderValue() const { return m_slider; }
    // "Threshold " followed by the slider value.
    std::string thresholdCaption() const;
    TwoColorDither dither() const { return m_dither; }
    Color color(int button) const { return button == 1 ? m_color1 : m_color2; }

private:
    void reset();
    void requestPreview(bool stale);
    bool previewOutOfDate() const;
    void computePreview();

    Workspace& m_workspace;
    Clock m_clock;
    ColorRequester& m_requester;

    bool m_open = false;
    int m_slider = kTwoColorDefaultSlider;
    TwoColorDither m_dither = TwoColorDither::None;
    Color m_color1 = kDefaultTwoColor1;
    Color m_color2 = kDefaultTwoColor2;

    bool m_pending = true;
    std::int64_t m_deadline = 0;
    // Set when the preview must be recomputed even at an unchanged
    // threshold: no preview yet, a new dither mode or colour, a new working
    // image.
    bool m_stale = true;
    int m_lastThreshold = 0;
    bool m_hasPreview = false;
    std::uint64_t m_previewRevision = 0;
};

}  // namespace tarnel
