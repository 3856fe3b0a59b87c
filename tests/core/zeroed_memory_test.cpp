#include "core/zeroed_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace tarnel {
namespace {

TEST(ZeroedMemory, EveryByteAskedForIsZeroAndWritable) {
    // Small sizes come from the heap, large ones from whole large pages;
    // sizes just past a large page boundary must still be fully usable.
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    for (std::size_t bytes : {std::size_t{1}, std::size_t{4096}, 8 * kLargePage, 9 * kLargePage + 1,
                              9 * kLargePage - 1, 18 * kLargePage + 12345}) {
        ZeroedMemory memory = allocateZeroed(bytes);
        auto* p = static_cast<unsigned char*>(memory.get());
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p[bytes - 1], 0) << bytes;
        // The first byte of every 4 KiB stretch, and the very last.
        for (std::size_t i = 0; i < bytes; i += 4096) {
            ASSERT_EQ(p[i], 0) << bytes << " " << i;
            p[i] = 0xAB;
        }
        p[bytes - 1] = 0xCD;
        EXPECT_EQ(p[bytes - 1], 0xCD);
    }
}

}  // namespace
}  // namespace tarnel
