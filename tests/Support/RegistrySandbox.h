#pragma once
// A private registry for the life of the object: whatever the code under test writes to or reads
// from the local machine's keys lands in it, and the machine's own registry is never touched.
// Linux points the file store at a fresh folder; Windows lays a private key of the current user
// over HKEY_LOCAL_MACHINE for this process. One sandbox at a time.
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

#ifdef _WIN32
// Support/RegistrySandboxWindows.cpp, which keeps <windows.h> and its macros (S_OK...) out of the tests.
namespace RegistrySandboxWindows {
// Makes HKEY_CURRENT_USER\<name> and a deleted key beside it; throws when it cannot.
void Open(const std::wstring& name, void*& key, void*& deleted);
// Lays `key` over HKEY_LOCAL_MACHINE for this process; null puts back the machine's own.
void OverrideLocalMachine(void* key);
// Closes both and deletes the tree of `name`.
void Close(const std::wstring& name, void* key, void* deleted);
}  // namespace RegistrySandboxWindows
#endif

class RegistrySandbox {
public:
#ifdef _WIN32
    RegistrySandbox() : m_name(L"Software\\VarnetTests\\" + Wide(RandomSuffix())) {
        RegistrySandboxWindows::Open(m_name, m_key, m_deleted);
        Unblock();
    }
    ~RegistrySandbox() {
        RegistrySandboxWindows::OverrideLocalMachine(nullptr);
        RegistrySandboxWindows::Close(m_name, m_key, m_deleted);
    }
    // Until Unblock, every write to a key of the local machine fails (the key is deleted).
    void Block() const { RegistrySandboxWindows::OverrideLocalMachine(m_deleted); }
    void Unblock() const { RegistrySandboxWindows::OverrideLocalMachine(m_key); }
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
    void* m_key = nullptr;
    void* m_deleted = nullptr;
#else
    ScopedEnvironment m_env;  // puts back whatever pointed the store elsewhere before
    TempFolder m_folder{"varnet-registry"};
#endif
};

}  // namespace VarnetTest
