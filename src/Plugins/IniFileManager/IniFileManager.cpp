// The fifteen entry points of the settings plug-in. Handles are checked against the stores this
// library handed out, so a stale or foreign handle gets an error instead of a crash.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "OrvFramework/System/IniFileManagerPlugin.h"
#include "SettingsStore.h"

namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFalse = 1;
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057u);

using IniPlugin::SettingsStore;

std::mutex g_handlesLock;
std::set<SettingsStore*>& Handles() {
    static std::set<SettingsStore*> handles;
    return handles;
}

// Runs f on the store under its lock; an unknown handle or a null text answers invalid argument.
template <class F>
std::int32_t WithStore(OrvIniHandle handle, const char* text, F f) {
    auto* store = static_cast<SettingsStore*>(handle);
    std::lock_guard<std::mutex> guard(g_handlesLock);
    if (text == nullptr || Handles().count(store) == 0) return kInvalidArg;
    std::lock_guard<std::mutex> storeGuard(store->Lock());
    return f(*store);
}

std::int32_t CopyOut(const std::string& text, char* buffer, std::uint32_t size, std::uint32_t* needed) {
    const std::uint32_t required = static_cast<std::uint32_t>(text.size() + 1);
    if (needed) *needed = required;
    if (buffer == nullptr || size < required) return Orv::kIniInsufficientBuffer;
    std::memcpy(buffer, text.c_str(), required);
    return kOk;
}

}  // namespace

#ifdef _WIN32
#define INI_EXPORT extern "C" __declspec(dllexport)
#else
#define INI_EXPORT extern "C" __attribute__((visibility("default")))
#endif

INI_EXPORT std::int32_t OpenIniFile(const char* path, const char* version, const char* product, OrvIniHandle* handle) {
    if (handle) *handle = nullptr;
    if (path == nullptr || *path == '\0' || handle == nullptr) return kInvalidArg;
    auto store = std::make_unique<SettingsStore>(path, version ? version : "", product ? product : "");
    if (!store->Load()) return kFail;
    std::lock_guard<std::mutex> guard(g_handlesLock);
    *handle = store.get();
    Handles().insert(store.release());
    return kOk;
}

INI_EXPORT std::int32_t WriteIniFile(OrvIniHandle handle) {
    return WithStore(handle, "", [](SettingsStore& s) { return s.Save() ? kOk : kFail; });
}

INI_EXPORT std::int32_t CloseIniFile(OrvIniHandle handle, std::int32_t writeFirst) {
    std::unique_ptr<SettingsStore> store;
    {
        std::lock_guard<std::mutex> guard(g_handlesLock);
        auto* s = static_cast<SettingsStore*>(handle);
        if (Handles().erase(s) == 0) return kInvalidArg;
        store.reset(s);
    }
    if (writeFirst == 0) return kOk;
    std::lock_guard<std::mutex> storeGuard(store->Lock());
    return store->Save() ? kOk : kFail;
}

INI_EXPORT std::int32_t DoesNodeExist(OrvIniHandle handle, const char* node) {
    return WithStore(handle, node, [&](SettingsStore& s) { return s.NodeExists(node) ? 1 : 0; });
}

INI_EXPORT std::int32_t GetIniValueInt(OrvIniHandle handle, const char* key, std::int32_t defaultValue,
                                       std::int32_t* value) {
    if (value == nullptr) return kInvalidArg;
    return WithStore(handle, key, [&](SettingsStore& s) {
        *value = defaultValue;
        const auto text = s.Get(key);
        if (!text || text->empty()) return kFalse;
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(text->c_str(), &end, 10);
        if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return kFalse;
        *value = static_cast<std::int32_t>(v);
        return kOk;
    });
}

INI_EXPORT std::int32_t SetIniValueInt(OrvIniHandle handle, const char* key, std::int32_t value) {
    return WithStore(handle, key, [&](SettingsStore& s) {
        s.Set(key, std::to_string(value));
        return kOk;
    });
}

INI_EXPORT std::int32_t GetIniValueStr(OrvIniHandle handle, const char* key, char* buffer, std::uint32_t size,
                                       std::uint32_t* needed) {
    return WithStore(handle, key, [&](SettingsStore& s) {
        const auto text = s.Get(key);
        return text ? CopyOut(*text, buffer, size, needed) : kFail;
    });
}

INI_EXPORT std::int32_t SetIniValueStr(OrvIniHandle handle, const char* key, const char* value) {
    if (value == nullptr) return kInvalidArg;
    return WithStore(handle, key, [&](SettingsStore& s) {
        s.Set(key, value);
        return kOk;
    });
}

INI_EXPORT std::int32_t GetKeyCount(OrvIniHandle handle, const char* node, std::int32_t* count) {
    if (count == nullptr) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        *count = static_cast<std::int32_t>(s.KeyCount(node));
        return kOk;
    });
}

INI_EXPORT std::int32_t GetKeyNameAt(OrvIniHandle handle, const char* node, std::int32_t index, char* buffer,
                                     std::uint32_t size, std::uint32_t* needed) {
    if (index < 0) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        const auto name = s.KeyNameAt(node, static_cast<std::size_t>(index));
        return name ? CopyOut(*name, buffer, size, needed) : kInvalidArg;
    });
}

INI_EXPORT std::int32_t GetArrayCount(OrvIniHandle handle, const char* node, std::int32_t* count) {
    if (count == nullptr) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        *count = static_cast<std::int32_t>(s.ArrayCount(node));
        return kOk;
    });
}

INI_EXPORT std::int32_t SetArrayCount(OrvIniHandle handle, const char* node, std::int32_t count) {
    if (count < 0 || count > 1000000) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        s.SetArrayCount(node, static_cast<std::size_t>(count));
        return kOk;
    });
}

INI_EXPORT std::int32_t GetArrayItemAt(OrvIniHandle handle, const char* node, std::int32_t index, char* buffer,
                                       std::uint32_t size, std::uint32_t* needed) {
    if (index < 0) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        const auto item = s.ArrayItemAt(node, static_cast<std::size_t>(index));
        return item ? CopyOut(*item, buffer, size, needed) : kInvalidArg;
    });
}

INI_EXPORT std::int32_t SetArrayItemAt(OrvIniHandle handle, const char* node, std::int32_t index, const char* value) {
    if (index < 0 || value == nullptr) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        return s.SetArrayItemAt(node, static_cast<std::size_t>(index), value) ? kOk : kInvalidArg;
    });
}

INI_EXPORT std::int32_t RemoveArrayItemAt(OrvIniHandle handle, const char* node, std::int32_t index) {
    if (index < 0) return kInvalidArg;
    return WithStore(handle, node, [&](SettingsStore& s) {
        return s.RemoveArrayItemAt(node, static_cast<std::size_t>(index)) ? kOk : kInvalidArg;
    });
}
