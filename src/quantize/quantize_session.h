#pragma once
// The quantize window without its widgets: the settings that outlive the
// window, the limit field's rules, and what Test, Source, Apply and Exit do
// to which image slot.
//
// Slots: the working image (4) is changed only by Apply; the preview (7) is
// rebuilt from the working image by every Test; the scratch slot (6) holds
// the selected area only while it is counted. The view shows the preview
// after Test and the working image after Source, Apply and Exit; the
// histogram and palette windows follow every redraw on their own.
//
// Apply commits the last Test only while that Test is still current: the
// settings shown unchanged since (any change disables Apply) and the working
// image unchanged since (an Undo, Revert, Load or any recorded command while
// the window is open makes the preview stale, and Apply stays disabled until
// the next Test).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "document/workspace.h"
#include "quantize/quantize_method.h"

namespace tarnel {

// Kept from one opening to the next until the program ends; never saved.
struct QuantizeSettings {
    QuantizeMethod method = QuantizeMethod::Uniform;
    // The limits last used with Uniform (levels per channel), Popularity and
    // Adaptive (colours): the item data of the list's first three entries.
    std::array<int, 3> limits{3, 32, 32};
    bool dither = false;
    // The window's position relative to the main window's client area.
    int offsetX = 185;
    int offsetY = 205;
    bool repositionPending = true;
};

// The limit field: a numeric value stepped by the arrows within
// kLimitMinimum..maximum, and the text shown, which for Uniform is the
// colour count levels^3 rather than the value.
struct LimitField {
    int value = 3;
    int maximum = kUniformMaxLevels;
    bool enabled = true;
    std::string text = "27";
};

inline constexpr int kLimitMinimum = 2;

// A window's top-left, in screen coordinates.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

class QuantizeSession {
public:
    explicit QuantizeSession(Workspace& workspace) : m_workspace(workspace) {}

    // --- opening and closing ----------------------------------------------------
    // Opens the window's session: refused (false) while any modal tool is
    // open. Sets the quantize busy flag, counts the working image's colours
    // and copies it into the preview slot.
    bool open();
    bool isOpen() const { return m_open; }
    // The deferred show: where the window (winW x winH) goes when a
    // reposition is pending, clamped to the desktop; nullopt otherwise. Also
    // restores the controls from the settings.
    std::optional<ScreenPoint> show(ScreenPoint client, int desktopW, int desktopH, int winW, int winH,
                                    int toolbarHeight);
    // Exit and the close box: busy flag cleared, preview freed, the working
    // image redrawn; the position is remembered for the next opening.
    void close(ScreenPoint window, ScreenPoint client, int toolbarHeight);

    // --- controls ------------------------------------------------------------------
    // The user picked an entry of the method list (0..14).
    void pickMethod(int index);
    // The limit field's arrows: steps of 1 within kLimitMinimum..maximum.
    void stepLimit(int steps);
    // The user typed in the limit field (text is the field's whole text).
    void editLimitText(const std::string& text);
    // The field lost the focus: it shows the value that will be used.
    void finishLimitEdit();
    void setDither(bool on);
    // Return in the window: Test when the limit field has the focus.
    void returnKey(bool limitFieldFocused);

    // --- buttons ---------------------------------------------------------------------
    void test();
    void source();
    void apply();

    // After every redraw of the view: a working image changed since the last
    // Test disables Apply.
    void workspaceChanged();

    // --- what the window shows ----------------------------------------------------
    const QuantizeSettings& settings() const { return m_settings; }
    const LimitField& limitField() const { return m_field; }
    bool applyEnabled() const { return m_applyEnabled; }
    const std::string& countText() const { return m_countText; }

private:
    void methodChanged();
    void storeLimit();
    void countAndShow(int slot);
    static std::string colorCountText(QuantizeMethod method, int value);

    Workspace& m_workspace;
    QuantizeSettings m_settings;
    LimitField m_field;
    bool m_open = false;
    bool m_applyEnabled = false;
    std::uint64_t m_testRevision = 0;
    std::string m_countText;
};

}  // namespace tarnel
