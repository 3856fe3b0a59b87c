// The banded compressor: one valid zlib stream whatever the band and thread
// counts, with bytes that do not depend on the thread count.

#include <gtest/gtest.h>
#include <zlib.h>

#include "core/parallel.h"
#include "io/parallel_deflate.h"

namespace tarnel {
namespace {

constexpr std::size_t kRowBytes = 7;
constexpr int kBandRows = 4;

// Rows that repeat in part, so that matches reach across band boundaries.
std::uint8_t rowByte(int y, std::size_t i) { return static_cast<std::uint8_t>((y % 3) * 40 + i * 7 + (y * 13 & 5)); }

std::vector<std::uint8_t> compressed(int rows, int threads) {
    const ThreadingForTest forced(threads, 0);
    auto stream = deflateRows(rows, kRowBytes, 9, [](int y, std::uint8_t* out) {
        for (std::size_t i = 0; i < kRowBytes; ++i) out[i] = rowByte(y, i);
    }, kBandRows);
    return stream ? stream->joined() : std::vector<std::uint8_t>{};
}

TEST(ParallelDeflate, EveryBandBoundaryInflatesToTheRows) {
    // 0 rows; 1, 2; a band less one, a band, a band and one; several bands.
    for (int rows : {0, 1, 2, kBandRows - 1, kBandRows, kBandRows + 1, 3 * kBandRows + 2}) {
        SCOPED_TRACE(rows);
        const std::vector<std::uint8_t> single = compressed(rows, 1);
        ASSERT_FALSE(single.empty());
        EXPECT_EQ(compressed(rows, 3), single);
        EXPECT_EQ(single[0], 0x78);
        EXPECT_EQ(single[1] >> 6, 3);  // level 9 declared in the header

        std::vector<std::uint8_t> raw(kRowBytes * static_cast<std::size_t>(rows) + 16);
        uLongf size = raw.size();
        ASSERT_EQ(uncompress(raw.data(), &size, single.data(), single.size()), Z_OK);  // checks the Adler-32 too
        ASSERT_EQ(size, kRowBytes * static_cast<std::size_t>(rows));
        for (int y = 0; y < rows; ++y)
            for (std::size_t i = 0; i < kRowBytes; ++i) ASSERT_EQ(raw[y * kRowBytes + i], rowByte(y, i)) << y;
    }
}

TEST(ParallelDeflate, BandsHoldAboutTheBandSize) {
    EXPECT_EQ(deflateBandRows(kDeflateBandBytes * 3), 1);
    EXPECT_EQ(deflateBandRows(kDeflateBandBytes / 4), 4);
    EXPECT_EQ(deflateBandRows(1), static_cast<int>(kDeflateBandBytes));
}

}  // namespace
}  // namespace tarnel
