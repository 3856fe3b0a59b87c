#pragma once
// Placing a floating section (Paste floating section, Add text): the section
// floats above the working image; the mouse and the arrow keys move it,
// Ctrl+arrows turn, mirror and flip it, Enter or a left click stamps it into
// the working image (one history entry) and Esc drops it, leaving image and
// history as they were. While it runs every other command is ignored and
// canvas presses do nothing.
//
// The Qt layer (app/floating_placement_qt.h) binds Enter and Esc for the
// duration, routes every command here first and hears about the end through
// onEnd.

#include <functional>
#include <optional>

#include "app/editor.h"
#include "tools/floating_section.h"

namespace tarnel {

inline constexpr const char* kPasteFloatingErrorTitle = "Paste floating section";

class FloatingPlacement final : public CanvasGrab {
public:
    explicit FloatingPlacement(Editor& editor) : m_editor(editor) {}
    ~FloatingPlacement() override;
    FloatingPlacement(const FloatingPlacement&) = delete;
    FloatingPlacement& operator=(const FloatingPlacement&) = delete;

    // Paste floating section: floats the clipboard's image. An empty
    // clipboard, or one without an image, does nothing; an image refused as
    // too large is said in a message box. True when a placement started.
    bool paste();
    // Floats section: a 32-bit one by its alpha, a 24-bit one opaque.
    // False, changing nothing, without a section or a working image. A
    // section covering the whole image is placed at once.
    bool start(Image section);
    bool active() const { return m_section.has_value(); }
    const FloatingSection* section() const { return m_section ? &*m_section : nullptr; }

    // A command while placing: arrows move, Ctrl+arrows turn, Enter places;
    // any other id is swallowed. False when not placing.
    bool command(int id);
    // Stamps the section into the working image and ends. Out of memory is
    // said in a message and changes nothing (the section is dropped).
    void place();
    // Ends without placing (Esc, the main window closed).
    void cancel();
    // The window was resized while placing: the view is laid out afresh
    // once the placement ends.
    void windowResized() { m_layoutPending = true; }

    // Called after the placement ended, placed or dropped.
    std::function<void()> onEnd;

    void grabMove(int x, int y) override;
    void grabRelease(MouseButton button, int x, int y) override;

private:
    void redraw();
    void finish();

    Editor& m_editor;
    std::optional<FloatingSection> m_section;
    bool m_layoutPending = false;
};

}  // namespace tarnel
