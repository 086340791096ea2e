#include <gtest/gtest.h>

#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/MessageBox.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "Support/ScopedEnvironment.h"
#endif

using namespace Orv::Platform;

namespace {

// Makes the process one that cannot show a window: no display on Linux, a window station nobody
// sees (as a service has) on Windows.
#ifdef _WIN32
struct NoDisplay {
    HWINSTA saved = GetProcessWindowStation();
    HWINSTA hidden = CreateWindowStationW(nullptr, 0, WINSTA_ALL_ACCESS, nullptr);
    NoDisplay() {
        if (hidden) SetProcessWindowStation(hidden);
    }
    ~NoDisplay() {
        SetProcessWindowStation(saved);
        if (hidden) CloseWindowStation(hidden);
    }
    bool Ready() const { return hidden != nullptr; }
};
#else
struct NoDisplay {
    ScopedEnvironment env;
    NoDisplay() { env.Set("DISPLAY", nullptr).Set("WAYLAND_DISPLAY", nullptr); }
    bool Ready() const { return true; }
};
#endif

}  // namespace

TEST(StopMessageBox, WithoutADisplayTheMessageGoesToStandardError) {
    NoDisplay noDisplay;
    ASSERT_TRUE(noDisplay.Ready());
#ifdef _WIN32
    // (The Linux tests ask SDL for its dummy display, which is always there.)
    std::string reason;
    EXPECT_FALSE(HostApp::EnsureVideo(&reason));
    EXPECT_NE(reason.find("not interactive"), std::string::npos) << reason;
#endif
    testing::internal::CaptureStderr();
    const auto result =
        ShowStopMessageBox("The application encountered problems during startup and will now close.", "Error");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, MessageBoxResult::WrittenToStderr);
    EXPECT_EQ(err, "Error: The application encountered problems during startup and will now close.\n");
}
