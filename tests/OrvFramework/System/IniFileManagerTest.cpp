#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>

#include "OrvFramework/Platform/PluginLibrary.h"
#include "OrvFramework/System/IniFileManager.h"
#include "Support/Shell.h"
#include "Support/TempFolder.h"

namespace Orv {
namespace {

const String kPlugin = W(NativePath(VARNET_BINARY_DIR "/src/" + Platform::PluginFileName("IniFileManager")));

class IniFileManagerTest : public ::testing::Test {
protected:
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
    std::string FileText() const { return ReadWholeFile(Utf16ToUtf8(m_file)); }

    VarnetTest::TempFolder m_folder{"orvini"};
    const std::string m_dir = m_folder.Path().string();
    String m_file = W(m_dir + "/settings/UserSettings.ini");
};

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
    EXPECT_EQ(manager.Close(h, false), E_INVALIDARG);  // a closed handle is refused, not used
}

// Windows names its temporary file at random: there is no name to plant.
#ifndef _WIN32
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

    EXPECT_EQ(ReadWholeFile(victim), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
    EXPECT_NE(FileText().find("CurrentSkinIndex=3"), std::string::npos) << FileText();
    // Only the settings and the planted link are left: the temporary file went into place.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
}
#endif

}  // namespace
}  // namespace Orv
