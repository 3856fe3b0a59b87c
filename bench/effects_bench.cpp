// Effects on a 4096 x 4096 photo: the Gaussian blur of the menu (rows then
// columns, twice) on both depths, and a few pixel-chain effects covering
// every kind of chain.
#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "effects/gaussian_blur.h"
#include "effects/pixel_chain.h"

namespace tarnel::bench {
namespace {

void BM_GaussianBlur(benchmark::State& state) {
    const Image& source = benchPhoto(static_cast<int>(state.range(0)));
    Image image = source;
    for (auto _ : state) {
        blurImage(image);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GaussianBlur)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_Effect(benchmark::State& state) {
    const Effect effect = kAllEffects[state.range(0)];
    state.SetLabel(std::string(effectMenuText(effect)));
    Image image = benchPhoto(32);
    for (auto _ : state) {
        applyEffect(image, effect);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Effect)
    ->Arg(static_cast<int>(Effect::EdgeDetect))
    ->Arg(static_cast<int>(Effect::Scramble))
    ->Arg(static_cast<int>(Effect::Unscramble))
    ->Arg(static_cast<int>(Effect::XFactor))
    ->Arg(static_cast<int>(Effect::Scratch))
    ->Unit(benchmark::kMillisecond);

void BM_Primitive(benchmark::State& state) {
    const auto primitive = static_cast<ChainPrimitive>(state.range(0));
    Image image = benchPhoto(32);
    for (auto _ : state) {
        applyPrimitive(image, primitive);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Primitive)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
