#include "palette/palette_session.h"

#include <algorithm>
#include <utility>

#include "document/slots.h"
#include "palette/palette_colors.h"

namespace tarnel {

bool PaletteSession::toggle() {
    m_open = !m_open;
    if (m_open) {
        refresh();
    } else {
        close();
    }
    return m_open;
}

void PaletteSession::close() {
    m_open = false;
    m_workspace.images().free(kSlotPaletteBackground);
    m_workspace.images().free(kSlotPaletteSwatches);
    m_title.clear();
    m_shown.clear();
    ++m_displayRevision;
}

void PaletteSession::refresh() {
    if (!m_open) return;
    ImageTable& images = m_workspace.images();
    if (!images.exists(kSlotPaletteBackground)) images.put(kSlotPaletteBackground, swatchBackground());

    // The shown slot is read in place: refreshes follow every redraw, and a
    // photo gives up after 513 colours, long before the end of its pixels.
    const bool selected = m_workspace.selectionActive() && m_workspace.grabSelection(kSlotSelectedArea);
    const Image* source = images.find(selected ? kSlotSelectedArea : m_workspace.shownSlot());
    std::vector<Color> colors;
    if (source) colors = collectColors(*source, source->rect());
    if (source && !selected) m_workspace.currentPalette() = colors;
    show(std::move(colors));
}

void PaletteSession::show(std::vector<Color> colors) {
    m_title = paletteTitle(colors.size());
    m_workspace.images().put(kSlotPaletteSwatches, drawSwatches(colors));
    m_shown = std::move(colors);
    ++m_displayRevision;
}

int PaletteSession::swatchAt(int x, int y) const {
    const int n = static_cast<int>(std::min(m_shown.size(), static_cast<std::size_t>(kSwatchMaxColors)));
    const SwatchGrid grid = swatchGrid(static_cast<std::size_t>(n));
    if (grid.cell == 0 || x < 0 || y < 0 || x >= grid.columns * grid.cell) return -1;
    const int index = (y / grid.cell) * grid.columns + x / grid.cell;
    return index < n ? index : -1;
}

ColorEditResult PaletteSession::editAt(int x, int y) {
    // The prompts run nested event loops: a second click meanwhile is refused.
    if (!m_open || m_editing || m_workspace.busy() != 0) return ColorEditResult::Refused;
    ImageTable& images = m_workspace.images();
    if (!images.exists(kSlotWorking)) return ColorEditResult::Refused;
    const int index = swatchAt(x, y);
    if (index < 0) return ColorEditResult::Missed;

    const Color from = m_shown[static_cast<std::size_t>(index)] & kColorMask;
    const std::optional<Color> chosen = m_prompts.chooseColor(from);
    if (!chosen) return ColorEditResult::Cancelled;
    const Color to = *chosen & kColorMask;

    m_editing = true;
    // The redraws below refresh this window, which (without a selection)
    // replaces the current palette; the edit works on the one from before.
    const std::vector<Color> palette = m_workspace.currentPalette();
    images.copy(kSlotWorking, kSlotScratch);
    replaceColor(*images.find(kSlotWorking), from, to);
    m_workspace.redraw(kSlotWorking, true);

    ColorEditResult result = ColorEditResult::Discarded;
    if (m_prompts.askYesNo("", kKeepColorQuestion)) {
        std::vector<Color>& current = m_workspace.currentPalette();
        current = palette;
        replacePaletteEntry(current, from, to);
        if (m_open) show(current);
        m_workspace.recordChange(kSlotWorking);
        result = ColorEditResult::Kept;
    } else {
        images.copy(kSlotScratch, kSlotWorking);
        m_workspace.redraw(kSlotWorking, true);
        m_workspace.currentPalette() = palette;
    }
    images.free(kSlotScratch);
    m_editing = false;
    return result;
}

}  // namespace tarnel
