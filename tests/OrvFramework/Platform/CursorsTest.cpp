#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace Orv::Platform;

TEST(Cursors, EveryFrameworkNameHasAShapeAndNamesAreCaseSensitive) {
    const auto& names = FrameworkCursorNames();
    ASSERT_EQ(names.size(), 22u);
    std::set<std::string_view> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size());
    for (auto name : names) EXPECT_TRUE(CursorShapeForName(name).has_value()) << name;
    EXPECT_EQ(CursorShapeForName(u"UI_CURSOR_IBEAM"), CursorShape::IBeam);
    EXPECT_EQ(CursorShapeForName("UI_CURSOR_APP_STARTING"), CursorShape::WaitArrow);
    EXPECT_FALSE(CursorShapeForName("ui_cursor_arrow"));
    EXPECT_FALSE(CursorShapeForName("UI_CURSOR_"));
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
