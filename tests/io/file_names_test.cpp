#include "io/file_names.h"

#include <gtest/gtest.h>

#include "io/file_requests.h"

namespace tarnel {
namespace {

TEST(FileNames, PartsOfAPath) {
    EXPECT_EQ(folderPart("D:\\img\\a.png"), "D:\\img\\");
    EXPECT_EQ(folderPart("/home/u/pics/a.png"), "/home/u/pics/");
    EXPECT_EQ(folderPart("C:/mixed\\seps/x.bmp"), "C:/mixed\\seps/");
    EXPECT_EQ(folderPart("plain.png"), "");
    EXPECT_EQ(filePart("D:\\img\\a.png"), "a.png");
    EXPECT_EQ(filePart("plain.png"), "plain.png");
    EXPECT_EQ(filePart("D:\\img\\"), "");
}

TEST(FileNames, QuotesAreSkippedAndEndTheName) {
    EXPECT_EQ(filePart("\"D:\\img\\a b.png\""), "a b.png");
    EXPECT_EQ(folderPart("\"D:\\img\\a b.png\" trailing"), "D:\\img\\");
}

TEST(FileNames, NameWithoutExtension) {
    EXPECT_EQ(filePartWithoutExtension("C:\\x\\my photo.2016.png"), "my photo.2016");
    EXPECT_EQ(filePartWithoutExtension("C:\\x\\name.with space"), "name.with space");
    EXPECT_EQ(filePartWithoutExtension("C:\\x\\name."), "name.");
    EXPECT_EQ(filePartWithoutExtension("C:\\my.pics\\photo"), "photo");
    EXPECT_EQ(filePartWithoutExtension("E:\\x\\photo.jpeg"), "photo");
}

TEST(FileNames, Extension) {
    EXPECT_EQ(pathExtension("D:\\img\\Photo.PNG"), "PNG");
    EXPECT_EQ(pathExtension("C:\\x\\my photo.2016.png"), "png");
    EXPECT_EQ(pathExtension("C:\\my.pics\\photo"), "");  // the dot is in the folder
    EXPECT_EQ(pathExtension("C:\\x\\name.with space"), "");
    EXPECT_EQ(pathExtension("C:\\x\\.hidden"), "");         // right after a separator
    EXPECT_EQ(pathExtension(".png"), "");                   // first character
    EXPECT_EQ(pathExtension("C:\\x\\name."), "");
    EXPECT_EQ(pathExtension("C:\\pics\\no_image_loaded"), "");
}

TEST(FileNames, RememberedFolderStopsAtABar) {
    EXPECT_EQ(rememberedFolder("D:\\img\\a.png"), "D:\\img\\");
    EXPECT_EQ(rememberedFolder("D:\\img\\a.png|E:\\other\\b.png"), "D:\\img\\");
    EXPECT_EQ(rememberedFolder("no_image_loaded"), "");
}

TEST(FileRequests, FilterListsInQtSyntax) {
    const std::vector<std::string> load = qtFilters(kLoadFilterList);
    ASSERT_EQ(load.size(), 6u);
    EXPECT_EQ(load[0], "all supported formats (*.png *.jpg *.jpeg *.jp2 *.bmp)");  // the empty entry is dropped
    EXPECT_EQ(load[2], "*.jpg, *.jpeg (*.jpg *.jpeg)");
    EXPECT_EQ(load[5], "all files (*)");  // every file, also one without a dot
    EXPECT_EQ(joinQtFilters(qtFilters(kSaveFilterList)),
              "image.png (*.png);;image.jpg (*.jpg);;image.jpeg (*.jpeg);;image.jpeg2000 (*.jp2);;image.bmp (*.bmp);;"
              "image (indexed).png (*.png)");
}

TEST(FileRequests, LoadOpensInTheRememberedFolderThenFollowsTheLastChoice) {
    FileState state = initialFileState("D:\\img\\");
    EXPECT_EQ(state.currentFilePath, "D:\\img\\no_image_loaded");
    FileRequest first = loadRequest(state);
    EXPECT_EQ(first.title, "Select image to process");
    EXPECT_EQ(first.defaultPath, "D:\\img\\");
    EXPECT_EQ(first.filterIndex, 0);

    acceptLoadChoice(state, "E:\\x\\photo.jpeg", 2);
    EXPECT_EQ(state.imageName, "photo");
    EXPECT_EQ(state.currentFilePath, "E:\\x\\photo.jpeg");
    const FileRequest second = loadRequest(state);
    EXPECT_EQ(second.defaultPath, "E:\\x\\");
    EXPECT_EQ(second.filterIndex, 2);

    // The remembered folder is used only by the first Load.
    state.currentFilePath = "F:\\saved\\b.png";
    EXPECT_EQ(loadRequest(state).defaultPath, "E:\\x\\");
}

TEST(FileRequests, SaveFilterFollowsTheLastFilesExtension) {
    FileState state = initialFileState("D:\\img\\");
    FileRequest before = saveRequest(state);
    EXPECT_EQ(before.title, "Save image");
    EXPECT_EQ(before.filterIndex, 1);  // no extension: the start value
    EXPECT_EQ(before.defaultPath, "D:\\img\\");  // empty name before any load

    acceptLoadChoice(state, "D:\\img\\Photo.PNG", 0);
    FileRequest afterPng = saveRequest(state);
    EXPECT_EQ(afterPng.filterIndex, 0);
    EXPECT_EQ(afterPng.defaultPath, "D:\\img\\Photo");

    EXPECT_EQ(saveFilterIndexFor("a.jpg", 0), 1);
    EXPECT_EQ(saveFilterIndexFor("a.JPEG", 0), 2);
    EXPECT_EQ(saveFilterIndexFor("a.jpeg2000", 0), 3);
    EXPECT_EQ(saveFilterIndexFor("a.bmp", 0), 4);
    EXPECT_EQ(saveFilterIndexFor("a.jp2", 4), 4);  // .jp2 selects nothing: the index is kept
    EXPECT_EQ(saveFilterIndexFor("a.gif", 3), 3);
}

TEST(FileRequests, SavePathTakesTheFiltersExtension) {
    EXPECT_EQ(savePathFor("C:\\x\\holiday.bmp", 0), "C:\\x\\holiday.png");
    EXPECT_EQ(savePathFor("C:\\x\\holiday", 0), "C:\\x\\holiday.png");
    EXPECT_EQ(savePathFor("C:\\my.pics\\photo", 1), "C:\\my.pics\\photo.jpg");
    EXPECT_EQ(savePathFor("C:\\x\\my photo.2016", 3), "C:\\x\\my photo.jp2");
    EXPECT_EQ(saveFilter(3).format, ImageFormat::Jpeg2000);
    EXPECT_EQ(saveFilter(3).qualitySetting, 3);
    EXPECT_EQ(saveFilter(1).qualitySetting, 8);
    EXPECT_EQ(saveFilter(4).format, ImageFormat::Bmp);
    EXPECT_EQ(savePathFor("C:\\x\\poster.bmp", 5), "C:\\x\\poster.png");
    EXPECT_EQ(saveFilter(5).format, ImageFormat::PngIndexed);
}

TEST(FileRequests, StatusText) {
    EXPECT_EQ(fileStatusText("D:\\img\\a.png", 640, 480), "a.png  |  (640 x 480)");
}

}  // namespace
}  // namespace tarnel
