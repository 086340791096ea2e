#include "OrvFramework/Platform/MessageBox.h"

#include <gtest/gtest.h>

#include "Support/ScopedEnvironment.h"

using namespace Orv::Platform;

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
