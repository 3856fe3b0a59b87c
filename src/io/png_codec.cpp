#include "io/png_codec.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tarnel {
namespace {

static_assert(std::endian::native == std::endian::little,
              "pixels are handed to libpng as R, G, B, A bytes in memory order");

// Deflate never expands data by more than about 1032 to 1, so a file shorter
// than its image data divided by this cannot hold the image.
constexpr std::uint64_t kMaxDeflateRatio = 1100;
// Largest ancillary chunk kept in memory; bigger ones are skipped.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
constexpr int kCompressionLevel = 9;

// libpng reports errors by longjmp. Everything with a destructor lives in
// these state records, owned by the caller of the functions that call setjmp;
// those functions and the callbacks hold only trivial locals.
struct ReadState {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool ranOut = false;
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
    png_read_info(s->png, s->info);
    return true;
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
    png_read_update_info(png, s->info);
    return true;
}

bool readPixels(ReadState* s) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_read_image(s->png, s->rows.data());
    return true;
}

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::uint8_t* buffer = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
    char message[200] = {};

    ~WriteState() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        std::free(buffer);
    }
};

[[noreturn]] void onWriteError(png_structp png, png_const_charp text) {
    auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
    copyMessage(state->message, sizeof state->message, text);
    png_longjmp(png, 1);
}

void writeToMemory(png_structp png, png_bytep in, png_size_t length) {
    auto* s = static_cast<WriteState*>(png_get_io_ptr(png));
    if (length > s->capacity - s->size) {
        std::size_t capacity = s->capacity ? s->capacity : 65536;
        while (capacity - s->size < length) capacity *= 2;
        auto* grown = static_cast<std::uint8_t*>(std::realloc(s->buffer, capacity));
        if (!grown) png_error(png, "out of memory");
        s->buffer = grown;
        s->capacity = capacity;
    }
    std::memcpy(s->buffer + s->size, in, length);
    s->size += length;
}

void flushMemory(png_structp) {}

bool writeImage(WriteState* s, const Image* image) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_structp png = s->png;
    const bool alpha = image->depth() == 32;
    png_set_write_fn(png, s, writeToMemory, flushMemory);
    png_set_IHDR(png, s->info, static_cast<png_uint_32>(image->width()), static_cast<png_uint_32>(image->height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, kCompressionLevel);
    png_write_info(png, s->info);
    if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < image->height(); ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image->row(y)));
    png_write_end(png, nullptr);
    return true;
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

    state.image = Image(static_cast<int>(width), static_cast<int>(height), alpha ? 32 : 24, 0);
    state.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        state.rows[y] = reinterpret_cast<png_bytep>(state.image.row(static_cast<int>(y)));
    if (!readPixels(&state)) return failure("damaged PNG data");

    DecodeResult result;
    result.image = std::move(state.image);
    return result;
}

EncodeResult encodePng(const Image& image) {
    EncodeResult result;
    if (image.isNull()) {
        result.error = "there is no image to write";
        return result;
    }
    WriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onWriteError, onWarning);
    if (state.png) state.info = png_create_info_struct(state.png);
    if (!state.png || !state.info) {
        result.error = "libpng could not start";
        return result;
    }
    if (!writeImage(&state, &image)) {
        result.error = std::string("PNG encoding failed: ") + state.message;
        return result;
    }
    result.bytes.assign(state.buffer, state.buffer + state.size);
    return result;
}

}  // namespace tarnel
