#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Application/Application.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/System/RegistryKey.h"
#include "Support/ScopedEnvironment.h"

using namespace Orv;

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_registry =
            std::filesystem::temp_directory_path() / ("varnet-app-test-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_registry);
        m_env.Set("VARNET_REGISTRY_DIR", m_registry.string());
    }
    void TearDown() override {
        if (m_app) m_app->Shutdown();
        m_app = nullptr;
        std::filesystem::remove_all(m_registry);
    }

    // The application over a simulated Varnet on virtual time, with the bundled image.
    RCPtr<LApplication> MakeApp(const char* arguments, Varnet::SimulatorConfig config) {
        config.latencyMs = 0;
        m_device = std::make_shared<Varnet::SimulatedHidPlatform>(config, m_clock);
        UpdateEnvironment environment;
        environment.platform = m_device;
        environment.clock = &m_clock;
        environment.programFolder = W(VARNET_SOURCE_DIR "/resources");
        m_app = MakeRC<LApplication>(W(std::string("varnet-updater ") + arguments), environment);
        return m_app;
    }

    std::string SuppressValueBytes() {
        std::ifstream in(m_registry /
                             "HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers/"
                             "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate/"
                             "SuppressAutoUpdates.bin",
                         std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Platform::VirtualClock m_clock;
    std::shared_ptr<Varnet::SimulatedHidPlatform> m_device;
    RCPtr<LApplication> m_app;
    std::filesystem::path m_registry;
    ScopedEnvironment m_env;
};

TEST_F(ApplicationTest, SilentRunUpdatesTheWholeImageAndEndsQuietly) {
    auto app = MakeApp("-SILENT", {});
    EXPECT_EQ(app->InitializeApplication(), E_QUIET_EXIT);
    std::ifstream image(VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd");
    std::size_t rows = 0;
    for (std::string line; std::getline(image, line);) rows += line.rfind(':', 0) == 0;
    EXPECT_EQ(m_device->GetFlash().size(), rows);
    // The device restarted into its application with the new firmware.
    m_clock.SleepMs(5000);
    EXPECT_EQ(m_device->GetState(), Varnet::SimulatedState::Application);
    EXPECT_EQ(m_device->GetApplicationVersion(), 0x0102);
    // After a successful, non-downgrade update the driver may start the updater again.
    EXPECT_EQ(SuppressValueBytes(), std::string("\x0d\0\0\0\0\0\0\0\x01\0\0\0\0", 13));
    EXPECT_TRUE(app->CanExit());
}

TEST_F(ApplicationTest, ExitRequestClosesOnlyWhenNoUploadRuns) {
    auto app = MakeApp("", {});
    ASSERT_EQ(app->InitializeApplication(), S_OK);
    int exits = 0;
    app->SetExitHandler([&] { ++exits; });
    GetApplicationNotificationCenter()->Post(LNotification::Create(u"NID_APP_EXIT_REQ").Get());
    app->ProcessNotifications(true);
    EXPECT_EQ(exits, 1);
}

}  // namespace
