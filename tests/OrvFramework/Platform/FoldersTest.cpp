#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/Utilities/Storage/PathServices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "OrvFramework/ObjectBase/Exception.h"
#include "Support/ScopedEnvironment.h"

using namespace Orv::Platform;
using Orv::W;
namespace fs = std::filesystem;

namespace {

// Points HOME and the XDG variables into a temporary tree for one test.
class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orv-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_env.Set("HOME", m_dir).Set("XDG_CONFIG_HOME", m_dir + "/config").Set("XDG_DATA_HOME", nullptr);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
    ScopedEnvironment m_env;
};

}  // namespace

TEST_F(FoldersTest, LocalDataFollowsXdgDataHomeAndIsCreated) {
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/.local/share");
    EXPECT_TRUE(fs::is_directory(m_dir + "/.local/share"));
    setenv("XDG_DATA_HOME", (m_dir + "/data/").c_str(), 1);
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/data");
    EXPECT_TRUE(fs::is_directory(m_dir + "/data"));
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(GetLocalDataFolder(), m_dir + "/.local/share");
}

TEST_F(FoldersTest, DocumentsFromTheDesktopSettingElseHomeDocuments) {
    EXPECT_EQ(GetDocumentsFolder(), m_dir + "/Documents");
    EXPECT_TRUE(fs::is_directory(m_dir + "/Documents"));
    if (system("command -v xdg-user-dir >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdg-user-dir is not installed";
    fs::create_directories(m_dir + "/config");
    std::ofstream(m_dir + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    EXPECT_EQ(GetDocumentsFolder(), m_dir + "/Papers");
    EXPECT_TRUE(fs::is_directory(m_dir + "/Papers"));
}

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
    EXPECT_EQ(GetApplicationFolder(4, u"Korvo", u"Updater", roots), W(m_dir + "/docs"));
    EXPECT_TRUE(fs::is_directory(m_dir + "/docs"));
}

TEST_F(FoldersTest, UnknownPathIdThrowsOutOfRange) {
    const FolderRoots roots{"/a", "/b", "/c", "/d"};
    EXPECT_THROW(GetApplicationFolder(-1, u"Korvo", u"Updater", roots), std::out_of_range);
    EXPECT_THROW(GetApplicationFolder(5, u"Korvo", u"Updater"), std::out_of_range);
    try {
        GetApplicationFolder(5, u"Korvo", u"Updater", roots);
        ADD_FAILURE() << "no error";
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Out of Range : Unknown Path ID. : Orv::MFCFrameworkApp<class LApplication>::GetFolder : ", 0),
                  0u)
            << e.what();
        EXPECT_NE(dynamic_cast<const Orv::ExceptionBase*>(&e), nullptr);
    }
}

TEST_F(FoldersTest, ModuleFolderHoldsThisProgram) {
    const std::string folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "/platform_tests"));
    EXPECT_EQ(GetApplicationFolder(0, u"K", u"P"), W(folder));
}

TEST(FolderNames, CleanerReplacesTheFifteenCharacters) {
    EXPECT_EQ(Orv::PathServices::CleanFileName(u"a\\b/c:d*e?f\"g<h>i|j&k;l,m^n(o)p"),
              W("a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p"));
    EXPECT_EQ(Orv::PathServices::CleanFileName(u"Korvo Audio. \u00e9"), Orv::String(u"Korvo Audio. \u00e9"));
    EXPECT_EQ(Orv::PathServices::CleanFileName(u""), Orv::String());
}
