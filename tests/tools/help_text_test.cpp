#include "tools/help_text.h"

#include <regex>
#include <string>

#include <gtest/gtest.h>

namespace tarnel {
namespace {

TEST(HelpText, IsAsciiInCrLfLinesEndingInTheClosingLineAndATab) {
    const std::string& text = helpText();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        ASSERT_TRUE(c == '\t' || (c >= 0x20 && c < 0x7F) || (c == '\r' && text[i + 1] == '\n') ||
                    (c == '\n' && i > 0 && text[i - 1] == '\r'))
            << "byte " << i;
    }
    EXPECT_TRUE(std::regex_search(text, std::regex("\r\n_+ End of Help _+\r\n\t$")));
}

TEST(HelpText, OpensWithTheBannerAndHoldsTheHeadingsInOrder) {
    const std::string& text = helpText();
    const std::size_t firstRule = text.find("\r\n____");
    ASSERT_NE(firstRule, std::string::npos);
    EXPECT_TRUE(std::regex_search(text.substr(0, firstRule), std::regex("\\|\\s+TARNEL\\s+\\|")));
    EXPECT_TRUE(std::regex_search(text.substr(0, firstRule), std::regex("\\|\\s+Version 2\\.0\\s+\\|")));

    std::size_t at = firstRule;
    for (const char* heading :
         {"CURSOR MODE:", "HISTOGRAM TOOL:", "PALETTE TOOL:", "MENU and POP-UP MENU:", "(FILE...)", "(EDIT...)",
          "{PASTE...}", "(RESIZE...)", "(EFFECTS...)", "(COLORS...)", "{COLOR QUANTIZATION}:", "{BRIGHT/CONTRAST}:",
          "{TWO_COLOR}", "{GRAY_SCALE}", "{NEGATIVE}", "(ROTATE...)", "KEYBOARD SHORTCUTS:", "End of Help"}) {
        at = text.find(heading, at);
        ASSERT_NE(at, std::string::npos) << heading << " missing or out of order";
    }
}

TEST(HelpWindowRect, IsHalfTheDesktopCentred) {
    EXPECT_EQ(helpWindowRect(1920, 1080), (Rect{480, 270, 1439, 809}));
    EXPECT_EQ(helpWindowRect(1365, 767), (Rect{341, 192, 1022, 574}));  // 682 x 383
}

}  // namespace
}  // namespace tarnel
