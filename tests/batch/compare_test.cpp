// The method shoot-out, the quality report lines and the PNG form the batch
// tool chooses.

#include "batch/compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include "batch/batch.h"
#include "batch/steps.h"
#include "common/test_images.h"
#include "core/bitmap_font.h"
#include "io/image_file.h"

namespace tarnel::batch {
namespace {

namespace fs = std::filesystem;

TEST(Compare, UniformTakesTheLevelCountWhoseCubeIsNearest) {
    const int cases[][2] = {{2, 2}, {8, 2}, {27, 3}, {36, 3}, {64, 4}, {256, 6}, {100, 5}, {4096, 16}};
    for (const auto& c : cases) EXPECT_EQ(nearestUniformLevels(c[0]), c[1]) << c[0];
}

TEST(Compare, TableHasOneRowPerMethodSortedByPsnr) {
    const Image image = test::photoLikeImage(40, 30, 24, 5);
    const std::vector<CompareRow> rows = compareMethods(image, 32, true, true);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kQuantizeMethodCount));
    std::set<std::string> names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        names.insert(rows[i].name);
        if (i > 0) {
            EXPECT_GE(rows[i - 1].quality.psnr, rows[i].quality.psnr);
        }
        EXPECT_EQ(rows[i].indexed, rows[i].quality.colors <= 256) << rows[i].name;
        EXPECT_EQ(rows[i].pngBytes > 0, rows[i].indexed);
        EXPECT_EQ(rows[i].result.width(), 40);
    }
    EXPECT_EQ(names.size(), rows.size());
    EXPECT_TRUE(names.count("uniform,3") && names.count("adaptive,32") && names.count("popularity,32"));

    const std::string table = compareTable(rows);
    std::istringstream lines(table);
    std::string header, line;
    std::getline(lines, header);
    EXPECT_EQ(header.rfind("method", 0), 0u);
    for (const CompareRow& row : rows) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.rfind(row.name + " ", 0), 0u) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST(Compare, SheetHasATilePerResultAndTheSource) {
    const Image image = test::photoLikeImage(90, 50, 24, 6);
    const std::vector<CompareRow> rows = compareMethods(image, 16, false, true);
    const Rect area{10, 5, 69, 34};  // 60 x 30
    const Image sheet = contactSheet(image, rows, area);
    // 16 tiles in 4 columns and 4 rows, a gap around each.
    ASSERT_EQ(sheetColumns(16), 4);
    EXPECT_EQ(sheet.width(), 4 * 60 + 5 * kSheetGap);
    EXPECT_EQ(sheet.height(), 4 * 30 + 5 * kSheetGap);
    // Each tile: the result's area, except the label box in its corner.
    for (int t = 0; t < 16; ++t) {
        const Image& expected = t == 0 ? image : rows[static_cast<std::size_t>(t - 1)].result;
        const int x0 = kSheetGap + (t % 4) * (60 + kSheetGap), y0 = kSheetGap + (t / 4) * (30 + kSheetGap);
        const int labelBottom = kGlyphHeight + 2 * kLabelPadding;  // scale 1: the labels are wider than the tile
        for (int y = labelBottom; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                ASSERT_EQ(sheet.pixel(x0 + x, y0 + y), expected.pixel(10 + x, 5 + y) & kColorMask) << t;
        EXPECT_EQ(sheet.pixel(x0 + 1, y0 + 1), kLabelBackground) << t;
        EXPECT_EQ(sheet.pixel(x0 - 1, y0 - 1), kSheetBackground) << t;
    }
}

TEST(Compare, ReportLinesInTextAndJson) {
    QualityReport same{5, INFINITY, 0, 0};
    EXPECT_EQ(reportLine("blur", same, 1.25, ReportFormat::Text),
              "report blur: 5 colours, PSNR infinite, mean dE76 0.00, max dE76 0.00, 1.2 ms");
    EXPECT_EQ(reportLine("say \"x\"", same, 1.25, ReportFormat::Json),
              "{\"step\":\"say \\\"x\\\"\",\"colors\":5,\"psnr_db\":null,\"mean_delta_e76\":0.000,"
              "\"max_delta_e76\":0.000,\"time_ms\":1.250}");
    QualityReport some{2, 55.91231, 0.5, 1.0};
    EXPECT_EQ(reportLine("gray", some, 3, ReportFormat::Text),
              "report gray: 2 colours, PSNR 55.91 dB, mean dE76 0.50, max dE76 1.00, 3.0 ms");
}

class BatchPng : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tarnel-png-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ASSERT_TRUE(saveImageFile(path("in.png"), test::photoLikeImage(33, 21, 24, 4), ImageFormat::Png).ok);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        const ParseResult parsed = parseArguments(args);
        if (parsed.compare) return runCompare(*parsed.compare, out, err);
        if (!parsed.job) return kExitUsage;
        return runJob(*parsed.job, out, err);
    }
    // The colour type byte of the file's header.
    int colorType(const std::string& name) { return readFileBytes(path(name)).bytes.at(25); }

    fs::path m_dir;
    std::ostringstream out, err;
};

TEST_F(BatchPng, PaletteWhenTheColoursAllowRgbWhenAskedAndIndexedRefusesMore) {
    constexpr int kPalette = 3, kRgb = 2;
    ASSERT_EQ(run({path("in.png"), path("q.png"), "quantize=popularity,20"}), kExitOk) << err.str();
    EXPECT_EQ(colorType("q.png"), kPalette);
    ASSERT_EQ(run({path("in.png"), path("r.png"), "--png=rgb", "quantize=popularity,20"}), kExitOk);
    EXPECT_EQ(colorType("r.png"), kRgb);
    EXPECT_TRUE(loadImageFile(path("q.png")).image == loadImageFile(path("r.png")).image);
    ASSERT_EQ(run({path("in.png"), path("many.png")}), kExitOk);  // a photo: more than 256 colours
    EXPECT_EQ(colorType("many.png"), kRgb);

    EXPECT_EQ(run({path("in.png"), path("no.png"), "--png=indexed"}), kExitFailure);
    EXPECT_NE(err.str().find("more than 256 colours"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(path("no.png")));
    EXPECT_EQ(run({path("in.png"), path("x.bmp"), "--png=rgb"}), kExitUsage);
    EXPECT_EQ(run({path("in.png"), path("x.png"), "--png=gif"}), kExitUsage);
}

TEST_F(BatchPng, ReportFollowsOnlyStepsThatChangeColours) {
    ASSERT_EQ(run({path("in.png"), path("o.png"), "--report", "flip", "quantize=adaptive,8", "rotate-right", "gray"}),
              kExitOk)
        << err.str();
    std::istringstream lines(out.str());
    std::string first, second, third;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.rfind("report quantize=adaptive,8: 8 colours, PSNR ", 0), 0u) << first;
    EXPECT_EQ(second.rfind("report gray: ", 0), 0u) << second;
    EXPECT_FALSE(std::getline(lines, third));

    ASSERT_EQ(run({path("in.png"), path("o.png"), "--report=json", "negative", "negative"}), kExitOk);
    EXPECT_NE(out.str().find("\"step\":\"negative\",\"colors\":"), std::string::npos) << out.str();
}

TEST_F(BatchPng, CompareWritesTheTableAndTheSheet) {
    ASSERT_EQ(run({"compare", path("in.png"), "--colors", "16", "--dither", "--area", "0,0,10,8", "--sheet",
                   path("sheet.png")}),
              kExitOk)
        << err.str();
    const std::string table = out.str();
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), kQuantizeMethodCount + 1);
    const LoadResult sheet = loadImageFile(path("sheet.png"));
    ASSERT_TRUE(sheet.ok());
    EXPECT_EQ(sheet.image.width(), 4 * 10 + 5 * kSheetGap);
    EXPECT_EQ(sheet.image.height(), 4 * 8 + 5 * kSheetGap);

    EXPECT_EQ(run({"compare", path("in.png"), "--colors", "300"}), kExitUsage);
    EXPECT_EQ(run({"compare", path("in.png"), "--sheet", path("s.bmp")}), kExitUsage);
    EXPECT_EQ(run({"compare", path("in.png"), "--area", "100,100,5,5"}), kExitFailure);
}

}  // namespace
}  // namespace tarnel::batch
