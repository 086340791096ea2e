// Start-up of the application object: the framework's classes, the stored skin and the settings
// plug-in, over a skin document that carries two skins.
#include <gtest/gtest.h>

#include <optional>
#include <filesystem>
#include <fstream>

#include "Application/Application.h"
#include "Application/FrameworkApp.h"
#include "Application/Version.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Platform/Folders.h"
#include "Support/RegistrySandbox.h"
#include "Support/ScopedEnvironment.h"
#include "Support/Shell.h"
#include "Support/TempFolder.h"

using namespace Orv;
namespace fs = std::filesystem;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir / "skins");
        // Where the system has no such variable (Windows), the user's own data folder: emptied first.
        m_env.Set("XDG_DATA_HOME", (m_dir / "data").string());
        fs::remove(UserSettingsFile());

        // The shipped documents, the skin document with a copy of its skin as a second one.
        const fs::path resources = VARNET_SOURCE_DIR "/resources";
        fs::copy_file(resources / "FrameworkStrings.xml", m_dir / "skins/FrameworkStrings.xml");
        fs::copy_file(resources / "StringTables.xml", m_dir / "skins/StringTables.xml");
        std::string skins = ReadWholeFile(resources / "Skins.xml");
        const auto begin = skins.find("<Skin Name=\"Skin1\""), end = skins.find("</Skin>", begin) + 7;
        ASSERT_LT(end, skins.size());
        skins.insert(end, "\n<Skin Name=\"Skin2\"" + skins.substr(begin + 18, end - begin - 18));
        std::ofstream(m_dir / "skins/Skins.xml", std::ios::binary) << skins;
    }
    void TearDown() override {
        if (m_app) m_app->Shutdown();
        m_app = nullptr;
        fs::remove(UserSettingsFile());
    }

    RCPtr<LControlFactory> MakeFactory() {
        auto factory = MakeRC<LControlFactory>(W("Sluice"));
        EXPECT_EQ(factory->LoadDefinitions(String(Utf8ToUtf16((m_dir / "skins").string())), 0x0409), S_OK);
        EXPECT_EQ(factory->GetRootCount(), 2u);
        return factory;
    }

    // A fresh application over an up-to-date simulated Varnet (no upload starts).
    RCPtr<LApplication> MakeApp(const RCPtr<LControlFactory>& factory,
                                const char* pluginFolder = VARNET_BINARY_DIR "/src") {
        if (m_app) m_app->Shutdown();
        Varnet::SimulatorConfig config;
        config.latencyMs = 0;
        config.applicationVersion = 0x0102;
        UpdateEnvironment environment;
        environment.platform = std::make_shared<Varnet::SimulatedHidPlatform>(config, m_clock);
        environment.clock = &m_clock;
        environment.programFolder = W(VARNET_SOURCE_DIR "/resources");
        m_app = MakeRC<LApplication>(W("varnet-updater"), environment, factory);
        m_app->SetIniFileManagerFolder(W(NativePath(pluginFolder)));
        return m_app;
    }

    // The stored skin index as a previous or the next run sees it, through an application of its own;
    // stores `index` first when given.
    std::int32_t StoredSkinIndex(std::optional<std::int32_t> index = {}) {
        auto app = MakeApp(nullptr);
        if (index) {
            EXPECT_EQ(app->WriteUserSettingInt(W("CurrentSkinIndex"), *index), S_OK);
        }
        const std::int32_t value = app->ReadUserSettingInt(W("CurrentSkinIndex"), -100);
        app->Shutdown();
        m_app = nullptr;
        return value;
    }

    fs::path UserSettingsFile() const {
        return Platform::Utf8Path(Utf16ToUtf8(
                   Platform::GetApplicationFolder(3, Version().GetCompanyName(), Version().GetProductName()))) /
               "UserSettings.ini";
    }

    Platform::VirtualClock m_clock;
    VarnetTest::TempFolder m_folder{"varnet-startup-test"};
    const fs::path& m_dir = m_folder.Path();
    VarnetTest::RegistrySandbox m_registry;
    ScopedEnvironment m_env;
    RCPtr<LApplication> m_app;
};

TEST_F(StartupTest, StoredSkinIsSelectedClampedAndWrittenBack) {
    for (const auto& [stored, selected] : {std::pair{1, 1u}, {9, 1u}, {-4, 0u}, {0, 0u}}) {
        SCOPED_TRACE(stored);
        StoredSkinIndex(stored);
        auto factory = MakeFactory();
        ASSERT_EQ(MakeApp(factory)->InitializeApplication(), S_OK);
        EXPECT_EQ(factory->GetCurrentRootIndex(), selected);
        // Every framework class and the main control can be created from the selected skin.
        EXPECT_TRUE(factory->CreateControl(W("mainControl"), nullptr));
        m_app->Shutdown();
        m_app = nullptr;
        EXPECT_EQ(StoredSkinIndex(), static_cast<std::int32_t>(selected));
    }
    EXPECT_NE(ReadWholeFile(UserSettingsFile()).find("CurrentSkinIndex"), std::string::npos);
}

TEST_F(StartupTest, WithoutThePluginTheFirstSkinIsUsedAndNothingIsWritten) {
    auto factory = MakeFactory();
    auto app = MakeApp(factory, "/nonexistent-folder");
    ASSERT_EQ(app->InitializeApplication(), S_OK);
    EXPECT_EQ(factory->GetCurrentRootIndex(), 0u);
    EXPECT_EQ(app->ReadUserSettingInt(W("CurrentSkinIndex"), 7), 7);
    EXPECT_EQ(app->WriteUserSettingInt(W("CurrentSkinIndex"), 1), E_FAIL);
    EXPECT_FALSE(fs::exists(UserSettingsFile()));
}

TEST_F(StartupTest, SplashImageIsOnlyAnExistingFileThatIsNotAFolder) {
    const String folder(Utf8ToUtf16(m_dir.string()));
    EXPECT_FALSE(GetSplashImagePath(W("::")));
    EXPECT_FALSE(GetSplashImagePath(folder));
    fs::create_directories(m_dir / "Splash.png");
    EXPECT_FALSE(GetSplashImagePath(folder));
    fs::remove(m_dir / "Splash.png");
    std::ofstream(m_dir / "Splash.png") << "x";
    const std::optional<std::string> found = GetSplashImagePath(folder);
    ASSERT_TRUE(found);
    EXPECT_TRUE(fs::equivalent(Platform::Utf8Path(*found), m_dir / "Splash.png")) << *found;
}

}  // namespace
