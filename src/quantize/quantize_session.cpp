#include "quantize/quantize_session.h"

#include <algorithm>
#include <cctype>

#include "document/slots.h"
#include "quantize/color_count.h"
#include "quantize/palette_methods.h"

namespace tarnel {

namespace {

bool hasEditableLimit(QuantizeMethod m) {
    return m == QuantizeMethod::Uniform || m == QuantizeMethod::Popularity || m == QuantizeMethod::Adaptive;
}

std::size_t limitIndex(QuantizeMethod m) { return static_cast<std::size_t>(m); }

// The number at the start of the text (after blanks and an optional sign),
// 0 when there is none; large values saturate.
long long leadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min(value * 10 + (text[i] - '0'), 1000000000LL);
    return negative ? -value : value;
}

}  // namespace

std::string QuantizeSession::colorCountText(QuantizeMethod method, int value) {
    switch (method) {
    case QuantizeMethod::Uniform: return std::to_string(value * value * value);
    case QuantizeMethod::Popularity:
    case QuantizeMethod::Adaptive: return std::to_string(value);
    default: return std::to_string(kQuantizeMethodColors[static_cast<std::size_t>(method)]);
    }
}

// --- opening and closing ----------------------------------------------------------

bool QuantizeSession::open() {
    if (m_open || m_workspace.busy() != 0) return false;
    m_open = true;
    m_applyEnabled = false;
    m_workspace.busyMask().set(kBusyQuantize);
    ImageTable& images = m_workspace.images();
    const Image* working = images.find(kSlotWorking);
    m_countText = working ? std::to_string(countColors(*working)) : std::string();
    images.copy(kSlotWorking, kSlotPreview);
    return true;
}

std::optional<ScreenPoint> QuantizeSession::show(ScreenPoint client, int desktopW, int desktopH, int winW,
                                                 int winH, int toolbarHeight) {
    std::optional<ScreenPoint> place;
    if (m_settings.repositionPending) {
        m_settings.repositionPending = false;
        const int x = std::clamp(client.x + m_settings.offsetX, 0, std::max(desktopW - winW, 0));
        const int y = std::clamp(client.y + m_settings.offsetY, 0, std::max(desktopH - winH, 0));
        place = ScreenPoint{x, y + toolbarHeight};
    }
    // The controls come back as they were left; restoring is not a pick.
    methodChanged();
    return place;
}

void QuantizeSession::close(ScreenPoint window, ScreenPoint client, int toolbarHeight) {
    if (!m_open) return;
    m_open = false;
    m_applyEnabled = false;
    m_workspace.busyMask().clear(kBusyQuantize);
    m_workspace.images().free(kSlotPreview);
    m_workspace.redraw(kSlotWorking, true);
    m_settings.offsetX = window.x - client.x;
    m_settings.offsetY = window.y - client.y - toolbarHeight;
    m_settings.repositionPending = true;
}

// --- controls ------------------------------------------------------------------------

void QuantizeSession::methodChanged() {
    const QuantizeMethod m = m_settings.method;
    if (hasEditableLimit(m)) {
        m_field.enabled = true;
        m_field.maximum = m == QuantizeMethod::Uniform ? kUniformMaxLevels : kMethodMaxColors;
        m_field.value = std::clamp(m_settings.limits[limitIndex(m)], kLimitMinimum, m_field.maximum);
    } else {
        m_field.enabled = false;  // its value stays as it was
    }
    m_field.text = colorCountText(m, m_field.value);
    m_applyEnabled = false;
}

void QuantizeSession::pickMethod(int index) {
    if (index < 0 || index >= kQuantizeMethodCount) return;
    m_settings.method = static_cast<QuantizeMethod>(index);
    methodChanged();
}

void QuantizeSession::storeLimit() {
    if (hasEditableLimit(m_settings.method)) m_settings.limits[limitIndex(m_settings.method)] = m_field.value;
    m_applyEnabled = false;
}

void QuantizeSession::stepLimit(int steps) {
    if (!m_field.enabled) return;
    m_field.value = std::clamp(m_field.value + steps, kLimitMinimum, m_field.maximum);
    m_field.text = colorCountText(m_settings.method, m_field.value);
    storeLimit();
}

void QuantizeSession::editLimitText(const std::string& text) {
    if (!m_field.enabled) return;
    if (m_settings.method == QuantizeMethod::Uniform) {
        // Typed digits are not taken over as levels: the count stays.
        m_field.text = colorCountText(QuantizeMethod::Uniform, m_field.value);
    } else {
        const long long typed = leadingInteger(text);
        m_field.text = text;
        if (typed > kMethodMaxColors) m_field.text = std::to_string(kMethodMaxColors);
        if (typed < 1) m_field.text = std::to_string(kLimitMinimum);
        m_field.value = static_cast<int>(std::clamp<long long>(typed, kLimitMinimum, m_field.maximum));
    }
    storeLimit();
}

void QuantizeSession::finishLimitEdit() {
    if (m_field.enabled) m_field.text = colorCountText(m_settings.method, m_field.value);
}

void QuantizeSession::setDither(bool on) {
    m_settings.dither = on;
    m_applyEnabled = false;
}

void QuantizeSession::returnKey(bool limitFieldFocused) {
    if (limitFieldFocused) test();
}

// --- buttons ---------------------------------------------------------------------------

void QuantizeSession::test() {
    if (!m_open) return;
    const QuantizeMethod m = m_settings.method;
    if (m == QuantizeMethod::Popularity || m == QuantizeMethod::Adaptive) finishLimitEdit();
    ImageTable& images = m_workspace.images();
    bool made = false;
    if (images.copy(kSlotWorking, kSlotPreview)) {
        Image& preview = *images.find(kSlotPreview);
        const QuantizeOptions options{hasEditableLimit(m) ? m_field.value : 0, m_settings.dither};
        std::vector<Color>& current = m_workspace.currentPalette();
        current = runMethod(preview, m_workspace.operationArea(), m, options, current);
        m_testRevision = m_workspace.workingRevision();
        made = true;
    }
    m_workspace.redraw(kSlotPreview, true);
    countAndShow(kSlotPreview);
    m_applyEnabled = made;
}

void QuantizeSession::source() {
    if (!m_open) return;
    m_applyEnabled = false;
    m_workspace.redraw(kSlotWorking, true);
    countAndShow(kSlotWorking);
}

void QuantizeSession::apply() {
    if (!m_open || !m_applyEnabled) return;
    m_applyEnabled = false;
    if (m_workspace.workingRevision() != m_testRevision) return;
    if (!m_workspace.images().copy(kSlotPreview, kSlotWorking)) return;
    m_workspace.redraw(kSlotWorking, true);
    m_workspace.recordChange(kSlotWorking);
}

void QuantizeSession::workspaceChanged() {
    if (m_applyEnabled && m_workspace.workingRevision() != m_testRevision) m_applyEnabled = false;
}

// The colour count of what the view shows: the selected area as shown, or
// the whole slot.
void QuantizeSession::countAndShow(int slot) {
    ImageTable& images = m_workspace.images();
    if (m_workspace.selectionActive() && m_workspace.grabSelection(kSlotScratch)) {
        m_countText = std::to_string(countColors(*images.find(kSlotScratch)));
        images.free(kSlotScratch);
        return;
    }
    if (const Image* image = images.find(slot)) m_countText = std::to_string(countColors(*image));
}

}  // namespace tarnel
