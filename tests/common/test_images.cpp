#include "common/test_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace tarnel::test {

Image randomImage(int width, int height, int depth, std::uint32_t seed) {
    Image image(width, height, depth);
    std::mt19937 rng(seed);
    const Color mask = depth == 32 ? 0xFFFFFFFFu : kColorMask;
    for (std::size_t i = 0; i < image.pixelCount(); ++i) image.data()[i] = static_cast<Color>(rng()) & mask;
    return image;
}

Image photoLikeImage(int width, int height, int depth, std::uint32_t seed) {
    Image image(width, height, depth);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Blob { double cx, cy, radius, r, g, b; };
    Blob blobs[6];
    for (Blob& blob : blobs)
        blob = {unit(rng) * width, unit(rng) * height, (0.15 + 0.3 * unit(rng)) * std::max(width, height),
                unit(rng) * 255, unit(rng) * 255, unit(rng) * 255};
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int y = 0; y < height; ++y) {
        Color* row = image.row(y);
        for (int x = 0; x < width; ++x) {
            // a sky-to-ground gradient under soft coloured shapes
            const double t = static_cast<double>(y) / std::max(1, height - 1);
            double r = 90 + 80 * t, g = 130 + 40 * std::sin(x * 0.05), b = 200 - 120 * t;
            for (const Blob& blob : blobs) {
                const double dx = x - blob.cx, dy = y - blob.cy;
                const double w = std::exp(-(dx * dx + dy * dy) / (blob.radius * blob.radius));
                r += (blob.r - r) * w;
                g += (blob.g - g) * w;
                b += (blob.b - b) * w;
            }
            auto channel = [&](double v) {
                const long q = std::lround(v + noise(rng));
                return static_cast<int>(std::clamp(q, 0L, 255L));
            };
            const int a = depth == 32 ? static_cast<int>(std::clamp(128.0 + 127.0 * std::cos(x * 0.07 + y * 0.03), 0.0, 255.0)) : 0;
            row[x] = rgba(channel(r), channel(g), channel(b), a);
        }
    }
    return image;
}

std::string testDataPath(const std::string& name) { return std::string(TARNEL_TEST_DATA_DIR) + "/" + name; }

const Image& testPhoto() {
    static const Image photo = readPam(testDataPath("photo.pam"));
    return photo;
}

bool writePam(const std::string& path, const Image& image) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    const bool alpha = image.depth() == 32;
    out << "P7\nWIDTH " << image.width() << "\nHEIGHT " << image.height() << "\nDEPTH " << (alpha ? 4 : 3)
        << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color c = image.pixel(x, y);
            const char bytes[4] = {static_cast<char>(redOf(c)), static_cast<char>(greenOf(c)),
                                   static_cast<char>(blueOf(c)), static_cast<char>(alphaOf(c))};
            out.write(bytes, alpha ? 4 : 3);
        }
    return static_cast<bool>(out);
}

Image readPam(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Image();
    std::string line;
    int width = 0, height = 0, channels = 0;
    while (std::getline(in, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "WIDTH") fields >> width;
        else if (key == "HEIGHT") fields >> height;
        else if (key == "DEPTH") fields >> channels;
    }
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return Image();
    Image image(width, height, channels == 4 ? 32 : 24);
    unsigned char bytes[4] = {0, 0, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!in.read(reinterpret_cast<char*>(bytes), channels)) return Image();
            image.setPixel(x, y, rgba(bytes[0], bytes[1], bytes[2], channels == 4 ? bytes[3] : 0));
        }
    return image;
}

void expectGolden(const std::string& name, const Image& image) {
    const std::string path = testDataPath("golden/" + name + ".pam");
    const Image golden = readPam(path);
    if (golden.isNull()) {
        if (std::getenv("TARNEL_UPDATE_GOLDENS")) {
            ASSERT_TRUE(writePam(path, image)) << "cannot write " << path;
            return;
        }
        FAIL() << "missing golden " << path << " (set TARNEL_UPDATE_GOLDENS=1 to create it)";
    }
    ASSERT_EQ(golden.width(), image.width()) << name;
    ASSERT_EQ(golden.height(), image.height()) << name;
    ASSERT_EQ(golden.depth(), image.depth()) << name;
    const Color mask = image.depth() == 32 ? 0xFFFFFFFFu : kColorMask;
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((golden.pixel(x, y) & mask) != (image.pixel(x, y) & mask) && ++differing <= 3)
                ADD_FAILURE() << name << ": pixel (" << x << ", " << y << ") is " << std::hex
                              << (image.pixel(x, y) & mask) << ", golden " << (golden.pixel(x, y) & mask);
    EXPECT_EQ(differing, 0) << name << ": pixels differing from the golden";
}

}  // namespace tarnel::test
