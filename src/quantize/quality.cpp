#include "quantize/quality.h"

#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "quantize/color_count.h"

namespace tarnel {
namespace {

// sRGB to XYZ (D65) and the D65 white point.
constexpr double kToXyz[3][3] = {{0.4124564, 0.3575761, 0.1804375},
                                 {0.2126729, 0.7151522, 0.0721750},
                                 {0.0193339, 0.1191920, 0.9503041}};
constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};
// CIELAB's cube-root segment starts above (6/29)^3; below it the curve is a
// line of slope (29/6)^2 / 3 through 4/29.
constexpr double kLabEpsilon = 216.0 / 24389.0;
constexpr double kLabSlope = 24389.0 / 27.0 / 116.0;
constexpr double kLabOffset = 16.0 / 116.0;
constexpr double kMaxSample = 255.0;

const std::array<double, 256>& linearTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double v = i / kMaxSample;
            t[static_cast<std::size_t>(i)] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

double labCurve(double t) { return t > kLabEpsilon ? std::cbrt(t) : kLabSlope * t + kLabOffset; }

// Results of a colour reduction hold few colours; their CIELAB values are
// remembered in a direct-mapped table keyed by colour.
class LabCache {
public:
    LabCache() { m_key.fill(kEmpty); }
    const Lab& operator()(Color c) {
        c &= kColorMask;
        const std::size_t slot = (c * 0x9E3779B1u) >> (32 - kBits);
        if (m_key[slot] != c) {
            m_key[slot] = c;
            m_lab[slot] = labOf(c);
        }
        return m_lab[slot];
    }

private:
    static constexpr int kBits = 14;
    static constexpr Color kEmpty = 0xFFFFFFFFu;  // never a masked colour
    std::array<Color, 1u << kBits> m_key;
    std::array<Lab, 1u << kBits> m_lab{};
};

}  // namespace

Lab labOf(Color c) {
    const auto& linear = linearTable();
    const double rgb[3] = {linear[static_cast<std::size_t>(redOf(c))], linear[static_cast<std::size_t>(greenOf(c))],
                           linear[static_cast<std::size_t>(blueOf(c))]};
    double f[3];
    for (int i = 0; i < 3; ++i)
        f[i] = labCurve((kToXyz[i][0] * rgb[0] + kToXyz[i][1] * rgb[1] + kToXyz[i][2] * rgb[2]) / kWhite[i]);
    return Lab{static_cast<float>(116.0 * f[1] - 16.0), static_cast<float>(500.0 * (f[0] - f[1])),
               static_cast<float>(200.0 * (f[1] - f[2]))};
}

QualityReference::QualityReference(const Image& source) : m_source(source) {
    m_lab.resize(source.pixelCount());
    auto cache = std::make_unique<LabCache>();
    Lab* out = m_lab.data();
    for (int y = 0; y < source.height(); ++y) {
        const Color* row = source.row(y);
        for (int x = 0; x < source.width(); ++x) *out++ = (*cache)(row[x]);
    }
}

QualityReport QualityReference::measure(const Image& result) const {
    QualityReport report;
    report.colors = countColors(result);
    auto cache = std::make_unique<LabCache>();
    std::uint64_t squares = 0;
    double sumDelta = 0;
    double maxDelta = 0;
    const Lab* sourceLab = m_lab.data();
    for (int y = 0; y < result.height(); ++y) {
        const Color* a = m_source.row(y);
        const Color* b = result.row(y);
        double rowDelta = 0;
        for (int x = 0; x < result.width(); ++x, ++sourceLab) {
            if (((a[x] ^ b[x]) & kColorMask) == 0) continue;
            const int dr = redOf(a[x]) - redOf(b[x]);
            const int dg = greenOf(a[x]) - greenOf(b[x]);
            const int db = blueOf(a[x]) - blueOf(b[x]);
            squares += static_cast<std::uint64_t>(dr * dr + dg * dg + db * db);
            const Lab& lab = (*cache)(b[x]);
            const float dl = sourceLab->l - lab.l, da = sourceLab->a - lab.a, dbb = sourceLab->b - lab.b;
            const double delta = std::sqrt(dl * dl + da * da + dbb * dbb);
            rowDelta += delta;
            if (delta > maxDelta) maxDelta = delta;
        }
        sumDelta += rowDelta;
    }
    const double samples = 3.0 * static_cast<double>(result.pixelCount());
    report.psnr = squares == 0 ? std::numeric_limits<double>::infinity()
                               : 10.0 * std::log10(kMaxSample * kMaxSample * samples / static_cast<double>(squares));
    report.meanDeltaE = result.pixelCount() ? sumDelta / static_cast<double>(result.pixelCount()) : 0.0;
    report.maxDeltaE = maxDelta;
    return report;
}

}  // namespace tarnel
