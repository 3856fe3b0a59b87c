#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace tarnel::bench {

const Image& benchPhoto(int depth) {
    static const Image photos[2] = {
        [] {
            // Smooth gradients with soft shapes and sensor-like noise: many
            // distinct colours, as in a real photograph.
            Image image(kBenchSize, kBenchSize, 24);
            std::mt19937 rng(7);
            for (int y = 0; y < kBenchSize; ++y) {
                Color* row = image.row(y);
                for (int x = 0; x < kBenchSize; ++x) {
                    const double fx = x / 4096.0, fy = y / 4096.0;
                    const int n = static_cast<int>(rng() % 7) - 3;
                    const int r = static_cast<int>(120 + 100 * std::sin(6.0 * fx + 2.0 * fy)) + n;
                    const int g = static_cast<int>(110 + 90 * std::cos(5.0 * fy - 3.0 * fx * fy)) + n;
                    const int b = static_cast<int>(100 + 80 * std::sin(9.0 * fx * fx + 4.0 * fy)) + n;
                    row[x] = rgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
                }
            }
            return image;
        }(),
        Image()};
    static const Image photo32 = [] {
        Image image = photos[0];
        image.setDepth(32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.row(y)[x] |= static_cast<Color>((x ^ y) & 0xFF) << 24;
        return image;
    }();
    return depth == 32 ? photo32 : photos[0];
}

namespace {

// The floor: copying the 64 MiB pixel buffer once.
void BM_PlainCopy(benchmark::State& state) {
    const Image& source = benchPhoto();
    Image target(source.width(), source.height(), source.depth());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.pixelCount() * sizeof(Color));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel::bench
