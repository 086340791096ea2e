#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "OrvFramework/System/IniFileManager.h"
#include "OrvFramework/Utilities/Storage/PathServices.h"

namespace Orv {
namespace {

const String kPlugin = W(VARNET_BINARY_DIR "/src/libIniFileManager.so");

class IniFileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvini-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_file = W(m_dir + "/settings/UserSettings.ini");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Loads the plug-in, built by its own target (IniFileManager), and opens the settings file.
    OrvIniHandle Open(LIniFileManager& manager) {
        EXPECT_EQ(manager.LoadFromPath(kPlugin), S_OK) << "build the IniFileManager target first";
        OrvIniHandle handle = nullptr;
        EXPECT_EQ(manager.Open(m_file, W("1_0_0"), W("Varnet Firmware Updater"), handle), S_OK);
        return handle;
    }
    static std::pair<ORVRESULT, std::int32_t> GetInt(LIniFileManager& m, OrvIniHandle h, const char* key, int def) {
        std::int32_t value = -100;
        const ORVRESULT result = m.GetInt(h, W(key), def, value);
        return {result, value};
    }
    static std::pair<ORVRESULT, String> GetString(LIniFileManager& m, OrvIniHandle h, const char* key) {
        String value;
        const ORVRESULT result = m.GetString(h, W(key), value);
        return {result, value};
    }
    static std::string ReadText(const std::string& path) {
        std::ostringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    }
    std::string FileText() const { return ReadText(Utf16ToUtf8(m_file)); }

    std::string m_dir;
    String m_file;
};

TEST_F(IniFileManagerTest, WithoutThePluginEverythingFailsAndDefaultsApply) {
    auto manager = MakeRC<LIniFileManager>();
    EXPECT_EQ(manager->Load(W(m_dir)), E_FAIL);  // no plug-in in that folder
    EXPECT_FALSE(manager->IsLoaded());
    OrvIniHandle handle = reinterpret_cast<OrvIniHandle>(0x1);
    EXPECT_EQ(manager->Open(m_file, W("1_0_0"), W("Product"), handle), E_FAIL);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(GetInt(*manager, handle, "CurrentSkinIndex", 3), std::pair(E_FAIL, 3));
    String text;
    for (ORVRESULT r :
         {manager->SetInt(handle, W("CurrentSkinIndex"), 1), manager->Write(handle), manager->Close(handle, true),
          manager->SetString(handle, W("k"), text), manager->SetArrayItemAt(handle, W("n"), 0, text)})
        EXPECT_EQ(r, E_FAIL);
    EXPECT_FALSE(PathServices::FileExists(m_file));  // nothing was written
}

TEST_F(IniFileManagerTest, SkinIndexSurvivesARestart) {
    {
        LIniFileManager manager;
        OrvIniHandle handle = Open(manager);
        EXPECT_EQ(manager.LoadFromPath(kPlugin), S_FALSE);
        EXPECT_EQ(GetInt(manager, handle, "CurrentSkinIndex", 0), std::pair(S_FALSE, 0));
        EXPECT_EQ(manager.SetInt(handle, W("CurrentSkinIndex"), 2), S_OK);
        EXPECT_EQ(manager.SetString(handle, W("Display\\Title"), W("Größe = \"x\"\nnext line")), S_OK);
        EXPECT_EQ(manager.Close(handle, true), S_OK);
        EXPECT_EQ(manager.Unload(), S_OK);
    }
    const std::string text = FileText();
    EXPECT_NE(text.find("CurrentSkinIndex=2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Display]\n"), std::string::npos) << text;

    LIniFileManager manager;
    OrvIniHandle handle = Open(manager);
    EXPECT_EQ(GetInt(manager, handle, "CurrentSkinIndex", 0), std::pair(S_OK, 2));
    EXPECT_EQ(GetString(manager, handle, "Display/Title"), std::pair(S_OK, W("Größe = \"x\"\nnext line")));
    EXPECT_EQ(manager.Close(handle, false), S_OK);
    EXPECT_EQ(manager.Close(handle, false), E_INVALIDARG);  // a closed handle is refused, not used
}

// A damaged file loads what makes sense; long texts grow the buffer; a non-number keeps the default.
TEST_F(IniFileManagerTest, DamagedFileAndOddValues) {
    std::filesystem::create_directories(m_dir + "/settings");
    std::ofstream(Utf16ToUtf8(m_file)) << "garbage line\n[unterminated\n=novalue\nGood=1\n[S]\nK=\\x4\\q\n";
    LIniFileManager manager;
    OrvIniHandle h = Open(manager);
    EXPECT_EQ(GetInt(manager, h, "Good", 0), std::pair(S_OK, 1));
    EXPECT_EQ(GetString(manager, h, "S/K"), std::pair(S_OK, W("\\x4\\q")));
    const String longText(300, u'x');
    EXPECT_EQ(manager.SetString(h, W("Node/A"), longText), S_OK);
    EXPECT_EQ(GetString(manager, h, "Node/A"), std::pair(S_OK, longText));
    EXPECT_EQ(GetInt(manager, h, "Node/A", 9), std::pair(S_FALSE, 9));
    EXPECT_EQ(manager.Close(h, false), S_OK);
}

TEST_F(IniFileManagerTest, WriteNeverGoesThroughAPlantedTemporaryName) {
    // Another local user may plant a link where a predictable temporary name would be (the
    // settings path plus ".tmp-" and the process id). The write must neither follow nor truncate it.
    const std::string folder = m_dir + "/settings";
    std::filesystem::create_directories(folder);
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "keep";
    const std::string planted = Utf16ToUtf8(m_file) + ".tmp-" + std::to_string(::getpid());
    std::filesystem::create_symlink(victim, planted);

    LIniFileManager manager;
    OrvIniHandle h = Open(manager);
    ASSERT_EQ(manager.SetInt(h, W("CurrentSkinIndex"), 3), S_OK);
    ASSERT_EQ(manager.Write(h), S_OK);
    EXPECT_EQ(manager.Close(h, false), S_OK);

    EXPECT_EQ(ReadText(victim), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
    EXPECT_NE(FileText().find("CurrentSkinIndex=3"), std::string::npos) << FileText();
    // Only the settings and the planted link are left: the temporary file went into place.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
}

}  // namespace
}  // namespace Orv
