// Files written by our encoders, read back by an independent decoder: the
// Python imaging library, when the test machine has it (Debian package
// python3-pil). Without it the test is skipped with a message.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/test_images.h"
#include "core/parallel.h"
#include "io/image_file.h"
#include "io/parallel_deflate.h"
#include "io/png_indexed.h"

namespace tarnel {
namespace {

namespace fs = std::filesystem;

// A Python interpreter that can import PIL, or empty.
std::string pythonWithPil() {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string command = std::string(candidate) + " -c \"import PIL.Image\" > /dev/null 2>&1";
        if (std::system(command.c_str()) == 0) return candidate;
    }
    return {};
}

// Converts `in` to raw RGBA bytes in `out`; returns the mode it had.
constexpr const char* kDumpScript = R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
mode = im.mode
open(sys.argv[2], 'wb').write(im.convert('RGBA').tobytes())
open(sys.argv[3], 'w').write('%s %d %d' % (mode, im.size[0], im.size[1]))
)";

struct Dump {
    std::string mode;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

class IndependentReader : public ::testing::Test {
protected:
    void SetUp() override {
        m_python = pythonWithPil();
        if (m_python.empty()) GTEST_SKIP() << "no Python with PIL (python3-pil): independent reading not checked";
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("tarnel-pil-test-" + std::to_string(rd()));
        fs::create_directories(m_dir);
        std::ofstream(m_dir / "dump.py") << kDumpScript;
    }
    void TearDown() override {
        std::error_code ec;
        if (!m_dir.empty()) fs::remove_all(m_dir, ec);
    }
    Dump dump(const fs::path& file) {
        const fs::path raw = m_dir / "out.raw", info = m_dir / "out.txt";
        const std::string command = m_python + " \"" + (m_dir / "dump.py").string() + "\" \"" + file.string() +
                                    "\" \"" + raw.string() + "\" \"" + info.string() + "\"";
        Dump d;
        if (std::system(command.c_str()) != 0) return d;
        std::ifstream(info) >> d.mode >> d.width >> d.height;
        std::ifstream in(raw, std::ios::binary);
        d.rgba.assign(std::istreambuf_iterator<char>(in), {});
        return d;
    }

    std::string m_python;
    fs::path m_dir;
};

TEST_F(IndependentReader, LosslessFilesHaveOurExactPixels) {
    for (int depth : {24, 32})
        for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp}) {
            SCOPED_TRACE(std::string(formatName(format)) + " " + std::to_string(depth));
            const Image image = test::randomImage(7, 5, depth, 21);
            const fs::path file = m_dir / (format == ImageFormat::Png ? "a.png" : "a.bmp");
            ASSERT_TRUE(saveImageFile(file.string(), image, format).ok);
            const Dump d = dump(file);
            ASSERT_EQ(d.width, 7);
            ASSERT_EQ(d.height, 5);
            EXPECT_EQ(d.mode, depth == 32 ? "RGBA" : "RGB");
            ASSERT_EQ(d.rgba.size(), 7u * 5u * 4u);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x) {
                    const std::uint8_t* p = d.rgba.data() + 4 * (y * 7 + x);
                    const Color c = image.pixel(x, y);
                    ASSERT_EQ(p[0], redOf(c));
                    ASSERT_EQ(p[1], greenOf(c));
                    ASSERT_EQ(p[2], blueOf(c));
                    ASSERT_EQ(p[3], depth == 32 ? alphaOf(c) : 255);
                }
        }
}

// The widest 24-bit PNG, written on several threads, with rows in three
// compressor bands.
TEST_F(IndependentReader, PngCompressedInBandsHasOurExactPixels) {
    const int width = kMaxImageSide;
    const int height = 2 * deflateBandRows(1 + std::size_t{kMaxImageSide} * 3) + 1;
    const Image image = test::photoLikeImage(width, height, 24, 5);
    const fs::path file = m_dir / "bands.png";
    {
        const ThreadingForTest threads(3, 0);
        ASSERT_TRUE(saveImageFile(file.string(), image, ImageFormat::Png).ok);
    }
    const Dump d = dump(file);
    ASSERT_EQ(d.width, width);
    ASSERT_EQ(d.height, height);
    std::vector<std::uint8_t> want;
    want.reserve(image.pixelCount() * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Color c = image.pixel(x, y);
            want.insert(want.end(), {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                                     static_cast<std::uint8_t>(blueOf(c)), 255});
        }
    EXPECT_TRUE(d.rgba == want);
}

TEST_F(IndependentReader, LossyFilesDecodeAlikeInBothReaders) {
    for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Jpeg2000}) {
        SCOPED_TRACE(formatName(format));
        const fs::path file = m_dir / (format == ImageFormat::Jpeg ? "a.jpg" : "a.j2k");
        ASSERT_TRUE(saveImageFile(file.string(), test::photoLikeImage(48, 32, 24, 2), format, 8).ok);
        const LoadResult ours = loadImageFile(file.string());
        ASSERT_TRUE(ours.ok());
        const Dump d = dump(file);
        ASSERT_EQ(d.width, 48);
        ASSERT_EQ(d.height, 32);
        ASSERT_EQ(d.rgba.size(), 48u * 32u * 4u);
        double difference = 0;
        for (int i = 0; i < 48 * 32; ++i) {
            const Color c = ours.image.data()[i];
            difference += std::abs(d.rgba[4 * i] - redOf(c)) + std::abs(d.rgba[4 * i + 1] - greenOf(c)) +
                          std::abs(d.rgba[4 * i + 2] - blueOf(c));
        }
        EXPECT_LT(difference / (48.0 * 32.0 * 3.0), 1.5);
    }
}

TEST_F(IndependentReader, PalettePngsHaveOurExactPixels) {
    for (const int colors : {2, 3, 17, 256})
        for (const int depth : {24, 32}) {
            SCOPED_TRACE(testing::Message() << colors << " colours, depth " << depth);
            Image image(9, 31, depth);
            for (std::size_t i = 0; i < image.pixelCount(); ++i) {
                const int k = static_cast<int>(i % static_cast<std::size_t>(colors));
                image.data()[i] = rgba(k, 255 - k, (k * 7) & 0xFF, depth == 32 && k % 2 ? 64 : depth == 32 ? 255 : 0);
            }
            const fs::path file = m_dir / "p.png";
            ASSERT_TRUE(saveImageFile(file.string(), image, ImageFormat::PngIndexed).ok);
            const Dump d = dump(file);
            EXPECT_EQ(d.mode, "P");
            ASSERT_EQ(d.rgba.size(), image.pixelCount() * 4);
            for (std::size_t i = 0; i < image.pixelCount(); ++i) {
                const Color c = image.data()[i];
                const std::uint8_t* p = d.rgba.data() + 4 * i;
                ASSERT_EQ(rgba(p[0], p[1], p[2], p[3]), depth == 32 ? c : c | kAlphaMask) << i;
            }
        }
}

}  // namespace
}  // namespace tarnel
