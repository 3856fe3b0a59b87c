#pragma once
// A Platform for tests: answers message boxes from a preset answer, keeps
// the window geometry as set, records events, status texts and text drawing.

#include <filesystem>
#include <string>
#include <vector>

#include "app/platform.h"

namespace tarnel::test {

class FakePlatform : public Platform {
public:
    struct Message {
        std::string title, text;
        MessageButtons buttons;
    };
    struct TextCall {
        std::string text;
        Color color;
        int x, y;
    };

    MessageAnswer answer = MessageAnswer::Yes;
    std::vector<Message> messages;
    CursorShape cursor = CursorShape::Arrow;
    Point pointer;
    Point screenOrigin{100, 200};
    Size desktop{1920, 1080};
    std::string home;
    std::int64_t clock = 0;
    int sleptMs = 0;
    std::vector<CustomEvent> events;
    bool undoEnabled = true, redoEnabled = true;
    int focusCount = 0;
    int repaintCount = 0;
    std::string status[2];
    WindowMetrics metrics{30, 20, 20, 16, 39};
    Size inner{800, 450 + 30 + 20};
    Point windowPos;
    int resizeCount = 0;
    std::vector<TextCall> texts;
    int textHeight = 41;
    int charWidth = 20;
    ClipboardImage clipboard;       // what clipboardImage() returns
    bool clipboardWritable = true;  // else setClipboardImage() fails

    MessageAnswer messageBox(const std::string& title, const std::string& text, MessageButtons buttons) override {
        messages.push_back({title, text, buttons});
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
    }
    void setCanvasCursor(CursorShape shape) override { cursor = shape; }
    Point pointerPosition() override { return pointer; }
    void setPointerPosition(Point p) override { pointer = p; }
    Point canvasScreenOrigin() override { return screenOrigin; }
    Size desktopSize() override { return desktop; }
    std::string homeFolder() override { return home; }
    std::int64_t clockMs() override { return clock; }
    void sleepMs(int ms) override { sleptMs += ms; }
    void postEvent(const CustomEvent& e) override { events.push_back(e); }
    void setHistoryButtons(bool u, bool r) override {
        undoEnabled = u;
        redoEnabled = r;
    }
    void focusCanvas() override { ++focusCount; }
    void updateCanvas(const Rect&) override { ++repaintCount; }
    void setStatusText(int field, const std::string& text) override { status[field] = text; }
    WindowMetrics windowMetrics() override { return metrics; }
    Size innerSize() override { return inner; }
    void setInnerSize(Size s) override {
        inner = s;
        ++resizeCount;
    }
    void moveWindow(Point p) override { windowPos = p; }
    Size placeCanvas(int, int, int w, int h) override { return Size{std::max(w, 0), std::max(h, 0)}; }
    // Draws each line's box filled with the colour, opaque.
    void drawTextLines(Image& image, const std::vector<TextLine>& lines, const FontSpec&, Color color) override {
        for (const TextLine& line : lines) {
            texts.push_back({line.text, color, line.x, line.y});
            const Size s = textSize(line.text, FontSpec{});
            for (int yy = line.y; yy < line.y + s.height; ++yy)
                for (int xx = line.x; xx < line.x + s.width; ++xx)
                    if (image.contains(xx, yy)) image.setPixel(xx, yy, color | 0xFF000000u);
        }
    }
    Size textSize(const std::string& text, const FontSpec&) override {
        return Size{charWidth * static_cast<int>(text.size()), textHeight};
    }

    ClipboardImage clipboardImage() override { return clipboard; }
    bool setClipboardImage(const Image& image) override {
        if (clipboardWritable) clipboard = ClipboardImage{image, {}};
        return clipboardWritable;
    }

    // Events posted since the last call.
    std::vector<CustomEvent> takeEvents() {
        std::vector<CustomEvent> out;
        out.swap(events);
        return out;
    }
};

// A fresh empty folder under the system temp folder, removed at destruction.
class TempHome {
public:
    explicit TempHome(const std::string& name) {
        m_path = std::filesystem::temp_directory_path() / ("tarnel_test_" + name);
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempHome() { std::filesystem::remove_all(m_path); }
    // With a trailing separator, as Platform::homeFolder() returns it.
    std::string folder() const { return (m_path / "").string(); }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace tarnel::test
