// Colour counting, remap and the palette methods on the 4096 x 4096 photo.
// Each iteration quantizes a fresh copy of the photo (the copy is not timed).

#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_common.h"
#include "quantize/color_count.h"
#include "quantize/palette_methods.h"
#include "quantize/remap.h"

namespace tarnel::bench {
namespace {

// Runs work on a fresh copy of the photo each iteration.
template <typename Work>
void onFreshCopy(benchmark::State& state, Work&& work) {
    const Image& photo = benchPhoto();
    Image image = photo;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(image.data(), photo.data(), photo.pixelCount() * sizeof(Color));
        state.ResumeTiming();
        work(image);
        benchmark::ClobberMemory();
    }
}

void BM_CountColors(benchmark::State& state) {
    const Image& photo = benchPhoto();
    for (auto _ : state)
        benchmark::DoNotOptimize(countColors(photo));
}
BENCHMARK(BM_CountColors)->Unit(benchmark::kMillisecond);

// Remap to the 256 colours of Human 256; arg 1 = error diffusion.
void BM_Remap256(benchmark::State& state) {
    const Palette& palette = fixedPalette(QuantizeMethod::Human256);
    const RemapOptions options{state.range(0) != 0};
    onFreshCopy(state, [&](Image& image) { remap(image, image.rect(), palette, options); });
}
BENCHMARK(BM_Remap256)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every method through runMethod with the window's starting limits;
// args: method number, dither.
void BM_RunMethod(benchmark::State& state) {
    const auto method = static_cast<QuantizeMethod>(state.range(0));
    const QuantizeOptions options{method == QuantizeMethod::Uniform ? 3 : 32, state.range(1) != 0};
    state.SetLabel(std::string(quantizeMethodName(method)) + (options.dither ? " dither" : ""));
    onFreshCopy(state, [&](Image& image) { benchmark::DoNotOptimize(runMethod(image, image.rect(), method, options)); });
}
void methodArgs(benchmark::internal::Benchmark* b) {
    for (int m = 0; m < kQuantizeMethodCount; ++m)
        if (static_cast<QuantizeMethod>(m) != QuantizeMethod::Neuquant256)
            for (int dither : {0, 1})
                b->Args({m, dither});
}
BENCHMARK(BM_RunMethod)->Apply(methodArgs)->Unit(benchmark::kMillisecond);

// Popularity and Adaptive at their largest limit.
void BM_RunMethodLimit256(benchmark::State& state) {
    const auto method = static_cast<QuantizeMethod>(state.range(0));
    const QuantizeOptions options{256, state.range(1) != 0};
    state.SetLabel(std::string(quantizeMethodName(method)) + (options.dither ? " dither" : ""));
    onFreshCopy(state, [&](Image& image) { benchmark::DoNotOptimize(runMethod(image, image.rect(), method, options)); });
}
BENCHMARK(BM_RunMethodLimit256)->Args({1, 1})->Args({2, 1})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
