#pragma once
// Work split across the processor's cores.
//
// A job is a count of tasks (bands of rows, columns, blocks of a file); each
// task writes only its own part of the output, so the result does not depend
// on how many threads ran or in which order the tasks finished. Small jobs
// stay on the calling thread: starting a thread costs tens of microseconds.
//
// The thread count is the processor's, capped at kMaxWorkers; setting
// TARNEL_THREADS=1 in the environment keeps every job on one thread, and
// tests override both the count and the size threshold with ThreadingForTest.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tarnel {

inline constexpr int kMaxWorkers = 16;
// Below this many pixels (or bytes, for byte jobs) of work one thread does it.
inline constexpr std::int64_t kParallelMinWork = std::int64_t{1} << 18;

// How many threads a large job uses (at least 1).
int workerCount();

// The threads a job of that size (pixels or bytes) runs on.
int threadsFor(std::int64_t work);

// Runs task(0) .. task(count - 1), on up to workerCount() threads when work
// (the job's size in pixels or bytes) reaches the threshold, else in order on
// the calling thread. The first exception a task throws is rethrown here once
// every thread has stopped; tasks not yet started then are skipped.
void runTasks(int count, std::int64_t work, const std::function<void(int task)>& task);

// Splits rows [first, last] into about as many bands as there are threads
// and calls band(top, bottom) for each (inclusive bounds). workPerRow is a
// row's size for the threshold, usually its width in pixels.
void parallelRows(int first, int last, std::int64_t workPerRow, const std::function<void(int top, int bottom)>& band);

// While alive, jobs use exactly `threads` threads and the threshold is
// minWork (0 splits even a 1 x 1 image). Not for use while jobs run.
class ThreadingForTest {
public:
    ThreadingForTest(int threads, std::int64_t minWork);
    ~ThreadingForTest();
    ThreadingForTest(const ThreadingForTest&) = delete;
    ThreadingForTest& operator=(const ThreadingForTest&) = delete;

private:
    int m_threads;
    std::int64_t m_minWork;
};

}  // namespace tarnel
