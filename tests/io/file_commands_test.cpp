#include "io/file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "common/test_images.h"
#include "io/image_file.h"

namespace tarnel {
namespace {

namespace fs = std::filesystem;

// Answers the requesters and boxes from scripted values and records calls.
class FakeHost : public FileCommandHost {
public:
    FileChoice nextChoice;
    bool answerYes = true;

    std::vector<FileRequest> requests;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    std::string path = "D:\\pics\\no_image_loaded";
    std::string name;
    std::string status = "startup";
    Image working = Image(4, 3, 24, rgb(1, 2, 3));
    int installs = 0;

    FileChoice openFileRequester(const FileRequest& r) override { return answer(r); }
    FileChoice saveFileRequester(const FileRequest& r) override { return answer(r); }
    bool askYesNo(const std::string& title, const std::string& text) override {
        questions.push_back(title + "|" + text);
        return answerYes;
    }
    void showError(const std::string& title, const std::string& text) override { errors.push_back(title + "|" + text); }
    std::string currentFilePath() override { return path; }
    void setCurrentFilePath(const std::string& p) override { path = p; }
    void setImageName(const std::string& n) override { name = n; }
    const Image* workingImage() override { return working.isNull() ? nullptr : &working; }
    void installLoadedImage(Image image) override {
        working = std::move(image);
        ++installs;
    }
    void setFileStatus(const std::string& text) override { status = text; }

private:
    FileChoice answer(const FileRequest& r) {
        requests.push_back(r);
        return nextChoice;
    }
};

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("tarnel-cmd-test-" + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_state = initialFileState(folder());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string folder() const { return m_dir.string() + "/"; }
    std::string path(const std::string& n) const { return folder() + n; }

    fs::path m_dir;
    FileState m_state;
    FakeHost m_host;
};

TEST_F(FileCommands, CancelledLoadChangesNothing) {
    m_host.path = m_state.currentFilePath;
    runLoadCommand(m_host, m_state);
    ASSERT_EQ(m_host.requests.size(), 1u);
    EXPECT_EQ(m_host.requests[0].title, "Select image to process");
    EXPECT_EQ(m_host.requests[0].defaultPath, folder());
    EXPECT_EQ(m_host.path, m_state.currentFilePath);
    EXPECT_EQ(m_host.installs, 0);
    EXPECT_TRUE(m_host.errors.empty());
}

TEST_F(FileCommands, LoadInstallsTheImageAndRemembersTheChoice) {
    const Image image = test::randomImage(6, 5, 32, 4);
    ASSERT_TRUE(saveImageFile(path("my photo.2016.png"), image, ImageFormat::Png).ok);
    m_host.path = m_state.currentFilePath;
    m_host.nextChoice = {path("my photo.2016.png"), 1};
    runLoadCommand(m_host, m_state);
    EXPECT_EQ(m_host.installs, 1);
    EXPECT_TRUE(m_host.working == image);
    EXPECT_EQ(m_host.path, path("my photo.2016.png"));
    EXPECT_EQ(m_host.name, "my photo.2016");

    m_host.nextChoice = {};
    runLoadCommand(m_host, m_state);
    EXPECT_EQ(m_host.requests.back().defaultPath, folder());
    EXPECT_EQ(m_host.requests.back().filterIndex, 1);
}

TEST_F(FileCommands, FailedLoadReportsAndKeepsTheImage) {
    std::ofstream(path("broken.png"), std::ios::binary) << "\x89PNG\r\n\x1a\n-not-really";
    m_host.nextChoice = {path("broken.png"), 0};
    const Image before = m_host.working;
    runLoadCommand(m_host, m_state);
    EXPECT_EQ(m_host.installs, 0);
    EXPECT_TRUE(m_host.working == before);
    ASSERT_EQ(m_host.errors.size(), 1u);
    EXPECT_NE(m_host.errors[0].find("broken.png"), std::string::npos);
    // The failed file still becomes the current one: Save offers its name.
    m_host.nextChoice = {};
    runSaveCommand(m_host, m_state);
    EXPECT_EQ(m_host.requests.back().defaultPath, path("broken"));
    EXPECT_EQ(m_host.requests.back().filterIndex, 0);
}

TEST_F(FileCommands, DamagedFileLoadsThenSaysSo) {
    const EncodeResult jpeg = encodeImage(test::randomImage(64, 64, 24, 2), ImageFormat::Jpeg, 8);
    std::ofstream(path("cut.jpg"), std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.bytes.data()), static_cast<std::streamsize>(jpeg.bytes.size() / 2));
    m_host.nextChoice = {path("cut.jpg"), 0};
    runLoadCommand(m_host, m_state);
    EXPECT_EQ(m_host.installs, 1);
    EXPECT_EQ(m_host.working.width(), 64);
    ASSERT_EQ(m_host.errors.size(), 1u);
    EXPECT_EQ(m_host.errors[0].rfind(std::string(kLoadErrorTitle) + "|" + std::string(kDamagedFileText), 0), 0u)
        << m_host.errors[0];
    EXPECT_NE(m_host.errors[0].find("cut.jpg"), std::string::npos);
}

TEST_F(FileCommands, SaveWritesTheFiltersFormatAndUpdatesTheStatus) {
    m_host.nextChoice = {path("holiday.bmp"), 0};  // "image.png" selected
    runSaveCommand(m_host, m_state);
    ASSERT_EQ(m_host.requests.size(), 1u);
    EXPECT_EQ(m_host.requests[0].title, "Save image");
    EXPECT_EQ(m_host.requests[0].filterIndex, 1);  // the start value
    EXPECT_TRUE(m_host.errors.empty());
    EXPECT_FALSE(fs::exists(path("holiday.bmp")));
    const LoadResult written = loadImageFile(path("holiday.png"));
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(written.image == m_host.working);
    EXPECT_EQ(m_host.path, path("holiday.png"));
    EXPECT_EQ(m_host.status, "holiday.png  |  (4 x 3)");

    // The next Save preselects the filter of the file just written.
    m_host.nextChoice = {};
    runSaveCommand(m_host, m_state);
    EXPECT_EQ(m_host.requests.back().filterIndex, 0);
}

TEST_F(FileCommands, OverwriteNeedsYes) {
    std::ofstream(path("x.jpg"), std::ios::binary) << "old";
    m_host.answerYes = false;
    m_host.nextChoice = {path("x"), 1};
    runSaveCommand(m_host, m_state);
    ASSERT_EQ(m_host.questions.size(), 1u);
    EXPECT_EQ(m_host.questions[0], "File Exists!|Do you wish to overwrite?");
    EXPECT_EQ(fs::file_size(path("x.jpg")), 3u);
    EXPECT_EQ(m_host.status, "startup");
    EXPECT_EQ(m_host.path, "D:\\pics\\no_image_loaded");

    m_host.answerYes = true;
    runSaveCommand(m_host, m_state);
    EXPECT_TRUE(loadImageFile(path("x.jpg")).ok());
    EXPECT_EQ(m_host.path, path("x.jpg"));
}

TEST_F(FileCommands, FailedSaveIsReportedAndChangesNothing) {
    m_host.nextChoice = {path("no/such/folder/a.png"), 0};
    runSaveCommand(m_host, m_state);
    ASSERT_EQ(m_host.errors.size(), 1u);
    EXPECT_NE(m_host.errors[0].find("a.png"), std::string::npos);
    EXPECT_EQ(m_host.status, "startup");
    EXPECT_EQ(m_host.path, "D:\\pics\\no_image_loaded");
}

}  // namespace
}  // namespace tarnel
