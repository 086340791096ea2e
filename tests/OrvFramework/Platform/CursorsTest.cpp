#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace Orv::Platform;

TEST(Cursors, EveryFrameworkNameHasASystemCursor) {
    const auto& names = FrameworkCursorNames();
    ASSERT_EQ(names.size(), 22u);
    EXPECT_EQ(names.front(), "UI_CURSOR_APP_STARTING");
    EXPECT_EQ(names.back(), "UI_CURSOR_MAG_MINUS");
    std::set<std::string_view> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size());
    for (auto name : names) EXPECT_TRUE(SystemCursorForName(name).has_value()) << name;

    EXPECT_EQ(SystemCursorForName("UI_CURSOR_ARROW"), SDL_SYSTEM_CURSOR_ARROW);
    EXPECT_EQ(SystemCursorForName(u"UI_CURSOR_IBEAM"), SDL_SYSTEM_CURSOR_IBEAM);
    EXPECT_EQ(SystemCursorForName("UI_CURSOR_HAND"), SDL_SYSTEM_CURSOR_HAND);
    EXPECT_EQ(SystemCursorForName("UI_CURSOR_SIZE_NWSE"), SDL_SYSTEM_CURSOR_SIZENWSE);
    EXPECT_EQ(SystemCursorForName("UI_CURSOR_APP_STARTING"), SDL_SYSTEM_CURSOR_WAITARROW);
    // Names compare case-sensitively.
    EXPECT_FALSE(SystemCursorForName("ui_cursor_arrow"));
    EXPECT_FALSE(SystemCursorForName("UI_CURSOR_"));
    EXPECT_FALSE(SetCursorByName("NO_SUCH_CURSOR"));
}

TEST(MessageBox, WithoutADisplayTheMessageGoesToStandardError) {
    const char* display = std::getenv("DISPLAY");
    const std::string keep = display ? display : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    const auto result = ShowStopMessageBox(
        "The application encountered problems during startup and will now close.", "Error");
    const std::string err = testing::internal::GetCapturedStderr();
    if (display) setenv("DISPLAY", keep.c_str(), 1);
    EXPECT_EQ(result, MessageBoxResult::WrittenToStderr);
    EXPECT_EQ(err, "Error: The application encountered problems during startup and will now close.\n");
}
