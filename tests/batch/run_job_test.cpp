// Whole runs of the batch tool on real files: decode, steps, encode, and
// failures that must leave nothing written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "batch/batch.h"
#include "common/test_images.h"
#include "core/pixel_memory.h"
#include "io/image_codec.h"
#include "io/image_file.h"
#include "quantize/palette_methods.h"
#include "transform/colors.h"
#include "transform/rotate.h"

namespace tarnel::batch {
namespace {

namespace fs = std::filesystem;

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tarnel-batch-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_source = test::photoLikeImage(41, 29, 24, 3);
        ASSERT_TRUE(saveImageFile(path("in.png"), m_source, ImageFormat::Png).ok);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    int run(std::vector<std::string> args) {
        m_out.str("");
        m_err.str("");
        const ParseResult parsed = parseArguments(args);
        if (!parsed.job) {
            m_err << parsed.error;
            return kExitUsage;
        }
        return runJob(*parsed.job, m_out, m_err);
    }

    fs::path m_dir;
    Image m_source;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(BatchRun, AStepWithoutMemoryFailsAndWritesNothing) {
    failPixelAllocationsFrom(400 * 400 * sizeof(Color));  // the source decodes, the larger canvas cannot be made
    const int code = run({path("in.png"), path("out.png"), "negative", "canvas=400x400"});
    failPixelAllocationsFrom(0);
    EXPECT_EQ(code, kExitFailure);
    EXPECT_EQ(m_err.str(), "tarnel-batch: step 'canvas=400x400' failed: not enough memory\n");
    EXPECT_FALSE(fs::exists(path("out.png")));
}

TEST_F(BatchRun, StepsRunInOrderAndTheResultIsWritten) {
    for (const char* name : {"out.png", "out.bmp"}) {
        ASSERT_EQ(run({path("in.png"), path(name), "negative", "rotate-right", "quantize=adaptive,16,dither",
                       "count-colors"}),
                  kExitOk)
            << m_err.str();
        Image expected = m_source;
        negative(expected);
        expected = rotate90(expected, RotateDirection::Clockwise);
        runMethod(expected, expected.rect(), QuantizeMethod::Adaptive, {16, true});

        const LoadResult written = loadImageFile(path(name));
        ASSERT_TRUE(written.ok()) << written.message;
        ASSERT_EQ(written.image.width(), expected.width());
        ASSERT_EQ(written.image.height(), expected.height());
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                ASSERT_EQ(written.image.pixel(x, y) & kColorMask, expected.pixel(x, y) & kColorMask) << name;
            }
        }
        EXPECT_LE(std::stoi(m_out.str()), 16);
    }
}

TEST_F(BatchRun, FormatFollowsTheExtension) {
    const struct {
        const char* name;
        ImageFormat format;
    } cases[] = {{"a.png", ImageFormat::Png}, {"a.JPG", ImageFormat::Jpeg}, {"a.jpeg", ImageFormat::Jpeg},
                 {"a.jp2", ImageFormat::Jpeg2000}, {"a.bmp", ImageFormat::Bmp}};
    for (const auto& c : cases) {
        ASSERT_EQ(run({path("in.png"), path(c.name)}), kExitOk) << m_err.str();
        const FileBytes bytes = readFileBytes(path(c.name));
        ASSERT_FALSE(bytes.bytes.empty()) << c.name;
        EXPECT_EQ(detectFormat(bytes.bytes), c.format) << c.name;
    }
}

TEST_F(BatchRun, AreaConfinesTheStepsAndIsClipped) {
    // The area sticks out of the image on the right and bottom: clipped.
    ASSERT_EQ(run({path("in.png"), path("out.png"), "--area", "30,20,100,100", "negative"}), kExitOk) << m_err.str();
    Image expected = m_source;
    negative(expected, Rect{30, 20, 40, 28});
    const LoadResult written = loadImageFile(path("out.png"));
    ASSERT_TRUE(written.ok());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(written.image.pixel(x, y) & kColorMask, expected.pixel(x, y) & kColorMask);
        }
    }
}

TEST_F(BatchRun, FailuresWriteNothing) {
    // An existing output file must survive every failure untouched.
    {
        std::ofstream keep(path("keep.png"), std::ios::binary);
        keep << "previous contents";
    }
    auto keptIntact = [&] {
        std::ifstream in(path("keep.png"), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text == "previous contents";
    };
    auto folderHolds = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = folderHolds();

    {
        std::ofstream junk(path("junk.png"), std::ios::binary);
        junk << "not an image";
    }
    EXPECT_EQ(run({path("junk.png"), path("keep.png"), "blur"}), kExitFailure);
    EXPECT_NE(m_err.str().find("junk.png"), std::string::npos) << m_err.str();
    fs::remove(path("junk.png"));

    EXPECT_EQ(run({path("missing.png"), path("keep.png")}), kExitFailure);
    EXPECT_EQ(run({path("in.png"), path("keep.png"), "blur", "crop=500,500,4,4"}), kExitFailure);
    EXPECT_NE(m_err.str().find("crop=500,500,4,4"), std::string::npos) << m_err.str();
    EXPECT_EQ(run({path("in.png"), path("keep.png"), "--area", "100,100,5,5", "gray"}), kExitFailure);
    // The area meets the image at first but no longer after the crop.
    EXPECT_EQ(run({path("in.png"), path("keep.png"), "--area", "20,20,5,5", "crop=0,0,10,10", "gray"}), kExitFailure);
    EXPECT_EQ(run({path("in.png"), path("keep.png"), "quantize=adaptive,300"}), kExitUsage);
    // Steps that ignore the area still run once it has left the image.
    EXPECT_EQ(run({path("in.png"), path("ok.bmp"), "--area", "20,20,5,5", "crop=0,0,10,10", "rotate-right"}), kExitOk)
        << m_err.str();
    fs::remove(path("ok.bmp"));
    EXPECT_EQ(run({path("in.png"), path("no-such-folder/out.png")}), kExitFailure);
    EXPECT_FALSE(fs::exists(path("no-such-folder")));

    EXPECT_TRUE(keptIntact());
    EXPECT_EQ(folderHolds(), before);  // no temporary or partial file left behind
    // The last message is one line.
    EXPECT_EQ(m_err.str().find('\n'), m_err.str().size() - 1) << m_err.str();
}

TEST_F(BatchRun, DamagedInputIsProcessedWithAWarning) {
    const EncodeResult jpeg = encodeImage(test::randomImage(64, 64, 24, 2), ImageFormat::Jpeg, 8);
    std::ofstream(path("cut.jpg"), std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.bytes.data()), static_cast<std::streamsize>(jpeg.bytes.size() / 2));
    ASSERT_EQ(run({path("cut.jpg"), path("out.png"), "gray"}), kExitOk) << m_err.str();
    EXPECT_EQ(m_err.str().rfind("tarnel-batch: warning: \"" + path("cut.jpg") + "\" is damaged", 0), 0u) << m_err.str();
    EXPECT_TRUE(fs::exists(path("out.png")));
}

TEST_F(BatchRun, FoldersAndDevicesAreRefusedAtOnce) {
    EXPECT_EQ(run({m_dir.string(), path("out.png")}), kExitFailure);
    EXPECT_EQ(m_err.str(), "tarnel-batch: \"" + m_dir.string() + "\" is a folder\n");
#if defined(__unix__)
    EXPECT_EQ(run({"/dev/zero", path("out.png")}), kExitFailure);
    EXPECT_EQ(m_err.str(), "tarnel-batch: \"/dev/zero\" is not a regular file\n");
#endif
    EXPECT_FALSE(fs::exists(path("out.png")));
}

TEST_F(BatchRun, TimePrintsEveryStep) {
    ASSERT_EQ(run({path("in.png"), path("out.bmp"), "--time", "blur", "gray"}), kExitOk) << m_err.str();
    const std::string text = m_err.str();
    for (const char* label : {"time decode:", "time blur:", "time gray:", "time encode:"}) {
        EXPECT_NE(text.find(label), std::string::npos) << label << " missing in\n" << text;
    }
    ASSERT_EQ(run({path("in.png"), path("out.bmp"), "blur"}), kExitOk);
    EXPECT_EQ(m_err.str(), "");
}

}  // namespace
}  // namespace tarnel::batch
