#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "twocolors/two_colors.h"

namespace tarnel::bench {
namespace {

// Converts a fresh copy each time; the copy itself is the BM_PlainCopy cost.
void BM_TwoColors(benchmark::State& state) {
    const Image& source = benchPhoto();
    Image image(source.width(), source.height(), source.depth());
    TwoColorOptions options;
    options.dither = static_cast<TwoColorDither>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        image = source;
        state.ResumeTiming();
        convertTwoColors(image, image.rect(), options);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TwoColors)->Arg(0)->Arg(1)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
