#pragma once
// Milliseconds from an arbitrary start. The editor passes the platform's
// clock; tests pass a counter they advance, so that deferrals are exact.

#include <cstdint>
#include <functional>

namespace tarnel {

using Clock = std::function<std::int64_t()>;

}  // namespace tarnel
