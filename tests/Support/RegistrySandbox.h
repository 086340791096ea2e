#pragma once
// A private registry for the life of the object: whatever the code under test writes to or reads
// from the local machine's keys lands in it, and the machine's own registry is never touched.
// Linux points the file store at a fresh folder; Windows lays a private key of the current user
// over HKEY_LOCAL_MACHINE for this process. One sandbox at a time.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "OrvFramework/System/RegistryKey.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TempFolder.h"

namespace VarnetTest {

class RegistrySandbox {
public:
#ifdef _WIN32
    RegistrySandbox() : m_name(L"Software\\VarnetTests\\" + Wide(RandomSuffix())) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, m_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        // A key deleted while a handle to it is open: every write through the handle fails.
        const std::wstring deleted = m_name + L"-deleted";
        ::RegCreateKeyExW(HKEY_CURRENT_USER, deleted.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_deleted,
                          nullptr);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, deleted.c_str());
        // Without both keys the tests would reach the machine's own registry.
        if (m_key == nullptr || m_deleted == nullptr) throw std::runtime_error("no private registry key");
        Unblock();
    }
    ~RegistrySandbox() {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        if (m_deleted) ::RegCloseKey(m_deleted);
        if (m_key) ::RegCloseKey(m_key);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_name.c_str());
    }
    // Until Unblock, no key of the local machine can be written.
    void Block() const { ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_deleted); }
    void Unblock() const { ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_key); }
#else
    RegistrySandbox() {
        m_env.Set("VARNET_REGISTRY_DIR", nullptr);
        Unblock();
    }
    // Points the store at a file, where no key opens, until Unblock.
    void Block() const {
        std::ofstream(m_folder / "blocker") << "not a folder";
        SetEnvironmentVariableTo("VARNET_REGISTRY_DIR", (m_folder / "blocker").string().c_str());
    }
    void Unblock() const {
        std::filesystem::create_directories(m_folder / "registry");
        SetEnvironmentVariableTo("VARNET_REGISTRY_DIR", (m_folder / "registry").string().c_str());
    }
#endif
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The stored "SuppressAutoUpdates", or nothing when it was never written or is unreadable.
    std::optional<bool> SuppressAutoUpdates() const {
        Orv::LRegistryKey key(Orv::kLocalMachine, Orv::String(SuppressAutoUpdatesKeyPath));
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
        Orv::RegistryVariant value;
        double number = 0;
        // A number, as the driver package reads it; a text would not do.
        if (Orv::Failed(key.GetRawValue(Orv::String(SuppressAutoUpdatesValueName), type, bytes)) ||
            !Orv::RegistryVariant::Deserialize(bytes, value) || value.GetKind() != 1 || !value.ToNumber(number))
            return std::nullopt;
        return number != 0;
    }

private:
#ifdef _WIN32
    static std::wstring Wide(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }
    std::wstring m_name;
    HKEY m_key = nullptr;
    HKEY m_deleted = nullptr;
#else
    ScopedEnvironment m_env;  // puts back whatever pointed the store elsewhere before
    TempFolder m_folder{"varnet-registry"};
#endif
};

}  // namespace VarnetTest
