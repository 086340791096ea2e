#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "OrvFramework/System/RegistryKey.h"

namespace Orv {
namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvreg-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        ::setenv("VARNET_REGISTRY_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("VARNET_REGISTRY_DIR");
        std::filesystem::remove_all(m_dir);
    }
    std::vector<unsigned char> FileBytes(const std::string& relative) const {
        std::ifstream in(m_dir + "/" + relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t FileCount(const std::string& relative) const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_dir + "/" + relative)) ++n;
        return n;
    }

    std::string m_dir;
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
    double number = -1;
    EXPECT_EQ(LRegistryKey(kLocalMachine, m_path).GetValue(W("SuppressAutoUpdates"), number), S_OK);
    EXPECT_EQ(number, 0);
}

TEST_F(RegistryKeyTest, TextAndNumbers) {
    LRegistryKey key(kCurrentUser, W("Software\\Test"));
    EXPECT_EQ(key.SetValue(W("Name"), RegistryVariant::FromText(W("Ab"))), S_OK);
    EXPECT_EQ(FileBytes("HKEY_CURRENT_USER/Software/Test/Name.sz"), (std::vector<unsigned char>{'A', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(key.SetValue(W("Rate"), RegistryVariant::FromText(W("2.5"))), S_OK);
    EXPECT_EQ(key.SetValue(W("Count"), RegistryVariant::FromInt32(-7)), S_OK);
    String text;
    double number = 0;
    EXPECT_EQ(key.GetValue(W("Name"), text), S_OK);
    EXPECT_EQ(text, W("Ab"));
    EXPECT_EQ(key.GetValue(W("Name"), number), E_FAIL);  // not a number
    EXPECT_EQ(key.GetValue(W("Rate"), number), S_OK);
    EXPECT_EQ(number, 2.5);
    EXPECT_EQ(key.GetValue(W("Count"), text), S_OK);
    EXPECT_EQ(text, W("-7"));
    EXPECT_EQ(key.GetValue(W("Missing"), text), E_FAIL);
    // A value that changes type replaces the old file.
    EXPECT_EQ(key.SetValue(W("Name"), RegistryVariant::FromInt64(5)), S_OK);
    EXPECT_EQ(key.GetValue(W("Name"), number), S_OK);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(FileCount("HKEY_CURRENT_USER/Software/Test"), 3u);
    // Names cannot climb out of their key.
    EXPECT_EQ(key.SetValue(W("../../evil"), RegistryVariant::FromBool(true)), S_OK);
    EXPECT_EQ(FileCount("HKEY_CURRENT_USER/Software/Test"), 4u);
    EXPECT_EQ(key.GetValue(W("../../evil"), number), S_OK);
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
    double number = 0;
    EXPECT_EQ(key.GetValue(W("V"), number), S_OK);
    EXPECT_EQ(number, 1);
    EXPECT_EQ(LRegistryKey(9, W("x")).SetValue(W("V"), RegistryVariant::FromBool(true)), E_FAIL);  // no root
}

TEST(RegistryVariantTest, SerialisedFormRoundTripsAndRejectsGarbage) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(RegistryVariant::FromDouble(1.25).Serialize(bytes));
    EXPECT_EQ(bytes.size(), 20u);
    RegistryVariant back;
    ASSERT_TRUE(RegistryVariant::Deserialize(bytes, back));
    double number = 0;
    EXPECT_TRUE(back.ToNumber(number));
    EXPECT_EQ(number, 1.25);
    bytes[0] = 19;  // the length disagrees
    EXPECT_FALSE(RegistryVariant::Deserialize(bytes, back));
    EXPECT_FALSE(RegistryVariant::Deserialize({1, 2, 3}, back));
    EXPECT_FALSE(RegistryVariant::Deserialize({13, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1}, back));  // int of one byte
}

}  // namespace
}  // namespace Orv
