#pragma once
// The application's settings store: every operation goes to the optional plug-in through the
// proxy; without the plug-in every operation answers 0x80004005 and callers keep their defaults.
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/System/IniFileManagerProxy.h"

namespace Orv {

class LIniFileManager : public LRefCountedObject {
public:
    ORVRESULT Load(const String& folder) { return m_proxy.Load(folder); }
    ORVRESULT LoadFromPath(const String& path) { return m_proxy.LoadFromPath(path); }
    ORVRESULT Unload() { return m_proxy.Unload(); }
    bool IsLoaded() const { return m_proxy.IsLoaded(); }

    ORVRESULT Open(const String& path, const String& version, const String& product, OrvIniHandle& handle) {
        return m_proxy.Open(path, version, product, handle);
    }
    ORVRESULT Write(OrvIniHandle handle) { return m_proxy.Write(handle); }
    bool DoesNodeExist(OrvIniHandle handle, const String& node) { return m_proxy.DoesNodeExist(handle, node); }
    ORVRESULT Close(OrvIniHandle handle, bool writeFirst) { return m_proxy.Close(handle, writeFirst); }
    ORVRESULT GetInt(OrvIniHandle handle, const String& key, std::int32_t defaultValue, std::int32_t& value) {
        return m_proxy.GetInt(handle, key, defaultValue, value);
    }
    ORVRESULT SetInt(OrvIniHandle handle, const String& key, std::int32_t value) {
        return m_proxy.SetInt(handle, key, value);
    }
    ORVRESULT GetString(OrvIniHandle handle, const String& key, String& value) {
        return m_proxy.GetString(handle, key, value);
    }
    ORVRESULT SetString(OrvIniHandle handle, const String& key, const String& value) {
        return m_proxy.SetString(handle, key, value);
    }
    ORVRESULT GetKeyCount(OrvIniHandle handle, const String& node, std::int32_t& count) {
        return m_proxy.GetKeyCount(handle, node, count);
    }
    ORVRESULT GetKeyNameAt(OrvIniHandle handle, const String& node, std::int32_t index, String& name) {
        return m_proxy.GetKeyNameAt(handle, node, index, name);
    }
    ORVRESULT GetArrayCount(OrvIniHandle handle, const String& node, std::int32_t& count) {
        return m_proxy.GetArrayCount(handle, node, count);
    }
    ORVRESULT SetArrayCount(OrvIniHandle handle, const String& node, std::int32_t count) {
        return m_proxy.SetArrayCount(handle, node, count);
    }
    ORVRESULT GetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index, String& item) {
        return m_proxy.GetArrayItemAt(handle, node, index, item);
    }
    ORVRESULT SetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index, const String& item) {
        return m_proxy.SetArrayItemAt(handle, node, index, item);
    }
    ORVRESULT RemoveArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index) {
        return m_proxy.RemoveArrayItemAt(handle, node, index);
    }

private:
    CIniFileManagerProxy m_proxy;
};

}  // namespace Orv
