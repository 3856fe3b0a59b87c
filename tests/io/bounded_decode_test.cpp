// Inputs made to cost far more memory or time than their size suggests, and
// damaged files that decode in part. Each case is a small generated file.

#include <gtest/gtest.h>

#include <zlib.h>

#include <chrono>
#include <optional>

#include "common/test_images.h"
#include "io/image_codec.h"
#include "io/jp2_budget.h"

namespace tarnel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}
void segment(Bytes& b, std::uint8_t marker, const Bytes& body) {
    b.push_back(0xFF);
    b.push_back(marker);
    put16(b, static_cast<std::uint32_t>(body.size() + 2));
    b.insert(b.end(), body.begin(), body.end());
}

// A COD segment: decomposition levels, code-block exponents (2 is 4 x 4
// samples) and, when given, one precinct exponent for every resolution.
struct Style {
    int levels = 5;
    int blockExp = 6;
    std::optional<int> precinctExp;
};
Bytes cod(const Style& s) {
    Bytes body = {static_cast<std::uint8_t>(s.precinctExp ? 1 : 0), 0, 0, 1, 0,
                  static_cast<std::uint8_t>(s.levels), static_cast<std::uint8_t>(s.blockExp - 2),
                  static_cast<std::uint8_t>(s.blockExp - 2), 0, 1};
    if (s.precinctExp)
        for (int r = 0; r <= s.levels; ++r) body.push_back(static_cast<std::uint8_t>(*s.precinctExp * 0x11));
    return body;
}

// A one-component codestream of one tile whose tile-part header may carry
// its own COD, and whose packets are all empty.
Bytes codestream(std::uint32_t side, const Style& main, const std::optional<Style>& tile = std::nullopt) {
    Bytes b = {0xFF, 0x4F};
    Bytes siz;
    put16(siz, 0);
    for (std::uint32_t v : {side, side, 0u, 0u, side, side, 0u, 0u}) put32(siz, v);
    put16(siz, 1);
    siz.insert(siz.end(), {7, 1, 1});
    segment(b, 0x51, siz);
    segment(b, 0x52, cod(main));
    segment(b, 0x5C, Bytes(2 + 3 * 5, 0x40));
    Bytes tileHeader;
    if (tile) segment(tileHeader, 0x52, cod(*tile));
    const Bytes data(4, 0);
    b.insert(b.end(), {0xFF, 0x90});
    put16(b, 10);
    put16(b, 0);
    put32(b, static_cast<std::uint32_t>(12 + tileHeader.size() + 2 + data.size()));
    b.insert(b.end(), {0, 1});
    b.insert(b.end(), tileHeader.begin(), tileHeader.end());
    b.insert(b.end(), {0xFF, 0x93});
    b.insert(b.end(), data.begin(), data.end());
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

TEST(BoundedDecode, Jpeg2000RecordsAreCountedFromTheHeadersAndRefusedBeyondTheBudget) {
    const Style bomb{0, 2, 0};  // 1 x 1 precincts, each with its own code-block
    struct Case {
        const char* what;
        Bytes file;
        std::uint64_t codeBlocks;
        bool refused;
    };
    const Case cases[] = {
        {"4 x 4 code-blocks", codestream(2048, {0, 2, std::nullopt}), 2048 * 2048 / 16, false},
        {"1 x 1 precincts", codestream(2048, bomb), 2048 * 2048, true},
        {"1 x 1 precincts in the tile-part header", codestream(2048, {}, bomb), 2048 * 2048, true},
        // 1 + 3 code-blocks per level: every band fits one 64 x 64 block.
        {"ordinary layout", codestream(64, {}), 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Jpeg2000Cost cost;
        const DecodeResult checked = estimateJpeg2000Cost(c.file, {}, cost);
        EXPECT_EQ(cost.codeBlocks, c.codeBlocks);
        EXPECT_EQ(checked.error, c.refused ? DecodeError::TooLarge : DecodeError::None) << checked.message;
        // The decoder refuses before the library allocates: no 2 GB, no minutes.
        if (c.refused) {
            EXPECT_EQ(decodeImage(c.file).error, DecodeError::TooLarge);
        }
    }
    // Planes, records and the decoded image share one budget.
    Jpeg2000Cost cost;
    const Bytes big = codestream(8192, {});
    ASSERT_TRUE(estimateJpeg2000Cost(big, {}, cost).ok());
    DecodeLimits limits;
    limits.maxWorkBytes = cost.totalBytes();
    EXPECT_TRUE(estimateJpeg2000Cost(big, limits, cost).ok());
    limits.maxWorkBytes -= 1;
    EXPECT_EQ(estimateJpeg2000Cost(big, limits, cost).error, DecodeError::TooLarge);
}

// A progressive gray JPEG whose scans are refinement scans of nothing but
// end-of-band runs: each scan visits every block while its data stays tiny.
Bytes emptyScansJpeg(int side, int scans) {
    Bytes b = {0xFF, 0xD8};
    Bytes dqt(65, 1);
    dqt[0] = 0;
    segment(b, 0xDB, dqt);
    Bytes sof = {8};
    put16(sof, static_cast<std::uint32_t>(side));
    put16(sof, static_cast<std::uint32_t>(side));
    sof.insert(sof.end(), {1, 1, 0x11, 0});
    segment(b, 0xC2, sof);
    // AC table 0 with the single symbol EOB14: code "0", 14 extra bits.
    Bytes dht = {0x10, 1};
    dht.resize(17, 0);
    dht.push_back(0xE0);
    segment(b, 0xC4, dht);
    const int blocks = (side / 8) * (side / 8);
    Bytes data;
    std::uint32_t acc = 0;
    int bits = 0;
    for (int run = 0; run < blocks; run += 32767) {  // each symbol: a run of 32767 blocks
        acc = (acc << 15) | 0x3FFF;
        bits += 15;
        for (; bits >= 8; bits -= 8) {
            data.push_back(static_cast<std::uint8_t>(acc >> (bits - 8)));
            if (data.back() == 0xFF) data.push_back(0);
        }
    }
    if (bits > 0) data.push_back(static_cast<std::uint8_t>((acc << (8 - bits)) | ((1u << (8 - bits)) - 1)));
    if (data.back() == 0xFF) data.push_back(0);
    for (int i = 0; i < scans; ++i) {
        segment(b, 0xDA, {1, 1, 0x00, 1, 63, 0x10});
        b.insert(b.end(), data.begin(), data.end());
    }
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

TEST(BoundedDecode, JpegScansAreCountedInBlockVisits) {
    constexpr int kScans = 40;
    const Bytes file = emptyScansJpeg(256, kScans);
    DecodeLimits limits;
    limits.maxJpegScanBlocks = kScans * 32 * 32;
    const DecodeResult ok = decodeImage(file, limits);
    ASSERT_TRUE(ok.ok()) << ok.message;
    EXPECT_EQ(ok.image.width(), 256);
    limits.maxJpegScanBlocks -= 1;
    const DecodeResult refused = decodeImage(file, limits);
    EXPECT_EQ(refused.error, DecodeError::TooLarge);
    EXPECT_TRUE(refused.image.isNull());
}

// Deflate output bits, least significant first; Huffman codes go most
// significant bit first.
struct BitWriter {
    Bytes out;
    std::uint32_t acc = 0;
    int count = 0;
    void bits(std::uint32_t value, int n) {
        for (int i = 0; i < n; ++i) bit((value >> i) & 1);
    }
    void code(std::uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    void bit(std::uint32_t b) {
        acc |= b << count;
        if (++count == 8) flush();
    }
    void flush() {
        if (count == 0) return;
        out.push_back(static_cast<std::uint8_t>(acc));
        acc = 0;
        count = 0;
    }
};

void chunk(Bytes& png, const char* type, const std::uint8_t* data, std::size_t size) {
    put32(png, static_cast<std::uint32_t>(size));
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data, data + size);
    put32(png, static_cast<std::uint32_t>(crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data,
                                                static_cast<uInt>(size))));
}

// A 64 x 64 RGB PNG whose compressed stream goes on after the last row with
// `extraBytes` of zero runs, over a thousand times as much once inflated.
Bytes pngWithCompressedTail(std::size_t extraBytes) {
    constexpr int kSide = 64;
    const Image image = test::photoLikeImage(kSide, kSide, 24, 4);
    BitWriter w;
    w.out = {0x78, 0x01};
    w.bits(0, 1);  // a stored block with the filtered rows
    w.bits(0, 2);
    w.flush();
    const std::uint32_t rawSize = kSide * (1 + 3 * kSide);
    w.out.insert(w.out.end(), {static_cast<std::uint8_t>(rawSize), static_cast<std::uint8_t>(rawSize >> 8),
                               static_cast<std::uint8_t>(~rawSize), static_cast<std::uint8_t>(~rawSize >> 8)});
    for (int y = 0; y < kSide; ++y) {
        w.out.push_back(0);
        for (int x = 0; x < kSide; ++x)
            for (int shift : {0, 8, 16}) w.out.push_back(static_cast<std::uint8_t>(image.row(y)[x] >> shift));
    }
    w.bits(1, 1);  // a final block of fixed codes: length 258 at distance 1, again and again
    w.bits(1, 2);
    while (w.out.size() < extraBytes) {
        w.code(0xC5, 8);
        w.code(0, 5);
    }
    w.code(0, 7);
    w.flush();
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put32(ihdr, kSide);
    put32(ihdr, kSide);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk(png, "IHDR", ihdr.data(), ihdr.size());
    for (std::size_t at = 0; at < w.out.size(); at += 1 << 20)
        chunk(png, "IDAT", w.out.data() + at, std::min<std::size_t>(1 << 20, w.out.size() - at));
    chunk(png, "IEND", nullptr, 0);
    return png;
}

TEST(BoundedDecode, PngStopsAtTheLastRow) {
    // 8 MB that inflate to about 8 GB: seconds of inflating had the reader
    // gone on.
    Bytes png = pngWithCompressedTail(8 << 20);
    const auto start = std::chrono::steady_clock::now();
    const DecodeResult decoded = decodeImage(png);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(decoded.ok()) << decoded.message;
    EXPECT_TRUE(decoded.image == test::photoLikeImage(64, 64, 24, 4));
    EXPECT_LT(seconds, 2.0);
    // The chunks after the last row are still checked.
    png[png.size() - 100] ^= 1;
    EXPECT_EQ(decodeImage(png).error, DecodeError::Corrupt);
}

TEST(BoundedDecode, DamagedJpegLoadsAndSaysSo) {
    const EncodeResult jpeg = encodeImage(test::randomImage(256, 192, 24, 6), ImageFormat::Jpeg, 8);
    ASSERT_GT(jpeg.bytes.size(), 4000u);
    Bytes corrupt = jpeg.bytes;
    std::fill_n(corrupt.end() - 1000, 20, std::uint8_t{0xFF});
    struct Case {
        const char* what;
        Bytes file;
        bool damaged;
    };
    const Case cases[] = {
        {"whole", jpeg.bytes, false},
        {"cut to half", Bytes(jpeg.bytes.begin(), jpeg.bytes.begin() + jpeg.bytes.size() / 2), true},
        {"cut before the end marker", Bytes(jpeg.bytes.begin(), jpeg.bytes.end() - 2), true},
        {"markers in the scan", corrupt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodeResult r = decodeImage(c.file);
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(r.image.width(), 256);
        EXPECT_EQ(!r.damage.empty(), c.damaged) << r.damage;
    }
}

}  // namespace
}  // namespace tarnel
