#pragma once
// Large zero-filled tables that are touched sparsely (a result for every
// one of 2^24 colours, say). Memory comes from the system already zeroed,
// page by page as it is first written; where the system offers large
// pages, they are asked for, since first touches of millions of small
// pages cost more than the work the table saves.

#include <cstddef>
#include <memory>

namespace tarnel {

struct ZeroedMemoryRelease {
    std::size_t bytes = 0;
    void operator()(void* p) const;
};

using ZeroedMemory = std::unique_ptr<void, ZeroedMemoryRelease>;

// bytes of zeroed memory; throws std::bad_alloc when there is none.
ZeroedMemory allocateZeroed(std::size_t bytes);

// Hands back memory of that many bytes from allocateZeroed whose every byte
// is zero again, for the next request of the same size (one is kept): for
// tables asked for again and again, whose users know what they wrote.
void recycleZeroed(ZeroedMemory memory, std::size_t bytes);

}  // namespace tarnel
