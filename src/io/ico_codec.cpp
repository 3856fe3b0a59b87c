#include "io/ico_codec.h"

#include "io/bmp_codec.h"
#include "io/byte_reader.h"
#include "io/png_codec.h"

namespace tarnel {
namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

}  // namespace

bool isIco(std::span<const std::uint8_t> data) {
    return data.size() >= kDirectoryHeaderSize && bytes::u16(data, 0) == 0 && bytes::u16(data, 2) == 1 &&
           bytes::u16(data, 4) > 0;
}

DecodeResult decodeIco(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    if (!isIco(data)) return decodeFailure(DecodeError::UnknownFormat, "not an icon file");
    const std::size_t count = bytes::u16(data, 4);
    if (!bytes::has(data, kDirectoryHeaderSize, count * kEntrySize))
        return decodeFailure(DecodeError::Truncated, "the icon directory is cut short");

    auto entryAt = [](std::size_t i) { return kDirectoryHeaderSize + i * kEntrySize; };
    const std::uint8_t firstWidth = data[entryAt(0)];
    const std::uint8_t firstHeight = data[entryAt(0) + 1];
    std::size_t chosen = 0;
    int chosenBits = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = entryAt(i);
        if (data[e] != firstWidth || data[e + 1] != firstHeight) continue;
        const int bits = bytes::u16(data, e + 6);
        if (bits > chosenBits) {
            chosen = i;
            chosenBits = bits;
        }
    }

    const std::size_t e = entryAt(chosen);
    const std::uint32_t size = bytes::u32(data, e + 8);
    const std::uint32_t offset = bytes::u32(data, e + 12);
    if (offset >= data.size()) return decodeFailure(DecodeError::Truncated, "the icon image lies beyond the file");
    // A size running past the end is cut to what the file holds.
    const std::span<const std::uint8_t> image =
        data.subspan(offset, std::min<std::size_t>(size, data.size() - offset));

    DecodeResult result = isPng(image) ? decodePng(image, limits) : decodeIconDib(image, limits);
    if (!result.ok()) return result;
    Image& im = result.image;
    if (im.depth() == 24) {  // a PNG without alpha is opaque
        Color* p = im.data();
        for (std::size_t i = 0, n = im.pixelCount(); i < n; ++i) p[i] |= kAlphaMask;
        im.setDepth(32);
    }
    return result;
}

}  // namespace tarnel
