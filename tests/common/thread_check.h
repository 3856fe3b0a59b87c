#pragma once
// Threaded operations against their single-threaded result.

#include <functional>

#include "core/image.h"

namespace tarnel::test {

// Runs op on a photo-like image of each awkward size (1 x 1, one row, one
// column, primes), once on one thread and once split over three threads with
// no size threshold, and expects identical pixels.
void expectThreadsMatchOneThread(const std::function<Image(Image)>& op, int depth = 24);

}  // namespace tarnel::test
