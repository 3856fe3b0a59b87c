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

void BM_Rotate90(benchmark::State& state) {
    const Image& source = benchPhoto(32);
    const auto direction = state.range(0) ? RotateDirection::Clockwise : RotateDirection::CounterClockwise;
    for (auto _ : state) {
        Image turned = rotate90(source, direction);
        benchmark::DoNotOptimize(turned.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Rotate90)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
