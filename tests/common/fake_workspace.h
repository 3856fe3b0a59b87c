#pragma once
// The document as a tool window's controller sees it, for tests: image
// slots, the busy mask, a history that only counts records, and a view that
// shows slot `shown` 1:1 with an optional selection rectangle of it.

#include <functional>
#include <optional>
#include <vector>

#include "document/slots.h"
#include "document/workspace.h"

namespace tarnel::test {

class FakeWorkspace final : public Workspace {
public:
    ImageTable table;
    BusyMask mask;
    std::uint64_t revision = 1;
    int records = 0;
    int shown = kSlotWorking;
    std::optional<Rect> selection;  // in the shown image's coordinates
    std::vector<Color> palette;
    std::function<void()> onRedraw;  // the editor refreshes the tool windows here

    ImageTable& images() override { return table; }
    BusyMask& busyMask() override { return mask; }
    int busy() const override { return mask.test(); }
    std::uint64_t workingRevision() const override { return revision; }
    void recordChange(int) override {
        ++records;
        ++revision;
    }
    void redraw(int slot, bool) override {
        if (table.exists(slot)) shown = slot;
        if (onRedraw) onRedraw();
    }
    int shownSlot() const override { return shown; }
    bool selectionActive() const override { return selection.has_value(); }
    bool grabSelection(int slot) override {
        if (!selection || !table.exists(shown)) return false;
        table.put(slot, table.find(shown)->copy(*selection));
        return true;
    }
    Rect operationArea() const override {
        const Image* working = table.find(kSlotWorking);
        if (!working) return Rect{};
        return selection ? *selection : working->rect();
    }
    std::vector<Color>& currentPalette() override { return palette; }
};

}  // namespace tarnel::test
