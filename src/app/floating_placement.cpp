#include "app/floating_placement.h"

#include <new>

#include "app/command_ids.h"
#include "io/clipboard_image.h"

namespace tarnel {

namespace {

constexpr int kStatusField = 1;

}  // namespace

FloatingPlacement::~FloatingPlacement() {
    if (m_editor.floating()) m_editor.setFloating(nullptr);
}

bool FloatingPlacement::paste() {
    if (active()) return false;
    ClipboardImage read;
    {
        LongWork busy(m_editor.platform());
        read = m_editor.platform().clipboardImage();
        // Bitmaps stored without alpha arrive with every alpha 0: opaque.
        if (!read.image.isNull()) return start(clipboardImageAtDepth(std::move(read.image), 32));
    }
    if (!read.refusal.empty())
        m_editor.platform().messageBox(kPasteFloatingErrorTitle, read.refusal, MessageButtons::Ok);
    return false;
}

bool FloatingPlacement::start(Image section) {
    if (active() || section.isNull() || !m_editor.hasWorking()) return false;
    if (section.depth() != 32) {
        for (std::size_t i = 0, n = section.pixelCount(); i < n; ++i) section.data()[i] |= kAlphaMask;
        section.setDepth(32);
    }
    if (m_editor.selectionActive()) {
        m_editor.removeSelection();
        m_editor.updateSelectionStatus();
    }
    const ViewState& v = m_editor.view();
    const SelectionRecord& r = m_editor.selection().record();
    const Image& canvas = m_editor.canvasImage();
    const Image& working = m_editor.working();
    const FloatingView view{.canvasWidth = canvas.width(),
                            .canvasHeight = canvas.height(),
                            .imageWidth = working.width(),
                            .imageHeight = working.height(),
                            .panX = v.panX,
                            .panY = v.panY,
                            .viewX = v.viewX,
                            .viewY = v.viewY,
                            .bounds = Rect{r.boundsLeft, r.boundsTop, r.boundsRight, r.boundsBottom}};
    m_section.emplace(std::move(section), view);
    m_layoutPending = false;
    redraw();
    m_editor.platform().setCanvasCursor(CursorShape::SizeAll);
    m_editor.setFloating(this);
    if (m_section->coversImage()) place();
    return true;
}

bool FloatingPlacement::command(int id) {
    if (!active()) return false;
    try {
        switch (id) {
        case kCmdNudgeLeft: m_section->step(FloatStep::Left); break;
        case kCmdNudgeRight: m_section->step(FloatStep::Right); break;
        case kCmdNudgeUp: m_section->step(FloatStep::Up); break;
        case kCmdNudgeDown: m_section->step(FloatStep::Down); break;
        case kCmdFloatRotateLeft: m_section->turn(FloatTurn::Left); break;
        case kCmdFloatRotateRight: m_section->turn(FloatTurn::Right); break;
        case kCmdFloatMirror: m_section->turn(FloatTurn::Mirror); break;
        case kCmdFloatFlip: m_section->turn(FloatTurn::Flip); break;
        case kCmdPlaceFloating: place(); return true;
        default: return true;
        }
    } catch (const std::bad_alloc&) {
        // A turn that found no memory left the section as it was.
        m_editor.platform().messageBox(kOutOfMemoryTitle, kOutOfMemoryText, MessageButtons::Ok);
    }
    redraw();
    return true;
}

void FloatingPlacement::place() {
    if (!active()) return;
    m_section->placeInto(m_editor.working());
    m_editor.platform().setStatusText(kStatusField, std::string());
    bool recorded = true;
    try {
        // Puts the working image back when the history cannot keep it.
        m_editor.recordChange(kSlotWorking);
    } catch (const std::bad_alloc&) {
        recorded = false;
    }
    finish();
    if (!recorded) m_editor.platform().messageBox(kOutOfMemoryTitle, kOutOfMemoryText, MessageButtons::Ok);
}

void FloatingPlacement::cancel() {
    if (!active()) return;
    // The coordinates of a dropped section would stay behind otherwise.
    m_editor.platform().setStatusText(kStatusField, std::string());
    finish();
}

void FloatingPlacement::grabMove(int x, int y) {
    if (!active()) return;
    m_section->follow(x, y);
    redraw();
}

void FloatingPlacement::grabRelease(MouseButton button, int, int) {
    if (button == MouseButton::Left) place();
}

void FloatingPlacement::redraw() {
    const FloatingSection& section = *m_section;
    m_editor.drawOverWorking([&section](Image& canvas) { section.drawOnCanvas(canvas); });
    m_editor.platform().setStatusText(kStatusField, section.statusText());
}

void FloatingPlacement::finish() {
    m_editor.setFloating(nullptr);
    m_section.reset();
    m_editor.resetCanvasCursor();
    if (m_layoutPending) {
        m_layoutPending = false;
        m_editor.layout();
    } else {
        m_editor.redraw(kSlotWorking, false);
    }
    if (onEnd) onEnd();
}

}  // namespace tarnel
