#include "io/png_codec.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/png_write.h"

namespace tarnel {
namespace {

static_assert(std::endian::native == std::endian::little,
              "pixels are handed to libpng as R, G, B, A bytes in memory order");

// Deflate never expands data by more than about 1032 to 1, so a file shorter
// than its image data divided by this cannot hold the image.
constexpr std::uint64_t kMaxDeflateRatio = 1100;
// Largest ancillary chunk kept in memory; bigger ones are skipped.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

// libpng reports errors by longjmp. Everything with a destructor lives in
// these state records, owned by the caller of the functions that call setjmp;
// those functions and the callbacks hold only trivial locals.
struct ReadState {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool ranOut = false;
    // Rows libpng has still to deliver; at zero the image is complete and
    // whatever compressed data follows is never inflated.
    std::uint64_t rowsLeft = 0;
    bool complete = false;
    char message[200] = {};
    png_structp png = nullptr;
    png_infop info = nullptr;
    Image image;
    std::vector<png_bytep> rows;

    ~ReadState() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void copyMessage(char* out, std::size_t size, const char* text) {
    std::strncpy(out, text ? text : "", size - 1);
    out[size - 1] = '\0';
}

[[noreturn]] void onReadError(png_structp png, png_const_charp text) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    copyMessage(state->message, sizeof state->message, text);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (state->complete) png_longjmp(png, 1);  // libpng reads on only to check the end of the data
    if (length > state->data.size() - state->pos) {
        state->ranOut = true;
        png_error(png, "the file ends too soon");
    }
    std::memcpy(out, state->data.data() + state->pos, length);
    state->pos += length;
}

bool readHeader(ReadState* s) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_set_read_fn(s->png, s, readFromMemory);
    png_set_chunk_malloc_max(s->png, kMaxChunkBytes);
    // Only IHDR, PLTE, tRNS, IDAT and IEND matter here. Skipping every other
    // chunk unread also keeps libpng from allocating for the length an
    // ancillary chunk declares.
    png_set_keep_unknown_chunks(s->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
#ifdef PNG_IGNORE_ADLER32
    // The read stops at the last row, before the stream's checksum, so
    // summing every inflated byte for it would be wasted; the chunks' CRCs
    // still guard the data.
    png_set_option(s->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(s->png, s->info);
    return true;
}

// The rows of the image data, one per interlace pass a row takes part in.
std::uint64_t rowsInData(png_uint_32 width, png_uint_32 height, bool interlaced) {
    if (!interlaced) return height;
    // Adam7 passes: first column and row, column and row step.
    constexpr int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::uint64_t rows = 0;
    for (const auto& p : kPass)
        if (width > static_cast<png_uint_32>(p[0]) && height > static_cast<png_uint_32>(p[1]))
            rows += (height - p[1] + p[3] - 1) / p[3];
    return rows;
}

// Called by libpng for each row it has read and unfiltered, before the row is
// stored and before libpng looks for the end of the compressed data.
void countRow(png_structp png, png_row_infop, png_bytep) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (state->rowsLeft > 0 && --state->rowsLeft == 0) state->complete = true;
}

// Sets the transforms that turn every PNG into 4 bytes per pixel, R G B A.
bool setTransforms(ReadState* s, bool alpha) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_structp png = s->png;
    const int colorType = png_get_color_type(png, s->info);
    png_set_expand(png);
    if (png_get_bit_depth(png, s->info) == 16) png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_set_read_user_transform_fn(png, countRow);
    png_read_update_info(png, s->info);
    return true;
}

// Stops as soon as the last row is in: data after it (even gigabytes once
// inflated) is not inflated; see idatChecksumsMatch.
bool readPixels(ReadState* s) {
    if (setjmp(png_jmpbuf(s->png))) return s->complete;
    png_read_image(s->png, s->rows.data());
    return true;
}

// libpng checks a chunk's CRC after reading all of it, which a read stopped
// at the last row skips; the IDAT chunks are checked here instead, as far as
// the file goes.
bool idatChecksumsMatch(std::span<const std::uint8_t> data) {
    std::size_t at = 8;
    while (data.size() - at >= 12) {
        const std::uint32_t length = (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) |
                                     (std::uint32_t{data[at + 2]} << 8) | data[at + 3];
        if (length > data.size() - at - 12) break;
        const std::uint8_t* type = data.data() + at + 4;
        if (std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "IDAT", 4) == 0) {
            const std::uint8_t* stored = type + 4 + length;
            const std::uint32_t expected = (std::uint32_t{stored[0]} << 24) | (std::uint32_t{stored[1]} << 16) |
                                           (std::uint32_t{stored[2]} << 8) | stored[3];
            if (crc32(crc32(0, type, 4), type + 4, length) != expected) return false;
        }
        at += 12 + std::size_t{length};
    }
    return true;
}

// One PNG row: the filter-type byte (None), then R G B or R G B A.
void pngRow(const Image& image, int y, std::uint8_t* out) {
    *out++ = PNG_FILTER_VALUE_NONE;
    const Color* p = image.row(y);
    const int width = image.width();
    if (image.depth() == 32) {
        std::memcpy(out, p, static_cast<std::size_t>(width) * 4);
        return;
    }
    for (int x = 0; x < width; ++x, out += 3) {
        const Color c = p[x];
        out[0] = static_cast<std::uint8_t>(c);
        out[1] = static_cast<std::uint8_t>(c >> 8);
        out[2] = static_cast<std::uint8_t>(c >> 16);
    }
}

}  // namespace

bool isPng(std::span<const std::uint8_t> data) {
    return data.size() >= 8 && png_sig_cmp(data.data(), 0, 8) == 0;
}

DecodeResult decodePng(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    if (!isPng(data)) return decodeFailure(DecodeError::UnknownFormat, "not a PNG file");
    ReadState state;
    state.data = data;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onReadError, onWarning);
    if (!state.png) return decodeFailure(DecodeError::Corrupt, "libpng could not start");
    state.info = png_create_info_struct(state.png);
    if (!state.info) return decodeFailure(DecodeError::Corrupt, "libpng could not start");
    auto failure = [&state](const char* stage) {
        return decodeFailure(state.ranOut ? DecodeError::Truncated : DecodeError::Corrupt,
                             std::string(stage) + ": " + state.message);
    };
    if (!readHeader(&state)) return failure("bad PNG header");

    const png_uint_32 width = png_get_image_width(state.png, state.info);
    const png_uint_32 height = png_get_image_height(state.png, state.info);
    if (std::string why = checkImageSize(width, height, limits); !why.empty())
        return decodeFailure(DecodeError::TooLarge, why);
    const std::uint64_t rawRowBytes =
        (std::uint64_t{width} * png_get_channels(state.png, state.info) * png_get_bit_depth(state.png, state.info) + 7) / 8;
    if ((rawRowBytes + 1) * height > kMaxDeflateRatio * data.size())
        return decodeFailure(DecodeError::Truncated, "the file is far too short for its declared size");

    const bool alpha = (png_get_color_type(state.png, state.info) & PNG_COLOR_MASK_ALPHA) ||
                       png_get_valid(state.png, state.info, PNG_INFO_tRNS);
    if (!setTransforms(&state, alpha)) return failure("unsupported PNG");
    if (png_get_rowbytes(state.png, state.info) != std::size_t{width} * 4)
        return decodeFailure(DecodeError::Corrupt, "unexpected PNG row layout");

    state.rowsLeft = rowsInData(width, height, png_get_interlace_type(state.png, state.info) != PNG_INTERLACE_NONE);
    state.image = Image(static_cast<int>(width), static_cast<int>(height), alpha ? 32 : 24, 0);
    state.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        state.rows[y] = reinterpret_cast<png_bytep>(state.image.row(static_cast<int>(y)));
    if (!readPixels(&state)) return failure("damaged PNG data");
    if (state.complete && !idatChecksumsMatch(data))
        return decodeFailure(DecodeError::Corrupt, "damaged PNG data: IDAT: CRC error");

    DecodeResult result;
    result.image = std::move(state.image);
    return result;
}

std::string encodePng(const Image& image, ByteSink& out) {
    if (image.isNull()) return "there is no image to write";
    const PngLayout layout{.width = image.width(),
                           .height = image.height(),
                           .colorType = image.depth() == 32 ? PngColorType::Rgba : PngColorType::Rgb};
    return writePng(layout, [&image](int y, std::uint8_t* row) { pngRow(image, y, row); }, out);
}

}  // namespace tarnel
