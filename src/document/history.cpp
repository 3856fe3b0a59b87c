#include "document/history.h"

namespace tarnel {

bool History::reset(ImageTable& table, int working) {
    if (!table.exists(working)) return false;
    clear(table);
    m_entries.push_back(table.copyToNew(working));
    m_cursor = 0;
    clearFlags();
    return true;
}

namespace {

std::size_t bytesOf(const ImageTable& table, int slot) {
    const Image* image = table.find(slot);
    return image ? image->pixelCount() * sizeof(Color) : 0;
}

}  // namespace

std::size_t History::memoryUsed(const ImageTable& table) const {
    std::size_t used = 0;
    for (const int slot : m_entries) used += bytesOf(table, slot);
    return used;
}

void History::record(ImageTable& table, int slot) {
    if (!table.exists(slot)) return;
    if (m_budget != 0) {
        // The redo states go with this change; the states up to the cursor
        // and the new one must fit.
        std::size_t kept = 0;
        for (int i = 0; i <= m_cursor; ++i) kept += bytesOf(table, entrySlot(i));
        const std::size_t adding = bytesOf(table, slot);
        while (kept + adding > m_budget && m_cursor >= 1) {
            kept -= bytesOf(table, entrySlot(1));
            table.free(entrySlot(1));
            m_entries.erase(m_entries.begin() + 1);
            --m_cursor;
        }
    }
    m_entries.reserve(m_entries.size() + 1);
    const int copy = table.copyToNew(slot);  // the only step that can fail
    while (m_cursor < size() - 1) {
        table.free(m_entries.back());
        m_entries.pop_back();
    }
    m_entries.push_back(copy);
    m_cursor = size() - 1;
    m_undoAvailable = true;
    m_redoAvailable = false;
}

History::Step History::moveTo(ImageTable& table, int target, int working) {
    Step step;
    if (m_entries.empty()) return step;
    const Image* before = table.find(working);
    const int oldW = before ? before->width() : 0;
    const int oldH = before ? before->height() : 0;
    if (target >= 0 && target < size()) m_cursor = target;
    table.copy(entrySlot(m_cursor), working);
    const Image* after = table.find(working);
    step.ran = true;
    step.sizeChanged = !after || after->width() != oldW || after->height() != oldH;
    // At either end the flags follow the cursor, so a button is never
    // enabled with nothing behind it.
    m_undoAvailable = m_cursor > 0;
    m_redoAvailable = m_cursor < size() - 1;
    return step;
}

History::Step History::undo(ImageTable& table, int working) { return moveTo(table, m_cursor - 1, working); }

History::Step History::redo(ImageTable& table, int working) { return moveTo(table, m_cursor + 1, working); }

bool History::restoreBase(ImageTable& table, int working) {
    if (m_entries.empty()) return false;
    table.copy(m_entries.front(), working);
    clear(table);
    return true;
}

void History::clear(ImageTable& table) {
    for (int slot : m_entries) table.free(slot);
    m_entries.clear();
    m_cursor = -1;
    clearFlags();
}

}  // namespace tarnel
