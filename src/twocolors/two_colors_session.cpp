#include "twocolors/two_colors_session.h"

#include <algorithm>

#include "document/slots.h"

namespace tarnel {

namespace {

// Copies source into slot, reusing the slot's pixels when the size is the
// same: a large preview is rebuilt on every check, and a fresh allocation
// would cost as much as the copy.
Image& copyInto(ImageTable& images, const Image& source, int slot) {
    Image* target = images.find(slot);
    if (!target || target->width() != source.width() || target->height() != source.height())
        return images.put(slot, source);
    std::copy_n(source.data(), source.pixelCount(), target->data());
    target->setDepth(source.depth());
    return *target;
}

int swatchSlot(int button) { return button == 1 ? kSlotTwoColorsFirst : kSlotTwoColorsSecond; }

}  // namespace

// --- opening and closing ----------------------------------------------------------

bool TwoColorsSession::open() {
    if (m_open || m_workspace.busy() != 0 || !m_workspace.images().exists(kSlotWorking)) return false;
    m_open = true;
    reset();
    ImageTable& images = m_workspace.images();
    images.put(kSlotTwoColorsFirst, Image(kTwoColorSwatchSize, kTwoColorSwatchSize, 24, m_color1));
    images.put(kSlotTwoColorsSecond, Image(kTwoColorSwatchSize, kTwoColorSwatchSize, 24, m_color2));
    m_workspace.busyMask().set(kBusyTwoColors);
    return true;
}

void TwoColorsSession::close() {
    if (!m_open) return;
    m_open = false;
    ImageTable& images = m_workspace.images();
    for (const int slot : {kSlotScratch, kSlotTwoColorsFirst, kSlotTwoColorsSecond, kSlotTwoColorsWork})
        images.free(slot);
    m_workspace.busyMask().clear(kBusyTwoColors);
    reset();
    m_workspace.redraw(kSlotWorking, true);
}

void TwoColorsSession::reset() {
    m_slider = kTwoColorDefaultSlider;
    m_dither = TwoColorDither::None;
    m_color1 = kDefaultTwoColor1;
    m_color2 = kDefaultTwoColor2;
    m_pending = true;
    m_deadline = 0;
    m_stale = true;
    m_hasPreview = false;
}

void TwoColorsSession::ok() {
    if (!m_open) return;
    if (m_hasPreview) {
        // What is committed is what the settings shown give on the working
        // image as it is now, deferral or not.
        if (previewOutOfDate()) computePreview();
        m_pending = false;
        if (m_workspace.images().copy(kSlotScratch, kSlotWorking)) {
            m_workspace.redraw(kSlotWorking, true);
            m_workspace.recordChange(kSlotWorking);
        }
    }
    close();
}

// --- controls ------------------------------------------------------------------------

void TwoColorsSession::moveSlider(int value) {
    if (!m_open) return;
    m_slider = std::clamp(value, 0, kTwoColorSliderMax);
    m_deadline = m_clock() + kTwoColorsDeferralMs;
    m_pending = true;
}

void TwoColorsSession::pickDither(TwoColorDither dither) {
    if (!m_open) return;
    m_dither = dither;
    requestPreview(true);
}

bool TwoColorsSession::pickColor(int button) {
    if (!m_open || (button != 1 && button != 2)) return false;
    const std::optional<Color> chosen = m_requester.chooseColor(color(button));
    if (!chosen || !m_open) return false;
    const Color c = *chosen & kColorMask;
    (button == 1 ? m_color1 : m_color2) = c;
    if (Image* swatch = m_workspace.images().find(swatchSlot(button))) swatch->fill(c);
    requestPreview(true);
    return true;
}

void TwoColorsSession::workspaceChanged() {
    if (m_open && m_hasPreview && m_workspace.workingRevision() != m_previewRevision) requestPreview(true);
}

void TwoColorsSession::requestPreview(bool stale) {
    m_pending = true;
    m_stale = m_stale || stale;
}

std::string TwoColorsSession::thresholdCaption() const { return "Threshold " + std::to_string(m_slider); }

// --- the check -----------------------------------------------------------------------

bool TwoColorsSession::previewOutOfDate() const {
    return m_stale || twoColorThreshold(m_slider) != m_lastThreshold ||
           (m_hasPreview && m_workspace.workingRevision() != m_previewRevision);
}

bool TwoColorsSession::previewDue() const {
    return m_open && m_pending && m_clock() > m_deadline && previewOutOfDate();
}

std::optional<std::int64_t> TwoColorsSession::msUntilCheck() const {
    if (!m_open || !m_pending) return std::nullopt;
    return std::max<std::int64_t>(0, m_deadline + 1 - m_clock());
}

void TwoColorsSession::check() {
    if (!m_open || !m_pending || m_clock() <= m_deadline) return;
    m_pending = false;
    if (previewOutOfDate()) computePreview();
}

void TwoColorsSession::computePreview() {
    m_lastThreshold = twoColorThreshold(m_slider);
    m_stale = false;
    ImageTable& images = m_workspace.images();
    const Image* working = images.find(kSlotWorking);
    if (!working) return;
    Image& preview = copyInto(images, *working, kSlotScratch);
    const TwoColorOptions options{m_lastThreshold, m_color1, m_color2, m_dither};
    const Rect area = intersected(m_workspace.operationArea(), preview.rect());
    if (m_dither == TwoColorDither::SierraLite && m_workspace.selectionActive() && !area.isEmpty()) {
        // The diffusion starts afresh at the selection's edges: the area is
        // converted as an image of its own.
        Image& part = images.put(kSlotTwoColorsWork, working->copy(area));
        convertTwoColors(part, part.rect(), options);
        preview.paste(part, area.left, area.top);
        images.free(kSlotTwoColorsWork);
    } else {
        convertTwoColors(preview, area, options);
    }
    m_hasPreview = true;
    m_previewRevision = m_workspace.workingRevision();
    m_workspace.redraw(kSlotScratch, true);
}

}  // namespace tarnel
