// Brightness, contrast and the histogram on the 4096 x 4096 photo.
#include <benchmark/benchmark.h>

#include <cstring>

#include "adjust/brightness_contrast.h"
#include "adjust/histogram.h"
#include "bench_common.h"

namespace tarnel::bench {
namespace {

// The window rebuilds the preview from a copy of the base image, so the
// copy is part of each measured run (BM_PlainCopy alone).
void restore(Image& image, const Image& source) {
    std::memcpy(image.data(), source.data(), source.pixelCount() * sizeof(Color));
}

void runBrightness(benchmark::State& state, const BrightnessOptions& options, int amount) {
    const Image& source = benchPhoto(24);
    Image image = source;
    for (auto _ : state) {
        restore(image, source);
        adjustBrightness(image, image.rect(), amount, options);
        benchmark::DoNotOptimize(image.data());
    }
}

void BM_BrightnessDefault(benchmark::State& state) { runBrightness(state, BrightnessOptions{}, 60); }
BENCHMARK(BM_BrightnessDefault)->Unit(benchmark::kMillisecond);

void BM_BrightnessRatioClampDarken(benchmark::State& state) {
    BrightnessOptions o;
    o.limit = BrightnessLimit::Clamp;
    o.proportional = false;
    runBrightness(state, o, -50);
}
BENCHMARK(BM_BrightnessRatioClampDarken)->Unit(benchmark::kMillisecond);

void BM_BrightnessEqualHoldProportional(benchmark::State& state) {
    BrightnessOptions o;
    o.ratio = false;
    runBrightness(state, o, 60);
}
BENCHMARK(BM_BrightnessEqualHoldProportional)->Unit(benchmark::kMillisecond);

void BM_BrightnessEqualClamp(benchmark::State& state) {
    BrightnessOptions o;
    o.limit = BrightnessLimit::Clamp;
    o.ratio = false;
    o.proportional = false;
    runBrightness(state, o, 60);
}
BENCHMARK(BM_BrightnessEqualClamp)->Unit(benchmark::kMillisecond);

void BM_Contrast(benchmark::State& state) {
    const Image& source = benchPhoto(24);
    Image image = source;
    for (auto _ : state) {
        restore(image, source);
        adjustContrast(image, image.rect(), 40);
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_Contrast)->Unit(benchmark::kMillisecond);

void BM_Histogram(benchmark::State& state) {
    const Image& source = benchPhoto(24);
    for (auto _ : state) {
        const Histogram h = computeHistogram(source, source.rect());
        benchmark::DoNotOptimize(h.counts.data());
    }
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond);

void BM_HistogramGraph(benchmark::State& state) {
    const Image& source = benchPhoto(24);
    const Histogram h = computeHistogram(source, source.rect());
    for (auto _ : state) {
        const HistogramGraph g = drawHistogramGraph(h);
        benchmark::DoNotOptimize(g.image.data());
    }
}
BENCHMARK(BM_HistogramGraph)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
