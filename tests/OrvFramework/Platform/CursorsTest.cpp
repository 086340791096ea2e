#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/MessageBox.h"

#include <gtest/gtest.h>

#include "Support/ScopedEnvironment.h"

using namespace Orv::Platform;

TEST(Cursors, EveryFrameworkNameHasAShapeAndNamesAreCaseSensitive) {
    ASSERT_EQ(FrameworkCursorNames().size(), 22u);
    for (auto name : FrameworkCursorNames()) EXPECT_TRUE(CursorShapeForName(name).has_value()) << name;
    EXPECT_EQ(CursorShapeForName(u"UI_CURSOR_IBEAM"), CursorShape::IBeam);
    EXPECT_FALSE(CursorShapeForName("ui_cursor_arrow"));
    EXPECT_FALSE(SetCursorByName("NO_SUCH_CURSOR"));
}

TEST(MessageBox, WithoutADisplayTheMessageGoesToStandardError) {
    ScopedEnvironment env;
    env.Set("DISPLAY", nullptr).Set("WAYLAND_DISPLAY", nullptr);
    testing::internal::CaptureStderr();
    const auto result =
        ShowStopMessageBox("The application encountered problems during startup and will now close.", "Error");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, MessageBoxResult::WrittenToStderr);
    EXPECT_EQ(err, "Error: The application encountered problems during startup and will now close.\n");
}
