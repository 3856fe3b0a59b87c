#pragma once
// The palette window without its widgets: whether it is open, which image it
// analyses, what it shows, and the colour edit started by a click on a
// swatch.
//
// Source: the selected area as shown (grabbed into slot 8) while a selection
// is active, otherwise the slot the view drew last (the working image or a
// tool's preview), read in place. A refresh without a selection makes the
// current palette a copy of the colours shown; with a selection it leaves
// the current palette alone.
//
// Slots: 9 holds the swatch image the window shows, 10 the background
// texture; both exist exactly while the session is open. A colour edit
// keeps the working image's backup in slot 6 only until it is answered.
//
// Colour edit: a click on a drawn swatch asks for a new colour, replaces the
// old one everywhere in the working image, shows the result and asks
// whether to keep it. No restores the image, the history and the current
// palette exactly; Yes updates the first matching entry of the current
// palette, shows the current palette and records one undo state. A click on
// the background texture between or after the swatches does nothing (it is
// no colour of the image).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/image.h"
#include "document/workspace.h"

namespace tarnel {

inline constexpr const char* kKeepColorQuestion = "Do you wish to keep this color?";

// The two questions of a colour edit, answered by the window system (or a
// test).
class ColorEditPrompts {
public:
    virtual ~ColorEditPrompts() = default;
    // The colour requester opened on initial (0x00BBGGRR); nothing when the
    // user cancels.
    virtual std::optional<Color> chooseColor(Color initial) = 0;
    // A Yes/No message box; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
};

enum class ColorEditResult {
    Refused,    // a modal tool is open, an edit is already running, or the session is closed
    Missed,     // the click was not on a swatch
    Cancelled,  // the colour requester was cancelled
    Discarded,  // answered No: everything as before
    Kept,       // answered Yes: one undo state recorded
};

class PaletteSession {
public:
    PaletteSession(Workspace& workspace, ColorEditPrompts& prompts)
        : m_workspace(workspace), m_prompts(prompts) {}

    bool isOpen() const { return m_open; }
    // Commands 38 and 49: flips the open flag, then refreshes (opening) or
    // closes. Returns the new flag.
    bool toggle();
    // Flag cleared, slots 9 and 10 freed. Harmless when already closed.
    void close();
    // Collects the source's colours and shows them; nothing while closed.
    void refresh();

    // A left click at (x, y) on the swatch image.
    ColorEditResult editAt(int x, int y);

    // --- what the window shows ------------------------------------------------
    const std::string& title() const { return m_title; }
    // The colours drawn as swatches, in order (at most 512 of them drawn).
    const std::vector<Color>& shownColors() const { return m_shown; }
    // Changes whenever the title or slot 9 changed.
    std::uint64_t displayRevision() const { return m_displayRevision; }

private:
    void show(std::vector<Color> colors);
    // Index into m_shown of the swatch at (x, y), or -1.
    int swatchAt(int x, int y) const;

    Workspace& m_workspace;
    ColorEditPrompts& m_prompts;
    bool m_open = false;
    bool m_editing = false;
    std::string m_title;
    std::vector<Color> m_shown;
    std::uint64_t m_displayRevision = 0;
};

}  // namespace tarnel
