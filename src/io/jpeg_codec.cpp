#include "io/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tarnel {
namespace {

// libjpeg reports errors through error_exit, which must not return: it jumps
// back to the setjmp of the running stage. Everything with a destructor lives
// in the state records below, owned by the callers of the stage functions.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool ranOut;
    int scanLimit;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) err->ranOut = true;
}

void onOutput(j_common_ptr) {}

void initErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.pub.output_message = onOutput;
    err.message[0] = '\0';
    err.ranOut = false;
    err.scanLimit = kMaxJpegScans;
}

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (d->input_scan_number > err->scanLimit) {
        std::snprintf(err->message, sizeof err->message, "more than %d scans", err->scanLimit);
        std::longjmp(err->jump, 1);
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
        default: s->cinfo.out_color_space = JCS_RGB; break;
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

struct WriteState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    bool created = false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row;

    ~WriteState() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

bool writeImage(WriteState* s, const Image* image, int quality) {
    if (setjmp(s->err.jump)) return false;
    j_compress_ptr cinfo = &s->cinfo;
    jpeg_create_compress(cinfo);
    s->created = true;
    jpeg_mem_dest(cinfo, &s->buffer, &s->size);
    cinfo->image_width = static_cast<JDIMENSION>(image->width());
    cinfo->image_height = static_cast<JDIMENSION>(image->height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, FALSE);
    jpeg_start_compress(cinfo, TRUE);
    const bool flatten = image->depth() == 32;
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
    auto failure = [&state](const char* stage) {
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
    return result;
}

EncodeResult encodeJpeg(const Image& image, int quality) {
    EncodeResult result;
    if (image.isNull()) {
        result.error = "there is no image to write";
        return result;
    }
    WriteState state;
    state.cinfo.err = &state.err.pub;
    initErrors(state.err);
    state.row.resize(static_cast<std::size_t>(image.width()) * 3);
    if (!writeImage(&state, &image, quality)) {
        result.error = std::string("JPEG encoding failed: ") + state.err.message;
        return result;
    }
    result.bytes.assign(state.buffer, state.buffer + state.size);
    return result;
}

}  // namespace tarnel
