#include "io/bmp_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "io/byte_reader.h"

namespace tarnel {
namespace {

using bytes::has;
using bytes::i32;
using bytes::u16;
using bytes::u32;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

// One colour channel declared by a bit mask: the value is (pixel & mask) >>
// shift, `bits` wide, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = 32 - std::countl_zero(m >> shift);
    }
    int value(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<int>(v >> (bits - 8));
        const std::uint64_t maxValue = (std::uint64_t{1} << bits) - 1;
        return static_cast<int>((v * 255 + maxValue / 2) / maxValue);
    }
};

struct DibInfo {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::size_t paletteOffset = 0;
    std::size_t paletteEnd = 0;
    int paletteEntrySize = 4;
    int paletteCount = 0;
};

struct Failure {
    DecodeError error = DecodeError::None;
    std::string message;
};

std::uint64_t rowBytes(std::int64_t width, int bits) {
    return ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits) + 31) / 32) * 4;
}

// Reads the header at `at`. `heightDivisor` is 2 for icon bitmaps, whose
// height counts the mask rows too.
// The palette ends at paletteLimit at the latest (a BMP file's pixel offset),
// whatever count the header declares.
Failure parseDib(std::span<const std::uint8_t> data, std::size_t at, int heightDivisor, std::size_t paletteLimit,
                 const DecodeLimits& limits, DibInfo& info) {
    if (!has(data, at, 4)) return {DecodeError::Truncated, "the bitmap header is cut short"};
    info.headerSize = u32(data, at);
    const std::uint32_t hs = info.headerSize;
    const bool os2v1 = hs == 12;
    const bool os2v2 = hs == 16 || hs == 64;
    if (!(os2v1 || os2v2 || hs == 40 || hs == 52 || hs == 56 || hs == 108 || hs == 124))
        return {DecodeError::Corrupt, "unsupported bitmap header size " + std::to_string(hs)};
    if (!has(data, at, hs)) return {DecodeError::Truncated, "the bitmap header is cut short"};

    std::int64_t height = 0;
    if (os2v1) {
        info.width = u16(data, at + 4);
        height = u16(data, at + 6);
        info.bits = u16(data, at + 10);
        info.paletteEntrySize = 3;
    } else {
        info.width = i32(data, at + 4);
        height = i32(data, at + 8);
        info.bits = u16(data, at + 14);
        if (hs >= 20) info.compression = u32(data, at + 16);
    }
    if (height < 0) {
        info.topDown = true;
        height = -height;
    }
    if (heightDivisor > 1) height /= heightDivisor;
    info.height = height;

    const int b = info.bits;
    if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        return {DecodeError::Corrupt, "unsupported bit count " + std::to_string(b)};
    const std::uint32_t c = info.compression;
    const bool valid = (c == kRgb) || (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
                       (!os2v2 && (c == kBitFields || c == kAlphaBitFields) && (b == 16 || b == 32));
    if (!valid) return {DecodeError::Corrupt, "unsupported compression " + std::to_string(c) + " for " +
                                                  std::to_string(b) + " bits per pixel"};

    if (std::string why = checkImageSize(info.width, info.height, limits); !why.empty())
        return {info.width <= 0 || info.height <= 0 ? DecodeError::Corrupt : DecodeError::TooLarge, why};

    std::size_t next = at + hs;
    if (c == kBitFields || c == kAlphaBitFields) {
        const int count = c == kAlphaBitFields ? 4 : 3;
        if (hs == kInfoHeaderSize) {  // the masks follow the header
            if (!has(data, next, 4u * count)) return {DecodeError::Truncated, "the bit fields are cut short"};
            for (int i = 0; i < count; ++i) info.masks[i] = u32(data, next + 4u * i);
            next += 4u * count;
        } else {  // the masks are part of the header
            for (int i = 0; i < 4 && 40u + 4u * i + 4u <= hs; ++i) info.masks[i] = u32(data, at + 40 + 4u * i);
            if (c == kBitFields && hs < 56) info.masks[3] = 0;
        }
    } else if (b == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
    } else if (b == 32) {
        info.masks[0] = 0x00FF0000;
        info.masks[1] = 0x0000FF00;
        info.masks[2] = 0x000000FF;
    }

    info.paletteOffset = next;
    if (b <= 8) {
        std::uint32_t count = 1u << b;
        if (!os2v1 && hs >= 36) {
            const std::uint32_t used = u32(data, at + 32);
            if (used != 0 && used < count) count = used;
        }
        if (paletteLimit > next)
            count = std::min<std::uint32_t>(count, static_cast<std::uint32_t>((paletteLimit - next) / info.paletteEntrySize));
        info.paletteCount = static_cast<int>(count);
    }
    info.paletteEnd = next + static_cast<std::size_t>(info.paletteCount) * info.paletteEntrySize;
    if (info.paletteEnd > data.size()) return {DecodeError::Truncated, "the palette is cut short"};
    return {};
}

// Palette as colour values, padded to 256 entries with black so that any
// index is safe.
std::array<Color, 256> readPalette(std::span<const std::uint8_t> data, const DibInfo& info) {
    std::array<Color, 256> palette{};
    for (int i = 0; i < info.paletteCount; ++i) {
        const std::size_t p = info.paletteOffset + static_cast<std::size_t>(i) * info.paletteEntrySize;
        palette[i] = rgb(data[p + 2], data[p + 1], data[p]);
    }
    return palette;
}

int fileRowOf(const DibInfo& info, std::int64_t imageRow) {
    return static_cast<int>(info.topDown ? imageRow : info.height - 1 - imageRow);
}

void decodeUncompressed(std::span<const std::uint8_t> data, std::size_t pixelOffset, const DibInfo& info,
                        const std::array<Color, 256>& palette, bool alphaFromTopByte, Image& image) {
    const std::uint64_t stride = rowBytes(info.width, info.bits);
    const int width = image.width();
    const Channel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]), alpha(info.masks[3]);
    for (int fileRow = 0; fileRow < image.height(); ++fileRow) {
        const std::uint8_t* src = data.data() + pixelOffset + stride * static_cast<std::uint64_t>(fileRow);
        Color* dst = image.row(fileRowOf(info, fileRow));
        switch (info.bits) {
            case 1:
            case 2:
            case 4:
            case 8: {
                const int bits = info.bits;
                const int perByte = 8 / bits;
                const unsigned mask = (1u << bits) - 1;
                for (int x = 0; x < width; ++x) {
                    const int shift = 8 - bits * (x % perByte + 1);
                    dst[x] = palette[(src[x / perByte] >> shift) & mask];
                }
                break;
            }
            case 24:
                for (int x = 0; x < width; ++x, src += 3) dst[x] = rgb(src[2], src[1], src[0]);
                break;
            case 16:
            case 32: {
                const bool wide = info.bits == 32;
                const bool hasAlpha = alpha.bits > 0;
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* s = src + (wide ? 4 * x : 2 * x);
                    const std::uint32_t p = wide ? (s[0] | (s[1] << 8) | (s[2] << 16) | (std::uint32_t{s[3]} << 24))
                                                 : static_cast<std::uint32_t>(s[0] | (s[1] << 8));
                    if (alphaFromTopByte)
                        dst[x] = rgba(s[2], s[1], s[0], s[3]);
                    else
                        dst[x] = rgba(red.value(p), green.value(p), blue.value(p), hasAlpha ? alpha.value(p) : 0);
                }
                break;
            }
        }
    }
}

// Run-length streams: pixels are written only inside the image; the stream
// may end early (the rest stays black), and each step consumes at least two
// bytes, so hostile streams cost time proportional to their size.
void decodeRle(std::span<const std::uint8_t> data, std::size_t pos, const DibInfo& info,
               const std::array<Color, 256>& palette, Image& image) {
    const bool four = info.compression == kRle4;
    const std::int64_t width = info.width;
    const std::int64_t height = info.height;
    std::int64_t x = 0;
    std::int64_t y = 0;  // file row
    auto put = [&](unsigned index) {
        if (x < width && y < height) image.row(fileRowOf(info, y))[x] = palette[index & 0xFF];
        ++x;
    };
    while (y < height && has(data, pos, 2)) {
        const unsigned count = data[pos];
        const unsigned value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            const unsigned n = static_cast<unsigned>(std::min<std::int64_t>(count, std::max<std::int64_t>(width - x, 0)));
            for (unsigned i = 0; i < n; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            x += count - n;
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (!has(data, pos, 2)) break;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t runBytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (runBytes + 1) & ~std::size_t{1};
            const std::size_t available = std::min(runBytes, data.size() - pos);
            for (unsigned i = 0; i < value; ++i) {
                const std::size_t byteIndex = four ? i / 2 : i;
                if (byteIndex >= available || x >= width) break;
                const unsigned b = data[pos + byteIndex];
                put(four ? ((i & 1) ? b & 0x0F : b >> 4) : b);
            }
            if (!has(data, pos, padded)) break;
            pos += padded;
        }
    }
}

// Shared by BMP files and icons: decodes the bitmap described by info whose
// pixels start at pixelOffset.
DecodeResult decodeDib(std::span<const std::uint8_t> data, std::size_t pixelOffset,
                       const DibInfo& info, bool alphaFromTopByte, Image& image) {
    const std::array<Color, 256> palette = readPalette(data, info);
    const bool alphaMask = (info.bits == 16 || info.bits == 32) && info.masks[3] != 0;
    const int depth = (alphaMask || alphaFromTopByte) ? 32 : 24;
    if (info.compression == kRle8 || info.compression == kRle4) {
        if (pixelOffset >= data.size()) return decodeFailure(DecodeError::Truncated, "no pixel data");
        image = Image(static_cast<int>(info.width), static_cast<int>(info.height), depth, 0);
        decodeRle(data, pixelOffset, info, palette, image);
        return {};
    }
    const std::uint64_t stride = rowBytes(info.width, info.bits);
    const std::uint64_t lastRow = (static_cast<std::uint64_t>(info.width) * info.bits + 7) / 8;
    const std::uint64_t needed = stride * static_cast<std::uint64_t>(info.height - 1) + lastRow;
    if (pixelOffset > data.size() || needed > data.size() - pixelOffset)
        return decodeFailure(DecodeError::Truncated, "the pixel data is cut short");
    image = Image(static_cast<int>(info.width), static_cast<int>(info.height), depth, 0);
    decodeUncompressed(data, pixelOffset, info, palette, alphaFromTopByte, image);
    return {};
}

}  // namespace

bool isBmp(std::span<const std::uint8_t> data) {
    return data.size() >= kFileHeaderSize && data[0] == 'B' && data[1] == 'M';
}

DecodeResult decodeBmp(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    if (!isBmp(data)) return decodeFailure(DecodeError::UnknownFormat, "not a BMP file");
    DibInfo info;
    const std::uint32_t offBits = u32(data, 10);
    if (Failure f = parseDib(data, kFileHeaderSize, 1, offBits, limits, info); f.error != DecodeError::None)
        return decodeFailure(f.error, std::move(f.message));
    if (offBits < kFileHeaderSize + info.headerSize)
        return decodeFailure(DecodeError::Corrupt, "the pixel data offset points into the header");
    DecodeResult result;
    DecodeResult r = decodeDib(data, offBits, info, false, result.image);
    if (!r.ok()) return r;
    return result;
}

DecodeResult decodeIconDib(std::span<const std::uint8_t> dib, const DecodeLimits& limits) {
    DibInfo info;
    if (Failure f = parseDib(dib, 0, 2, dib.size(), limits, info); f.error != DecodeError::None)
        return decodeFailure(f.error, std::move(f.message));
    if (info.compression == kRle8 || info.compression == kRle4)
        return decodeFailure(DecodeError::Corrupt, "compressed icon bitmaps are not supported");
    const bool topByteAlpha = info.bits == 32 && info.compression == kRgb;
    DecodeResult result;
    DecodeResult r = decodeDib(dib, info.paletteEnd, info, topByteAlpha, result.image);
    if (!r.ok()) return r;
    Image& image = result.image;
    image.setDepth(32);

    bool useMask = true;
    if (info.bits == 32) {
        const Color* p = image.data();
        useMask = std::all_of(p, p + image.pixelCount(), [](Color c) { return alphaOf(c) == 0; });
    }
    if (!useMask) return result;

    // The mask follows the colour rows; when it is missing the icon is opaque.
    const std::uint64_t maskOffset =
        info.paletteEnd + rowBytes(info.width, info.bits) * static_cast<std::uint64_t>(info.height);
    const std::uint64_t maskStride = rowBytes(info.width, 1);
    const bool haveMask = maskOffset <= dib.size() &&
                          maskStride * static_cast<std::uint64_t>(info.height) <= dib.size() - maskOffset;
    for (int fileRow = 0; fileRow < image.height(); ++fileRow) {
        Color* dst = image.row(fileRowOf(info, fileRow));
        const std::uint8_t* mask = haveMask ? dib.data() + maskOffset + maskStride * fileRow : nullptr;
        for (int x = 0; x < image.width(); ++x) {
            const bool transparent = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            dst[x] = (dst[x] & kColorMask) | (transparent ? 0u : kAlphaMask);
        }
    }
    return result;
}

std::string encodeBmp(const Image& image, ByteSink& out) {
    if (image.isNull()) return "there is no image to write";
    const bool alpha = image.depth() == 32;
    const int bits = alpha ? 32 : 24;
    const std::uint32_t headerSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
    const std::uint64_t stride = rowBytes(image.width(), bits);
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(image.height());
    const std::uint64_t offset = kFileHeaderSize + headerSize;
    if (offset + pixelBytes > std::numeric_limits<std::uint32_t>::max()) return "the image is too large for a BMP file";
    std::vector<std::uint8_t> header(static_cast<std::size_t>(offset), 0);
    std::uint8_t* p = header.data();
    p[0] = 'B';
    p[1] = 'M';
    bytes::put32(p + 2, static_cast<std::uint32_t>(offset + pixelBytes));
    bytes::put32(p + 10, static_cast<std::uint32_t>(offset));
    std::uint8_t* h = p + kFileHeaderSize;
    constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
    bytes::put32(h, headerSize);
    bytes::put32(h + 4, static_cast<std::uint32_t>(image.width()));
    bytes::put32(h + 8, static_cast<std::uint32_t>(image.height()));
    bytes::put16(h + 12, 1);
    bytes::put16(h + 14, static_cast<std::uint32_t>(bits));
    bytes::put32(h + 16, alpha ? kBitFields : kRgb);
    bytes::put32(h + 20, static_cast<std::uint32_t>(pixelBytes));
    bytes::put32(h + 24, kPixelsPerMetre);
    bytes::put32(h + 28, kPixelsPerMetre);
    if (alpha) {
        constexpr std::uint32_t kSrgbColourSpace = 0x73524742;  // 'sRGB'
        bytes::put32(h + 40, 0x00FF0000);
        bytes::put32(h + 44, 0x0000FF00);
        bytes::put32(h + 48, 0x000000FF);
        bytes::put32(h + 52, kAlphaMask);
        bytes::put32(h + 56, kSrgbColourSpace);
    }
    if (!out.write(header.data(), header.size())) return "writing failed";
    // Bottom-up rows; the padding bytes stay zero.
    std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        std::uint8_t* dst = row.data();
        const Color* src = image.row(y);
        if (alpha) {
            for (int x = 0; x < image.width(); ++x, dst += 4) {
                const Color c = src[x];
                dst[0] = static_cast<std::uint8_t>(blueOf(c));
                dst[1] = static_cast<std::uint8_t>(greenOf(c));
                dst[2] = static_cast<std::uint8_t>(redOf(c));
                dst[3] = static_cast<std::uint8_t>(alphaOf(c));
            }
        } else {
            for (int x = 0; x < image.width(); ++x, dst += 3) {
                const Color c = src[x];
                dst[0] = static_cast<std::uint8_t>(blueOf(c));
                dst[1] = static_cast<std::uint8_t>(greenOf(c));
                dst[2] = static_cast<std::uint8_t>(redOf(c));
            }
        }
        if (!out.write(row.data(), row.size())) return "writing failed";
    }
    return {};
}

}  // namespace tarnel
