#include "io/jp2_budget.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "io/jp2_codec.h"

namespace tarnel {
namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();
constexpr int kMaxLevels = 32;  // decomposition levels the standard allows

std::uint64_t addSat(std::uint64_t a, std::uint64_t b) { return a > kSaturated - b ? kSaturated : a + b; }
std::uint64_t mulSat(std::uint64_t a, std::uint64_t b) { return a != 0 && b > kSaturated / a ? kSaturated : a * b; }

std::uint32_t be16(std::span<const std::uint8_t> d, std::size_t at) { return (std::uint32_t{d[at]} << 8) | d[at + 1]; }
std::uint32_t be32(std::span<const std::uint8_t> d, std::size_t at) { return (be16(d, at) << 16) | be16(d, at + 2); }

// Division rounding towards minus or plus infinity, by a power of two; the
// band origins of the standard's formulas can be negative.
std::int64_t floorShift(std::int64_t a, int shift) { return a >> shift; }
std::int64_t ceilShift(std::int64_t a, int shift) { return -((-a) >> shift); }
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// One coding style (COD or COC): what shapes the records.
struct CodingStyle {
    int levels = 5;
    int blockWidthExp = 6;   // code-block size exponents
    int blockHeightExp = 6;
    std::array<std::uint8_t, kMaxLevels + 1> precinctExp{};  // low nibble x, high nibble y, per resolution
};

// SPcod / SPcoc: levels, block sizes, style, transform, then precinct sizes
// when the style byte says so.
std::optional<CodingStyle> readStyle(std::span<const std::uint8_t> seg, std::size_t at, bool precincts) {
    if (seg.size() < at + 5) return std::nullopt;
    CodingStyle style;
    style.levels = std::min<int>(seg[at], kMaxLevels);
    style.blockWidthExp = (seg[at + 1] & 0x0F) + 2;
    style.blockHeightExp = (seg[at + 2] & 0x0F) + 2;
    for (int r = 0; r <= style.levels; ++r) {
        std::uint8_t value = 0xFF;  // 2^15: one precinct per resolution
        if (precincts) {
            if (seg.size() <= at + 5 + static_cast<std::size_t>(r)) return std::nullopt;
            value = seg[at + 5 + static_cast<std::size_t>(r)];
        }
        style.precinctExp[static_cast<std::size_t>(r)] = value;
    }
    return style;
}

// The coding styles one header (main or tile-part) sets, for all components
// (COD) and for single ones (COC). A later segment replaces an earlier one.
struct HeaderStyles {
    std::optional<CodingStyle> all;
    std::array<std::optional<CodingStyle>, kMaxJpeg2000Components> single;
};

void readStyleSegment(std::uint32_t marker, std::span<const std::uint8_t> seg, unsigned components, HeaderStyles& out) {
    if (marker == 0xFF52) {  // COD: Scod, progression, layers, transform, SPcod
        if (seg.empty()) return;
        if (auto style = readStyle(seg, 5, seg[0] & 1)) out.all = style;
    } else if (marker == 0xFF53) {  // COC: component, Scoc, SPcoc
        const std::size_t indexBytes = components < 257 ? 1 : 2;
        if (seg.size() < indexBytes + 1) return;
        const unsigned component = indexBytes == 1 ? seg[0] : be16(seg, 0);
        if (component >= components) return;
        if (auto style = readStyle(seg, indexBytes + 1, seg[indexBytes] & 1)) out.single[component] = style;
    }
}

// Walks the marker segments from `at` to the first marker in `stops`, or the
// end of the data; returns where that marker starts (npos when absent).
template <typename OnSegment>
std::size_t walkSegments(std::span<const std::uint8_t> cs, std::size_t at, std::size_t end,
                         std::initializer_list<std::uint32_t> stops, OnSegment onSegment) {
    while (at + 2 <= end) {
        const std::uint32_t marker = be16(cs, at);
        if (std::find(stops.begin(), stops.end(), marker) != stops.end()) return at;
        if ((marker >> 8) != 0xFF || at + 4 > end) break;
        const std::uint32_t length = be16(cs, at + 2);
        if (length < 2 || at + 2 + length > end) break;
        onSegment(marker, cs.subspan(at + 4, length - 2));
        at += 2 + length;
    }
    return std::string::npos;
}

struct SizeHeader {
    std::uint32_t x0, y0, x1, y1, tileX0, tileY0, tileWidth, tileHeight;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> subsampling;  // dx, dy per component
};

// Records of one tile-component under one coding style.
std::uint64_t tileComponentBytes(std::int64_t tcx0, std::int64_t tcy0, std::int64_t tcx1, std::int64_t tcy1,
                                 const CodingStyle& style, std::uint64_t& codeBlocks) {
    std::uint64_t bytes = 0;
    const int levels = style.levels;
    for (int r = 0; r <= levels; ++r) {
        bytes = addSat(bytes, kJpeg2000ResolutionBytes);
        const int shift = levels - r;
        const std::int64_t rx0 = ceilShift(tcx0, shift), rx1 = ceilShift(tcx1, shift);
        const std::int64_t ry0 = ceilShift(tcy0, shift), ry1 = ceilShift(tcy1, shift);
        if (rx1 <= rx0 || ry1 <= ry0) continue;
        const int ppx = style.precinctExp[static_cast<std::size_t>(r)] & 0x0F;
        const int ppy = style.precinctExp[static_cast<std::size_t>(r)] >> 4;
        const std::uint64_t precincts = mulSat(static_cast<std::uint64_t>(ceilShift(rx1, ppx) - floorShift(rx0, ppx)),
                                               static_cast<std::uint64_t>(ceilShift(ry1, ppy) - floorShift(ry0, ppy)));
        // Code-blocks never cross a precinct; the band's precincts are half
        // the resolution's above resolution 0.
        const int bandPpx = r == 0 ? ppx : std::max(ppx - 1, 0);
        const int bandPpy = r == 0 ? ppy : std::max(ppy - 1, 0);
        const int cbx = std::min(style.blockWidthExp, bandPpx);
        const int cby = std::min(style.blockHeightExp, bandPpy);
        const int bands = r == 0 ? 1 : 3;
        for (int b = 0; b < bands; ++b) {
            std::int64_t bx0 = rx0, bx1 = rx1, by0 = ry0, by1 = ry1;
            if (r > 0) {
                const int n = levels - r + 1;
                const std::int64_t xo = (b == 0 || b == 2) ? 1 : 0;  // HL, LH, HH
                const std::int64_t yo = (b == 1 || b == 2) ? 1 : 0;
                bx0 = ceilShift(tcx0 - (xo << (n - 1)), n);
                bx1 = ceilShift(tcx1 - (xo << (n - 1)), n);
                by0 = ceilShift(tcy0 - (yo << (n - 1)), n);
                by1 = ceilShift(tcy1 - (yo << (n - 1)), n);
            }
            bytes = addSat(bytes, mulSat(precincts, kJpeg2000PrecinctBytes));
            if (bx1 <= bx0 || by1 <= by0) continue;
            const std::uint64_t blocks =
                mulSat(static_cast<std::uint64_t>(ceilShift(bx1, cbx) - floorShift(bx0, cbx)),
                       static_cast<std::uint64_t>(ceilShift(by1, cby) - floorShift(by0, cby)));
            codeBlocks = addSat(codeBlocks, blocks);
            bytes = addSat(bytes, mulSat(blocks, kJpeg2000CodeBlockBytes));
        }
    }
    return bytes;
}

std::string megabytes(std::uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB"; }

// Where the codestream starts in a JP2 file (the contents of its first
// 'jp2c' box), and the number of columns of its palette box, if any.
struct Jp2Boxes {
    std::size_t codestream = std::string::npos;
    unsigned paletteColumns = 0;
};

void walkBoxes(std::span<const std::uint8_t> data, std::size_t at, std::size_t end, bool top, Jp2Boxes& out) {
    while (at + 8 <= end) {
        std::uint64_t length = be32(data, at);
        std::size_t header = 8;
        if (length == 1) {
            if (at + 16 > end) return;
            length = (std::uint64_t{be32(data, at + 8)} << 32) | be32(data, at + 12);
            header = 16;
        } else if (length == 0) {
            length = end - at;
        }
        const bool fits = length >= header && length <= end - at;
        const char* type = reinterpret_cast<const char*>(data.data() + at + 4);
        if (top && std::memcmp(type, "jp2c", 4) == 0) {
            out.codestream = at + header;
            return;
        }
        if (!fits) return;
        if (top && std::memcmp(type, "jp2h", 4) == 0)
            walkBoxes(data, at + header, at + static_cast<std::size_t>(length), false, out);
        if (!top && std::memcmp(type, "pclr", 4) == 0 && length >= header + 3) out.paletteColumns = data[at + header + 2];
        at += static_cast<std::size_t>(length);
    }
}

}  // namespace

std::uint64_t Jpeg2000Cost::totalBytes() const { return addSat(addSat(planeBytes, imageBytes), bookkeepingBytes); }

DecodeResult estimateJpeg2000Cost(std::span<const std::uint8_t> data, const DecodeLimits& limits, Jpeg2000Cost& cost) {
    cost = {};
    Jp2Boxes boxes;
    if (isJp2File(data)) {
        walkBoxes(data, 0, data.size(), true, boxes);
        if (boxes.codestream == std::string::npos)
            return decodeFailure(DecodeError::Corrupt, "no codestream in the JP2 file");
        if (boxes.paletteColumns > static_cast<unsigned>(kMaxJpeg2000Components))
            return decodeFailure(DecodeError::Corrupt,
                                 "unsupported palette of " + std::to_string(boxes.paletteColumns) + " channels");
    } else {
        boxes.codestream = 0;
    }
    constexpr std::size_t kSizFixedBytes = 2 + 2 + 2 + 2 + 8 * 4 + 2;  // SOC, SIZ, Lsiz, Rsiz, 8 sizes, Csiz
    if (boxes.codestream > data.size() || data.size() - boxes.codestream < kSizFixedBytes)
        return decodeFailure(DecodeError::Truncated, "the codestream header is cut short");
    const auto cs = data.subspan(boxes.codestream);
    if (!isJ2kCodestream(cs)) return decodeFailure(DecodeError::Corrupt, "the codestream does not start with SIZ");

    SizeHeader siz{be32(cs, 16), be32(cs, 20), be32(cs, 8),  be32(cs, 12),
                   be32(cs, 32), be32(cs, 36), be32(cs, 24), be32(cs, 28), {}};
    const unsigned components = be16(cs, 40);
    if (siz.x0 >= siz.x1 || siz.y0 >= siz.y1 || siz.tileWidth == 0 || siz.tileHeight == 0 || siz.tileX0 > siz.x0 ||
        siz.tileY0 > siz.y0)
        return decodeFailure(DecodeError::Corrupt, "invalid image or tile size");
    const std::int64_t width = std::int64_t{siz.x1} - siz.x0, height = std::int64_t{siz.y1} - siz.y0;
    if (std::string why = checkImageSize(width, height, limits); !why.empty())
        return decodeFailure(DecodeError::TooLarge, why);
    const std::uint64_t tilesX = (std::uint64_t{siz.x1} - siz.tileX0 + siz.tileWidth - 1) / siz.tileWidth;
    const std::uint64_t tilesY = (std::uint64_t{siz.y1} - siz.tileY0 + siz.tileHeight - 1) / siz.tileHeight;
    if (tilesX * tilesY > limits.maxTiles)
        return decodeFailure(DecodeError::TooLarge, std::to_string(tilesX * tilesY) + " tiles exceed the limit of " +
                                                        std::to_string(limits.maxTiles));
    if (components < 1 || components > static_cast<unsigned>(kMaxJpeg2000Components))
        return decodeFailure(DecodeError::Corrupt, "unsupported number of components " + std::to_string(components));
    const std::size_t sizEnd = 4 + be16(cs, 4);
    if (sizEnd < 42 + 3 * std::size_t{components} || cs.size() < sizEnd)
        return decodeFailure(DecodeError::Truncated, "the codestream header is cut short");
    for (unsigned c = 0; c < components; ++c) {
        const std::uint32_t dx = cs[43 + 3 * c], dy = cs[44 + 3 * c];
        if (dx == 0 || dy == 0) return decodeFailure(DecodeError::Corrupt, "unsupported component layout");
        siz.subsampling.emplace_back(dx, dy);
    }
    cost.pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    cost.imageBytes = cost.pixels * sizeof(Color);

    // The main header's coding styles, then every tile-part header's.
    const std::uint64_t tileCount = tilesX * tilesY;
    HeaderStyles main;
    std::vector<HeaderStyles> tiles(static_cast<std::size_t>(tileCount));
    std::size_t at = walkSegments(cs, sizEnd, cs.size(), {0xFF90}, [&](std::uint32_t marker, auto seg) {
        readStyleSegment(marker, seg, components, main);
    });
    while (at != std::string::npos && at + 12 <= cs.size()) {  // SOT, Lsot, Isot, Psot
        const std::uint32_t tile = be16(cs, at + 4);
        const std::uint32_t length = be32(cs, at + 6);
        HeaderStyles ignored;
        HeaderStyles& styles = tile < tileCount ? tiles[tile] : ignored;
        const std::size_t end = length == 0 ? cs.size() : std::min<std::size_t>(cs.size(), at + length);
        walkSegments(cs, at + 2 + 10, end, {0xFF93}, [&](std::uint32_t marker, auto seg) {
            readStyleSegment(marker, seg, components, styles);
        });
        if (length < 14 || at + length + 2 > cs.size()) break;
        at += length;
        if (be16(cs, at) != 0xFF90) break;
    }
    if (!main.all) main.all = CodingStyle{};  // the library refuses a missing COD; count its defaults

    std::uint64_t tileSamples = 0;
    for (std::uint64_t t = 0; t < tileCount; ++t) {
        const std::uint64_t p = t % tilesX, q = t / tilesX;
        const std::int64_t tx0 = std::max<std::int64_t>(siz.tileX0 + static_cast<std::int64_t>(p * siz.tileWidth), siz.x0);
        const std::int64_t ty0 = std::max<std::int64_t>(siz.tileY0 + static_cast<std::int64_t>(q * siz.tileHeight), siz.y0);
        const std::int64_t tx1 = std::min<std::int64_t>(siz.tileX0 + static_cast<std::int64_t>((p + 1) * siz.tileWidth), siz.x1);
        const std::int64_t ty1 = std::min<std::int64_t>(siz.tileY0 + static_cast<std::int64_t>((q + 1) * siz.tileHeight), siz.y1);
        std::uint64_t samples = 0;
        for (unsigned c = 0; c < components; ++c) {
            const auto [dx, dy] = siz.subsampling[c];
            const std::int64_t tcx0 = ceilDiv(tx0, dx), tcx1 = ceilDiv(tx1, dx);
            const std::int64_t tcy0 = ceilDiv(ty0, dy), tcy1 = ceilDiv(ty1, dy);
            samples += static_cast<std::uint64_t>(tcx1 - tcx0) * static_cast<std::uint64_t>(tcy1 - tcy0);
            std::uint64_t worstBytes = 0, worstBlocks = 0;
            auto consider = [&](const CodingStyle& style) {
                std::uint64_t blocks = 0;
                const std::uint64_t bytes = tileComponentBytes(tcx0, tcy0, tcx1, tcy1, style, blocks);
                if (bytes >= worstBytes) {
                    worstBytes = bytes;
                    worstBlocks = blocks;
                }
            };
            for (const HeaderStyles* styles : {&main, &tiles[static_cast<std::size_t>(t)]}) {
                if (styles->all) consider(*styles->all);
                if (styles->single[c]) consider(*styles->single[c]);
            }
            cost.bookkeepingBytes = addSat(cost.bookkeepingBytes, worstBytes);
            cost.codeBlocks = addSat(cost.codeBlocks, worstBlocks);
        }
        tileSamples = std::max(tileSamples, samples);
    }

    std::uint64_t planeSamples = 0;
    for (const auto& [dx, dy] : siz.subsampling)
        planeSamples += static_cast<std::uint64_t>(ceilDiv(siz.x1, dx) - ceilDiv(siz.x0, dx)) *
                        static_cast<std::uint64_t>(ceilDiv(siz.y1, dy) - ceilDiv(siz.y0, dy));
    if (tileCount > 1) planeSamples += tileSamples;  // the buffer each tile is decoded into
    if (boxes.paletteColumns > 1) {                   // a palette expands the first component into its columns
        const auto [dx, dy] = siz.subsampling[0];
        planeSamples += (boxes.paletteColumns - 1) *
                        static_cast<std::uint64_t>(ceilDiv(siz.x1, dx) - ceilDiv(siz.x0, dx)) *
                        static_cast<std::uint64_t>(ceilDiv(siz.y1, dy) - ceilDiv(siz.y0, dy));
    }
    cost.planeBytes = planeSamples * sizeof(std::int32_t);

    if (cost.bookkeepingBytes > limits.maxWorkBytes / 4)
        return decodeFailure(DecodeError::TooLarge, "the codestream declares " + std::to_string(cost.codeBlocks) +
                                                        " code-blocks and their records need " +
                                                        megabytes(cost.bookkeepingBytes) + ", more than the limit of " +
                                                        megabytes(limits.maxWorkBytes / 4));
    if (cost.totalBytes() > limits.maxWorkBytes)
        return decodeFailure(DecodeError::TooLarge, "decoding would need " + megabytes(cost.totalBytes()) +
                                                        ", more than the limit of " + megabytes(limits.maxWorkBytes));
    return {};
}

}  // namespace tarnel
