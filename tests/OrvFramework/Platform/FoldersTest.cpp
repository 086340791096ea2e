#include "OrvFramework/Platform/Folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "Support/ScopedEnvironment.h"
#include "Support/TempFolder.h"

using namespace Orv::Platform;
using Orv::W;
namespace fs = std::filesystem;

namespace {

// Points HOME and the XDG variables into a temporary tree for one test.
class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_env.Set("HOME", m_dir).Set("XDG_CONFIG_HOME", m_dir + "/config").Set("XDG_DATA_HOME", nullptr);
    }
    VarnetTest::TempFolder m_folder{"orv-folders"};
    std::string m_dir = m_folder.Path().generic_string();
    ScopedEnvironment m_env;
};

}  // namespace

#ifndef _WIN32
// The Linux folders follow the XDG variables (Windows asks for its known folders).
TEST_F(FoldersTest, LocalDataFollowsXdgDataHomeAndIsCreated) {
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/.local/share");
    EXPECT_TRUE(fs::is_directory(m_dir + "/.local/share"));
    m_env.Set("XDG_DATA_HOME", m_dir + "/data/");
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/data");
    EXPECT_TRUE(fs::is_directory(m_dir + "/data"));
    m_env.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/.local/share");
}
#endif

TEST_F(FoldersTest, ApplicationFolderTable) {
    const FolderRoots roots{"/opt/varnet", m_dir + "/all", m_dir + "/local", m_dir + "/docs"};
    EXPECT_EQ(GetApplicationFolder(0, u"Korvo", u"Updater", roots), W("/opt/varnet"));
    EXPECT_EQ(GetApplicationFolder(1, u"Korvo", u"Updater", roots), W("::"));
    // Company and product become folder levels, cleaned and created.
    EXPECT_EQ(GetApplicationFolder(2, u"Korvo: A/B", u"Up(date)r", roots), W(m_dir + "/all/Korvo_ A_B/Up_date_r"));
    EXPECT_TRUE(fs::is_directory(m_dir + "/all/Korvo_ A_B/Up_date_r"));
    EXPECT_EQ(GetApplicationFolder(3, u"Korvo", u"Varnet Firmware Updater", roots),
              W(m_dir + "/local/Korvo/Varnet Firmware Updater"));
    EXPECT_TRUE(fs::is_directory(m_dir + "/local/Korvo/Varnet Firmware Updater"));
}

TEST_F(FoldersTest, UnknownPathIdThrowsOutOfRange) {
    const FolderRoots roots{"/a", "/b", "/c", "/d"};
    EXPECT_THROW(GetApplicationFolder(-1, u"Korvo", u"Updater", roots), std::out_of_range);
    EXPECT_THROW(GetApplicationFolder(5, u"Korvo", u"Updater"), std::out_of_range);
}

TEST_F(FoldersTest, ModuleFolderHoldsThisProgram) {
    const std::string folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(folder + "/platform_tests.exe"));
#else
    EXPECT_TRUE(fs::exists(folder + "/platform_tests"));
#endif
    EXPECT_EQ(GetApplicationFolder(0, u"K", u"P"), W(folder));
}
