#include "document/image_table.h"

#include <utility>

#include "document/slots.h"

namespace tarnel {

Image* ImageTable::find(int slot) {
    auto it = m_images.find(slot);
    return it == m_images.end() || it->second.isNull() ? nullptr : &it->second;
}

const Image* ImageTable::find(int slot) const {
    auto it = m_images.find(slot);
    return it == m_images.end() || it->second.isNull() ? nullptr : &it->second;
}

Image& ImageTable::put(int slot, Image image) {
    Image& stored = m_images[slot];
    stored = std::move(image);
    return stored;
}

int ImageTable::add(Image image) {
    // Fresh numbers are never reused, so a stale number can never name a
    // newer image.
    const int slot = kFirstFreshSlot + m_nextFresh++;
    m_images[slot] = std::move(image);
    return slot;
}

bool ImageTable::copy(int from, int to) {
    const Image* source = find(from);
    if (!source) return false;
    if (from == to) return true;
    // Into the image already there when it has the size (no new memory).
    m_images[to] = *source;
    return true;
}

int ImageTable::copyToNew(int from) {
    const Image* source = find(from);
    if (!source) return -1;
    return add(*source);
}

void ImageTable::free(int slot) { m_images.erase(slot); }

int ImageTable::count() const {
    int n = 0;
    for (const auto& [slot, image] : m_images)
        if (!image.isNull()) ++n;
    return n;
}

}  // namespace tarnel
