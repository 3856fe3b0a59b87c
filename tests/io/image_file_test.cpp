#include "io/image_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#endif

#include "common/test_images.h"
#include "io/os_files.h"

namespace tarnel {
namespace {

namespace fs = std::filesystem;

class ImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("tarnel-io-test-" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static void writeText(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    static std::string readText(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t fileCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(ImageFile, SaveThenLoadEveryFormat) {
    const Image image = test::photoLikeImage(40, 30, 32, 9);
    struct Case {
        const char* name;
        ImageFormat format;
        int setting;
    };
    for (const Case c : {Case{"a.png", ImageFormat::Png, 7}, Case{"a.bmp", ImageFormat::Bmp, 7},
                         Case{"a.jpg", ImageFormat::Jpeg, 8}, Case{"a.jp2", ImageFormat::Jpeg2000, 3}}) {
        SCOPED_TRACE(c.name);
        const SaveResult saved = saveImageFile(path(c.name), image, c.format, c.setting);
        ASSERT_TRUE(saved.ok) << saved.message;
        const LoadResult loaded = loadImageFile(path(c.name));
        ASSERT_TRUE(loaded.ok()) << loaded.message;
        EXPECT_EQ(loaded.image.width(), 40);
        EXPECT_EQ(loaded.image.height(), 30);
        if (c.format == ImageFormat::Png || c.format == ImageFormat::Bmp) {
            EXPECT_TRUE(loaded.image == image);
        }
    }
    EXPECT_EQ(fileCount(), 4u);  // no temporary files left behind
}

TEST_F(ImageFile, ContentDecidesNotTheExtension) {
    const Image image = test::randomImage(5, 4, 24, 3);
    ASSERT_TRUE(saveImageFile(path("really_png.bmp"), image, ImageFormat::Png).ok);
    ASSERT_TRUE(saveImageFile(path("codestream.png"), image, ImageFormat::Jpeg2000, 0).ok);
    const LoadResult png = loadImageFile(path("really_png.bmp"));
    ASSERT_TRUE(png.ok()) << png.message;
    EXPECT_TRUE(png.image == image);
    EXPECT_TRUE(loadImageFile(path("codestream.png")).ok());
}

TEST_F(ImageFile, SaveReplacesAnExistingFile) {
    writeText(path("x.png"), "old content");
    const Image image = test::randomImage(3, 3, 24, 1);
    ASSERT_TRUE(saveImageFile(path("x.png"), image, ImageFormat::Png).ok);
    EXPECT_TRUE(loadImageFile(path("x.png")).image == image);
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ImageFile, FailedSaveIsReportedAndKeepsTheOldFile) {
    writeText(path("keep.png"), "old content");
    const SaveResult nothing = saveImageFile(path("keep.png"), Image(), ImageFormat::Png);
    EXPECT_FALSE(nothing.ok);
    EXPECT_NE(nothing.message.find("keep.png"), std::string::npos) << nothing.message;
    EXPECT_EQ(readText(path("keep.png")), "old content");

    const SaveResult noFolder = saveImageFile(path("missing/sub/a.png"), Image(2, 2, 24), ImageFormat::Png);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.message.find("a.png"), std::string::npos);

    fs::create_directory(m_dir / "folder.png");
    const SaveResult onFolder = saveImageFile(path("folder.png"), Image(2, 2, 24), ImageFormat::Png);
    EXPECT_FALSE(onFolder.ok);
    EXPECT_TRUE(fs::is_directory(m_dir / "folder.png"));
    EXPECT_EQ(fileCount(), 2u);  // keep.png and the folder: nothing partial left
}

#if defined(__unix__) || defined(__APPLE__)
// A write that fails partway (a full disk, here a file-size limit) reports
// the failure and leaves the old file and no temporary one. Runs in a child
// process, which alone carries the limit.
TEST_F(ImageFile, AWriteFailingPartwayKeepsTheOldFile) {
    writeText(path("keep.png"), "old content");
    const Image image = test::randomImage(256, 256, 24, 5);  // about 200 KB as PNG
    const auto saveUnderALimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        const SaveResult saved = saveImageFile(path("keep.png"), image, ImageFormat::Png);
        const bool kept = readText(path("keep.png")) == "old content" && fileCount() == 1;
        std::exit(!saved.ok && kept ? 0 : 1);
    };
    EXPECT_EXIT(saveUnderALimit(), ::testing::ExitedWithCode(0), "");
}
#endif

#if defined(__unix__) || defined(__APPLE__)
TEST_F(ImageFile, SavingOverAFileKeepsItsIdentity) {
    const Image image = test::randomImage(5, 4, 24, 7);
    auto holdsImage = [&](const std::string& p) { return loadImageFile(p).image == image; };

    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        writeText(path("private.png"), "old");
        fs::permissions(path("private.png"), mode);
        ASSERT_TRUE(saveImageFile(path("private.png"), image, ImageFormat::Png).ok);
        EXPECT_EQ(fs::status(path("private.png")).permissions(), mode);
        EXPECT_TRUE(holdsImage(path("private.png")));
    }

    // A symbolic link stays a link, and its target takes the image.
    fs::create_directory(m_dir / "real");
    writeText(path("real/target.png"), "old");
    fs::create_symlink("real/target.png", m_dir / "link.png");
    ASSERT_TRUE(saveImageFile(path("link.png"), image, ImageFormat::Png).ok);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.png"));
    EXPECT_TRUE(holdsImage(path("real/target.png")));

    // Every name of a hard-linked file sees the image.
    writeText(path("first.png"), "old");
    fs::create_hard_link(m_dir / "first.png", m_dir / "second.png");
    ASSERT_TRUE(saveImageFile(path("first.png"), image, ImageFormat::Png).ok);
    EXPECT_EQ(fs::hard_link_count(m_dir / "first.png"), 2u);
    EXPECT_TRUE(holdsImage(path("second.png")));

    // The longest name the folder takes can be saved: the temporary name is short.
    const std::string longest = std::string(251, 'n') + ".png";
    ASSERT_TRUE(saveImageFile(path(longest), image, ImageFormat::Png).ok);
    EXPECT_TRUE(holdsImage(path(longest)));
    EXPECT_EQ(fileCount(), 6u);  // private, real, link, first, second, the long name: no temporary file
}

// An interrupt or termination request during a save, or a file size limit,
// leaves the old file and no temporary one behind. Each case runs in a child
// process.
TEST_F(ImageFile, InterruptedSaveLeavesNoTemporaryFile) {
    writeText(path("keep.png"), "old content");
    const Image image = test::randomImage(256, 256, 24, 5);
    auto saveThen = [&](int signal) {
        os::removeTemporaryOnSignals();
        if (signal == SIGXFSZ) {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        const std::string why = writeFileReplacing(path("keep.png"), [&](ByteSink& out) {
            const std::string failed = encodeImage(image, ImageFormat::Png, 7, out);
            if (signal != SIGXFSZ) std::raise(signal);
            return failed;
        });
        std::exit(why.find("File too large") != std::string::npos ? 0 : 1);
    };
    EXPECT_EXIT(saveThen(SIGINT), ::testing::KilledBySignal(SIGINT), "");
    EXPECT_EXIT(saveThen(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EXIT(saveThen(SIGXFSZ), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readText(path("keep.png")), "old content");
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ImageFile, OnlyRegularFilesAreRead) {
    ASSERT_EQ(mkfifo(path("fifo.png").c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* says;
    };
    for (const Case& c : {Case{m_dir.string(), "is a folder"}, Case{path("fifo.png"), "is not a regular file"},
                          Case{"/dev/zero", "is not a regular file"}}) {
        const LoadResult r = loadImageFile(c.path);
        EXPECT_EQ(r.error, DecodeError::Unreadable);
        EXPECT_EQ(r.message, "\"" + c.path + "\" " + c.says);
    }
}
#endif

TEST_F(ImageFile, LoadErrorsSayWhatWentWrong) {
    const LoadResult missing = loadImageFile(path("missing.png"));
    EXPECT_EQ(missing.error, DecodeError::Unreadable);
    EXPECT_NE(missing.message.find("missing.png"), std::string::npos);
    EXPECT_TRUE(missing.image.isNull());

    EXPECT_EQ(loadImageFile(m_dir.string()).error, DecodeError::Unreadable);

    writeText(path("text.png"), "just some text, no image");
    EXPECT_EQ(loadImageFile(path("text.png")).error, DecodeError::UnknownFormat);
    writeText(path("empty.png"), "");
    EXPECT_EQ(loadImageFile(path("empty.png")).error, DecodeError::UnknownFormat);

    // Every prefix of a valid file is refused or decoded, never a crash.
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Jpeg2000}) {
        const EncodeResult full = encodeImage(test::photoLikeImage(20, 10, 24, 2), format, 8);
        ASSERT_TRUE(full.ok());
        for (std::size_t n = 0; n < full.bytes.size(); n += 1 + n / 8) {
            const DecodeResult r = decodeImage(std::span(full.bytes.data(), n));
            if (!r.ok()) {
                EXPECT_FALSE(r.message.empty());
            }
        }
    }
    const EncodeResult png = encodeImage(test::randomImage(20, 10, 24, 2), ImageFormat::Png);
    const DecodeResult cut = decodeImage(std::span(png.bytes.data(), png.bytes.size() / 2));
    EXPECT_EQ(cut.error, DecodeError::Truncated);
}

TEST_F(ImageFile, ReadFileBytesHonoursTheSizeLimit) {
    writeText(path("big.bin"), std::string(5000, 'x'));
    EXPECT_EQ(readFileBytes(path("big.bin"), 4999).error, DecodeError::TooLarge);
    const FileBytes ok = readFileBytes(path("big.bin"), 5000);
    EXPECT_EQ(ok.error, DecodeError::None);
    EXPECT_EQ(ok.bytes.size(), 5000u);
}

}  // namespace
}  // namespace tarnel
