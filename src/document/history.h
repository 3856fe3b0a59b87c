#pragma once
// The undo history: an ordered list of full snapshots of the working image
// plus a cursor on the entry equal to the working image's present state.
//
// Snapshots live as fresh slots in the ImageTable passed to each call; the
// history owns them and frees a snapshot whenever its entry is replaced,
// deleted or cleared. The first entry is the base state (the source image)
// that revert() restores. There is no depth limit.
//
// These calls only change the table and the list; redrawing the view and
// updating the toolbar buttons is the caller's job (app/editor.h).

#include <cstddef>
#include <vector>

#include "document/image_table.h"
#include "document/slots.h"

namespace tarnel {

class History {
public:
    // What an undo or redo did to the working slot.
    struct Step {
        bool ran = false;          // false when the list was empty (nothing copied)
        bool sizeChanged = false;  // the working image's size differs from before
    };

    // Frees every snapshot and starts a new list holding a copy of slot
    // `working`; clears both flags. Does nothing (returns false) when that
    // slot is empty.
    bool reset(ImageTable& table, int working = kSlotWorking);

    // Called after an operation changed slot `slot`: stores a copy of it as
    // the entry after the cursor, drops every redo state, sets undo
    // available and clears redo available. Does nothing when slot is empty.
    // When the states would exceed the memory budget, the oldest states
    // after the source go first (the source stays for Revert). Throws
    // std::bad_alloc when the copy cannot be made; the list is then as the
    // budget left it, redo states included.
    void record(ImageTable& table, int slot = kSlotWorking);

    // The most memory the states may hold together (0: no limit).
    void setMemoryBudget(std::size_t bytes) { m_budget = bytes; }
    std::size_t memoryBudget() const { return m_budget; }
    // Pixel bytes the states hold now.
    std::size_t memoryUsed(const ImageTable& table) const;

    // Moves the cursor back (forward) one entry and copies that snapshot into
    // the working slot. At the first (last) entry the cursor stays and the
    // cursor's snapshot is copied again, undoing changes not yet recorded.
    // Afterwards undo is available iff an entry precedes the cursor and redo
    // iff one follows it.
    Step undo(ImageTable& table, int working = kSlotWorking);
    Step redo(ImageTable& table, int working = kSlotWorking);

    // Copies the cursor's snapshot into the working slot again (a change not
    // recorded is undone); the cursor stays.
    Step restoreCursor(ImageTable& table, int working = kSlotWorking) { return moveTo(table, m_cursor, working); }

    // Copies the first entry into the working slot and frees the whole list
    // (the caller then records the reverted state as the new single entry).
    // Returns false and changes nothing when the list is empty.
    bool restoreBase(ImageTable& table, int working = kSlotWorking);

    // Frees every snapshot and empties the list; flags cleared.
    void clear(ImageTable& table);
    void clearFlags() { m_undoAvailable = m_redoAvailable = false; }

    bool undoAvailable() const { return m_undoAvailable; }
    bool redoAvailable() const { return m_redoAvailable; }
    int size() const { return static_cast<int>(m_entries.size()); }
    // 0-based position of the cursor; -1 for the empty list.
    int cursor() const { return m_cursor; }
    // Slot number of entry i (0 <= i < size()).
    int entrySlot(int i) const { return m_entries[static_cast<std::size_t>(i)]; }

private:
    Step moveTo(ImageTable& table, int target, int working);

    std::vector<int> m_entries;
    int m_cursor = -1;
    std::size_t m_budget = 0;
    bool m_undoAvailable = false;
    bool m_redoAvailable = false;
};

}  // namespace tarnel
