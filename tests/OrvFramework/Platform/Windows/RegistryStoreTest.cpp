#include "OrvFramework/Platform/RegistryStore.h"

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <sddl.h>

#include <string>

using namespace Orv::Platform;

namespace {

constexpr int kCurrentUser = 1;

class RegistryStoreTest : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }
    const std::wstring m_key = L"Software\\VarnetTest\\Store-" + std::to_wstring(GetCurrentProcessId());
    const std::u16string m_subKey{m_key.begin(), m_key.end()};
};

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

TEST_F(RegistryStoreTest, ValuesRoundTripAndAKeyThisUserMayNotChangeIsRefusedForWriting) {
    IRegistryStore& store = GetRegistryStore();
    EXPECT_EQ(store.OpenKey(kCurrentUser, m_subKey, false, true), nullptr);  // not there yet
    EXPECT_EQ(store.OpenKey(7, m_subKey, true, true), nullptr);
    // '/' separates levels as '\' does; empty levels are skipped.
    auto key = store.OpenKey(kCurrentUser, u"/" + m_subKey + u"//Inner/", true, true);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteValue(u"Name", kRegistryTypeString, Bytes(std::string("T\0e\0\0\0", 6))));
    auto reader = store.OpenKey(kCurrentUser, m_subKey + u"\\Inner", false, true);
    ASSERT_NE(reader, nullptr);
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(reader->ReadValue(u"Name", type, bytes));
    EXPECT_EQ(type, kRegistryTypeString);
    EXPECT_EQ(bytes, Bytes(std::string("T\0e\0\0\0", 6)));
    // Another type replaces the value as a whole.
    ASSERT_TRUE(key->WriteValue(u"Name", kRegistryTypeBinary, Bytes("\x0D\x01")));
    ASSERT_TRUE(reader->ReadValue(u"Name", type, bytes));
    EXPECT_EQ(type, kRegistryTypeBinary);
    EXPECT_EQ(bytes, Bytes("\x0D\x01"));

    // A '\' in a value name stays in this key; a zero, which would cut the name short, is refused.
    ASSERT_TRUE(key->WriteValue(u"a\\b", kRegistryTypeBinary, Bytes("x")));
    EXPECT_TRUE(reader->ReadValue(u"a\\b", type, bytes));
    EXPECT_EQ(store.OpenKey(kCurrentUser, m_subKey + u"\\Inner\\a", false, true), nullptr);
    EXPECT_FALSE(key->WriteValue(std::u16string(u"Name\0x", 6), kRegistryTypeBinary, Bytes("y")));
    ASSERT_TRUE(reader->ReadValue(u"Name", type, bytes));
    EXPECT_EQ(bytes, Bytes("\x0D\x01"));

    EXPECT_TRUE(key->DeleteValue(u"Name"));
    EXPECT_FALSE(reader->ReadValue(u"Name", type, bytes));
    EXPECT_FALSE(key->DeleteValue(u"Name"));

    // As the machine's key without elevation: opening it for writing must fail up front, so that
    // nothing (the update's "in progress" value) is taken as written when it cannot be.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone may read and delete it, nobody may change it.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)(A;;SD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    HKEY locked = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (m_key + L"\\Locked").c_str(), 0, nullptr, 0, WRITE_DAC, nullptr,
                              &locked, nullptr),
              ERROR_SUCCESS);
    const LSTATUS secured = RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(locked);
    LocalFree(descriptor);
    ASSERT_EQ(secured, ERROR_SUCCESS);
    EXPECT_NE(store.OpenKey(kCurrentUser, m_subKey + u"\\Locked", false, false), nullptr);
    EXPECT_EQ(store.OpenKey(kCurrentUser, m_subKey + u"\\Locked", true, false), nullptr);
}
