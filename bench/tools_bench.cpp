// Smooth resize and canvas enlargement on the 4096 x 4096 photo.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench_common.h"
#include "tools/canvas_size.h"
#include "tools/resize.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tarnel::bench {
namespace {

// Every operation here returns a new image of up to 64 MiB. glibc hands
// blocks that large out as fresh pages and returns them on free, so each run
// would also pay the kernel for faulting in zeroed pages, which on some
// virtual machines costs far more than the resampling itself. Keeping freed
// blocks in the heap measures the operations; BM_NewImage shows the
// fresh-page cost separately when run with TARNEL_BENCH_FRESH_PAGES set.
const bool kKeepFreedBlocks = [] {
#if defined(__GLIBC__)
    if (!std::getenv("TARNEL_BENCH_FRESH_PAGES")) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
#endif
    return true;
}();

void BM_NewImage(benchmark::State& state) {
    for (auto _ : state) {
        const Image out(kBenchSize, kBenchSize, 32, 0);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_NewImage)->Unit(benchmark::kMillisecond);

void BM_ResizeMitchellDown(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    for (auto _ : state) {
        const Image out = smoothResize(source, 2048, 2048);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeMitchellDown)->Unit(benchmark::kMillisecond);

void BM_ResizeMitchellUp(benchmark::State& state) {
    static const Image source = smoothResize(benchPhoto(32), 2048, 2048);
    for (auto _ : state) {
        const Image out = smoothResize(source, 4096, 4096);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeMitchellUp)->Unit(benchmark::kMillisecond);

// One pass each: the width alone, the height alone.
void BM_ResizeMitchellWidthOnly(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    for (auto _ : state) {
        const Image out = smoothResize(source, 2048, 4096);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeMitchellWidthOnly)->Unit(benchmark::kMillisecond);
void BM_ResizeMitchellHeightOnly(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    for (auto _ : state) {
        const Image out = smoothResize(source, 4096, 2048);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeMitchellHeightOnly)->Unit(benchmark::kMillisecond);

void BM_ResizeAreaDown(benchmark::State& state) {
    const Image& source = benchPhoto(24);
    for (auto _ : state) {
        const Image out = smoothResize(source, 2048, 2048);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeAreaDown)->Unit(benchmark::kMillisecond);

void BM_ResizeAreaUp(benchmark::State& state) {
    static const Image source = smoothResize(benchPhoto(24), 2048, 2048);
    for (auto _ : state) {
        const Image out = smoothResize(source, 4096, 4096);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ResizeAreaUp)->Unit(benchmark::kMillisecond);

void BM_EnlargeCanvas(benchmark::State& state) {
    static const Image source = benchPhoto(24).copy(Rect{0, 0, 3999, 3999});
    for (auto _ : state) {
        const Image out = enlargeCanvas(source, 4096, 4096, 5, 0x336699);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EnlargeCanvas)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
