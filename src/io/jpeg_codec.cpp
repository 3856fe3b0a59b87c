#include "io/jpeg_codec.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tarnel {
namespace {

// Colour JPEGs are decoded, and 24-bit images encoded, as R G B X bytes in
// memory order, which on a little-endian machine is the image's own layout.
#ifdef JCS_EXTENSIONS
static_assert(std::endian::native == std::endian::little, "R G B X bytes are read as one 0xXXBBGGRR pixel");
constexpr J_COLOR_SPACE kRgbOut = JCS_EXT_RGBX;
constexpr J_COLOR_SPACE kRgbIn = JCS_EXT_RGBX;
#else
constexpr J_COLOR_SPACE kRgbOut = JCS_RGB;
#endif

// libjpeg reports errors through error_exit, which must not return: it jumps
// back to the setjmp of the running stage. Everything with a destructor lives
// in the state records below, owned by the callers of the stage functions.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char damage[JMSG_LENGTH_MAX];  // the first warning that data was lost, or empty
    bool ranOut;
    bool tooMuchWork;
    int scanLimit;
    std::uint64_t blockLimit;
    std::uint64_t blocks;  // block visits of the scans so far
    int countedScan;       // the scan and iMCU row counted last
    JDIMENSION countedRow;
};

// Warnings after which the library fills in what it could not read.
bool meansLostData(int code) {
    switch (code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL: return true;
        default: return false;
    }
}

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level >= 0) return;
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF) err->ranOut = true;
    if (meansLostData(code) && err->damage[0] == '\0') (*cinfo->err->format_message)(cinfo, err->damage);
}

void onOutput(j_common_ptr) {}

void initErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.pub.output_message = onOutput;
    err.message[0] = '\0';
    err.damage[0] = '\0';
    err.ranOut = false;
    err.tooMuchWork = false;
    err.scanLimit = kMaxJpegScans;
    err.blockLimit = kMaxJpegScanBlocks;
    err.blocks = 0;
    err.countedScan = 0;
    err.countedRow = 0;
}

[[noreturn]] void refuseWork(ErrorManager* err, const char* what) {
    std::snprintf(err->message, sizeof err->message, "%s", what);
    err->tooMuchWork = true;
    std::longjmp(err->jump, 1);
}

// Called before each iMCU row the library reads (and each row it outputs):
// counts the block visits of every input row once, from the components of
// the scan being read.
void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (d->input_scan_number > err->scanLimit) {
        char text[64];
        std::snprintf(text, sizeof text, "more than %d scans", err->scanLimit);
        refuseWork(err, text);
    }
    if (d->input_scan_number == err->countedScan && d->input_iMCU_row == err->countedRow) return;
    err->countedScan = d->input_scan_number;
    err->countedRow = d->input_iMCU_row;
    if (d->input_iMCU_row >= d->total_iMCU_rows) return;
    for (int i = 0; i < d->comps_in_scan; ++i) {
        const jpeg_component_info* c = d->cur_comp_info[i];
        if (c) err->blocks += std::uint64_t{c->width_in_blocks} * static_cast<std::uint64_t>(c->v_samp_factor);
    }
    if (err->blocks > err->blockLimit) {
        char text[128];
        std::snprintf(text, sizeof text, "its scans visit more than %llu blocks, too many to decode",
                      static_cast<unsigned long long>(err->blockLimit));
        refuseWork(err, text);
    }
}

struct ReadState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created = false;
    bool cmyk = false;
    Image image;

    ~ReadState() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

bool readHeader(ReadState* s, std::span<const std::uint8_t> data, std::uint64_t maxWorkBytes) {
    if (setjmp(s->err.jump)) return false;
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->cinfo.mem->max_memory_to_use = static_cast<long>(maxWorkBytes);
    s->progress.progress_monitor = onProgress;
    s->cinfo.progress = &s->progress;
    jpeg_mem_src(&s->cinfo, const_cast<unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&s->cinfo, TRUE);
    switch (s->cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE: s->cinfo.out_color_space = JCS_GRAYSCALE; break;
        case JCS_CMYK:
        case JCS_YCCK:
            s->cinfo.out_color_space = JCS_CMYK;
            s->cmyk = true;
            break;
        default: s->cinfo.out_color_space = kRgbOut; break;
    }
    return true;
}

bool readPixels(ReadState* s) {
    if (setjmp(s->err.jump)) return false;
    j_decompress_ptr cinfo = &s->cinfo;
    jpeg_start_decompress(cinfo);
    if (static_cast<int>(cinfo->output_width) != s->image.width() ||
        static_cast<int>(cinfo->output_height) != s->image.height()) {
        std::snprintf(s->err.message, sizeof s->err.message, "output size differs from the header");
        return false;
    }
    const int channels = cinfo->output_components;
    const int width = s->image.width();
    // Photoshop writes CMYK inverted and says so with an Adobe marker.
    const bool inverted = s->cmyk && cinfo->saw_Adobe_marker;
#ifdef JCS_EXTENSIONS
    if (cinfo->out_color_space == JCS_EXT_RGBX) {
        // Straight into the image's rows, a few at a time; the filler byte
        // libjpeg-turbo writes is cleared while the row is still in cache.
        constexpr int kRowsAtOnce = 16;
        JSAMPROW rows[kRowsAtOnce];
        while (cinfo->output_scanline < cinfo->output_height) {
            const int y = static_cast<int>(cinfo->output_scanline);
            const int n = std::min(kRowsAtOnce, s->image.height() - y);
            for (int k = 0; k < n; ++k) rows[k] = reinterpret_cast<JSAMPROW>(s->image.row(y + k));
            const int got = static_cast<int>(jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(n)));
            if (got == 0) break;
            for (int k = 0; k < got; ++k) {
                Color* row = s->image.row(y + k);
                for (int x = 0; x < width; ++x) row[x] &= kColorMask;
            }
        }
        return true;
    }
#endif
    JSAMPARRAY buffer =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                    static_cast<JDIMENSION>(width) * static_cast<JDIMENSION>(channels), 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, buffer, 1) != 1) break;
        const JSAMPLE* src = buffer[0];
        Color* dst = s->image.row(y);
        if (channels == 1) {
            for (int x = 0; x < width; ++x) dst[x] = rgb(src[x], src[x], src[x]);
        } else if (channels == 3) {
            for (int x = 0; x < width; ++x, src += 3) dst[x] = rgb(src[0], src[1], src[2]);
        } else {
            for (int x = 0; x < width; ++x, src += channels) {
                int c = src[0], m = src[1], yy = src[2], k = src[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                // c, m, y, k now count ink absence: 255 is no ink.
                dst[x] = rgb((c * k + 127) / 255, (m * k + 127) / 255, (yy * k + 127) / 255);
            }
        }
    }
    return true;
}

// A destination that hands libjpeg's output to a sink in blocks.
struct SinkDestination {
    jpeg_destination_mgr pub;
    ByteSink* out;
    std::vector<JOCTET> buffer;
};

constexpr std::size_t kOutputBlockBytes = 1u << 16;

void startDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
}

boolean emptyDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
    if (!d->out->write(d->buffer.data(), d->buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
    startDestination(cinfo);
    return TRUE;
}

void finishDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<SinkDestination*>(cinfo->dest);
    const std::size_t used = d->buffer.size() - d->pub.free_in_buffer;
    if (used > 0 && !d->out->write(d->buffer.data(), used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct WriteState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    SinkDestination destination;
    bool created = false;
    std::vector<JSAMPLE> row;

    ~WriteState() {
        if (created) jpeg_destroy_compress(&cinfo);
    }
};

bool writeImage(WriteState* s, const Image* image, int quality) {
    if (setjmp(s->err.jump)) return false;
    j_compress_ptr cinfo = &s->cinfo;
    jpeg_create_compress(cinfo);
    s->created = true;
    cinfo->dest = &s->destination.pub;
    s->destination.pub.init_destination = startDestination;
    s->destination.pub.empty_output_buffer = emptyDestination;
    s->destination.pub.term_destination = finishDestination;
    cinfo->image_width = static_cast<JDIMENSION>(image->width());
    cinfo->image_height = static_cast<JDIMENSION>(image->height());
    const bool flatten = image->depth() == 32;
#ifdef JCS_EXTENSIONS
    // A 24-bit image's rows are handed over as they are: libjpeg-turbo reads
    // R G B and skips the fourth byte.
    const bool direct = !flatten;
#else
    const bool direct = false;
#endif
    cinfo->input_components = direct ? 4 : 3;
    cinfo->in_color_space = direct ? kRgbIn : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, FALSE);
    jpeg_start_compress(cinfo, TRUE);
    if (direct) {
        for (int y = 0; y < image->height(); ++y) {
            JSAMPROW row[1] = {const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(image->row(y)))};
            jpeg_write_scanlines(cinfo, row, 1);
        }
        jpeg_finish_compress(cinfo);
        return true;
    }
    JSAMPLE* out = s->row.data();
    JSAMPROW rows[1] = {out};
    for (int y = 0; y < image->height(); ++y) {
        const Color* src = image->row(y);
        for (int x = 0; x < image->width(); ++x) {
            const Color c = src[x];
            int r = redOf(c), g = greenOf(c), b = blueOf(c);
            if (flatten) {
                const int a = alphaOf(c);
                r = flattenOntoWhite(r, a);
                g = flattenOntoWhite(g, a);
                b = flattenOntoWhite(b, a);
            }
            out[3 * x] = static_cast<JSAMPLE>(r);
            out[3 * x + 1] = static_cast<JSAMPLE>(g);
            out[3 * x + 2] = static_cast<JSAMPLE>(b);
        }
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

bool isJpeg(std::span<const std::uint8_t> data) {
    return data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

DecodeResult decodeJpeg(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    if (!isJpeg(data)) return decodeFailure(DecodeError::UnknownFormat, "not a JPEG file");
    ReadState state;
    state.cinfo.err = &state.err.pub;
    initErrors(state.err);
    state.err.blockLimit = limits.maxJpegScanBlocks;
    auto failure = [&state](const char* stage) {
        if (state.err.tooMuchWork) return decodeFailure(DecodeError::TooLarge, state.err.message);
        return decodeFailure(state.err.ranOut ? DecodeError::Truncated : DecodeError::Corrupt,
                             std::string(stage) + ": " + state.err.message);
    };
    if (!readHeader(&state, data, limits.maxWorkBytes)) return failure("bad JPEG header");
    const auto width = static_cast<std::int64_t>(state.cinfo.image_width);
    const auto height = static_cast<std::int64_t>(state.cinfo.image_height);
    if (std::string why = checkImageSize(width, height, limits); !why.empty())
        return decodeFailure(width <= 0 || height <= 0 ? DecodeError::Corrupt : DecodeError::TooLarge, why);
    state.image = Image(static_cast<int>(width), static_cast<int>(height), 24, 0);
    if (!readPixels(&state)) return failure("damaged JPEG data");
    DecodeResult result;
    result.image = std::move(state.image);
    result.damage = state.err.damage;
    return result;
}

std::string encodeJpeg(const Image& image, int quality, ByteSink& out) {
    if (image.isNull()) return "there is no image to write";
    WriteState state;
    state.cinfo.err = &state.err.pub;
    initErrors(state.err);
    state.destination.out = &out;
    state.destination.buffer.resize(kOutputBlockBytes);
    state.row.resize(static_cast<std::size_t>(image.width()) * 3);
    if (!writeImage(&state, &image, quality)) return std::string("JPEG encoding failed: ") + state.err.message;
    return {};
}

}  // namespace tarnel
