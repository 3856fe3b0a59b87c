#pragma once
// What the editor core needs from the window system. The Qt layer
// implements it for the real window; tests implement it with a fake that
// answers message boxes and records what was asked.
//
// All positions given to or returned by these calls are canvas coordinates
// (pixels relative to the view canvas's top-left) unless named "screen".

#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace tarnel {

struct Point {
    int x = 0;
    int y = 0;
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    constexpr bool operator==(const Size&) const = default;
};

enum class CursorShape {
    Arrow,    // the normal arrow
    Cross,    // selector mode
    SizeAll,  // four-headed arrow: mover mode over an image larger than the canvas
    Wait,     // long work in progress
};

enum class MessageButtons { Ok, YesNo };

// An image read from the clipboard, at the depth it was stored with (24, or
// 32 with its alpha); io/clipboard_image.h converts it to the depth wanted.
struct ClipboardImage {
    Image image;          // null when none could be read
    std::string refusal;  // why an image that is there was refused (beyond the
                          // decoders' pixel budget); empty otherwise
};
enum class MessageAnswer { Ok, Yes, No };

// An event the core puts into the main queue; the Qt layer hands it back to
// Editor::handleCustomEvent() in queue order, after the current event.
struct CustomEvent {
    int code = 0;
    int object = 0;  // e.g. the canvas number of a selection event
    int data = 0;    // e.g. the edge flags of a selection event
};

struct FontSpec {
    std::string family;
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool highQuality = false;
    bool underline = false;
    bool strikeOut = false;
};

// One line of text to draw, its top-left at (x, y).
struct TextLine {
    std::string text;
    int x = 0;
    int y = 0;
};

// Fixed parts of the main window, measured once the menu, toolbar and status
// bar exist. frame = outer size minus inner size; the inner height includes
// the menu bar.
struct WindowMetrics {
    int toolbarHeight = 0;
    int statusBarHeight = 0;
    int menuBarHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Modal message box; returns the button chosen.
    virtual MessageAnswer messageBox(const std::string& title, const std::string& text,
                                     MessageButtons buttons) = 0;

    // Cursor shown over the view canvas.
    virtual void setCanvasCursor(CursorShape shape) = 0;

    // Pointer position relative to the canvas; setting it moves the real
    // pointer. canvasScreenOrigin() is the canvas's top-left on the screen
    // (half-pixel positions round in screen coordinates).
    virtual Point pointerPosition() = 0;
    virtual void setPointerPosition(Point canvasPos) = 0;
    virtual Point canvasScreenOrigin() = 0;

    // Size of the primary display's desktop.
    virtual Size desktopSize() = 0;
    // The user's home folder, ending in the folder separator.
    virtual std::string homeFolder() = 0;

    virtual std::int64_t clockMs() = 0;
    virtual void sleepMs(int ms) = 0;

    // Appends an event to the main queue.
    virtual void postEvent(const CustomEvent& event) = 0;

    // Enables or disables the toolbar's Undo and Redo buttons (the menu
    // items and shortcuts always stay enabled).
    virtual void setHistoryButtons(bool undoEnabled, bool redoEnabled) = 0;
    // Gives the keyboard focus to the view canvas.
    virtual void focusCanvas() = 0;

    // The canvas image (Editor::canvasImage()) changed inside r: repaint it.
    virtual void updateCanvas(const Rect& r) = 0;

    // Status bar field 0 (file and size) or 1 (selection geometry).
    virtual void setStatusText(int field, const std::string& text) = 0;

    // Main window geometry. The inner size is the window without borders
    // and caption; its height includes the menu bar, the toolbar and the
    // status bar.
    virtual WindowMetrics windowMetrics() = 0;
    virtual Size innerSize() = 0;
    virtual void setInnerSize(Size inner) = 0;
    // Moves the window's outer top-left corner to a screen position.
    virtual void moveWindow(Point outerTopLeftScreen) = 0;
    // Places the view canvas inside the window; returns the size it got.
    virtual Size placeCanvas(int x, int y, int width, int height) = 0;

    // Draws the lines with a transparent background in colour (0x00BBGGRR)
    // onto the image, all in one pass over it.
    virtual void drawTextLines(Image& image, const std::vector<TextLine>& lines, const FontSpec& font,
                               Color color) = 0;
    void drawText(Image& image, const std::string& text, const FontSpec& font, Color color, int x, int y) {
        drawTextLines(image, {TextLine{text, x, y}}, font, color);
    }
    // Width and height of the text as drawText() would draw it.
    virtual Size textSize(const std::string& text, const FontSpec& font) = 0;

    // The clipboard's image, decoded within the decoders' pixel budget. An
    // empty clipboard, or one without a readable image, gives a null image
    // and no refusal.
    virtual ClipboardImage clipboardImage() { return {}; }
    // Replaces the clipboard's contents by the image alone, with its own
    // depth (alpha only for 32-bit). False when the clipboard did not take it.
    virtual bool setClipboardImage(const Image& /*image*/) { return false; }

    // Work that may take more than a moment begins / ends: the wait cursor
    // shows in between. Calls nest; never hold one across a dialog.
    virtual void beginLongWork() {}
    virtual void endLongWork() {}
};

// Shown when a command needs more memory than there is; nothing changed.
inline constexpr const char* kOutOfMemoryTitle = "Not enough memory";
inline constexpr const char* kOutOfMemoryText =
    "There is not enough memory for this command. The image and its history are unchanged.";

// The wait cursor for the lifetime of a scope.
class LongWork {
public:
    explicit LongWork(Platform& platform) : m_platform(platform) { m_platform.beginLongWork(); }
    ~LongWork() { m_platform.endLongWork(); }
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    Platform& m_platform;
};

}  // namespace tarnel
