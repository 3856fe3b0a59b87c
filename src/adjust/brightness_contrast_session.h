#pragma once
// The brightness and contrast window without its widgets: two sliders, the
// brightness options and Reset, "Rfsh Brt", Apply and Exit, with what each
// does to which image slot.
//
// Slots: the working image (4) changes only when the window closes after
// Apply; the base (7) is what the slider last moved works from; the preview
// (6) is the base with the current slider's adjustment and is what the view
// shows. Only one slider is off centre at a time: moving the other one first
// folds the preview into the base and re-centres the one used before.
//
// A slider move is previewed once the slider has rested for kToneDeferralMs
// (every move pushes the due time on); the window asks tick() when
// nextCheckIn() says, so the last move of a drag shows without any further
// event, and a drag never runs one adjustment per slider event.
//
// Surprises kept on purpose: the options take effect only through the next
// brightness move or "Rfsh Brt"; "Apply" does not touch the working image,
// it folds the preview into the base and the window commits the base, as
// one undo state, when it closes.
//
// Sound where a plain reading would not be: a commit, a fold or a slider
// switch first computes any adjustment still waiting for its due time; the
// first move of a slider after the other was used counts as a move; Reset
// also resets the preview; and when the working image changes under the
// open window (Undo, Revert, Load, a one-shot command) the window rebases on
// it and forgets Apply instead of committing a result of the old image.

#include <cstdint>
#include <optional>
#include <string>

#include "adjust/brightness_contrast.h"
#include "core/clock.h"
#include "document/workspace.h"

namespace tarnel {

enum class ToneSlider { None, Brightness, Contrast };

inline constexpr int kBrightnessSliderMax = 256;
inline constexpr int kBrightnessSliderCentre = 128;
inline constexpr int kContrastSliderMax = 200;
inline constexpr int kContrastSliderCentre = 100;
inline constexpr int kToneDeferralMs = 300;

class BrightnessContrastSession {
public:
    BrightnessContrastSession(Workspace& workspace, Clock clock);

    // --- opening and closing --------------------------------------------------
    // Refused (false) while any modal tool is open or without a working
    // image. Options and sliders start at their defaults; base and preview
    // are copies of the working image; the busy flag is set.
    bool open();
    bool isOpen() const { return m_open; }
    // Exit and the close box: after Apply the base becomes the working image
    // and one undo state is recorded; the busy flag is cleared, the view
    // shows the working image and slots 6 and 7 are freed.
    void close();

    // --- controls ---------------------------------------------------------------
    // A slider was moved to position (clamped to its range).
    void moveSlider(ToneSlider slider, int position);
    // An option or check box changed; options holds all of them.
    void changeOptions(const BrightnessOptions& options);
    void reset();
    void refreshBrightness();
    void apply();

    // Runs the adjustments whose due time has passed.
    void tick();
    // Milliseconds until tick() has work (at least 0); nullopt when nothing waits.
    std::optional<std::int64_t> nextCheckIn() const;

    // After every view refresh: rebases when the working image changed.
    bool workingImageChanged() const;
    void workspaceChanged();

    // --- what the window shows --------------------------------------------------
    int position(ToneSlider slider) const;
    std::string caption(ToneSlider slider) const;
    const BrightnessOptions& options() const { return m_options; }
    bool applyEnabled() const { return m_applyEnabled; }
    bool refreshEnabled() const { return m_refreshEnabled; }
    bool applied() const { return m_applied; }
    ToneSlider activeSlider() const { return m_activeSlider; }

private:
    struct SliderState {
        int position = 0;
        int value = 0;  // position - centre that the preview was last computed for
        bool pending = false;
        std::int64_t due = 0;
    };
    SliderState& state(ToneSlider slider) { return slider == ToneSlider::Brightness ? m_brightness : m_contrast; }
    static int centre(ToneSlider slider);
    void centreSliders();
    // Runs the waiting adjustments: all of them (flush) or those now due.
    void runWaiting(bool flush);
    void run(ToneSlider slider, SliderState& s);
    void adjust(ToneSlider slider, int value);
    void foldPreviewIntoBase();

    Workspace& m_workspace;
    Clock m_clock;
    BrightnessOptions m_options;
    SliderState m_brightness;
    SliderState m_contrast;
    ToneSlider m_activeSlider = ToneSlider::None;  // kept from one opening to the next
    bool m_open = false;
    bool m_applied = false;
    bool m_applyEnabled = false;
    bool m_refreshEnabled = false;
    std::uint64_t m_baseRevision = 0;  // the working image's revision the base came from
};

}  // namespace tarnel
