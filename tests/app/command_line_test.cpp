#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tarnel {
namespace {

TEST(CommandLine, ArgumentsGiveAnActionAndAFile) {
    struct Case {
        std::vector<std::string> args;
        EditorAction action;
        std::string file;
    };
    const Case cases[] = {
        {{}, EditorAction::Run, ""},
        {{"photo.png"}, EditorAction::Run, "photo.png"},
        {{"--", "-odd name.png"}, EditorAction::Run, "-odd name.png"},
        {{"photo.png", "--help"}, EditorAction::Help, ""},
        {{"-v"}, EditorAction::Version, ""},
        {{"--", "--help"}, EditorAction::Run, "--help"},
        {{"--frobnicate"}, EditorAction::Usage, ""},
        {{"a.png", "b.png"}, EditorAction::Usage, ""},
        {{""}, EditorAction::Usage, ""},
    };
    for (const Case& c : cases) {
        const EditorArguments parsed = parseEditorArguments(c.args);
        EXPECT_EQ(parsed.action, c.action) << testing::PrintToString(c.args);
        EXPECT_EQ(parsed.file, c.file) << testing::PrintToString(c.args);
        EXPECT_EQ(parsed.error.empty(), c.action != EditorAction::Usage) << testing::PrintToString(c.args);
    }
}

TEST(CommandLine, HelpAndVersionAreFoundAmongOptionsTheEditorDoesNotKnow) {
    // Qt's own options stand beside them before Qt has taken them out.
    EXPECT_EQ(textRequest({"-platform", "offscreen", "--version"}), EditorAction::Version);
    EXPECT_EQ(textRequest({"-style", "fusion", "-h", "--version"}), EditorAction::Help);
    EXPECT_EQ(textRequest({"-platform", "offscreen", "photo.png"}), EditorAction::Run);
    EXPECT_EQ(textRequest({"--", "--help"}), EditorAction::Run);
}

}  // namespace
}  // namespace tarnel
