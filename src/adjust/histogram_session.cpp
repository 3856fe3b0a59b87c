#include "adjust/histogram_session.h"

#include "document/slots.h"

namespace tarnel {

bool HistogramSession::refresh() {
    if (!m_wanted) {
        close();
        return false;
    }
    if (!m_open) open();

    const Image* image = analysedImage();
    if (!image) return false;
    const Histogram histogram = computeHistogram(*image, image->rect(), m_options.excludeExtremes);
    HistogramGraph graph = drawHistogramGraph(histogram, m_options);
    m_workspace.images().put(kSlotHistogramGraph, std::move(graph.image));

    m_hasGraph = true;
    m_title = std::move(graph.title);
    m_caption = std::move(graph.caption);
    m_averageColor = graph.averageColor;
    m_textColor = graph.textColor;
    m_markers.clear();
    if (m_options.averageLines) {
        const bool checked[kHistChannels] = {m_options.red, m_options.green, m_options.blue};
        const Color inks[kHistChannels] = {kHistogramRedInk, kHistogramGreenInk, kHistogramBlueInk};
        for (int ch = 0; ch < kHistChannels; ++ch)
            if (checked[ch])
                m_markers.push_back({kHistogramGraphLeft + graph.average[ch], kHistogramMarkerY, inks[ch]});
    }
    return true;
}

void HistogramSession::close() {
    m_wanted = false;
    if (!m_open) return;
    m_open = false;
    m_workspace.images().free(kSlotHistogramGraph);
}

const Image* HistogramSession::graphImage() const {
    return m_open ? m_workspace.images().find(kSlotHistogramGraph) : nullptr;
}

void HistogramSession::open() {
    m_open = true;
    m_options = HistogramOptions{};
    m_hasGraph = false;
    m_title = kHistogramTitle;
    m_caption = kHistogramInitialCaption;
    m_averageColor = 0;
    m_textColor = 0;
    m_markers.clear();
    m_workspace.images().put(kSlotHistogramGraph, Image(kHistogramGraphWidth, kHistogramGraphHeight, 24, 0));
}

const Image* HistogramSession::analysedImage() {
    if (m_workspace.selectionActive()) {
        // A selection that cannot be grabbed leaves nothing to graph rather
        // than a stale area from an earlier grab.
        if (!m_workspace.grabSelection(kSlotSelectedArea)) return nullptr;
        return m_workspace.images().find(kSlotSelectedArea);
    }
    return m_workspace.images().find(m_workspace.shownSlot());
}

}  // namespace tarnel
