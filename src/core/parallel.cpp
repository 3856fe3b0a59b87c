#include "core/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tarnel {
namespace {

int detectedWorkers() {
    if (const char* forced = std::getenv("TARNEL_THREADS")) {
        const int n = std::atoi(forced);
        if (n >= 1) return std::min(n, kMaxWorkers);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMaxWorkers);
}

// 0 = not overridden.
int g_forcedThreads = 0;
std::int64_t g_minWork = kParallelMinWork;

}  // namespace

int workerCount() {
    if (g_forcedThreads > 0) return g_forcedThreads;
    static const int n = detectedWorkers();
    return n;
}

int threadsFor(std::int64_t work) { return work >= g_minWork ? workerCount() : 1; }

void runTasks(int count, std::int64_t work, const std::function<void(int task)>& task) {
    if (count <= 0) return;
    const int threads = std::min(threadsFor(work), count);
    if (threads <= 1) {
        for (int i = 0; i < count; ++i) task(i);
        return;
    }
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    const auto drain = [&] {
        for (int i = next++; i < count && !failed.load(std::memory_order_relaxed); i = next++) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard<std::mutex> hold(errorLock);
                if (!error) error = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(drain);
        } catch (const std::system_error&) {
            break;  // fewer threads than asked for: the ones running share the tasks
        }
    }
    drain();
    for (std::thread& h : helpers) h.join();
    if (error) std::rethrow_exception(error);
}

void parallelRows(int first, int last, std::int64_t workPerRow, const std::function<void(int top, int bottom)>& band) {
    const int rows = last - first + 1;
    if (rows <= 0) return;
    const std::int64_t work = std::int64_t{rows} * std::max<std::int64_t>(workPerRow, 1);
    const int bands = std::min(threadsFor(work), rows);
    runTasks(bands, work, [&](int i) {
        const int top = first + static_cast<int>(std::int64_t{rows} * i / bands);
        const int bottom = first + static_cast<int>(std::int64_t{rows} * (i + 1) / bands) - 1;
        band(top, bottom);
    });
}

ThreadingForTest::ThreadingForTest(int threads, std::int64_t minWork)
    : m_threads(g_forcedThreads), m_minWork(g_minWork) {
    g_forcedThreads = std::clamp(threads, 1, kMaxWorkers);
    g_minWork = minWork;
}

ThreadingForTest::~ThreadingForTest() {
    g_forcedThreads = m_threads;
    g_minWork = m_minWork;
}

}  // namespace tarnel
