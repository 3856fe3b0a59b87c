#include "core/zeroed_memory.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tarnel {

namespace {

ZeroedMemory heapZeroed(std::size_t bytes) {
    void* p = std::calloc(bytes, 1);
    if (!p)
        throw std::bad_alloc();
    return ZeroedMemory(p, ZeroedMemoryRelease{0});
}

}  // namespace

#if defined(__linux__)
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Below one large page, the system's small pages are as good.
constexpr std::size_t kLargeFrom = kLargePage;

ZeroedMemory systemZeroed(std::size_t bytes) {
    if (bytes < kLargeFrom)
        return heapZeroed(bytes);
    // Whole large pages, mapped one page longer so that an aligned start
    // fits; the unused head and tail are returned at once.
    const std::size_t length = (bytes + kLargePage - 1) & ~(kLargePage - 1);
    const std::size_t mapped = length + kLargePage;
    void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        throw std::bad_alloc();
    auto* start = static_cast<char*>(base);
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1));
    if (aligned != start)
        munmap(start, static_cast<std::size_t>(aligned - start));
    const std::size_t tail = mapped - static_cast<std::size_t>(aligned - start) - length;
    if (tail != 0)
        munmap(aligned + length, tail);
    madvise(aligned, length, MADV_HUGEPAGE);  // a hint: small pages still work
    return ZeroedMemory(aligned, ZeroedMemoryRelease{length});
}

}  // namespace

void ZeroedMemoryRelease::operator()(void* p) const {
    if (bytes == 0)
        std::free(p);
    else
        munmap(p, bytes);
}
#else
namespace {

ZeroedMemory systemZeroed(std::size_t bytes) { return heapZeroed(bytes); }

}  // namespace

void ZeroedMemoryRelease::operator()(void* p) const { std::free(p); }
#endif

namespace {

struct Recycled {
    std::mutex mutex;
    ZeroedMemory memory;
    std::size_t bytes = 0;
};

Recycled& recycled() {
    static Recycled kept;
    return kept;
}

}  // namespace

ZeroedMemory allocateZeroed(std::size_t bytes) {
    {
        Recycled& kept = recycled();
        const std::lock_guard lock(kept.mutex);
        if (kept.memory && kept.bytes == bytes)
            return std::move(kept.memory);
    }
    return systemZeroed(bytes);
}

void recycleZeroed(ZeroedMemory memory, std::size_t bytes) {
    Recycled& kept = recycled();
    const std::lock_guard lock(kept.mutex);
    kept.memory = std::move(memory);  // frees the one kept before
    kept.bytes = bytes;
}

}  // namespace tarnel
