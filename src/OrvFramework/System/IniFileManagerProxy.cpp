#include "OrvFramework/System/IniFileManagerProxy.h"

#include <functional>

#include "OrvFramework/Platform/Folders.h"

namespace Orv {
namespace {

// Reads a text through an entry point that copies it into a caller's buffer.
ORVRESULT ReadText(const std::function<std::int32_t(char*, std::uint32_t, std::uint32_t*)>& call, String& out) {
    std::string buffer(64, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::uint32_t needed = 0;
        const std::int32_t r = call(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &needed);
        if (r == kIniInsufficientBuffer && needed > buffer.size()) {
            buffer.assign(needed, '\0');
            continue;
        }
        if (Failed(r)) return r;
        out = String(Utf8ToUtf16(std::string_view(buffer.c_str())));
        return r;
    }
    return E_FAIL;
}

}  // namespace

CIniFileManagerProxy::~CIniFileManagerProxy() { Unload(); }

ORVRESULT CIniFileManagerProxy::Load(const String& folder) {
    if (IsLoaded()) return S_FALSE;
    if (!folder.empty()) {
        std::string path = Utf16ToUtf8(folder);
        if (path.back() != '/') path += '/';
        return LoadLibrary(path + Platform::PluginFileName(kIniFileManagerStem));
    }
    const std::string beside = Platform::GetModuleFolder();
    if (!beside.empty() && Succeeded(LoadLibrary(beside + "/" + Platform::PluginFileName(kIniFileManagerStem))))
        return S_OK;
    return LoadLibrary(Platform::PluginFileName(kIniFileManagerStem));
}

ORVRESULT CIniFileManagerProxy::LoadFromPath(const String& path) {
    if (IsLoaded()) return S_FALSE;
    if (path.empty()) return E_FAIL;
    return LoadLibrary(Utf16ToUtf8(path));
}

ORVRESULT CIniFileManagerProxy::LoadLibrary(const std::string& file) {
    if (!m_library.Load(file)) return E_FAIL;
    bool complete = true;
    auto take = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(m_library.Symbol(name));
        complete = complete && slot != nullptr;
    };
    take(m_fn.open, "OpenIniFile");
    take(m_fn.write, "WriteIniFile");
    take(m_fn.close, "CloseIniFile");
    take(m_fn.nodeExists, "DoesNodeExist");
    take(m_fn.getInt, "GetIniValueInt");
    take(m_fn.setInt, "SetIniValueInt");
    take(m_fn.getStr, "GetIniValueStr");
    take(m_fn.setStr, "SetIniValueStr");
    take(m_fn.keyCount, "GetKeyCount");
    take(m_fn.keyNameAt, "GetKeyNameAt");
    take(m_fn.arrayCount, "GetArrayCount");
    take(m_fn.setArrayCount, "SetArrayCount");
    take(m_fn.arrayItemAt, "GetArrayItemAt");
    take(m_fn.setArrayItemAt, "SetArrayItemAt");
    take(m_fn.removeArrayItemAt, "RemoveArrayItemAt");
    if (!complete) {
        Unload();
        return E_FAIL;
    }
    return S_OK;
}

ORVRESULT CIniFileManagerProxy::Unload() {
    m_library.Unload();
    m_fn = {};
    return S_OK;
}

namespace {
std::string N(const String& s) { return Utf16ToUtf8(s); }
}  // namespace

ORVRESULT CIniFileManagerProxy::Open(const String& path, const String& version, const String& product,
                                     OrvIniHandle& handle) {
    handle = nullptr;
    if (!IsLoaded()) return E_FAIL;
    return m_fn.open(N(path).c_str(), N(version).c_str(), N(product).c_str(), &handle);
}

ORVRESULT CIniFileManagerProxy::Write(OrvIniHandle handle) { return IsLoaded() ? m_fn.write(handle) : E_FAIL; }

bool CIniFileManagerProxy::DoesNodeExist(OrvIniHandle handle, const String& node) {
    return IsLoaded() && m_fn.nodeExists(handle, N(node).c_str()) == 1;
}

ORVRESULT CIniFileManagerProxy::Close(OrvIniHandle handle, bool writeFirst) {
    return IsLoaded() ? m_fn.close(handle, writeFirst ? 1 : 0) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::GetInt(OrvIniHandle handle, const String& key, std::int32_t defaultValue,
                                       std::int32_t& value) {
    value = defaultValue;
    return IsLoaded() ? m_fn.getInt(handle, N(key).c_str(), defaultValue, &value) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::SetInt(OrvIniHandle handle, const String& key, std::int32_t value) {
    return IsLoaded() ? m_fn.setInt(handle, N(key).c_str(), value) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::GetString(OrvIniHandle handle, const String& key, String& value) {
    if (!IsLoaded()) return E_FAIL;
    const std::string k = N(key);
    return ReadText(
        [&](char* b, std::uint32_t n, std::uint32_t* need) { return m_fn.getStr(handle, k.c_str(), b, n, need); },
        value);
}

ORVRESULT CIniFileManagerProxy::SetString(OrvIniHandle handle, const String& key, const String& value) {
    return IsLoaded() ? m_fn.setStr(handle, N(key).c_str(), N(value).c_str()) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::GetKeyCount(OrvIniHandle handle, const String& node, std::int32_t& count) {
    count = 0;
    return IsLoaded() ? m_fn.keyCount(handle, N(node).c_str(), &count) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::GetKeyNameAt(OrvIniHandle handle, const String& node, std::int32_t index,
                                             String& name) {
    if (!IsLoaded()) return E_FAIL;
    const std::string n = N(node);
    return ReadText([&](char* b, std::uint32_t size,
                        std::uint32_t* need) { return m_fn.keyNameAt(handle, n.c_str(), index, b, size, need); },
                    name);
}

ORVRESULT CIniFileManagerProxy::GetArrayCount(OrvIniHandle handle, const String& node, std::int32_t& count) {
    count = 0;
    return IsLoaded() ? m_fn.arrayCount(handle, N(node).c_str(), &count) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::SetArrayCount(OrvIniHandle handle, const String& node, std::int32_t count) {
    return IsLoaded() ? m_fn.setArrayCount(handle, N(node).c_str(), count) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::GetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index,
                                               String& item) {
    if (!IsLoaded()) return E_FAIL;
    const std::string n = N(node);
    return ReadText([&](char* b, std::uint32_t size,
                        std::uint32_t* need) { return m_fn.arrayItemAt(handle, n.c_str(), index, b, size, need); },
                    item);
}

ORVRESULT CIniFileManagerProxy::SetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index,
                                               const String& item) {
    return IsLoaded() ? m_fn.setArrayItemAt(handle, N(node).c_str(), index, N(item).c_str()) : E_FAIL;
}

ORVRESULT CIniFileManagerProxy::RemoveArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index) {
    return IsLoaded() ? m_fn.removeArrayItemAt(handle, N(node).c_str(), index) : E_FAIL;
}

}  // namespace Orv
