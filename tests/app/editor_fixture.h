#pragma once
// An editor after start-up on a fake platform, driven as the window does,
// with its preferences in a temporary home named after the test.

#include <gtest/gtest.h>

#include "app/editor.h"
#include "app/fake_platform.h"

namespace tarnel::test {

struct EditorFixture : ::testing::Test {
    TempHome home{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    FakePlatform platform;
    Editor editor{platform};

    void SetUp() override {
        platform.home = home.folder();
        editor.loadPreferences();
        editor.drawStartupImage();
        editor.finishStartUp();
    }

    // As Load does: the image becomes the working image with a fresh
    // history, mover mode, the window fitted to it.
    void load(const Image& image) {
        editor.images().put(kSlotWorking, image);
        editor.resetHistory();
        editor.setCursorMode(CursorMode::Mover);
        editor.fitWindowToImage();
    }
};

}  // namespace tarnel::test
