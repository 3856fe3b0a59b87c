#include "io/parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <new>

#include "core/parallel.h"

namespace tarnel {
namespace {

constexpr int kWindowBits = 15;  // 32 KiB of history, as a zlib header with CMF 0x78 declares
constexpr int kMemLevel = 9;     // the largest hash table: faster at high levels, never larger output
constexpr std::uint8_t kZlibMethod = 0x78;  // deflate, 32 KiB window
constexpr std::uint32_t kHeaderCheck = 31;   // (CMF * 256 + FLG) must be a multiple of this
// Slack past deflateBound for the empty stored block a flush adds.
constexpr std::size_t kFlushSlack = 64;

struct Band {
    std::vector<std::uint8_t> data;
    std::uint32_t adler = 1;
    std::size_t inputBytes = 0;
    bool ok = false;
};

struct Deflater {
    z_stream z{};
    bool open = false;
    ~Deflater() {
        if (open) deflateEnd(&z);
    }
};

std::uint8_t levelFlags(int level) {
    // FLEVEL: 0 fastest .. 3 slowest, as zlib itself writes it.
    const int flevel = level <= 1 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    const std::uint32_t flg = static_cast<std::uint32_t>(flevel) << 6;
    const std::uint32_t check = kHeaderCheck - ((std::uint32_t{kZlibMethod} << 8 | flg) % kHeaderCheck);
    return static_cast<std::uint8_t>(flg | (check % kHeaderCheck));
}

void deflateBand(Band& band, const std::vector<std::uint8_t>& input, int level, bool last) {
    Deflater d;
    if (deflateInit2(&d.z, level, Z_DEFLATED, -kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
        if (d.z.msg == nullptr) throw std::bad_alloc();
        return;
    }
    d.open = true;
    band.data.resize(deflateBound(&d.z, static_cast<uLong>(input.size())) + kFlushSlack);
    d.z.next_in = const_cast<Bytef*>(input.data());
    d.z.avail_in = static_cast<uInt>(input.size());
    d.z.next_out = band.data.data();
    d.z.avail_out = static_cast<uInt>(band.data.size());
    const int flush = last ? Z_FINISH : Z_FULL_FLUSH;
    for (;;) {
        const int status = deflate(&d.z, flush);
        if (status == Z_STREAM_END) break;
        if (status != Z_OK && status != Z_BUF_ERROR) return;
        if (d.z.avail_out > 0) {
            if (!last && status == Z_OK) break;  // the flush is complete
            if (status == Z_BUF_ERROR) return;
            continue;
        }
        const std::size_t used = band.data.size();  // out of room: grow and go on
        band.data.resize(band.data.size() * 2);
        d.z.next_out = band.data.data() + used;
        d.z.avail_out = static_cast<uInt>(band.data.size() - used);
    }
    band.data.resize(band.data.size() - d.z.avail_out);
    band.adler = static_cast<std::uint32_t>(adler32(1, input.data(), static_cast<uInt>(input.size())));
    band.inputBytes = input.size();
    band.ok = true;
}

}  // namespace

int deflateBandRows(std::size_t rowBytes) {
    return static_cast<int>(std::max<std::size_t>(1, kDeflateBandBytes / std::max<std::size_t>(rowBytes, 1)));
}

std::size_t ZlibStream::size() const {
    std::size_t total = 0;
    for (const auto& piece : pieces) total += piece.size();
    return total;
}

std::vector<std::uint8_t> ZlibStream::joined() const {
    std::vector<std::uint8_t> out;
    out.reserve(size());
    for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::optional<ZlibStream> deflateRows(int rows, std::size_t rowBytes, int level, const RowSource& source,
                                      int bandRows) {
    if (bandRows <= 0) bandRows = deflateBandRows(rowBytes);
    const int bandCount = rows <= 0 ? 1 : (rows + bandRows - 1) / bandRows;
    std::vector<Band> bands(static_cast<std::size_t>(bandCount));
    const std::int64_t work = static_cast<std::int64_t>(std::max(rows, 0)) * static_cast<std::int64_t>(rowBytes);
    runTasks(bandCount, work, [&](int i) {
        const int top = i * bandRows;
        const int bottom = std::min(rows, top + bandRows);
        std::vector<std::uint8_t> input(static_cast<std::size_t>(std::max(bottom - top, 0)) * rowBytes);
        for (int y = top; y < bottom; ++y) source(y, input.data() + static_cast<std::size_t>(y - top) * rowBytes);
        deflateBand(bands[static_cast<std::size_t>(i)], input, level, i == bandCount - 1);
    });

    ZlibStream stream;
    stream.pieces.reserve(bands.size() + 2);
    stream.pieces.push_back({kZlibMethod, levelFlags(level)});
    std::uint32_t adler = 1;
    for (Band& b : bands) {
        if (!b.ok) return std::nullopt;
        adler = static_cast<std::uint32_t>(adler32_combine(adler, b.adler, static_cast<z_off_t>(b.inputBytes)));
        stream.pieces.push_back(std::move(b.data));
    }
    std::vector<std::uint8_t> check;
    for (int shift = 24; shift >= 0; shift -= 8) check.push_back(static_cast<std::uint8_t>(adler >> shift));
    stream.pieces.push_back(std::move(check));
    return stream;
}

}  // namespace tarnel
