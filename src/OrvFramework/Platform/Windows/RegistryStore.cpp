#include "OrvFramework/Platform/RegistryStore.h"

// The Windows registry itself. Each value is replaced by the registry as a whole, and the registry
// serialises every reader and writer of a key, in this process and in others.

#include <windows.h>

namespace Orv::Platform {

namespace {

HKEY RootKey(int root) {
    switch (root) {
    case 0:
        return HKEY_CLASSES_ROOT;
    case 1:
        return HKEY_CURRENT_USER;
    case 2:
        return HKEY_LOCAL_MACHINE;
    case 3:
        return HKEY_USERS;
    default:
        return nullptr;
    }
}

// The registry's own separator between levels, without empty levels. False for a path the
// registry would read differently (an embedded zero would cut it short).
bool RegistryPath(const std::u16string& subKey, std::wstring& path) {
    path.clear();
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find_first_of(u"\\/", start);
        if (end == std::u16string::npos) end = subKey.size();
        if (end > start) {
            if (!path.empty()) path += L'\\';
            path.append(subKey.begin() + static_cast<std::ptrdiff_t>(start),
                        subKey.begin() + static_cast<std::ptrdiff_t>(end));
        }
        start = end + 1;
    }
    return path.find(L'\0') == std::wstring::npos;
}

// A value name as the registry takes it; a name holding a zero would reach another value.
bool ValueName(const std::u16string& name, std::wstring& out) {
    if (name.find(u'\0') != std::u16string::npos) return false;
    out.assign(name.begin(), name.end());
    return true;
}

class RegistryKey final : public IRegistryStoreKey {
public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() override { RegCloseKey(m_key); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool WriteValue(const std::u16string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) override {
        std::wstring valueName;
        if (!ValueName(name, valueName) || bytes.size() > MAXDWORD) return false;
        return RegSetValueExW(m_key, valueName.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) ==
               ERROR_SUCCESS;
    }

    bool ReadValue(const std::u16string& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes) override {
        std::wstring valueName;
        if (!ValueName(name, valueName)) return false;
        // Another writer may make the value longer between the two calls: ask again with its size.
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD valueType = 0, size = 0;
            LSTATUS status = RegQueryValueExW(m_key, valueName.c_str(), nullptr, &valueType, nullptr, &size);
            if (status != ERROR_SUCCESS) return false;
            bytes.resize(size);
            status = RegQueryValueExW(m_key, valueName.c_str(), nullptr, &valueType, bytes.data(), &size);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) return false;
            bytes.resize(size);
            type = valueType;
            return true;
        }
        return false;
    }

    bool DeleteValue(const std::u16string& name) override {
        std::wstring valueName;
        return ValueName(name, valueName) && RegDeleteValueW(m_key, valueName.c_str()) == ERROR_SUCCESS;
    }

private:
    HKEY m_key;
};

class WindowsRegistryStore final : public IRegistryStore {
public:
    std::unique_ptr<IRegistryStoreKey> OpenKey(int root, const std::u16string& subKey, bool forWriting,
                                               bool use64BitView) override {
        const HKEY rootKey = RootKey(root);
        std::wstring path;
        if (!rootKey || !RegistryPath(subKey, path)) return nullptr;
        const REGSAM view = use64BitView ? KEY_WOW64_64KEY : 0;
        HKEY key = nullptr;
        // Writing asks for every right on the key: a key this user may not change (the machine's,
        // without elevation) is refused here, before anything relies on it.
        const LSTATUS status = forWriting ? RegCreateKeyExW(rootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                            KEY_ALL_ACCESS | view, nullptr, &key, nullptr)
                                          : RegOpenKeyExW(rootKey, path.c_str(), 0, KEY_READ | view, &key);
        if (status != ERROR_SUCCESS) return nullptr;
        return std::make_unique<RegistryKey>(key);
    }
};

}  // namespace

IRegistryStore& GetRegistryStore() {
    static WindowsRegistryStore store;
    return store;
}

}  // namespace Orv::Platform
