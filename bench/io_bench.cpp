// Writing a quantized photo as a palette PNG against the RGB PNG it
// replaces, and the method shoot-out on a 1920 x 1080 photo.

#include <benchmark/benchmark.h>

#include "batch/compare.h"
#include "bench_common.h"
#include "io/png_codec.h"
#include "io/png_indexed.h"
#include "quantize/palette_methods.h"

namespace tarnel::bench {
namespace {

constexpr int kShootoutWidth = 1920;
constexpr int kShootoutHeight = 1080;

// The 4096 x 4096 photo at 256 colours (arg 256) or 16 colours dithered (arg 16).
const Image& quantizedPhoto(int colors) {
    static Image at256, at16;
    Image& image = colors == 256 ? at256 : at16;
    if (image.isNull()) {
        image = benchPhoto();
        runMethod(image, image.rect(), QuantizeMethod::Adaptive, {colors, colors != 256});
    }
    return image;
}

template <typename Encode>
void encodeBench(benchmark::State& state, Encode encode) {
    const Image& image = quantizedPhoto(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        encode(image, sink);
        bytes = sink.bytes;
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_PngRgb(benchmark::State& state) {
    encodeBench(state, [](const Image& image, ByteSink& sink) { encodePng(image, sink); });
}
BENCHMARK(BM_PngRgb)->Arg(256)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);

// Includes finding the palette and indexing the pixels.
void BM_PngIndexed(benchmark::State& state) {
    encodeBench(state, [](const Image& image, ByteSink& sink) { encodeIndexedPng(image, sink); });
}
BENCHMARK(BM_PngIndexed)->Arg(256)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);

// All fifteen methods at 256 colours, measured and sized as palette PNGs.
void BM_CompareMethods(benchmark::State& state) {
    const Image photo = benchPhoto().copy(Rect{0, 0, kShootoutWidth - 1, kShootoutHeight - 1});
    for (auto _ : state) benchmark::DoNotOptimize(batch::compareMethods(photo, 256, state.range(0) != 0, false));
}
BENCHMARK(BM_CompareMethods)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tarnel::bench
