#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "OrvFramework/System/RegistryKey.h"
#include "Support/ScopedEnvironment.h"

namespace Orv {
namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvreg-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_env.Set("VARNET_REGISTRY_DIR", m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::vector<unsigned char> FileBytes(const std::string& relative) const {
        std::ifstream in(m_dir + "/" + relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::pair<ORVRESULT, double> Number(LRegistryKey&& key, const char* name) {
        double value = -1;
        const ORVRESULT result = key.GetValue(W(name), value);
        return {result, value};
    }
    std::size_t FileCount(const std::string& relative) const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_dir + "/" + relative)) ++n;
        return n;
    }

    std::string m_dir;
    ScopedEnvironment m_env;
    const String m_path = W("Software\\Korvo\\Audio\\Drivers\\{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}\\FirmwareUpdate");
    const std::string m_keyDir =
        "HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers/{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate";
};

TEST_F(RegistryKeyTest, BooleanValueHasTheExactThirteenBytes) {
    LRegistryKey key(kLocalMachine, m_path);
    EXPECT_EQ(key.SetValue(W("SuppressAutoUpdates"), RegistryVariant::FromBool(true)), S_OK);
    EXPECT_FALSE(key.IsOpen());  // opened for the write only
    EXPECT_EQ(FileBytes(m_keyDir + "/SuppressAutoUpdates.bin"),
              (std::vector<unsigned char>{0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(key.SetValue(W("SuppressAutoUpdates"), RegistryVariant::FromBool(false)), S_OK);
    EXPECT_EQ(FileBytes(m_keyDir + "/SuppressAutoUpdates.bin"),
              (std::vector<unsigned char>{0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(FileCount(m_keyDir), 1u);  // no temporary file left behind
    EXPECT_EQ(Number(LRegistryKey(kLocalMachine, m_path), "SuppressAutoUpdates"), std::pair(S_OK, 0.0));
}

// Names cannot climb out of their key.
TEST_F(RegistryKeyTest, NamesStayInsideTheirKey) {
    LRegistryKey key(kCurrentUser, W("Software\\Test"));
    EXPECT_EQ(key.SetValue(W("../../evil"), RegistryVariant::FromBool(true)), S_OK);
    EXPECT_EQ(FileCount("HKEY_CURRENT_USER/Software/Test"), 1u);
    EXPECT_EQ(Number(std::move(key), "../../evil"), std::pair(S_OK, 1.0));
}

TEST_F(RegistryKeyTest, FailuresAnswerFailAndKeepTheOldValue) {
    LRegistryKey key(kLocalMachine, m_path);
    EXPECT_EQ(key.OpenForReading(), E_FAIL);  // does not exist yet
    EXPECT_EQ(key.OpenForWriting(), S_OK);
    EXPECT_EQ(key.OpenForWriting(), S_FALSE);
    EXPECT_EQ(key.SetValue(W("Empty"), RegistryVariant::FromBlock(6, {})), E_FAIL);
    EXPECT_EQ(key.SetValue(W("V"), RegistryVariant::FromInt32(1)), S_OK);
    EXPECT_TRUE(key.IsOpen());  // it was open before: it stays open
    key.Close();
    // A write that cannot be put in place (here a directory blocks the name) fails cleanly.
    std::filesystem::create_directories(m_dir + "/" + m_keyDir + "/Blocked.bin/inside");
    EXPECT_EQ(key.SetValue(W("Blocked"), RegistryVariant::FromBool(true)), E_FAIL);
    EXPECT_EQ(FileCount(m_keyDir), 2u);
    EXPECT_EQ(Number(std::move(key), "V"), std::pair(S_OK, 1.0));
    EXPECT_EQ(LRegistryKey(9, W("x")).SetValue(W("V"), RegistryVariant::FromBool(true)), E_FAIL);  // no root
}

TEST(RegistryVariantTest, DamagedBytesAreRejected) {
    RegistryVariant back;
    EXPECT_FALSE(RegistryVariant::Deserialize({1, 2, 3}, back));
    EXPECT_FALSE(RegistryVariant::Deserialize({12, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, back));  // length disagrees
    EXPECT_FALSE(RegistryVariant::Deserialize({13, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1}, back));  // int of one byte
}

}  // namespace
}  // namespace Orv
