#pragma once
// Pixel buffers of images. Touching memory for the first time costs far
// more than most work done on it (the system zeroes and maps it page by
// page: 20 to 300 ms for a 4096 x 4096 image here), while a copy into
// memory already touched takes a few milliseconds. So a large buffer that
// an image frees is kept for the next image of the same size (a few are
// kept), and preparePixelsInBackground() touches one ahead of need, so that
// the snapshot the next change records is a plain copy.
//
// Small buffers (under 2 MiB) come and go through the heap as usual.

#include <cstddef>
#include <memory>

#include "core/zeroed_memory.h"

namespace tarnel {

// Gives a buffer back to the pool, or to the system when the pool is full
// or the buffer is small.
struct PixelMemoryRelease {
    ZeroedMemoryRelease system;
    std::size_t bytes = 0;
    void operator()(void* p) const;
};

using PixelMemory = std::unique_ptr<void, PixelMemoryRelease>;

// bytes of memory for pixels, all zero when zeroed is true, else with
// unspecified contents (for a copy that overwrites every byte). Throws
// std::bad_alloc when there is none.
PixelMemory allocatePixels(std::size_t bytes, bool zeroed);

// Makes sure a touched buffer of bytes waits in the pool. Does nothing for
// small sizes or when one is already there; never throws (a failed
// allocation just leaves the pool as it was).
void preparePixels(std::size_t bytes);
// The same on a background thread, so that the caller does not wait; does
// nothing while an earlier preparation still runs. An allocation made
// before it is done simply takes fresh memory.
void preparePixelsInBackground(std::size_t bytes);

// Waits until a background preparation, if any, is done (benchmarks).
void waitForPixelPreparation();

// Tests: every pixel allocation of at least bytes fails with std::bad_alloc
// (0: none fails), as it would with the memory used up.
void failPixelAllocationsFrom(std::size_t bytes);

// Hands every kept buffer back to the system (tests; low memory).
void releasePixelPool();

}  // namespace tarnel
