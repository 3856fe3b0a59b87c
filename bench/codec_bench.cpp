// Encoding and decoding a 4096 x 4096 photo in memory. The PNG encoder is
// timed on one thread and on every core (argument: threads, 0 = all).
#include <benchmark/benchmark.h>

#include <optional>

#include "bench_common.h"
#include "core/parallel.h"
#include "io/image_codec.h"

namespace tarnel::bench {
namespace {

const std::vector<std::uint8_t>& encoded(ImageFormat format) {
    static std::vector<std::uint8_t> files[3];
    const int i = format == ImageFormat::Png ? 0 : format == ImageFormat::Jpeg ? 1 : 2;
    if (files[i].empty()) files[i] = encodeImage(benchPhoto(24), format).bytes;
    return files[i];
}

ImageFormat formatOf(std::int64_t arg) {
    return arg == 0 ? ImageFormat::Png : arg == 1 ? ImageFormat::Jpeg : ImageFormat::Bmp;
}

// args: format (0 PNG, 1 JPEG, 2 BMP), threads (0 = all).
void BM_Encode(benchmark::State& state) {
    const ImageFormat format = formatOf(state.range(0));
    std::optional<ThreadingForTest> threads;
    if (state.range(1) > 0) threads.emplace(static_cast<int>(state.range(1)), kParallelMinWork);
    for (auto _ : state) benchmark::DoNotOptimize(encodeImage(benchPhoto(24), format).bytes.data());
    state.SetLabel(std::to_string(encoded(format).size()) + " bytes");
}
BENCHMARK(BM_Encode)->Args({0, 1})->Args({0, 0})->Args({1, 0})->Args({2, 0})->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = encoded(formatOf(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(decodeImage(file).image.data());
}
BENCHMARK(BM_Decode)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
