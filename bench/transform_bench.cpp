// Orientation and simple colour operations on a 4096 x 4096 photo.
#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "transform/colors.h"
#include "transform/flip.h"
#include "transform/rotate.h"

namespace tarnel::bench {
namespace {

template <typename Operation>
void runInPlace(benchmark::State& state, Operation operation) {
    Image image = benchPhoto(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        operation(image);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}

void BM_Negative(benchmark::State& state) { runInPlace(state, [](Image& i) { negative(i); }); }
void BM_GrayScale(benchmark::State& state) { runInPlace(state, [](Image& i) { grayScale(i); }); }
void BM_Flip(benchmark::State& state) { runInPlace(state, [](Image& i) { flip(i); }); }
void BM_Mirror(benchmark::State& state) { runInPlace(state, [](Image& i) { mirror(i); }); }
void BM_Rotate180(benchmark::State& state) { runInPlace(state, [](Image& i) { rotate180(i); }); }
BENCHMARK(BM_Negative)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayScale)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mirror)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate180)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

// Argument 1 clockwise, 0 counter-clockwise. Into a reused target: the
// rotation itself.
void BM_Rotate90(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    const auto direction = state.range(0) ? RotateDirection::Clockwise : RotateDirection::CounterClockwise;
    Image turned(source.height(), source.width(), source.depth());
    for (auto _ : state) {
        rotate90Into(source, turned, direction);
        benchmark::DoNotOptimize(turned.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Rotate90)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A fresh result image per call, as the menu command does; the difference to
// BM_Rotate90 is the cost of allocating and first touching 64 MiB.
void BM_Rotate90Allocating(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    for (auto _ : state) {
        Image turned = rotate90(source, RotateDirection::Clockwise);
        benchmark::DoNotOptimize(turned.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Rotate90Allocating)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
