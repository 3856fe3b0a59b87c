#include "app/image_commands.h"

#include <iterator>
#include <string>
#include <utility>

#include "app/command_ids.h"
#include "app/editor.h"
#include "effects/gaussian_blur.h"
#include "quantize/color_count.h"
#include "transform/colors.h"
#include "transform/flip.h"
#include "transform/rotate.h"

namespace tarnel {

namespace {

constexpr const char* kUniqueColorsTitle = "Unique colors";

// Effect of each command id kCmdScramble .. kCmdArtist, in id order.
constexpr Effect kEffectOfCommand[] = {
    Effect::Scramble,    // 50
    Effect::Unscramble,  // 51
    Effect::Pencil,      // 52
    Effect::Noise,       // 53
    Effect::EdgeDetect,  // 54
    Effect::XFactor,     // 55
    Effect::Scratch,     // 56
    Effect::Glowie,      // 57
    Effect::Spacy,       // 58
    Effect::Phantom,     // 59
    Effect::Blush,       // 60
    Effect::Spectrum,    // 61
    Effect::Demon,       // 62
    Effect::Faded,       // 63
    Effect::Artist,      // 64
};
static_assert(std::size(kEffectOfCommand) == kCmdLastEffect - kCmdFirstEffect + 1);

// A fresh image number for a temporary copy, freed when the scope ends.
class TemporarySlot {
public:
    explicit TemporarySlot(ImageTable& table) : m_table(table), m_slot(table.add(Image())) {}
    ~TemporarySlot() { m_table.free(m_slot); }
    TemporarySlot(const TemporarySlot&) = delete;
    TemporarySlot& operator=(const TemporarySlot&) = delete;
    int slot() const { return m_slot; }

private:
    ImageTable& m_table;
    int m_slot;
};

bool rotate90Command(Editor& editor, RotateDirection direction) {
    if (!editor.hasWorking()) return false;
    Image& image = editor.working();
    if (image.depth() != 24 && image.depth() != 32) return false;
    image = rotate90(image, direction);
    editor.fitWindowToImage(kSlotWorking);
    editor.recordChange(kSlotWorking);
    return true;
}

// The in-place frame shared by rotate 180, flip, mirror, negative and gray
// scale: no busy test, the area, the pixel work, record, redraw.
template <typename Work>
void inPlaceCommand(Editor& editor, Work work, const std::function<void()>& afterRecord = {}) {
    if (!editor.hasWorking()) return;
    work(editor.working(), editor.operationArea());
    editor.recordChange(kSlotWorking);
    if (afterRecord) afterRecord();
    editor.redraw(kSlotWorking, true);
}

}  // namespace

bool rotateRightCommand(Editor& editor) { return rotate90Command(editor, RotateDirection::Clockwise); }

bool rotateLeftCommand(Editor& editor) { return rotate90Command(editor, RotateDirection::CounterClockwise); }

bool cropCommand(Editor& editor) {
    if (!editor.selectionActive() || !editor.hasWorking()) return false;
    const Rect area = editor.operationArea();
    if (area.isEmpty()) return false;
    Image cropped = editor.working().copy(area);
    if (cropped.isNull()) return false;
    editor.working() = std::move(cropped);
    editor.setCursorMode(CursorMode::Mover);
    editor.fitWindowToImage(kSlotWorking);
    editor.recordChange(kSlotWorking);
    return true;
}

void rotate180Command(Editor& editor) {
    inPlaceCommand(editor, [](Image& image, const Rect& area) { rotate180(image, area); });
}

void flipCommand(Editor& editor) {
    inPlaceCommand(editor, [](Image& image, const Rect& area) { flip(image, area); });
}

void mirrorCommand(Editor& editor) {
    inPlaceCommand(editor, [](Image& image, const Rect& area) { mirror(image, area); });
}

void negativeCommand(Editor& editor, const std::function<void()>& refreshPalette) {
    inPlaceCommand(editor, [](Image& image, const Rect& area) { negative(image, area); }, refreshPalette);
}

void grayScaleCommand(Editor& editor, const std::function<void()>& refreshPalette) {
    inPlaceCommand(editor, [](Image& image, const Rect& area) { grayScale(image, area); }, refreshPalette);
}

std::optional<Effect> effectForCommand(int id) {
    if (id < kCmdFirstEffect || id > kCmdLastEffect) return std::nullopt;
    return kEffectOfCommand[id - kCmdFirstEffect];
}

void effectCommand(Editor& editor, Effect effect) {
    if (editor.busy() != 0 || !editor.hasWorking()) return;
    if (editor.selection().active()) {
        TemporarySlot copy(editor.images());
        if (!editor.grabSelection(copy.slot())) return;
        Image& part = *editor.images().find(copy.slot());
        applyEffect(part, effect);
        const Rect area = editor.operationArea();
        editor.working().paste(part, area.left, area.top);
    } else {
        applyEffect(editor.working(), effect);
    }
    editor.redraw(kSlotWorking, true);
    editor.recordChange(kSlotWorking);
}

void effectCommand(Editor& editor, int id) {
    if (const std::optional<Effect> effect = effectForCommand(id)) effectCommand(editor, *effect);
}

bool gaussianBlurCommand(Editor& editor) {
    if (editor.busy() != 0 || !editor.hasWorking()) return false;
    if (editor.selection().active()) {
        if (!editor.grabSelection(kSlotScratch)) return false;
        Image& part = *editor.images().find(kSlotScratch);
        blurImage(part, kMenuBlurRepeatCount);
        const Rect area = editor.operationArea();
        editor.working().paste(part, area.left, area.top);
    } else {
        blurImage(editor.working(), kMenuBlurRepeatCount);
    }
    editor.recordChange(kSlotWorking);
    editor.redraw(kSlotWorking, true);
    return true;
}

int countColorsCommand(Editor& editor) {
    if (!editor.hasWorking()) return -1;
    int count = 0;
    std::optional<LongWork> counting(std::in_place, editor.platform());
    if (editor.selection().active()) {
        TemporarySlot copy(editor.images());
        if (!editor.grabSelection(copy.slot())) return -1;
        count = countColors(*editor.images().find(copy.slot()));
    } else {
        count = countColors(editor.working());
    }
    counting.reset();
    editor.platform().messageBox(kUniqueColorsTitle, std::to_string(count), MessageButtons::Ok);
    return count;
}

}  // namespace tarnel
