#include "core/pixel_memory.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace tarnel {

namespace {

// Buffers below this size are cheap to get from the heap.
constexpr std::size_t kPooledFrom = std::size_t{2} << 20;
// At most this many freed buffers are kept: enough for an undo step (the
// old working image) plus one made ready ahead.
constexpr std::size_t kPoolCapacity = 3;

struct Kept {
    ZeroedMemory memory;
    std::size_t bytes = 0;
    bool zero = false;  // every byte still zero
};

struct Pool {
    std::mutex mutex;
    std::vector<Kept> kept;  // oldest first
};

// Never destroyed: images freed during the program's exit still hand their
// memory back to it.
Pool& pool() {
    static Pool* const instance = new Pool;
    return *instance;
}

// Takes a kept buffer of exactly bytes, or returns a null one.
Kept take(std::size_t bytes) {
    Pool& p = pool();
    const std::lock_guard lock(p.mutex);
    const auto it = std::find_if(p.kept.rbegin(), p.kept.rend(), [bytes](const Kept& k) { return k.bytes == bytes; });
    if (it == p.kept.rend()) return {};
    Kept found = std::move(*it);
    p.kept.erase(std::next(it).base());
    return found;
}

// Keeps a buffer; the oldest goes back to the system when the pool is full.
void keep(Kept entry) {
    Kept dropped;
    {
        Pool& p = pool();
        const std::lock_guard lock(p.mutex);
        if (p.kept.size() == kPoolCapacity) {
            dropped = std::move(p.kept.front());
            p.kept.erase(p.kept.begin());
        }
        p.kept.push_back(std::move(entry));
    }
    // dropped is released here, outside the lock.
}

PixelMemory adopt(ZeroedMemory memory, std::size_t bytes) {
    const ZeroedMemoryRelease system = memory.get_deleter();
    return PixelMemory(memory.release(), PixelMemoryRelease{system, bytes});
}

}  // namespace

void PixelMemoryRelease::operator()(void* p) const {
    ZeroedMemory memory(p, system);
    if (bytes < kPooledFrom) return;  // freed by memory's destructor
    keep(Kept{std::move(memory), bytes, false});
}

namespace {
std::atomic<std::size_t> failFrom{0};
}  // namespace

void failPixelAllocationsFrom(std::size_t bytes) { failFrom = bytes; }

PixelMemory allocatePixels(std::size_t bytes, bool zeroed) {
    if (const std::size_t limit = failFrom.load(); limit != 0 && bytes >= limit) throw std::bad_alloc();
    if (bytes >= kPooledFrom) {
        Kept found = take(bytes);
        if (found.memory) {
            if (zeroed && !found.zero) std::memset(found.memory.get(), 0, bytes);
            return adopt(std::move(found.memory), bytes);
        }
    }
    return adopt(allocateZeroed(bytes), bytes);
}

void preparePixels(std::size_t bytes) {
    if (bytes < kPooledFrom) return;
    {
        Pool& p = pool();
        const std::lock_guard lock(p.mutex);
        for (const Kept& k : p.kept)
            if (k.bytes == bytes) return;
    }
    try {
        ZeroedMemory memory = allocateZeroed(bytes);
        std::memset(memory.get(), 0, bytes);  // touches every page
        keep(Kept{std::move(memory), bytes, true});
    } catch (const std::bad_alloc&) {
    }
}

namespace {

// One preparation at a time, joined before the next and at exit.
class Preparer {
public:
    ~Preparer() {
        const std::lock_guard lock(m_mutex);
        if (m_thread.joinable()) m_thread.join();
    }
    void wait() {
        const std::lock_guard lock(m_mutex);
        if (m_thread.joinable()) m_thread.join();
    }
    void start(std::size_t bytes) {
        const std::lock_guard lock(m_mutex);
        if (m_running.load()) return;
        if (m_thread.joinable()) m_thread.join();
        m_running = true;
        try {
            m_thread = std::thread([this, bytes] {
                preparePixels(bytes);
                m_running = false;
            });
        } catch (const std::system_error&) {
            m_running = false;  // no thread to be had: recording just takes fresh memory
        }
    }

private:
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

}  // namespace

Preparer& preparer() {
    static Preparer instance;
    return instance;
}

void preparePixelsInBackground(std::size_t bytes) {
    if (bytes >= kPooledFrom) preparer().start(bytes);
}

void waitForPixelPreparation() { preparer().wait(); }

void releasePixelPool() {
    std::vector<Kept> dropped;
    Pool& p = pool();
    const std::lock_guard lock(p.mutex);
    dropped.swap(p.kept);
}

}  // namespace tarnel
