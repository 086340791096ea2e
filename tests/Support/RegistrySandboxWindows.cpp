// The Windows side of RegistrySandbox: a private key of the current user laid over
// HKEY_LOCAL_MACHINE for this process, and a key deleted under an open handle for blocking.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace VarnetTest::RegistrySandboxWindows {

void Close(const std::wstring& name, void* key, void* deleted) {
    if (deleted) ::RegCloseKey(static_cast<HKEY>(deleted));
    if (key) ::RegCloseKey(static_cast<HKEY>(key));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str());
}

void Open(const std::wstring& name, void*& key, void*& deleted) {
    HKEY own = nullptr, gone = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &own, nullptr);
    // Deleted while this handle is open: every write through it fails with ERROR_KEY_DELETED.
    const std::wstring goneName = name + L"-deleted";
    ::RegCreateKeyExW(HKEY_CURRENT_USER, goneName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, goneName.c_str());
    key = own;
    deleted = gone;
    // Without both the tests would reach the machine's own registry.
    if (own == nullptr || gone == nullptr) {
        Close(name, own, gone);
        throw std::runtime_error("no private registry key could be made");
    }
}

void OverrideLocalMachine(void* key) { ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, static_cast<HKEY>(key)); }

}  // namespace VarnetTest::RegistrySandboxWindows
