#include "app/preferences.h"

#include <gtest/gtest.h>

#include "app/paths.h"
#include "io/file_names.h"

namespace tarnel {
namespace {

TEST(Preferences, FirstRunWritesExactlyTwoLines) {
    PreferencesFile prefs;
    prefs.parse("");
    EXPECT_EQ(prefs.readText(kKeyLastPath, "H/Pictures/"), "H/Pictures/");
    EXPECT_EQ(prefs.readInteger(kKeyLastWindowState, 0), 0);
    prefs.writeText(kKeyLastPath, "C:\\Users\\name\\Pictures\\");
    prefs.writeInteger(kKeyLastWindowState, 0);
    EXPECT_EQ(prefs.serialize(), "LastPath = C:\\Users\\name\\Pictures\\\r\nLastWindowState = 0\r\n");
}

TEST(Preferences, CommentsGroupsAndExtraKeysStayInPlace) {
    PreferencesFile prefs;
    prefs.parse(
        "  ;my settings  \n"
        "[Window]\r\n"
        "\tlastwindowstate\t=\t16777216  \r\n"
        "Other = kept value \r\n"
        "\r\n"
        ";trailing\r\n");
    EXPECT_EQ(prefs.readInteger(kKeyLastWindowState, 5), 16777216) << "keys ignore case";
    EXPECT_EQ(prefs.readText("OTHER", ""), "kept value");
    prefs.writeInteger(kKeyLastWindowState, 0);
    prefs.writeText(kKeyLastPath, "/home/u/");
    EXPECT_EQ(prefs.serialize(),
              "; my settings\r\n"
              "[Window]\r\n"
              "lastwindowstate = 0\r\n"
              "Other = kept value\r\n"
              "LastPath = /home/u/\r\n"
              "; trailing\r\n");
    // A rewrite of the rewritten file is stable.
    PreferencesFile again;
    again.parse(prefs.serialize());
    EXPECT_EQ(again.serialize(), prefs.serialize());
}

TEST(Preferences, ByteOrderMarkIsKeptWithALineEnd) {
    PreferencesFile prefs;
    prefs.parse("\xEF\xBB\xBFLastPath = /x/\r\n");
    EXPECT_EQ(prefs.readText(kKeyLastPath, ""), "/x/");
    const std::string out = prefs.serialize();
    EXPECT_EQ(out, "\xEF\xBB\xBF\r\nLastPath = /x/\r\n");
    PreferencesFile again;
    again.parse(out);
    EXPECT_EQ(again.serialize(), out) << "no blank line added per run";
}

TEST(Preferences, IntegersAreSigned64BitAndJunkReadsAsZero) {
    EXPECT_EQ(parseInteger("-42"), -42);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseInteger("9223372036854775808"), 0);
    EXPECT_EQ(parseInteger("abc"), 0);
    EXPECT_EQ(parseInteger(""), 0);
    PreferencesFile prefs;
    prefs.parse("LastWindowState = maximised\r\nLastPath =\r\n");
    EXPECT_EQ(prefs.readInteger(kKeyLastWindowState, 3), 0);
    EXPECT_EQ(prefs.readText(kKeyLastPath, "default"), "") << "an empty value stays empty";
}

TEST(Paths, FolderAndFileParts) {
    EXPECT_EQ(rememberedFolder("D:\\img\\a.png"), "D:\\img\\");
    EXPECT_EQ(rememberedFolder("/home/u/pics/a.png"), "/home/u/pics/");
    EXPECT_EQ(rememberedFolder("\"C:\\x\\y.png"), "C:\\x\\");
    EXPECT_EQ(rememberedFolder("C:\\a\\b.png|C:\\c\\d.png"), "C:\\a\\");
    EXPECT_EQ(rememberedFolder("no_image_loaded"), "");
    EXPECT_EQ(filePart("C:\\Users\\Pictures\\no_image_loaded"), "no_image_loaded");
    EXPECT_EQ(filePart("a/b\\c.png"), "c.png");
    EXPECT_EQ(withTrailingSeparator("/home/u/"), "/home/u/");
    EXPECT_EQ(withTrailingSeparator("C:\\Users\\u"), std::string("C:\\Users\\u") + kFolderSeparator);
}

}  // namespace
}  // namespace tarnel
