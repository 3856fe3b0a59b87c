#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "quantize/neuquant.h"

namespace tarnel::bench {
namespace {

void BM_NeuQuant(benchmark::State& state) {
    const Image& source = benchPhoto();
    const bool dither = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        Image image = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(neuquantQuantize(image, image.rect(), dither));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_NeuQuant)->Arg(0)->Arg(1)->ArgName("dither")->Unit(benchmark::kMillisecond);

// Learning alone: the sampled part of the work.
void BM_NeuQuantLearn(benchmark::State& state) {
    const Image& source = benchPhoto();
    for (auto _ : state) {
        NeuQuantNetwork network;
        network.learn(source, source.rect());
        network.finish();
        benchmark::DoNotOptimize(network.palette().data());
    }
}
BENCHMARK(BM_NeuQuantLearn)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
