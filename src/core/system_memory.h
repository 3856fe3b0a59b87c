#pragma once
// How much physical memory the machine has (0 when the system does not say).

#include <cstddef>

namespace tarnel {

std::size_t physicalMemoryBytes();

}  // namespace tarnel
