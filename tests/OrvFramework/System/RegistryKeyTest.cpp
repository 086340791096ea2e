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
    static std::pair<ORVRESULT, String> Text(LRegistryKey& key, const char* name) {
        String value;
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

TEST_F(RegistryKeyTest, TextAndNumbers) {
    LRegistryKey key(kCurrentUser, W("Software\\Test"));
    EXPECT_EQ(key.SetValue(W("Name"), RegistryVariant::FromText(W("Ab"))), S_OK);
    EXPECT_EQ(FileBytes("HKEY_CURRENT_USER/Software/Test/Name.sz"), (std::vector<unsigned char>{'A', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(key.SetValue(W("Rate"), RegistryVariant::FromText(W("2.5"))), S_OK);
    EXPECT_EQ(key.SetValue(W("Count"), RegistryVariant::FromInt32(-7)), S_OK);
    EXPECT_EQ(Text(key, "Name"), std::pair(S_OK, W("Ab")));
    EXPECT_EQ(Number(std::move(key), "Name").first, E_FAIL);  // not a number
    EXPECT_EQ(Number(std::move(key), "Rate"), std::pair(S_OK, 2.5));
    EXPECT_EQ(Text(key, "Count"), std::pair(S_OK, W("-7")));
    EXPECT_EQ(Text(key, "Missing").first, E_FAIL);
    // A value that changes type replaces the old file.
    EXPECT_EQ(key.SetValue(W("Name"), RegistryVariant::FromInt64(5)), S_OK);
    EXPECT_EQ(Number(std::move(key), "Name"), std::pair(S_OK, 5.0));
    EXPECT_EQ(FileCount("HKEY_CURRENT_USER/Software/Test"), 3u);
    // Names cannot climb out of their key.
    EXPECT_EQ(key.SetValue(W("../../evil"), RegistryVariant::FromBool(true)), S_OK);
    EXPECT_EQ(FileCount("HKEY_CURRENT_USER/Software/Test"), 4u);
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
