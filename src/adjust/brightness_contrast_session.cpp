#include "adjust/brightness_contrast_session.h"

#include <algorithm>
#include <utility>

#include "document/slots.h"

namespace tarnel {

namespace {

constexpr int kSlotBase = kSlotPreview;  // the brightness/contrast base shares the quantize preview's slot
constexpr int kSlotShown = kSlotScratch;

// Copies slot from into slot to, reusing to's pixels when the sizes match:
// the preview is rebuilt on every adjustment, and a fresh 64 MB image costs
// more than the adjustment's own pass.
bool copyPixels(ImageTable& images, int from, int to) {
    const Image* source = images.find(from);
    if (!source) return false;
    Image* target = images.find(to);
    if (target && target != source && target->width() == source->width() &&
        target->height() == source->height() && target->depth() == source->depth()) {
        std::copy_n(source->data(), source->pixelCount(), target->data());
        return true;
    }
    return images.copy(from, to);
}

ToneSlider otherSlider(ToneSlider slider) {
    return slider == ToneSlider::Brightness ? ToneSlider::Contrast : ToneSlider::Brightness;
}

}  // namespace

BrightnessContrastSession::BrightnessContrastSession(Workspace& workspace, Clock clock)
    : m_workspace(workspace), m_clock(std::move(clock)) {
    centreSliders();
}

int BrightnessContrastSession::centre(ToneSlider slider) {
    return slider == ToneSlider::Brightness ? kBrightnessSliderCentre : kContrastSliderCentre;
}

void BrightnessContrastSession::centreSliders() {
    m_brightness = SliderState{kBrightnessSliderCentre};
    m_contrast = SliderState{kContrastSliderCentre};
}

// --- opening and closing ----------------------------------------------------------

bool BrightnessContrastSession::open() {
    ImageTable& images = m_workspace.images();
    if (m_open || m_workspace.busy() != 0 || !images.exists(kSlotWorking)) return false;
    images.copy(kSlotWorking, kSlotBase);
    images.copy(kSlotWorking, kSlotShown);
    m_baseRevision = m_workspace.workingRevision();
    m_options = BrightnessOptions{};
    centreSliders();
    m_applied = m_applyEnabled = m_refreshEnabled = false;
    m_workspace.busyMask().set(kBusyBrightnessContrast);
    m_open = true;
    return true;
}

void BrightnessContrastSession::close() {
    if (!m_open) return;
    // A base made from an older working image is never committed.
    const bool commit = m_applied && !workingImageChanged();
    m_open = false;
    m_applied = m_applyEnabled = m_refreshEnabled = false;
    m_brightness.pending = m_contrast.pending = false;
    if (commit && copyPixels(m_workspace.images(), kSlotBase, kSlotWorking)) m_workspace.recordChange(kSlotWorking);
    m_workspace.busyMask().clear(kBusyBrightnessContrast);
    m_workspace.redraw(kSlotWorking, true);
    m_workspace.images().free(kSlotShown);
    m_workspace.images().free(kSlotBase);
}

// --- controls ------------------------------------------------------------------------

void BrightnessContrastSession::moveSlider(ToneSlider slider, int position) {
    if (!m_open || slider == ToneSlider::None) return;
    if (slider != m_activeSlider) {
        // The other slider's work so far stays: whatever still waits is
        // computed, the preview becomes the base, the other slider re-centres.
        runWaiting(true);
        foldPreviewIntoBase();
        const ToneSlider other = otherSlider(slider);
        state(other) = SliderState{centre(other)};
        state(slider).value = 0;
        m_activeSlider = slider;
    }
    SliderState& s = state(slider);
    s.position = std::clamp(position, 0, slider == ToneSlider::Brightness ? kBrightnessSliderMax : kContrastSliderMax);
    s.due = m_clock() + kToneDeferralMs;
    s.pending = true;
    runWaiting(false);
}

void BrightnessContrastSession::changeOptions(const BrightnessOptions& options) {
    if (!m_open) return;
    m_options = options;
    if (m_brightness.value != 0) m_refreshEnabled = true;
    runWaiting(false);
}

void BrightnessContrastSession::reset() {
    if (!m_open) return;
    centreSliders();
    ImageTable& images = m_workspace.images();
    copyPixels(images, kSlotWorking, kSlotBase);
    // The preview goes too: Apply or a slider switch would otherwise fold
    // the adjustment just reset back into the base.
    copyPixels(images, kSlotWorking, kSlotShown);
    m_baseRevision = m_workspace.workingRevision();
    // Off during the redraw: whatever follows the view sees the working
    // image with no tool open.
    m_workspace.busyMask().clear(kBusyBrightnessContrast);
    m_workspace.redraw(kSlotWorking, true);
    m_workspace.busyMask().set(kBusyBrightnessContrast);
    m_applied = false;
    m_applyEnabled = false;
    runWaiting(false);
}

void BrightnessContrastSession::refreshBrightness() {
    if (!m_open || !m_refreshEnabled) return;
    // A value that differs from the slider's makes the check recompute the
    // preview with the options now set; the old due time has passed.
    m_brightness.pending = true;
    m_brightness.value += 1;
    runWaiting(false);
}

void BrightnessContrastSession::apply() {
    if (!m_open || !m_applyEnabled) return;
    if (workingImageChanged()) {
        // The preview came from an older working image: show the new one instead.
        workspaceChanged();
        return;
    }
    runWaiting(true);
    foldPreviewIntoBase();
    centreSliders();
    m_applied = true;
    m_applyEnabled = false;
}

void BrightnessContrastSession::tick() {
    if (m_open) runWaiting(false);
}

std::optional<std::int64_t> BrightnessContrastSession::nextCheckIn() const {
    if (!m_open) return std::nullopt;
    std::optional<std::int64_t> next;
    const std::int64_t now = m_clock();
    for (const SliderState* s : {&m_brightness, &m_contrast}) {
        if (!s->pending) continue;
        // Due means strictly later than the due time.
        const std::int64_t wait = std::max<std::int64_t>(s->due + 1 - now, 0);
        next = next ? std::min(*next, wait) : wait;
    }
    return next;
}

bool BrightnessContrastSession::workingImageChanged() const {
    return m_open && m_workspace.workingRevision() != m_baseRevision;
}

void BrightnessContrastSession::workspaceChanged() {
    if (!workingImageChanged()) return;
    ImageTable& images = m_workspace.images();
    if (!images.exists(kSlotWorking)) return;
    copyPixels(images, kSlotWorking, kSlotBase);
    copyPixels(images, kSlotWorking, kSlotShown);
    m_baseRevision = m_workspace.workingRevision();
    m_applied = false;
    m_applyEnabled = false;
    // The sliders stay where they are; the preview follows them on the new base.
    for (const ToneSlider slider : {ToneSlider::Brightness, ToneSlider::Contrast}) {
        SliderState& s = state(slider);
        s.value = 0;
        s.pending = false;
        run(slider, s);
    }
}

// --- adjustments -----------------------------------------------------------------------

void BrightnessContrastSession::runWaiting(bool flush) {
    const std::int64_t now = m_clock();
    for (const ToneSlider slider : {ToneSlider::Brightness, ToneSlider::Contrast}) {
        SliderState& s = state(slider);
        if (!s.pending || (!flush && now <= s.due)) continue;
        s.pending = false;
        run(slider, s);
    }
}

void BrightnessContrastSession::run(ToneSlider slider, SliderState& s) {
    const int value = s.position - centre(slider);
    if (value == s.value) return;
    s.value = value;
    adjust(slider, value);
}

// Rebuilds the preview from the base with one adjustment and shows it.
void BrightnessContrastSession::adjust(ToneSlider slider, int value) {
    ImageTable& images = m_workspace.images();
    if (!copyPixels(images, kSlotBase, kSlotShown)) return;
    m_refreshEnabled = false;
    m_applyEnabled = true;
    Image& preview = *images.find(kSlotShown);
    const Rect area = m_workspace.selectionActive() ? m_workspace.operationArea() : preview.rect();
    if (slider == ToneSlider::Brightness) adjustBrightness(preview, area, value, m_options);
    else adjustContrast(preview, area, value);
    m_workspace.redraw(kSlotShown, true);
}

void BrightnessContrastSession::foldPreviewIntoBase() {
    copyPixels(m_workspace.images(), kSlotShown, kSlotBase);
}

// --- what the window shows -------------------------------------------------------------

int BrightnessContrastSession::position(ToneSlider slider) const {
    return slider == ToneSlider::Brightness ? m_brightness.position : m_contrast.position;
}

std::string BrightnessContrastSession::caption(ToneSlider slider) const {
    const bool brightness = slider == ToneSlider::Brightness;
    return std::string(brightness ? "Brightness = " : "Contrast = ") +
           std::to_string(position(slider) - centre(slider));
}

}  // namespace tarnel
