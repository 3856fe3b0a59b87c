#include "io/png_write.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <optional>
#include <vector>

namespace tarnel {

namespace {

constexpr int kCompressionLevel = 9;
// IDAT chunks of this size: large enough that their 12 bytes of framing do
// not count, small enough that a reader's buffers stay small.
constexpr std::size_t kIdatChunkBytes = std::size_t{1} << 18;
constexpr std::size_t kMaxPaletteEntries = 256;

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ByteSink* out = nullptr;
    char message[200] = {};

    ~WriteState() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

[[noreturn]] void onWriteError(png_structp png, png_const_charp text) {
    auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
    std::strncpy(state->message, text ? text : "", sizeof state->message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void writeToSink(png_structp png, png_bytep in, png_size_t length) {
    auto* s = static_cast<WriteState*>(png_get_io_ptr(png));
    if (!s->out->write(in, length)) png_error(png, "writing failed");
}

void flushSink(png_structp) {}

int libpngColorType(PngColorType type) {
    switch (type) {
    case PngColorType::Rgb: return PNG_COLOR_TYPE_RGB;
    case PngColorType::Rgba: return PNG_COLOR_TYPE_RGB_ALPHA;
    case PngColorType::Palette: return PNG_COLOR_TYPE_PALETTE;
    }
    return PNG_COLOR_TYPE_RGB;
}

struct PaletteChunks {
    std::array<png_color, kMaxPaletteEntries> entries{};
    std::array<png_byte, kMaxPaletteEntries> alphas{};
    int count = 0;
    int translucent = 0;  // entries up to the last one below alpha 255
};

// The header through libpng, then the compressed rows as IDAT chunks, each
// piece of the stream freed once written, and the end chunk. Only trivial
// locals: libpng may longjmp out of here.
bool writeChunks(WriteState* s, const PngLayout* layout, const PaletteChunks* palette, ZlibStream* stream) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_structp png = s->png;
    png_set_write_fn(png, s, writeToSink, flushSink);
    png_set_IHDR(png, s->info, static_cast<png_uint_32>(layout->width), static_cast<png_uint_32>(layout->height),
                 layout->bitDepth, libpngColorType(layout->colorType), PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout->colorType == PngColorType::Palette) {
        png_set_PLTE(png, s->info, palette->entries.data(), palette->count);
        if (palette->translucent > 0) png_set_tRNS(png, s->info, palette->alphas.data(), palette->translucent, nullptr);
    }
    png_write_info(png, s->info);
    static constexpr png_byte kIdat[5] = "IDAT";
    static constexpr png_byte kIend[5] = "IEND";
    std::size_t left = stream->size();
    std::size_t piece = 0, at = 0;  // the next byte to write
    while (left > 0) {
        const std::size_t chunk = std::min(kIdatChunkBytes, left);
        png_write_chunk_start(png, kIdat, static_cast<png_uint_32>(chunk));
        for (std::size_t need = chunk; need > 0;) {
            std::vector<std::uint8_t>& bytes = stream->pieces[piece];
            const std::size_t n = std::min(need, bytes.size() - at);
            png_write_chunk_data(png, bytes.data() + at, n);
            need -= n;
            at += n;
            if (at == bytes.size()) {
                bytes.clear();
                bytes.shrink_to_fit();
                ++piece;
                at = 0;
            }
        }
        png_write_chunk_end(png);
        left -= chunk;
    }
    png_write_chunk(png, kIend, nullptr, 0);
    return true;
}

}  // namespace

std::size_t pngRowBytes(const PngLayout& layout) {
    const std::size_t width = static_cast<std::size_t>(layout.width);
    switch (layout.colorType) {
    case PngColorType::Rgb: return 1 + width * 3;
    case PngColorType::Rgba: return 1 + width * 4;
    case PngColorType::Palette: return 1 + (width * static_cast<std::size_t>(layout.bitDepth) + 7) / 8;
    }
    return 1;
}

std::string writePng(const PngLayout& layout, const RowSource& source, ByteSink& out) {
    PaletteChunks palette;
    if (layout.colorType == PngColorType::Palette) {
        if (layout.palette.empty() || layout.palette.size() > kMaxPaletteEntries)
            return "a palette PNG needs 1 to 256 colours";
        palette.count = static_cast<int>(layout.palette.size());
        for (int i = 0; i < palette.count; ++i) {
            const Color c = layout.palette[static_cast<std::size_t>(i)];
            palette.entries[static_cast<std::size_t>(i)] = {static_cast<png_byte>(redOf(c)),
                                                            static_cast<png_byte>(greenOf(c)),
                                                            static_cast<png_byte>(blueOf(c))};
            palette.alphas[static_cast<std::size_t>(i)] = static_cast<png_byte>(alphaOf(c));
            if (alphaOf(c) < 255) palette.translucent = i + 1;
        }
    }
    WriteState state;
    state.out = &out;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onWriteError, onWarning);
    if (state.png) state.info = png_create_info_struct(state.png);
    if (!state.png || !state.info) return "libpng could not start";
    std::optional<ZlibStream> stream = deflateRows(layout.height, pngRowBytes(layout), kCompressionLevel, source);
    if (!stream) return "PNG encoding failed: the compressor stopped";
    if (!writeChunks(&state, &layout, &palette, &*stream)) return std::string("PNG encoding failed: ") + state.message;
    return {};
}

}  // namespace tarnel
