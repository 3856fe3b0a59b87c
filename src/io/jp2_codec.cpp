#include "io/jp2_codec.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "io/jp2_budget.h"

namespace tarnel {
namespace {

constexpr std::uint8_t kJp2Signature[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
constexpr std::uint8_t kCodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr int kMaxResolutions = 6;  // the library's default number of resolutions
constexpr int kEncodeTileSide = 2048;

struct MemoryStream {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
};

OPJ_SIZE_T readMemory(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    if (s->pos >= s->size) return static_cast<OPJ_SIZE_T>(-1);
    const std::size_t n = std::min<std::size_t>(count, s->size - s->pos);
    std::memcpy(buffer, s->data + s->pos, n);
    s->pos += n;
    return n;
}

OPJ_OFF_T skipMemory(OPJ_OFF_T count, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    if (count < 0) {
        const std::size_t back = std::min<std::size_t>(static_cast<std::size_t>(-count), s->pos);
        s->pos -= back;
        return -static_cast<OPJ_OFF_T>(back);
    }
    if (s->pos >= s->size) return -1;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), s->size - s->pos);
    s->pos += n;
    return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL seekMemory(OPJ_OFF_T position, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    if (position < 0 || static_cast<std::size_t>(position) > s->size) return OPJ_FALSE;
    s->pos = static_cast<std::size_t>(position);
    return OPJ_TRUE;
}

// The writer's stream: a raw codestream is written front to back, so the
// library never skips or seeks back.
OPJ_SIZE_T writeSink(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* out = static_cast<ByteSink*>(user);
    return out->write(static_cast<const std::uint8_t*>(buffer), count) ? count : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T refuseSkip(OPJ_OFF_T, void*) { return -1; }
OPJ_BOOL refuseSeek(OPJ_OFF_T, void*) { return OPJ_FALSE; }

void onError(const char* text, void* user) {
    auto* message = static_cast<std::string*>(user);
    if (message->empty() && text) {
        *message = text;
        while (!message->empty() && (message->back() == '\n' || message->back() == ' ')) message->pop_back();
    }
}

void onQuiet(const char*, void*) {}

// Owns the library objects of one decode or encode.
struct Session {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    std::string message;

    ~Session() {
        if (image) opj_image_destroy(image);
        if (codec) opj_destroy_codec(codec);
        if (stream) opj_stream_destroy(stream);
    }
    void setHandlers() {
        opj_set_error_handler(codec, onError, &message);
        opj_set_warning_handler(codec, onQuiet, nullptr);
        opj_set_info_handler(codec, onQuiet, nullptr);
    }
};

// Reads one component's samples as 8-bit values on the image grid.
struct ComponentReader {
    const opj_image_comp_t* comp = nullptr;
    std::vector<int> columns;  // sample column for each image column
    int offset = 0;            // added to signed samples
    int maxValue = 255;
    bool direct = false;       // unsigned 8-bit samples, one per image column

    void setup(const opj_image_t& image, const opj_image_comp_t& c, int width) {
        comp = &c;
        columns.resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x) {
            const std::int64_t gx = static_cast<std::int64_t>(image.x0) + x;
            const std::int64_t cx = gx / c.dx - static_cast<std::int64_t>(c.x0);
            columns[static_cast<std::size_t>(x)] = static_cast<int>(std::clamp<std::int64_t>(cx, 0, c.w - 1));
        }
        offset = c.sgnd ? (1 << (c.prec - 1)) : 0;
        maxValue = static_cast<int>((std::int64_t{1} << c.prec) - 1);
        direct = offset == 0 && maxValue == 255;
        for (int x = 0; x < width && direct; ++x) direct = columns[static_cast<std::size_t>(x)] == x;
    }
    const OPJ_INT32* row(const opj_image_t& image, int y) const {
        const std::int64_t gy = static_cast<std::int64_t>(image.y0) + y;
        const std::int64_t cy = std::clamp<std::int64_t>(gy / comp->dy - static_cast<std::int64_t>(comp->y0), 0, comp->h - 1);
        return comp->data + static_cast<std::size_t>(cy) * comp->w;
    }
    // Raw sample made unsigned and clamped to the component's range.
    int raw(const OPJ_INT32* r, int x) const {
        const std::int64_t v = static_cast<std::int64_t>(r[columns[static_cast<std::size_t>(x)]]) + offset;
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, maxValue));
    }
    int to8(int v) const {
        if (maxValue == 255) return v;
        return static_cast<int>((static_cast<std::int64_t>(v) * 255 + maxValue / 2) / maxValue);
    }
    int value(const OPJ_INT32* r, int x) const { return to8(raw(r, x)); }
};

// Threads change only the speed, never the result. Small images do not
// repay starting them, and neither do small code-blocks: the library hands
// each code-block to a thread on its own.
constexpr std::uint64_t kThreadedPixels = std::uint64_t{1} << 20;
constexpr std::uint64_t kThreadedSamplesPerBlock = 1024;

void useAllCores(opj_codec_t* codec) {
    if (opj_has_thread_support()) opj_codec_set_threads(codec, opj_get_num_cpus());
}

bool usableComponent(const opj_image_comp_t& c) {
    return c.data && c.w > 0 && c.h > 0 && c.dx > 0 && c.dy > 0 && c.prec >= 1 && c.prec <= 30;
}

}  // namespace

bool isJp2File(std::span<const std::uint8_t> data) {
    return data.size() >= sizeof kJp2Signature && std::memcmp(data.data(), kJp2Signature, sizeof kJp2Signature) == 0;
}

bool isJ2kCodestream(std::span<const std::uint8_t> data) {
    return data.size() >= sizeof kCodestreamStart &&
           std::memcmp(data.data(), kCodestreamStart, sizeof kCodestreamStart) == 0;
}

DecodeResult decodeJpeg2000(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    const bool boxed = isJp2File(data);
    if (!boxed && !isJ2kCodestream(data)) return decodeFailure(DecodeError::UnknownFormat, "not a JPEG 2000 file");

    Jpeg2000Cost cost;
    if (DecodeResult bad = estimateJpeg2000Cost(data, limits, cost); !bad.ok()) return bad;

    MemoryStream input{data.data(), data.size(), 0};
    Session s;
    s.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    s.codec = opj_create_decompress(boxed ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!s.stream || !s.codec) return decodeFailure(DecodeError::Corrupt, "OpenJPEG could not start");
    opj_stream_set_user_data(s.stream, &input, nullptr);
    opj_stream_set_user_data_length(s.stream, data.size());
    opj_stream_set_read_function(s.stream, readMemory);
    opj_stream_set_skip_function(s.stream, skipMemory);
    opj_stream_set_seek_function(s.stream, seekMemory);
    s.setHandlers();
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(s.codec, &parameters))
        return decodeFailure(DecodeError::Corrupt, "OpenJPEG could not start");
    if (cost.pixels >= kThreadedPixels && cost.pixels >= kThreadedSamplesPerBlock * cost.codeBlocks)
        useAllCores(s.codec);

    auto failure = [&s, &input](const char* stage) {
        return decodeFailure(input.pos >= input.size ? DecodeError::Truncated : DecodeError::Corrupt,
                             std::string(stage) + (s.message.empty() ? "" : ": " + s.message));
    };
    if (!opj_read_header(s.stream, s.codec, &s.image) || !s.image) return failure("bad JPEG 2000 header");

    const opj_image_t& header = *s.image;
    const std::int64_t width = static_cast<std::int64_t>(header.x1) - header.x0;
    const std::int64_t height = static_cast<std::int64_t>(header.y1) - header.y0;
    if (std::string why = checkImageSize(width, height, limits); !why.empty())
        return decodeFailure(width <= 0 || height <= 0 ? DecodeError::Corrupt : DecodeError::TooLarge, why);
    if (header.numcomps < 1 || header.numcomps > static_cast<OPJ_UINT32>(kMaxJpeg2000Components))
        return decodeFailure(DecodeError::Corrupt, "unsupported number of components " + std::to_string(header.numcomps));
    for (OPJ_UINT32 i = 0; i < header.numcomps; ++i) {
        const opj_image_comp_t& c = header.comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec < 1 || c.prec > 30)
            return decodeFailure(DecodeError::Corrupt, "unsupported component layout");
    }

    if (!opj_decode(s.codec, s.stream, s.image) || !opj_end_decompress(s.codec, s.stream))
        return failure("damaged JPEG 2000 data");

    const opj_image_t& image = *s.image;
    const std::int64_t outWidth = static_cast<std::int64_t>(image.x1) - image.x0;
    const std::int64_t outHeight = static_cast<std::int64_t>(image.y1) - image.y0;
    if (!checkImageSize(outWidth, outHeight, limits).empty() || image.numcomps < 1)
        return decodeFailure(DecodeError::Corrupt, "inconsistent decoded image");
    // Colour components in order, and the alpha component if any.
    std::vector<int> colour;
    int alpha = -1;
    for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
        if (!usableComponent(image.comps[i])) return decodeFailure(DecodeError::Corrupt, "component without samples");
        if (image.comps[i].alpha && alpha < 0)
            alpha = static_cast<int>(i);
        else if (!image.comps[i].alpha)
            colour.push_back(static_cast<int>(i));
    }
    if (alpha < 0 && (colour.size() == 2 || colour.size() == 4)) {
        alpha = colour.back();
        colour.pop_back();
    }
    if (colour.empty()) return decodeFailure(DecodeError::Corrupt, "no colour component");
    const bool gray = colour.size() < 3;

    const int w = static_cast<int>(outWidth);
    const int h = static_cast<int>(outHeight);
    ComponentReader readers[4];
    const int colourCount = gray ? 1 : 3;
    for (int i = 0; i < colourCount; ++i) readers[i].setup(image, image.comps[colour[i]], w);
    if (alpha >= 0) readers[3].setup(image, image.comps[alpha], w);
    const bool sycc = !gray && image.color_space == OPJ_CLRSPC_SYCC;

    DecodeResult result;
    result.image = Image(w, h, alpha >= 0 ? 32 : 24, 0);
    // The common case, 8-bit samples one per pixel, in a loop of its own:
    // it is most of the time spent here on large images.
    const bool direct = !sycc && readers[0].direct && (gray || (readers[1].direct && readers[2].direct)) &&
                        (alpha < 0 || readers[3].direct);
    auto clamp8 = [](OPJ_INT32 v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    for (int y = 0; y < h && direct; ++y) {
        Color* dst = result.image.row(y);
        const OPJ_INT32* r0 = readers[0].row(image, y);
        const OPJ_INT32* r1 = gray ? r0 : readers[1].row(image, y);
        const OPJ_INT32* r2 = gray ? r0 : readers[2].row(image, y);
        const OPJ_INT32* ra = alpha >= 0 ? readers[3].row(image, y) : nullptr;
        for (int x = 0; x < w; ++x)
            dst[x] = rgba(clamp8(r0[x]), clamp8(r1[x]), clamp8(r2[x]), ra ? clamp8(ra[x]) : 0);
    }
    for (int y = 0; y < h && !direct; ++y) {
        Color* dst = result.image.row(y);
        const OPJ_INT32* r0 = readers[0].row(image, y);
        const OPJ_INT32* r1 = gray ? nullptr : readers[1].row(image, y);
        const OPJ_INT32* r2 = gray ? nullptr : readers[2].row(image, y);
        const OPJ_INT32* ra = alpha >= 0 ? readers[3].row(image, y) : nullptr;
        for (int x = 0; x < w; ++x) {
            int r, g, b;
            if (gray) {
                r = g = b = readers[0].value(r0, x);
            } else if (sycc) {
                const int maxValue = readers[0].maxValue;
                const double yy = readers[0].raw(r0, x);
                const double cb = readers[1].raw(r1, x) - (readers[1].maxValue + 1) / 2;
                const double cr = readers[2].raw(r2, x) - (readers[2].maxValue + 1) / 2;
                auto channel = [&](double v) {
                    return readers[0].to8(static_cast<int>(std::clamp(std::nearbyint(v), 0.0, double(maxValue))));
                };
                r = channel(yy + 1.402 * cr);
                g = channel(yy - 0.344136 * cb - 0.714136 * cr);
                b = channel(yy + 1.772 * cb);
            } else {
                r = readers[0].value(r0, x);
                g = readers[1].value(r1, x);
                b = readers[2].value(r2, x);
            }
            dst[x] = rgba(r, g, b, ra ? readers[3].value(ra, x) : 0);
        }
    }
    return result;
}

std::string encodeJpeg2000(const Image& source, float rate, ByteSink& out) {
    if (source.isNull()) return "there is no image to write";
    const int count = source.depth() == 32 ? 4 : 3;
    const int w = source.width();
    const int h = source.height();
    // The library holds 32-bit samples of the tile it encodes: one tile for
    // a small image, else tiles of kEncodeTileSide.
    const bool tiled = w > kEncodeTileSide || h > kEncodeTileSide;
    const int tileSide = tiled ? kEncodeTileSide : std::max(w, h);
    opj_image_cmptparm_t parms[4];
    std::memset(parms, 0, sizeof parms);
    for (int i = 0; i < count; ++i) {
        parms[i].dx = parms[i].dy = 1;
        parms[i].w = static_cast<OPJ_UINT32>(w);
        parms[i].h = static_cast<OPJ_UINT32>(h);
        parms[i].prec = 8;
        parms[i].sgnd = 0;
    }
    Session s;
    s.image = opj_image_tile_create(static_cast<OPJ_UINT32>(count), parms, OPJ_CLRSPC_SRGB);
    if (!s.image) return "out of memory";
    s.image->x0 = s.image->y0 = 0;
    s.image->x1 = static_cast<OPJ_UINT32>(w);
    s.image->y1 = static_cast<OPJ_UINT32>(h);
    if (count == 4) s.image->comps[3].alpha = 1;

    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = rate;
    parameters.cp_disto_alloc = 1;
    if (tiled) {
        parameters.tile_size_on = OPJ_TRUE;
        parameters.cp_tx0 = parameters.cp_ty0 = 0;
        parameters.cp_tdx = parameters.cp_tdy = tileSide;
    }
    // The library refuses more resolutions than the smaller side can halve into.
    int resolutions = 1;
    while (resolutions < kMaxResolutions && (std::min(w, h) >> resolutions) > 0) ++resolutions;
    parameters.numresolution = resolutions;

    s.codec = opj_create_compress(OPJ_CODEC_J2K);
    s.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    if (!s.codec || !s.stream) return "OpenJPEG could not start";
    s.setHandlers();
    opj_stream_set_user_data(s.stream, &out, nullptr);
    opj_stream_set_write_function(s.stream, writeSink);
    opj_stream_set_skip_function(s.stream, refuseSkip);
    opj_stream_set_seek_function(s.stream, refuseSeek);
    auto failed = [&s] {
        return "JPEG 2000 encoding failed" + (s.message.empty() ? std::string() : ": " + s.message);
    };
    if (!opj_setup_encoder(s.codec, &parameters, s.image)) return failed();
    if (source.pixelCount() >= kThreadedPixels) useAllCores(s.codec);
    if (!opj_start_compress(s.codec, s.image, s.stream)) return failed();

    // Each tile's samples, component after component, one byte each.
    const int tilesX = (w + tileSide - 1) / tileSide;
    const int tilesY = (h + tileSide - 1) / tileSide;
    std::vector<OPJ_BYTE> tile;
    for (int ty = 0; ty < tilesY; ++ty) {
        for (int tx = 0; tx < tilesX; ++tx) {
            const int x0 = tx * tileSide, y0 = ty * tileSide;
            const int tw = std::min(tileSide, w - x0), th = std::min(tileSide, h - y0);
            const std::size_t plane = static_cast<std::size_t>(tw) * static_cast<std::size_t>(th);
            tile.resize(plane * static_cast<std::size_t>(count));
            for (int y = 0; y < th; ++y) {
                const Color* src = source.row(y0 + y) + x0;
                OPJ_BYTE* dst = tile.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw);
                for (int x = 0; x < tw; ++x) {
                    const Color c = src[x];
                    dst[x] = static_cast<OPJ_BYTE>(redOf(c));
                    dst[plane + x] = static_cast<OPJ_BYTE>(greenOf(c));
                    dst[2 * plane + x] = static_cast<OPJ_BYTE>(blueOf(c));
                    if (count == 4) dst[3 * plane + x] = static_cast<OPJ_BYTE>(alphaOf(c));
                }
            }
            if (!opj_write_tile(s.codec, static_cast<OPJ_UINT32>(ty * tilesX + tx), tile.data(),
                                static_cast<OPJ_UINT32>(tile.size()), s.stream))
                return failed();
        }
    }
    if (!opj_end_compress(s.codec, s.stream)) return failed();
    return {};
}

}  // namespace tarnel
