#pragma once
// Shared inputs for the benchmark suites: a 4096 x 4096 photo-like image and
// the plain-copy baseline (the memory-bandwidth floor every suite reports
// next to its own timings).

#include "core/image.h"

namespace tarnel::bench {

constexpr int kBenchSize = 4096;

// Built once per process; depth 24 or 32.
const Image& benchPhoto(int depth = 24);

}  // namespace tarnel::bench
