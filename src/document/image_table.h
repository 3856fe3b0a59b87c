#pragma once
// The process-wide table of images, addressed by slot number.
//
// Fixed slots (document/slots.h) are written with put(); snapshots and
// temporaries get a number from add() that no fixed slot and no earlier
// add() uses. Copying into a slot replaces that slot's image, size
// included. A slot "holds no image" when it is absent or its image is null.

#include <map>

#include "core/image.h"

namespace tarnel {

class ImageTable {
public:
    // The image in slot, or nullptr when the slot holds no image.
    Image* find(int slot);
    const Image* find(int slot) const;
    bool exists(int slot) const { return find(slot) != nullptr; }

    // Stores image in slot (replacing what was there) and returns it.
    Image& put(int slot, Image image);
    // Stores image under a fresh number and returns that number.
    int add(Image image);
    // Copies slot from into slot to; false (and no change) when from is empty.
    bool copy(int from, int to);
    // Copies slot from into a fresh slot; -1 when from is empty.
    int copyToNew(int from);
    void free(int slot);

    // Number of slots currently holding an image (for tests and leak checks).
    int count() const;

private:
    std::map<int, Image> m_images;
    int m_nextFresh = 0;
};

}  // namespace tarnel
