#pragma once
// Little-endian reads from a byte span, for the hand-written file parsers.
// Callers check bounds with has() before reading.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnel::bytes {

inline bool has(std::span<const std::uint8_t> data, std::size_t offset, std::size_t count) {
    return offset <= data.size() && count <= data.size() - offset;
}

inline std::uint16_t u16(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline std::uint32_t u32(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint32_t>(data[offset]) | (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data[offset + 2]) << 16) | (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

inline std::int32_t i32(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::int32_t>(u32(data, offset));
}

inline void put16(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace tarnel::bytes
