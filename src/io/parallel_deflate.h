#pragma once
// One zlib stream from many threads.
//
// The rows are cut into bands; each band is deflated on its own, ending with
// a full flush (so it starts from an empty history and ends on a byte
// boundary), the last one with the final block. The bands' raw deflate data
// are joined behind one zlib header, and the Adler-32 checksums of the bands
// are combined into the stream's. Any zlib reader inflates the result as one
// stream. The bands do not depend on the thread count, so neither do the
// bytes produced.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tarnel {

// A band holds about this many bytes of input: enough that the history lost
// at each boundary costs well under 1 % of the output, small enough that
// bands keep every core busy.
inline constexpr std::size_t kDeflateBandBytes = std::size_t{2} << 20;

// Writes row y (rowBytes bytes, a filter-type byte first where the data are
// PNG rows) to out.
using RowSource = std::function<void(int y, std::uint8_t* out)>;

// The rows per band for rows of rowBytes bytes.
int deflateBandRows(std::size_t rowBytes);

// A zlib stream as the pieces it was made in (the header, each band's data,
// the checksum), to be written in order: joining them would hold the whole
// stream twice.
struct ZlibStream {
    std::vector<std::vector<std::uint8_t>> pieces;

    std::size_t size() const;
    std::vector<std::uint8_t> joined() const;
};

// Deflates rows 0 .. rows - 1 at the given zlib level into one zlib stream,
// bandRows rows to a band (0: deflateBandRows(rowBytes)). Returns nothing
// where zlib fails; throws std::bad_alloc where memory runs out.
std::optional<ZlibStream> deflateRows(int rows, std::size_t rowBytes, int level, const RowSource& source,
                                      int bandRows = 0);

}  // namespace tarnel
