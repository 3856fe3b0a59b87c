#pragma once
// What a tool window's controller may ask of the document it works on: the
// image table, the busy mask, the history, the view and the selection. The
// editor implements it; controller tests implement it with a small fake.
//
// The working image's revision changes whenever slot 4 gets new pixels
// through the document (record, undo, redo, revert, reset); a tool that
// keeps a copy remembers the revision it came from, so that it can tell a
// stale copy from a current one. shownSlot() is the slot the view drew last
// (the working image or a tool's preview): the analysing windows and drags
// use it instead of guessing from which tools are open.

#include <cstdint>
#include <vector>

#include "core/image.h"
#include "document/busy_mask.h"
#include "document/image_table.h"

namespace tarnel {

class Workspace {
public:
    virtual ~Workspace() = default;

    virtual ImageTable& images() = 0;
    virtual BusyMask& busyMask() = 0;
    // Non-zero while a modal tool is open.
    virtual int busy() const = 0;

    virtual std::uint64_t workingRevision() const = 0;
    // Records slot's state as a new undo state (after it changed).
    virtual void recordChange(int slot) = 0;

    // Draws slot into the view (keeping the selection frame or removing the
    // selection); the histogram and palette windows follow.
    virtual void redraw(int slot, bool keepSelection) = 0;
    virtual int shownSlot() const = 0;

    virtual bool selectionActive() const = 0;
    // Copies the selected part of the view, as shown, into slot; false
    // without an active selection.
    virtual bool grabSelection(int slot) = 0;
    // The selection in working-image coordinates, or the whole working image.
    virtual Rect operationArea() const = 0;

    // The palette the last palette-producing method, palette refresh or
    // colour edit left (any length).
    virtual std::vector<Color>& currentPalette() = 0;
};

}  // namespace tarnel
