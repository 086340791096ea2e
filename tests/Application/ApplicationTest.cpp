#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Application/Application.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/System/RegistryKey.h"

using namespace Orv;

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_registry =
            std::filesystem::temp_directory_path() / ("varnet-app-test-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_registry);
        std::filesystem::create_directories(m_registry);
        ::setenv("VARNET_REGISTRY_DIR", m_registry.c_str(), 1);
    }
    void TearDown() override {
        if (m_app) m_app->Shutdown();
        m_app = nullptr;
        ::unsetenv("VARNET_REGISTRY_DIR");
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

    // The image's row lines, by array and row, as the device must hold them after an update.
    static std::size_t CountImageRows() {
        std::ifstream image(VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd");
        std::string line;
        std::size_t rows = 0;
        std::getline(image, line);  // header
        while (std::getline(image, line))
            if (!line.empty() && line[0] == ':') ++rows;
        return rows;
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
};

TEST_F(ApplicationTest, SilentRunUpdatesTheWholeImageAndEndsQuietly) {
    auto app = MakeApp("-SILENT", {});
    EXPECT_EQ(app->InitializeApplication(), E_QUIET_EXIT);

    const auto flash = m_device->GetFlash();
    EXPECT_EQ(flash.size(), CountImageRows());
    EXPECT_GT(flash.size(), 0u);
    // The device restarted into its application with the new firmware.
    m_clock.SleepMs(5000);
    EXPECT_EQ(m_device->GetState(), Varnet::SimulatedState::Application);
    EXPECT_EQ(m_device->GetApplicationVersion(), 0x0102);
    // After a successful, non-downgrade update the driver may start the updater again.
    const std::string value = SuppressValueBytes();
    ASSERT_EQ(value.size(), 13u);
    EXPECT_EQ(value.back(), '\0');
    EXPECT_TRUE(app->CanExit());
}

TEST_F(ApplicationTest, SilentRunWithoutDeviceGivesUpAfterItsSearches) {
    Varnet::SimulatorConfig config;
    config.startState = Varnet::SimulatedState::Absent;
    auto app = MakeApp("-SILENT", config);
    EXPECT_EQ(app->InitializeApplication(), E_QUIET_EXIT);
    EXPECT_GE(m_clock.TotalSlept(), std::chrono::seconds(9));
    EXPECT_TRUE(m_device->GetFlash().empty());
    EXPECT_EQ(m_device->GetSwitchReportCount(), 0);
}

TEST_F(ApplicationTest, CurrentDeviceEndsQuietlyOnlyWhenAskedTo) {
    Varnet::SimulatorConfig current;
    current.applicationVersion = 0x0102;
    EXPECT_EQ(MakeApp("-SILENT_IF_UPDATE_NOT_NEEDED", current)->InitializeApplication(), E_QUIET_EXIT);
    m_app->Shutdown();

    auto app = MakeApp("", current);
    EXPECT_EQ(app->InitializeApplication(), S_OK);
    EXPECT_EQ(app->GetUpdateProcessor()->GetState(), UpdateNotNeeded);
    EXPECT_TRUE(app->CanExit());
}

TEST_F(ApplicationTest, OutdatedDeviceWaitsForTheUser) {
    auto app = MakeApp("-SILENT_IF_UPDATE_NOT_NEEDED", {});
    EXPECT_EQ(app->InitializeApplication(), S_OK);
    EXPECT_EQ(app->GetUpdateProcessor()->GetState(), DeviceReady);
    EXPECT_TRUE(m_device->GetFlash().empty());
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

TEST_F(ApplicationTest, UnknownFolderIdThrows) {
    auto app = MakeApp("", {});
    EXPECT_THROW(app->GetFolder(5), std::out_of_range);
    EXPECT_EQ(app->GetFolder(1), W("::"));
}

}  // namespace
